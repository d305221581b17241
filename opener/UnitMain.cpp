#include "opener/UnitMain.h"

#include <algorithm>

#include <boost/scoped_array.hpp>

#include <QFileDialog>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QToolButton>

#include "common/FolderTest.h"
#include "common/TLabeledEdit.h"
#include "common/TLazyIconEngine.h"
#include "common/UnitAnchors.h"
#include "common/UnitApplication.h"
#include "common/UnitFormAboutBox.h"
#include "common/WindowsFont.h"
#include "core/Exception.h"
#include "core/MessageText.h"
#include "core/PathRules.h"
#include "platform/HelpViewer.h"
#include "platform/PathDelimiter.h"
#include "platform/ShellOpen.h"
#include "platform/SystemError.h"

namespace {

const TFolderTexts FolderTexts {
    QStringLiteral("開くフォルダー"),
    QStringLiteral("開くフォルダーを選択してください。"),
    QStringLiteral("開くフォルダーを選択してください。"),
    QStringLiteral("開くフォルダーを選択してください。"),
};

const QString CategoryFile = QStringLiteral("ファイル");
const QString CategoryHelp = QStringLiteral("ヘルプ");

} // namespace

TFormMain::TFormMain() : TMainFrame(QSize(426, 154), false)
{
    setObjectName(QStringLiteral("FormMain"));
    setWindowIcon(LazyPngIcon(QStringLiteral(":/tervano/icon.png")));

    ActionManager1 = new QObject(this);
    ImageList1 = new TImageList(this,
        { QStringLiteral(":/tervano/imagelist/0.png"), QStringLiteral(":/tervano/imagelist/1.png"),
            QStringLiteral(":/tervano/imagelist/2.png"), QStringLiteral(":/tervano/imagelist/3.png") });
    ActionFolderRefer = new TAction(ActionManager1, QStringLiteral("参照(&O)"),
        QStringLiteral("フォルダーの参照"), 0, CategoryFile, ImageList1);
    ActionFolderOpen = new TAction(ActionManager1, QStringLiteral("フォルダーを開く"),
        QStringLiteral("指定されたフォルダーを開きます。"), 2, CategoryFile, ImageList1);
    ActionSaveBatchFile = new TAction(ActionManager1, QStringLiteral("バッチファイルの作成"),
        QStringLiteral("指定されたフォルダーを開くバッチファイルを作成します。"), 1, CategoryFile, ImageList1);
    ActionHelpHelp = new TAction(ActionManager1, QStringLiteral("ヘルプ"), QString(), -1, CategoryHelp, ImageList1);
    ActionHelpVersion = new TAction(ActionManager1, QStringLiteral("バージョン情報"), QString(), -1,
        CategoryHelp, ImageList1);
    ActionFileExit = new TAction(ActionManager1, QStringLiteral("終了(&X)"),
        QStringLiteral("終了|アプリケーションを終了します"), 3, CategoryFile, ImageList1);

    Bind(ActionFolderRefer, &TFormMain::ActionFolderReferExecute);
    Bind(ActionFolderOpen, &TFormMain::ActionFolderOpenExecute);
    Bind(ActionSaveBatchFile, &TFormMain::ActionSaveBatchFileExecute);
    Bind(ActionHelpHelp, &TFormMain::ActionHelpHelpExecute);
    Bind(ActionHelpVersion, &TFormMain::ActionHelpVersionExecute);
    connect(ActionFileExit, &QAction::triggered, this, &TFormMain::FileExit);

    CreateMenu();
    EditFolder = CreateFolderEdit(FolderTexts, QRect(8, 52, 337, 21));
    BtnFolderRefer = CreateSpeedButton(ActionFolderRefer, QRect(345, 52, 73, 22));
    BtnFolderOpen = CreateBitBtn(ActionFolderOpen, QRect(178, 94, 105, 25));
    BtnSaveBatchFile = CreateBitBtn(ActionSaveBatchFile, QRect(289, 94, 129, 25));
    StatusBar1 = CreateStatusBar(19);
    // Made on first use: a file dialog would be most of an unattended run's start-up.
    SaveDialogBatchFile = nullptr;
    setTabOrder(EditFolder, BtnFolderOpen);
    setTabOrder(BtnFolderOpen, BtnSaveBatchFile);

    InitFrame(QStringLiteral("tervano.chm"));
}

TFormMain::~TFormMain() = default;

void TFormMain::CreateMenu()
{
    ActionMainMenuBar1 = new QMenuBar(this);
    ActionMainMenuBar1->setNativeMenuBar(false);
    ActionMainMenuBar1->setFont(WindowsFont(QStringLiteral("MS UI Gothic"), 12));
    Anchors()->Align(ActionMainMenuBar1, TAnchorLayout::TAlign::Top, 22);

    QMenu* file = ActionMainMenuBar1->addMenu(QStringLiteral("ファイル(&F)"));
    file->addAction(ActionFolderRefer);
    file->addSeparator();
    AddMenuItem(file, QStringLiteral("フォルダーを開く(&Z)"), ActionFolderOpen);
    AddMenuItem(file, QStringLiteral("バッチファイルの作成(&Y)"), ActionSaveBatchFile);
    file->addSeparator();
    file->addAction(ActionFileExit);

    QMenu* help = ActionMainMenuBar1->addMenu(QStringLiteral("ヘルプ(&H)"));
    AddMenuItem(help, QStringLiteral("ヘルプ(&Z)"), ActionHelpHelp);
    AddMenuItem(help, QStringLiteral("バージョン情報(&Y)"), ActionHelpVersion);
}

bool TFormMain::FolderExists(const std::u16string& path) const
{
    return FolderExistsForOpener(path);
}

bool TFormMain::FolderOpen()
{
    try {
        const std::u16string path
            = IncludeTrailingDelimiter(EditFolder->text().toStdU16String(), platform::PathDelimiter());
        if (!FolderExists(path)) {
            throw Exception(u"フォルダーが見つかりませんでした。");
        }
        boost::scoped_array<char16_t> file(new char16_t[path.size() + 1]);
        std::copy_n(path.c_str(), path.size() + 1, file.get());
        std::uint32_t lastError = 0;
        if (!platform::ShellOpenFolder(file.get(), lastError)) {
            throw Exception(TrimSystemErrorText(platform::SystemErrorText(lastError)));
        }
        return true;
    } catch (const Exception& e) {
        ReportFailure(QString::fromStdU16String(e.Message()));
        return false;
    }
}

void TFormMain::ActionFolderReferExecute(QObject*)
{
    FolderRefer(EditFolder, FolderTexts.BrowserCaption);
}

void TFormMain::ActionFolderOpenExecute(QObject*)
{
    FolderOpen();
}

void TFormMain::ActionSaveBatchFileExecute(QObject*)
{
    SaveBatchFile(EditFolder, SaveDialogBatchFile, [] { return std::optional<int>(); });
}

void TFormMain::ActionHelpVersionExecute(QObject*)
{
    ShowAboutBox(this, Application()->Title(), windowIcon());
}

void TFormMain::ActionHelpHelpExecute(QObject*)
{
    HelpHelp();
}

void TFormMain::ApplicationIdle()
{
    const TCommandLineScan scan = ScanArguments(TCommandLineTool::Opener, EditFolder);
    if (scan.Run && FolderOpen()) {
        QCoreApplication::exit(0);
    }
}

void TFormMain::FileExit()
{
    if (QWidget* main = Application()->MainForm()) {
        platform::HelpCloseAll();
        main->close();
    }
}
