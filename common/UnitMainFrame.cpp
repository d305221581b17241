#include "common/UnitMainFrame.h"

#include <QDir>
#include <QDragEnterEvent>
#include <QFileDialog>
#include <QGuiApplication>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QToolButton>

#include "common/FolderDrop.h"
#include "common/TLabeledEdit.h"
#include "common/UnitAnchors.h"
#include "common/UnitApplication.h"
#include "common/UnitMessages.h"
#include "common/WindowsFont.h"
#include "core/BatchLine.h"
#include "core/Exception.h"
#include "core/HintText.h"
#include "core/PathRules.h"
#include "core/TStringList.h"
#include "platform/BatchFile.h"
#include "platform/CommandLine.h"
#include "platform/HelpViewer.h"
#include "platform/PathDelimiter.h"

namespace {

using Anchor = TAnchorLayout;

// "text|pattern|text|pattern" as Qt's "text (pattern)" filters; a text that
// already names its pattern in parentheses is kept as it is.
QStringList NameFilters(const QString& filter)
{
    const QStringList parts = filter.split(u'|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString& text = parts.at(i);
        const QString& pattern = parts.at(i + 1);
        filters << (text.endsWith(u'(' + pattern + u')') ? text : text + QStringLiteral(" (") + pattern + u')');
    }
    return filters;
}

} // namespace

void ApplyHint(QWidget* widget, const QString& hint)
{
    const std::u16string text = hint.toStdU16String();
    widget->setToolTip(QString::fromStdU16String(ShortHint(text)));
    widget->setStatusTip(QString::fromStdU16String(LongHint(text)));
}

TMainFrame::TMainFrame(QSize designClient, bool maximizeBox)
    : QWidget(nullptr), FAnchors(new TAnchorLayout(this, designClient)), FDesignClient(designClient)
{
    Qt::WindowFlags flags = Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint
        | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint;
    if (maximizeBox) {
        flags |= Qt::WindowMaximizeButtonHint;
    }
    setWindowFlags(flags);
    setFont(WindowsFont(QStringLiteral("Tahoma"), 11));
    setAcceptDrops(true);
    resize(designClient);
}

TMainFrame::~TMainFrame()
{
    if (TApplication* application = Application()) {
        application->ClearOnIdleOf(this);
    }
}

void TMainFrame::InitFrame(const QString& helpFileName)
{
    TApplication* application = Application();
    setWindowTitle(application->Title());
    application->SetOnIdle(this, [this] { ApplicationIdle(); });
    const char16_t delimiter = platform::PathDelimiter();
    const std::u16string folder = ExtractFolder(application->ExeName().toStdU16String(), delimiter);
    application->SetHelpFile(
        QString::fromStdU16String(IncludeTrailingDelimiter(folder, delimiter)) + helpFileName);
}

TCommandLineScan TMainFrame::ScanArguments(TCommandLineTool tool, QLineEdit* edit)
{
    Application()->ClearOnIdle();
    TCommandLineScan scan = ScanCommandLine(platform::CommandLineArguments(), tool);
    if (scan.Folder) {
        edit->setText(QString::fromStdU16String(*scan.Folder));
    }
    return scan;
}

TLabeledEdit* TMainFrame::CreateFolderEdit(const TFolderTexts& texts, QRect design)
{
    auto* edit = new TLabeledEdit(this, texts.Label);
    // Its own drop would insert the URL as text; the window takes drops.
    edit->setAcceptDrops(false);
    FFolderEdit = edit;
    edit->setPlaceholderText(texts.Placeholder);
    ApplyHint(edit, texts.Hint);
    FAnchors->Place(edit, design, Anchor::AkLeft | Anchor::AkTop | Anchor::AkRight);
    return edit;
}

QToolButton* TMainFrame::CreateSpeedButton(QAction* action, QRect design)
{
    auto* button = new QToolButton(this);
    // A caption of its own keeps the "&": the button underlines its letter
    // and Alt with that letter presses it, as the menus do.
    action->setIconText(action->text());
    button->setDefaultAction(action);
    button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    button->setFocusPolicy(Qt::NoFocus);
    button->setAutoRaise(true);
    FAnchors->Place(button, design, Anchor::AkTop | Anchor::AkRight);
    return button;
}

TBitBtn* TMainFrame::CreateBitBtn(QAction* action, QRect design)
{
    auto* button = new TBitBtn(this, action);
    FAnchors->Place(button, design, Anchor::AkTop | Anchor::AkRight);
    return button;
}

QStatusBar* TMainFrame::CreateStatusBar(int height)
{
    auto* status = new QStatusBar(this);
    FAnchors->Align(status, TAnchorLayout::TAlign::Bottom, height);
    return status;
}

QFileDialog* TMainFrame::CreateSaveDialog()
{
    auto* dialog = new QFileDialog(this);
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setNameFilters(NameFilters(QString::fromStdU16String(platform::BatchFileFilter())));
    dialog->setDefaultSuffix(QString::fromStdU16String(platform::BatchFileDefaultSuffix()).mid(1));
    dialog->setFileMode(QFileDialog::AnyFile);
    dialog->setOption(QFileDialog::DontConfirmOverwrite, false);
    dialog->setOption(QFileDialog::ReadOnly, false);
    dialog->setSizeGripEnabled(true);
    return dialog;
}

void TMainFrame::SaveBatchFile(
    QLineEdit* edit, QFileDialog*& dialog, const std::function<std::optional<int>()>& method)
{
    if (edit->text().isEmpty()) {
        ShowWarning(this, QStringLiteral("フォルダーが選択されていません。"));
        edit->setFocus();
        return;
    }
    if (!dialog) {
        dialog = CreateSaveDialog();
    }
    if (!FLastBatchFile.isEmpty()) {
        dialog->selectFile(FLastBatchFile);
    }
    if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty()) {
        return;
    }
    FLastBatchFile = dialog->selectedFiles().constFirst();
    const std::optional<int> index = method();
    const TScriptFormat format = platform::BatchScriptFormat();
    TStringList lines;
    lines.Add(BatchLine(format, Application()->ExeName().toStdU16String(), edit->text().toStdU16String(), index));
    try {
        platform::WriteBatchFile(QDir::toNativeSeparators(FLastBatchFile).toStdU16String(),
            BatchFileText(format, lines[0]));
        const QString done = QStringLiteral("バッチファイルを作成しました。");
        ShowInformation(this, done);
        StatusLine()->showMessage(done);
    } catch (const Exception& e) {
        ReportFailure(QString::fromStdU16String(e.Message()));
    }
}

void TMainFrame::SetMenuBar(QMenuBar* menuBar)
{
    menuBar->setNativeMenuBar(false);
    FAnchors->setMenuBar(menuBar);
    // The height the layout itself will give the bar.
    const int barHeight = menuBar->hasHeightForWidth() ? menuBar->heightForWidth(FDesignClient.width())
                                                       : menuBar->sizeHint().height();
    resize(FDesignClient.width(), FDesignClient.height() + barHeight);
}

void TMainFrame::FolderRefer(QLineEdit* edit, const QString& caption)
{
    // It starts at the top of the user's own tree, with nothing chosen: the
    // field's text is not used.
    QFileDialog browser(this, caption, QDir::homePath());
    browser.setFileMode(QFileDialog::Directory);
    browser.setOption(QFileDialog::ShowDirsOnly, true);
    browser.setAcceptMode(QFileDialog::AcceptOpen);
    if (browser.exec() != QDialog::Accepted || browser.selectedFiles().isEmpty()) {
        return;
    }
    // Qt gives a root with its delimiter and other folders without one.
    edit->setText(QDir::toNativeSeparators(browser.selectedFiles().constFirst()));
}

void TMainFrame::HelpHelp()
{
    platform::HelpDisplayContents(Application()->HelpFile().toStdU16String());
}

void TMainFrame::ReportFailure(const QString& text)
{
    ShowWarning(this, text);
    StatusLine()->showMessage(text);
}

bool TMainFrame::event(QEvent* event)
{
    if (event->type() == QEvent::StatusTip) {
        if (QStatusBar* status = StatusLine()) {
            status->showMessage(static_cast<QStatusTipEvent*>(event)->tip());
        }
        return true;
    }
    return QWidget::event(event);
}

void TMainFrame::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (!FCentred) {
        FCentred = true;
        if (const QScreen* screen = QGuiApplication::primaryScreen()) {
            QRect frame = frameGeometry();
            frame.moveCenter(screen->availableGeometry().center());
            move(frame.topLeft());
        }
    }
}

bool TMainFrame::AcceptFolderDrop(QDropEvent* event)
{
    if (!FFolderEdit || !DroppedFolder(event->mimeData())) {
        event->ignore();
        return false;
    }
    if (event->possibleActions() & Qt::LinkAction) {
        event->setDropAction(Qt::LinkAction);
    } else if (event->possibleActions() & Qt::CopyAction) {
        event->setDropAction(Qt::CopyAction);
    } else {
        event->ignore();
        return false;
    }
    event->accept();
    return true;
}

void TMainFrame::dragEnterEvent(QDragEnterEvent* event)
{
    AcceptFolderDrop(event);
}

void TMainFrame::dragMoveEvent(QDragMoveEvent* event)
{
    AcceptFolderDrop(event);
}

void TMainFrame::dropEvent(QDropEvent* event)
{
    if (AcceptFolderDrop(event)) {
        FFolderEdit->setText(*DroppedFolder(event->mimeData()));
    }
}

QAction* AddMenuItem(QMenu* menu, const QString& caption, QAction* action, bool withPicture)
{
    auto* item = new QAction(caption, menu);
    if (withPicture) {
        item->setIcon(action->icon());
    }
    item->setStatusTip(action->statusTip());
    QObject::connect(item, &QAction::triggered, action, &QAction::trigger);
    menu->addAction(item);
    return item;
}
