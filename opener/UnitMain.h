#pragma once

#include "common/UnitMainFrame.h"

class QFileDialog;
class QMenuBar;
class QStatusBar;
class QToolButton;
class TLabeledEdit;

// The opener's main window.
class TFormMain : public TMainFrame {
    Q_OBJECT

public:
    TFormMain();
    ~TFormMain() override;

    // Opens the folder in EditFolder; false after the failure was shown.
    bool FolderOpen();
    bool FolderExists(const std::u16string& path) const;

    // The window's parts, in the form's order.
    TLabeledEdit* EditFolder;
    QObject* ActionManager1;
    TImageList* ImageList1;
    QToolButton* BtnFolderRefer;
    TAction* ActionFolderRefer;
    TAction* ActionSaveBatchFile;
    TBitBtn* BtnSaveBatchFile;
    TAction* ActionFolderOpen;
    TBitBtn* BtnFolderOpen;
    QFileDialog* SaveDialogBatchFile;
    QStatusBar* StatusBar1;
    TAction* ActionHelpVersion;
    TAction* ActionHelpHelp;
    QMenuBar* ActionMainMenuBar1;
    TAction* ActionFileExit;

    void ActionFolderReferExecute(QObject* sender);
    void ActionFolderOpenExecute(QObject* sender);
    void ActionSaveBatchFileExecute(QObject* sender);
    void ActionHelpVersionExecute(QObject* sender);
    void ActionHelpHelpExecute(QObject* sender);

protected:
    void ApplicationIdle() override;
    QStatusBar* StatusLine() const override { return StatusBar1; }

private:
    void CreateMenu();
    void FileExit();
};
