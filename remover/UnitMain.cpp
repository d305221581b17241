#include "remover/UnitMain.h"

#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QToolButton>

#include "common/FolderTest.h"
#include "common/TLabeledEdit.h"
#include "common/TLazyIconEngine.h"
#include "common/UnitAnchors.h"
#include "common/UnitApplication.h"
#include "common/UnitFileOperationUi.h"
#include "common/UnitFormAboutBox.h"
#include "core/PathRules.h"
#include "fileutil/Tfileutility.h"
#include "platform/PathDelimiter.h"
#include "platform/ShellOpen.h"

namespace {

const TFolderTexts FolderTexts {
    QStringLiteral("削除するフォルダー"),
    QStringLiteral("削除するフォルダーを選択してください。"),
    QStringLiteral("削除するフォルダーを選択してください。"),
    QStringLiteral("削除フォルダーを選択してください。"),
};

const QString CategoryHelp = QStringLiteral("ヘルプ");
const QString NotFound = QStringLiteral("フォルダーが見つかりませんでした。");

} // namespace

TFormMain::TFormMain() : TMainFrame(QSize(426, 155), true), FShell(&SystemShell())
{
    setObjectName(QStringLiteral("FormMain"));
    setWindowIcon(LazyPngIcon(QStringLiteral(":/quistel/icon.png")));
    using A = TAnchorLayout;

    ActionManager1 = new QObject(this);
    ImageList1 = new TImageList(this,
        { QStringLiteral(":/quistel/imagelist/0.png"), QStringLiteral(":/quistel/imagelist/1.png"),
            QStringLiteral(":/quistel/imagelist/2.png"), QStringLiteral(":/quistel/imagelist/3.png") });
    ActionFolderRefer = new TAction(ActionManager1, QStringLiteral("参照(&O)"),
        QStringLiteral("フォルダーの参照"), 0, QString(), ImageList1);
    ActionSaveBatchFile = new TAction(ActionManager1, QStringLiteral("バッチファイルの作成"),
        QStringLiteral("指定されたフォルダーを削除するバッチファイルを作成します。"), 1, QString(), ImageList1);
    ActionFolderOpen = new TAction(ActionManager1, QStringLiteral("フォルダーを開く"),
        QStringLiteral("指定されたフォルダーを開きます。"), 2, QString(), ImageList1);
    ActionHelpVersion = new TAction(ActionManager1, QStringLiteral("バージョン情報(&A)"), QString(), -1,
        CategoryHelp, ImageList1);
    ActionQuistel = new TAction(ActionManager1, QStringLiteral("フォルダーを削除する"),
        QStringLiteral("指定されたフォルダーを削除します。"), 3, QString(), ImageList1);
    ActionHelpHelp = new TAction(ActionManager1, QStringLiteral("ヘルプ(&H)"), QString(), -1, CategoryHelp, ImageList1);

    Bind(ActionFolderRefer, &TFormMain::ActionFolderReferExecute);
    Bind(ActionSaveBatchFile, &TFormMain::ActionSaveBatchFileExecute);
    Bind(ActionFolderOpen, &TFormMain::ActionFolderOpenExecute);
    Bind(ActionHelpVersion, &TFormMain::ActionHelpVersionExecute);
    Bind(ActionQuistel, &TFormMain::ActionQuistelExecute);
    Bind(ActionHelpHelp, &TFormMain::ActionHelpHelpExecute);

    EditFolder = CreateFolderEdit(FolderTexts, QRect(8, 32, 337, 21));
    BtnFolderRefer = CreateSpeedButton(ActionFolderRefer, QRect(345, 32, 73, 22));

    Label1 = new QLabel(QStringLiteral("削除方法"), this);
    Label1->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Anchors()->Place(Label1, QRect(18, 62, 48, 13), A::AkTop | A::AkRight);

    ComboBoxRemoveType = new QComboBox(this);
    ComboBoxRemoveType->setEditable(false);
    ComboBoxRemoveType->addItems({ QStringLiteral("ゴミ箱に移動する"), QStringLiteral("完全に削除する") });
    ComboBoxRemoveType->setCurrentIndex(0);
    Anchors()->Place(ComboBoxRemoveType, QRect(72, 59, 145, 21), A::AkTop | A::AkRight);
    Label1->setBuddy(ComboBoxRemoveType);

    BtnFolderOpen = CreateBitBtn(ActionFolderOpen, QRect(41, 98, 105, 25));
    BitBtn1 = CreateBitBtn(ActionQuistel, QRect(152, 98, 131, 25));
    BtnSaveBatchFile = CreateBitBtn(ActionSaveBatchFile, QRect(289, 98, 129, 25));
    StatusBar1 = CreateStatusBar(19);
    // Made on first use: a file dialog would be most of an unattended run's start-up.
    SaveDialogBatchFile = nullptr;
    CreateMenu();

    setTabOrder(EditFolder, ComboBoxRemoveType);
    setTabOrder(ComboBoxRemoveType, BtnFolderOpen);
    setTabOrder(BtnFolderOpen, BitBtn1);
    setTabOrder(BitBtn1, BtnSaveBatchFile);

    InitFrame(QStringLiteral("quistel.chm"));

    // The shell's progress and error windows belong to the application.
    FShellWindows = std::make_unique<TFileOperationDialogs>();
    SetApplicationWindow(static_cast<platform::TWindowHandle>(winId()));
}

TFormMain::~TFormMain()
{
    SetApplicationWindow(0);
}

void TFormMain::CreateMenu()
{
    MainMenu1 = new QMenuBar(this);
    F1 = MainMenu1->addMenu(QStringLiteral("ファイル(&F)"));
    O1 = AddMenuItem(F1, ActionFolderRefer->text(), ActionFolderRefer, false);
    N2 = F1->addSeparator();
    N3 = AddMenuItem(F1, ActionFolderOpen->text(), ActionFolderOpen, false);
    N4 = AddMenuItem(F1, ActionSaveBatchFile->text(), ActionSaveBatchFile, false);
    H1 = MainMenu1->addMenu(QStringLiteral("ヘルプ(&H)"));
    H2 = AddMenuItem(H1, ActionHelpHelp->text(), ActionHelpHelp, false);
    N1 = AddMenuItem(H1, ActionHelpVersion->text(), ActionHelpVersion, false);
    SetMenuBar(MainMenu1);
}

bool TFormMain::FolderExists(const std::u16string& path) const
{
    return FolderExistsForRemover(path);
}

std::u16string TFormMain::FolderPath() const
{
    return IncludeTrailingDelimiter(EditFolder->text().toStdU16String(), platform::PathDelimiter());
}

void TFormMain::ActionQuistelExecute(QObject*)
{
    const std::u16string path = FolderPath();
    if (!FolderExists(path)) {
        ReportFailure(NotFound);
        return;
    }
    // Only the first entry recycles: 1 and no selection (-1) are permanent.
    const bool recycle = ComboBoxRemoveType->currentIndex() == 0;
    if (ShellDeletePath(path, recycle, *FShell)) {
        StatusBar1->showMessage(QStringLiteral("フォルダーを削除しました。"));
    } else {
        ReportFailure(QStringLiteral("フォルダーを削除できませんでした。"));
    }
}

void TFormMain::ActionFolderOpenExecute(QObject*)
{
    const std::u16string path = FolderPath();
    if (!FolderExists(path)) {
        ReportFailure(NotFound);
        return;
    }
    platform::ShellOpenDefault(static_cast<platform::TWindowHandle>(winId()), path);
}

void TFormMain::ActionFolderReferExecute(QObject*)
{
    FolderRefer(EditFolder, FolderTexts.BrowserCaption);
}

void TFormMain::ActionSaveBatchFileExecute(QObject*)
{
    SaveBatchFile(EditFolder, SaveDialogBatchFile,
        [this] { return std::optional<int>(ComboBoxRemoveType->currentIndex()); });
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
    const TCommandLineScan scan = ScanArguments(TCommandLineTool::Remover, EditFolder);
    if (scan.Method) {
        const int method = *scan.Method;
        ComboBoxRemoveType->setCurrentIndex(method >= 0 && method < ComboBoxRemoveType->count() ? method : -1);
    }
    if (scan.Run) {
        ActionQuistelExecute(nullptr);
        close();
    }
}
