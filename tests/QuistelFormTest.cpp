#include <QClipboard>
#include <QComboBox>
#include <QDropEvent>
#include <QFontInfo>
#include <QFileInfo>
#include <QMap>
#include <QMimeData>
#include <QGuiApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QUrl>

#include "common/TLabeledEdit.h"
#include "core/Utf.h"
#include "common/UnitApplication.h"
#include "fileutil/Tfileutility.h"
#include "platform/ShellFileOperation.h"
#include "remover/UnitMain.h"
#include "tests/CommandLineHelper.h"
#include "tests/FormTestSupport.h"
#include "tests/ModalCatcher.h"

#include <QFileDialog>
#include <QLineEdit>

namespace {

// Records what reached the shell and answers as told.
class TFakeShell : public TShell {
public:
    int FileOperation(platform::TFileOperationRequest& request) override
    {
        ++Calls;
        List.clear();
        for (const char16_t* p = request.From; *p || p[1]; ++p) {
            List += *p ? *p : u'|';
        }
        return Result;
    }
    int Calls = 0;
    int Result = 0;
    std::u16string List;
};

} // namespace

// The remover's window, offscreen, deleting only inside its own temporary tree
// with its own trash.
class QuistelFormTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void Geometry_data();
    void Geometry();
    void MenuAndActions();
    void MethodFollowsTheDropDown_data();
    void MethodFollowsTheDropDown();
    void NothingIsDeletedWithoutAFolder_data();
    void NothingIsDeletedWithoutAFolder();
    void FailedDeletionIsReported();
    void PastedNulNamesNothing_data();
    void PastedNulNamesNothing();
    void EmptyFieldHandsTheShellAnEmptyList();
    void OpenChangesNothingInTheWindow();
    void BatchLineCarriesTheMethodChosen_data();
    void BatchLineCarriesTheMethodChosen();
    void CommandLine_data();
    void CommandLine();
    void AltOBrowsesAndAltChordsAreNoText();
    void CaptionsAndPicturesFitTheirButtons_data();
    void CaptionsAndPicturesFitTheirButtons();
    void FolderDroppedOnTheWindowFillsTheField();

private:
    QString MakeVictim(const QString& name);
    QStringList Trashed() const;

    QTemporaryDir FTemp;
    QString FTree;
    QString FData;
};

void QuistelFormTest::initTestCase()
{
    QVERIFY(FTemp.isValid());
    FData = FTemp.filePath(QStringLiteral("data"));
    qputenv("XDG_DATA_HOME", FData.toLocal8Bit());
    qunsetenv("DBUS_SESSION_BUS_ADDRESS");
    // The fake file manager: PATH holds only it.
    const QString bin = FTemp.filePath(QStringLiteral("bin"));
    QVERIFY(WriteFakeOpener(bin));
    qputenv("FT_OPEN_LOG", FTemp.filePath(QStringLiteral("opened.log")).toLocal8Bit());
    qputenv("PATH", bin.toLocal8Bit());
}

void QuistelFormTest::init()
{
    FTree = FTemp.filePath(QStringLiteral("tree"));
    QDir(FTree).removeRecursively();
    QDir(FData).removeRecursively();
    QDir().mkpath(FTree);
}

QString QuistelFormTest::MakeVictim(const QString& name)
{
    const QString path = FTree + u'/' + name;
    QDir().mkpath(path + QStringLiteral("/inner"));
    QFile file(path + QStringLiteral("/inner/data.txt"));
    file.open(QIODevice::WriteOnly);
    file.write("keep me safe");
    return path;
}

QStringList QuistelFormTest::Trashed() const
{
    return QDir(FData + QStringLiteral("/Trash/files")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
}

void QuistelFormTest::Geometry_data()
{
    QTest::addColumn<int>("widen");
    QTest::newRow("design size") << 0;
    QTest::newRow("widened by 100") << 100;
}

void QuistelFormTest::Geometry()
{
    QFETCH(int, widen);
    TFormMain form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    const int menu = form.MainMenu1->height();
    QCOMPARE(form.height(), 155 + menu);
    form.resize(426 + widen, 155 + menu);
    QTest::qWait(10);
    const auto client = [menu](QWidget* w) { return w->geometry().translated(0, -menu); };
    QCOMPARE(form.MainMenu1->geometry(), QRect(0, 0, 426 + widen, menu));
    QCOMPARE(client(form.EditFolder), QRect(8, 32, 337 + widen, 21));
    QCOMPARE(client(form.BtnFolderRefer), QRect(345 + widen, 32, 73, 22));
    QCOMPARE(client(form.Label1), QRect(18 + widen, 62, 48, 13));
    QCOMPARE(client(form.ComboBoxRemoveType), QRect(72 + widen, 59, 145, 21));
    QCOMPARE(client(form.BtnFolderOpen), QRect(41 + widen, 98, 105, 25));
    QCOMPARE(client(form.BitBtn1), QRect(152 + widen, 98, 131, 25));
    QCOMPARE(client(form.BtnSaveBatchFile), QRect(289 + widen, 98, 129, 25));
    QCOMPARE(client(form.StatusBar1), QRect(0, 136, 426 + widen, 19));
    QCOMPARE(client(form.EditFolder->EditLabel()).bottom(), 32 - 3 - 1);
    QVERIFY(form.windowFlags() & Qt::WindowMaximizeButtonHint);
    QVERIFY(form.Label1->alignment() & Qt::AlignRight);
    QCOMPARE(NextTabStop(form.EditFolder), form.ComboBoxRemoveType);
    QCOMPARE(NextTabStop(form.ComboBoxRemoveType), form.BtnFolderOpen);
    QCOMPARE(NextTabStop(form.BtnFolderOpen), form.BitBtn1);
    QCOMPARE(NextTabStop(form.BitBtn1), form.BtnSaveBatchFile);
    for (TBitBtn* button : { form.BtnFolderOpen, form.BitBtn1, form.BtnSaveBatchFile }) {
        QVERIFY(!button->isDefault() && !button->autoDefault());
    }
}

void QuistelFormTest::MenuAndActions()
{
    TFormMain form;
    QCOMPARE(form.windowTitle(), QStringLiteral("Quistel"));
    QCOMPARE(Application()->HelpFile(), QCoreApplication::applicationDirPath() + QStringLiteral("/quistel.chm"));
    QStringList tree;
    for (QAction* top : form.MainMenu1->actions()) {
        tree << top->text();
        for (QAction* item : top->menu()->actions()) {
            tree << (item->isSeparator() ? QStringLiteral("  -") : QStringLiteral("  ") + item->text());
            QVERIFY(item->icon().isNull());
        }
    }
    QCOMPARE(tree,
        QStringList({ "ファイル(&F)", "  参照(&O)", "  -", "  フォルダーを開く", "  バッチファイルの作成", "ヘルプ(&H)",
            "  ヘルプ(&H)", "  バージョン情報(&A)" }));
    QCOMPARE(form.F1->actions().value(0), form.O1);
    QCOMPARE(form.H1->actions().value(1), form.N1);

    QCOMPARE(form.ComboBoxRemoveType->currentIndex(), 0);
    QCOMPARE(form.ComboBoxRemoveType->count(), 2);
    QCOMPARE(form.ComboBoxRemoveType->itemText(0), QStringLiteral("ゴミ箱に移動する"));
    QCOMPARE(form.ComboBoxRemoveType->itemText(1), QStringLiteral("完全に削除する"));
    QVERIFY(!form.ComboBoxRemoveType->isEditable());
    QCOMPARE(form.BitBtn1->text(), QStringLiteral("フォルダーを削除する"));
    QCOMPARE(form.ActionQuistel->statusTip(), QStringLiteral("指定されたフォルダーを削除します。"));
    QCOMPARE(form.ActionQuistel->ImageIndex(), 3);
    QCOMPARE(form.ActionHelpVersion->Category(), QStringLiteral("ヘルプ"));
    QCOMPARE(form.EditFolder->EditLabel()->text(), QStringLiteral("削除するフォルダー"));
    QCOMPARE(form.EditFolder->placeholderText(), QStringLiteral("削除するフォルダーを選択してください。"));
}

void QuistelFormTest::MethodFollowsTheDropDown_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<bool>("trashed");
    QTest::addColumn<QString>("suffix");
    QTest::newRow("0 moves to the trash") << 0 << true << QString();
    QTest::newRow("1 deletes completely") << 1 << false << QString();
    QTest::newRow("no selection deletes completely") << -1 << false << QString();
    QTest::newRow("trailing delimiter alike") << 0 << true << QStringLiteral("/");
}

void QuistelFormTest::MethodFollowsTheDropDown()
{
    QFETCH(int, index);
    QFETCH(bool, trashed);
    QFETCH(QString, suffix);
    const QString victim = MakeVictim(QStringLiteral("古い データ"));
    TFormMain form;
    form.EditFolder->setText(victim + suffix);
    form.ComboBoxRemoveType->setCurrentIndex(index);
    QCOMPARE(form.ComboBoxRemoveType->currentIndex(), index);
    TModalCatcher catcher;
    form.ActionQuistel->trigger();
    QCOMPARE(catcher.Seen().Count, 0);
    QVERIFY(!QFileInfo::exists(victim));
    QCOMPARE(Trashed(), trashed ? QStringList { QStringLiteral("古い データ") } : QStringList());
    QCOMPARE(form.StatusBar1->currentMessage(), QStringLiteral("フォルダーを削除しました。"));
    QCOMPARE(form.EditFolder->text(), victim + suffix);
}

void QuistelFormTest::NothingIsDeletedWithoutAFolder_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("missing folder") << QStringLiteral("nothing");
    QTest::newRow("a file") << QStringLiteral("victim/inner/data.txt");
}

void QuistelFormTest::NothingIsDeletedWithoutAFolder()
{
    QFETCH(QString, name);
    const QString victim = MakeVictim(QStringLiteral("victim"));
    TFormMain form;
    form.EditFolder->setText(FTree + u'/' + name);
    TModalCatcher catcher;
    form.ActionQuistel->trigger();
    QCOMPARE(catcher.Seen().Count, 1);
    QCOMPARE(catcher.Seen().Caption, QStringLiteral("警告"));
    QCOMPARE(catcher.Seen().Text, QStringLiteral("フォルダーが見つかりませんでした。"));
    QCOMPARE(form.StatusBar1->currentMessage(), QStringLiteral("フォルダーが見つかりませんでした。"));
    QVERIFY(QFileInfo::exists(victim + QStringLiteral("/inner/data.txt")));
}

void QuistelFormTest::FailedDeletionIsReported()
{
    // A trash that cannot be made: a file stands where its folder would go.
    QDir().mkpath(FData);
    QFile blocker(FData + QStringLiteral("/Trash"));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const QString victim = MakeVictim(QStringLiteral("victim"));
    TFormMain form;
    form.EditFolder->setText(victim);
    TModalCatcher catcher;
    form.ActionQuistel->trigger();
    QCOMPARE(catcher.Seen().Text, QStringLiteral("フォルダーを削除できませんでした。"));
    QCOMPARE(form.StatusBar1->currentMessage(), QStringLiteral("フォルダーを削除できませんでした。"));
    // Moving to the trash never turns into deleting.
    QVERIFY(QFileInfo::exists(victim + QStringLiteral("/inner/data.txt")));
}

void QuistelFormTest::PastedNulNamesNothing_data()
{
    QTest::addColumn<int>("method");
    QTest::newRow("trash") << 0;
    QTest::newRow("permanent") << 1;
}

void QuistelFormTest::PastedNulNamesNothing()
{
    QFETCH(int, method);
    // The text after the NUL would be a relative path: it must not be read
    // against the working directory.
    const QString requested = MakeVictim(QStringLiteral("requested"));
    const QString other = MakeVictim(QStringLiteral("other"));
    const QString cwd = QDir::currentPath();
    QVERIFY(QDir::setCurrent(FTree));
    TFormMain form;
    form.ComboBoxRemoveType->setCurrentIndex(method);
    QGuiApplication::clipboard()->setText(requested + QChar(u'\0') + QStringLiteral("other"));
    form.EditFolder->setFocus();
    form.EditFolder->paste();
    QCOMPARE(form.EditFolder->text().size(), requested.size() + 6);
    TModalCatcher catcher;
    form.ActionQuistel->trigger();
    QDir::setCurrent(cwd);
    QCOMPARE(catcher.Seen().Text, QStringLiteral("フォルダーが見つかりませんでした。"));
    QVERIFY(QFileInfo::exists(requested + QStringLiteral("/inner/data.txt")));
    QVERIFY(QFileInfo::exists(other + QStringLiteral("/inner/data.txt")));
    QCOMPARE(Trashed(), QStringList());
}

void QuistelFormTest::EmptyFieldHandsTheShellAnEmptyList()
{
    // "" plus the delimiter is the root: only a fake shell may see it.
    TFakeShell shell;
    shell.Result = 1;
    TFormMain form;
    form.SetShell(shell);
    TModalCatcher catcher;
    form.ActionQuistel->trigger();
    QCOMPARE(shell.Calls, 1);
    QCOMPARE(shell.List, std::u16string());
    QCOMPARE(catcher.Seen().Text, QStringLiteral("フォルダーを削除できませんでした。"));
}

void QuistelFormTest::OpenChangesNothingInTheWindow()
{
    const QString victim = MakeVictim(QStringLiteral("open me"));
    TFormMain form;
    form.EditFolder->setText(victim);
    form.StatusBar1->showMessage(QStringLiteral("before"));
    TModalCatcher catcher;
    form.ActionFolderOpen->trigger();
    QCOMPARE(catcher.Seen().Count, 0);
    QCOMPARE(form.StatusBar1->currentMessage(), QStringLiteral("before"));
    QCOMPARE(form.EditFolder->text(), victim);
    QFile log(FTemp.filePath(QStringLiteral("opened.log")));
    QTRY_VERIFY(log.exists() && log.size() > 0);
    log.open(QIODevice::ReadOnly);
    QCOMPARE(QString::fromUtf8(log.readAll()).trimmed(),
        QUrl::fromLocalFile(victim + u'/').toString(QUrl::FullyEncoded));
}

void QuistelFormTest::BatchLineCarriesTheMethodChosen_data()
{
    // The folder as the bytes of its name, and as the script must quote them.
    QTest::addColumn<QByteArray>("folder");
    QTest::addColumn<QByteArray>("quoted");
    QTest::newRow("quote inside") << QByteArray("/data/it's old") << QByteArray("'/data/it'\\''s old'");
    QTest::newRow("Shift_JIS name, exact bytes")
        << QByteArray("/data/\x93\xFA\x96\x7B") << QByteArray("'/data/\x93\xFA\x96\x7B'");
    QTest::newRow("EUC-JP name, exact bytes")
        << QByteArray("/data/\xC6\xFC\xCB\xDC") << QByteArray("'/data/\xC6\xFC\xCB\xDC'");
}

void QuistelFormTest::BatchLineCarriesTheMethodChosen()
{
    QFETCH(QByteArray, folder);
    QFETCH(QByteArray, quoted);
    const QString file = FTemp.filePath(QStringLiteral("remove.sh"));
    TFormMain form;
    form.EditFolder->setText(QString::fromStdU16String(PathBytesToText(folder.toStdString())));
    TModalCatcher catcher([&](QWidget* modal) {
        if (auto* dialog = qobject_cast<QFileDialog*>(modal)) {
            // The method is read after the dialog.
            form.ComboBoxRemoveType->setCurrentIndex(1);
            // Typed as a person would: selectFile() leaves a focused name field alone.
            dialog->setDirectory(QFileInfo(file).path());
            dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(QFileInfo(file).fileName());
            // done() skips the dialog's own checks of the folder.
            QMetaObject::invokeMethod(dialog, "done", Qt::QueuedConnection, Q_ARG(int, QDialog::Accepted));
        }
    });
    form.ActionSaveBatchFile->trigger();
    QFile script(file);
    QVERIFY(script.open(QIODevice::ReadOnly));
    QCOMPARE(script.readAll(), "#!/bin/sh\n'" + QCoreApplication::applicationFilePath().toUtf8()
            + "' '-a' " + quoted + " '-t=1'\n");
}

void QuistelFormTest::CommandLine_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("method");
    QTest::addColumn<bool>("removed");
    QTest::addColumn<bool>("closed");
    QTest::newRow("-t=1 removes for good and closes") << QStringList { "-t=1", "VICTIM", "-a" } << 1 << true << true;
    QTest::newRow("-t=0 trashes") << QStringList { "-a", "VICTIM", "-t=0" } << 0 << true << true;
    QTest::newRow("no -a only fills in") << QStringList { "VICTIM", "-t=1" } << 1 << false << false;
    QTest::newRow("-t=x selects the trash") << QStringList { "VICTIM", "-t=x" } << 0 << false << false;
    QTest::newRow("-t=123456 selects nothing") << QStringList { "VICTIM", "-t=123456" } << -1 << false << false;
    QTest::newRow("-T=1 is a folder") << QStringList { "VICTIM", "-T=1" } << 0 << false << false;
}

void QuistelFormTest::CommandLine()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, method);
    QFETCH(bool, removed);
    QFETCH(bool, closed);
    const QString victim = MakeVictim(QStringLiteral("victim"));
    arguments.replaceInStrings(QStringLiteral("VICTIM"), victim);
    SetCommandLine(arguments);
    TFormMain form;
    TModalCatcher catcher;
    form.show();
    QEventLoop loop;
    QTimer::singleShot(300, &loop, &QEventLoop::quit);
    loop.exec();
    SetCommandLine({});
    QCOMPARE(form.isVisible(), !closed);
    QCOMPARE(catcher.Seen().Count, 0);
    QCOMPARE(form.ComboBoxRemoveType->currentIndex(), method);
    QCOMPARE(QFileInfo::exists(victim), !removed);
    QCOMPARE(Trashed().size(), removed && method == 0 ? 1 : 0);
    if (!removed) {
        QCOMPARE(form.EditFolder->text(), arguments.contains("-T=1") ? QStringLiteral("-T=1") : victim);
    }
}

void QuistelFormTest::AltOBrowsesAndAltChordsAreNoText()
{
    CheckAltOBrowsesAndAltChordsAreNoText<TFormMain>();
}

void QuistelFormTest::CaptionsAndPicturesFitTheirButtons_data()
{
    QTest::addColumn<QString>("button");
    for (const char* name : { "BtnFolderRefer", "BtnFolderOpen", "BitBtn1", "BtnSaveBatchFile" }) {
        QTest::newRow(name) << QString::fromLatin1(name);
    }
}

void QuistelFormTest::CaptionsAndPicturesFitTheirButtons()
{
    QFETCH(QString, button);
    TFormMain form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    const QMap<QString, QWidget*> buttons { { "BtnFolderRefer", form.BtnFolderRefer },
        { "BtnFolderOpen", form.BtnFolderOpen }, { "BitBtn1", form.BitBtn1 },
        { "BtnSaveBatchFile", form.BtnSaveBatchFile } };
    QWidget* w = buttons.value(button);
    QVERIFY2(QFontInfo(w->font()).family() != QStringLiteral("Tahoma"), qPrintable(QFontInfo(w->font()).family()));
    QVERIFY2(w->sizeHint().width() <= w->width(),
        qPrintable(QStringLiteral("%1 needs %2 of %3").arg(button).arg(w->sizeHint().width()).arg(w->width())));
}

void QuistelFormTest::FolderDroppedOnTheWindowFillsTheField()
{
    const QString victim = MakeVictim(QStringLiteral("dropped"));
    TFormMain form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QMimeData data;
    data.setData(QStringLiteral("text/uri-list"), QUrl::fromLocalFile(victim).toEncoded() + "\r\n");
    const Qt::DropActions offered = Qt::CopyAction | Qt::MoveAction;
    QDragEnterEvent enter(QPoint(200, 60), offered, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(form.ComboBoxRemoveType, &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(QPointF(200, 60), offered, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(form.ComboBoxRemoveType, &drop);
    QCOMPARE(drop.dropAction(), Qt::CopyAction);
    QCOMPARE(form.EditFolder->text(), victim);
    // Nothing runs: the folder is still there.
    QVERIFY(QFileInfo::exists(victim + QStringLiteral("/inner/data.txt")));
}

int main(int argc, char** argv)
{
    QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
    TApplication application(argc, argv);
    application.SetTitle(QStringLiteral("Quistel"));
    application.setQuitOnLastWindowClosed(false);
    QuistelFormTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "QuistelFormTest.moc"
