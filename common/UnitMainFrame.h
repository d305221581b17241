#pragma once

#include <functional>
#include <optional>

#include <QAction>
#include <QWidget>

#include "common/TAction.h"
#include "common/TBitBtn.h"
#include "common/TImageList.h"
#include "core/CommandLineScan.h"

class QFileDialog;
class QLineEdit;
class QMenuBar;
class QStatusBar;
class QToolButton;
class TAnchorLayout;
class TLabeledEdit;

// Per-tool texts of the folder field.
struct TFolderTexts {
    QString Label;
    QString Hint;
    QString Placeholder;
    QString BrowserCaption;
};

// What both tools' main windows share. Each tool's TFormMain derives from it,
// declares its own fields and binds its handlers to these operations.
class TMainFrame : public QWidget {
    Q_OBJECT

public:
    ~TMainFrame() override;

    TAnchorLayout* Anchors() const { return FAnchors; }

protected:
    TMainFrame(QSize designClient, bool maximizeBox);

    // The constructor's steps: caption, the one-shot idle handler, help file.
    void InitFrame(const QString& helpFileName);

    // Runs handler(action) of the derived form whenever the action is triggered.
    template <class TForm>
    void Bind(QAction* action, void (TForm::*handler)(QObject*))
    {
        connect(action, &QAction::triggered, this,
            [this, action, handler] { (static_cast<TForm*>(this)->*handler)(action); });
    }

    // The first part of the one-shot idle handler: unhooks it (the operation's
    // boxes run loops of their own), reads the command line and puts its
    // folder into edit. The caller acts on the rest.
    TCommandLineScan ScanArguments(TCommandLineTool tool, QLineEdit* edit);
    virtual void ApplicationIdle() = 0;
    virtual QStatusBar* StatusLine() const = 0;

    TLabeledEdit* CreateFolderEdit(const TFolderTexts& texts, QRect design);
    QToolButton* CreateSpeedButton(QAction* action, QRect design);
    TBitBtn* CreateBitBtn(QAction* action, QRect design);
    QStatusBar* CreateStatusBar(int height);
    QFileDialog* CreateSaveDialog();
    // A classic menu bar above the client area, which keeps its design size.
    void SetMenuBar(QMenuBar* menuBar);

    // Writes the launcher script for the folder in edit. method is read after
    // the save dialog (the remover's index; nothing for the opener). The
    // dialog is made on first use.
    void SaveBatchFile(QLineEdit* edit, QFileDialog*& dialog, const std::function<std::optional<int>()>& method);

    // Folder browser: a chosen folder replaces the field's text.
    void FolderRefer(QLineEdit* edit, const QString& caption);
    void HelpHelp();
    // Warning box, then the same text in the status line.
    void ReportFailure(const QString& text);

    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    // A folder dropped anywhere on the window goes into the folder field.
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    // Takes a drop that names a folder, as a link or a copy: never a move,
    // which would let the source delete what it gave.
    bool AcceptFolderDrop(QDropEvent* event);

    QLineEdit* FFolderEdit = nullptr;
    TAnchorLayout* FAnchors;
    QSize FDesignClient;
    QString FLastBatchFile;
    bool FCentred = false;
};

// Sets the hint's parts as tooltip and status tip.
void ApplyHint(QWidget* widget, const QString& hint);

class QMenu;

// A menu entry with a caption of its own that shows the action's hint (and,
// unless told otherwise, its picture) and runs it.
QAction* AddMenuItem(QMenu* menu, const QString& caption, QAction* action, bool withPicture = true);
