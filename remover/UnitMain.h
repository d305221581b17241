#pragma once

#include <memory>

#include "common/UnitMainFrame.h"

class QComboBox;
class QFileDialog;
class QLabel;
class QMenu;
class QMenuBar;
class QStatusBar;
class QToolButton;
class TFileOperationDialogs;
class TLabeledEdit;
class TShell;

// The remover's main window.
class TFormMain : public TMainFrame {
    Q_OBJECT

public:
    TFormMain();
    ~TFormMain() override;

    bool FolderExists(const std::u16string& path) const;
    // The shell that carries out deletions; tests hand in a fake.
    void SetShell(TShell& shell) { FShell = &shell; }

    // The window's parts, in the form's order.
    QToolButton* BtnFolderRefer;
    TLabeledEdit* EditFolder;
    TBitBtn* BtnSaveBatchFile;
    TBitBtn* BtnFolderOpen;
    QStatusBar* StatusBar1;
    QObject* ActionManager1;
    TAction* ActionFolderRefer;
    TAction* ActionSaveBatchFile;
    TAction* ActionFolderOpen;
    TAction* ActionHelpVersion;
    TImageList* ImageList1;
    QFileDialog* SaveDialogBatchFile;
    QMenuBar* MainMenu1;
    QMenu* F1;
    QAction* O1;
    QAction* N2;
    QAction* N3;
    QAction* N4;
    QMenu* H1;
    QAction* N1;
    QComboBox* ComboBoxRemoveType;
    QLabel* Label1;
    TBitBtn* BitBtn1;
    TAction* ActionQuistel;
    TAction* ActionHelpHelp;
    QAction* H2;

    void ActionFolderReferExecute(QObject* sender);
    void ActionFolderOpenExecute(QObject* sender);
    void ActionSaveBatchFileExecute(QObject* sender);
    void ActionHelpVersionExecute(QObject* sender);
    void ActionQuistelExecute(QObject* sender);
    void ActionHelpHelpExecute(QObject* sender);

protected:
    void ApplicationIdle() override;
    QStatusBar* StatusLine() const override { return StatusBar1; }

private:
    void CreateMenu();
    std::u16string FolderPath() const;

    std::unique_ptr<TFileOperationDialogs> FShellWindows;
    TShell* FShell;
};
