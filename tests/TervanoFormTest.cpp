#include <filesystem>

#include <QCursor>
#include <QDropEvent>
#include <QFontInfo>
#include <QMap>
#include <QMimeData>
#include <QDir>
#include <QEventLoop>
#include <QTimer>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QProxyStyle>
#include <QStyle>
#include <QStyleFactory>
#include <QTemporaryDir>
#include <QLabel>
#include <QTest>
#include <QToolButton>
#include <QUrl>

#include <algorithm>
#include <memory>
#include <cerrno>
#include <sys/stat.h>
#include <cstring>
#include <sys/stat.h>

#include "common/TLabeledEdit.h"
#include "core/Utf.h"
#include "common/UnitApplication.h"
#include "common/WindowsFont.h"
#include "core/Exception.h"
#include "opener/UnitMain.h"
#include "tests/CommandLineHelper.h"
#include "tests/FormTestSupport.h"
#include "tests/ModalCatcher.h"

// The opener's window, offscreen, with a fake xdg-open on PATH and no bus.
class TervanoFormTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void cleanup();

    void CaptionAndHelpFileFollowTheExecutable();
    void IdleHandlerRunsOnce();
    void Geometry_data();
    void Geometry();
    void MenuTreeAndActions();
    void FolderOpen_data();
    void FolderOpen();
    void RefusedRequestShowsSystemText();
    void BrowseSetsFieldOrKeepsIt_data();
    void BrowseSetsFieldOrKeepsIt();
    void ExitActionClosesTheMainWindow();
    void ExitClosesTheHelpViewerFirst();
    void StatusLineFollowsTheControlUnderThePointer();
    void BatchFileWriter_data();
    void BatchFileWriter();
    void EmptyFieldWritesNothing();
    void CommandLine_data();
    void CommandLine();
    void EscapingExceptionIsShownWithTheTitle_data();
    void EscapingExceptionIsShownWithTheTitle();
    void QtSpeaksJapanese_data();
    void QtSpeaksJapanese();
    void AltOBrowsesAndAltChordsAreNoText();
    void CaptionsAndPicturesFitTheirButtons_data();
    void CaptionsAndPicturesFitTheirButtons();
    void WindowsNamesDrawWithQtsOwnChoice_data();
    void WindowsNamesDrawWithQtsOwnChoice();
    void PicturesAreThoseOfTheirFiles_data();
    void PicturesAreThoseOfTheirFiles();
    void BrowserStartsAtHomeWithNothingChosen();
    void SaveDialogFilters();
    void HelpStartsOneViewerPerRun();
    void DropPutsAFolderIntoTheField_data();
    void DropPutsAFolderIntoTheField();

private:
    void UseFakeOpener(bool present);
    QString WriteFakeChmViewer(const QString& logName, const QByteArray& logLine);
    QStringList OpenedUris() const;

    QTemporaryDir FTemp;
    QString FBin;
    QString FLog;
    QByteArray FPath;
};

void TervanoFormTest::initTestCase()
{
    QVERIFY(FTemp.isValid());
    FBin = FTemp.filePath(QStringLiteral("bin"));
    FLog = FTemp.filePath(QStringLiteral("opened.log"));
    QVERIFY(WriteFakeOpener(FBin));
    qputenv("FT_OPEN_LOG", FLog.toLocal8Bit());
    qunsetenv("DBUS_SESSION_BUS_ADDRESS");
    FPath = qgetenv("PATH");
    QDir().mkpath(FTemp.filePath(QStringLiteral("tree/a b")));
}

void TervanoFormTest::cleanup()
{
    // Off every window: a hint under the pointer would overwrite status texts.
    QCursor::setPos(0, 0);
    QFile::remove(FLog);
    qputenv("PATH", FPath);
}

// Some rows make names that are no UTF-8, which QTemporaryDir cannot remove:
// remove the folder by its bytes.
void TervanoFormTest::cleanupTestCase()
{
    std::error_code ignored;
    std::filesystem::remove_all(QFile::encodeName(FTemp.path()).toStdString(), ignored);
}

// An xchm on the fake PATH that writes logLine to FT_VIEWER_LOG and stays up;
// returns that log's path, empty when the viewer could not be written.
QString TervanoFormTest::WriteFakeChmViewer(const QString& logName, const QByteArray& logLine)
{
    const QString viewerLog = FTemp.filePath(logName);
    QFile viewer(FBin + QStringLiteral("/xchm"));
    if (!viewer.open(QIODevice::WriteOnly)) {
        return {};
    }
    viewer.write("#!/bin/sh\n" + logLine + "\nexec /bin/sleep 60\n");
    viewer.close();
    viewer.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("FT_VIEWER_LOG", viewerLog.toLocal8Bit());
    UseFakeOpener(true);
    return viewerLog;
}

void TervanoFormTest::UseFakeOpener(bool present)
{
    // Without it, PATH holds nothing that could open a folder.
    qputenv("PATH", present ? FBin.toLocal8Bit() : FTemp.filePath(QStringLiteral("empty")).toLocal8Bit());
}

QStringList TervanoFormTest::OpenedUris() const
{
    // The fake runs detached: give it a moment to write.
    QStringList lines;
    for (int i = 0; i < 100 && lines.isEmpty(); ++i) {
        QFile log(FLog);
        if (log.open(QIODevice::ReadOnly)) {
            lines = QString::fromUtf8(log.readAll()).split(u'\n', Qt::SkipEmptyParts);
        }
        if (lines.isEmpty()) {
            QTest::qWait(20);
        }
    }
    return lines;
}

void TervanoFormTest::CaptionAndHelpFileFollowTheExecutable()
{
    const QString before = QDir::currentPath();
    QDir::setCurrent(FTemp.path());
    TFormMain form;
    QDir::setCurrent(before);
    QCOMPARE(form.windowTitle(), QStringLiteral("Tervano"));
    QCOMPARE(Application()->HelpFile(), QCoreApplication::applicationDirPath() + QStringLiteral("/tervano.chm"));
}

void TervanoFormTest::IdleHandlerRunsOnce()
{
    TFormMain form;
    QVERIFY(Application()->HasOnIdle());
    form.show();
    // Only a loop that may block goes idle; processEvents() never does.
    QEventLoop loop;
    QTimer::singleShot(100, &loop, &QEventLoop::quit);
    loop.exec();
    QVERIFY(!Application()->HasOnIdle());
}

void TervanoFormTest::Geometry_data()
{
    QTest::addColumn<int>("widen");
    QTest::newRow("design size") << 0;
    QTest::newRow("widened by 100") << 100;
}

void TervanoFormTest::Geometry()
{
    QFETCH(int, widen);
    TFormMain form;
    form.resize(426 + widen, 154);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QCOMPARE(form.size(), QSize(426 + widen, 154));
    QCOMPARE(form.ActionMainMenuBar1->geometry(), QRect(0, 0, 426 + widen, 22));
    QCOMPARE(form.EditFolder->geometry(), QRect(8, 52, 337 + widen, 21));
    QCOMPARE(form.BtnFolderRefer->geometry(), QRect(345 + widen, 52, 73, 22));
    QCOMPARE(form.BtnFolderOpen->geometry(), QRect(178 + widen, 94, 105, 25));
    QCOMPARE(form.BtnSaveBatchFile->geometry(), QRect(289 + widen, 94, 129, 25));
    QCOMPARE(form.StatusBar1->geometry(), QRect(0, 135, 426 + widen, 19));
    // The label stands 3 pixels above the field and moves with it.
    QCOMPARE(form.EditFolder->EditLabel()->geometry().bottom(), 52 - 3 - 1);
    QCOMPARE(form.EditFolder->EditLabel()->x(), 8);
    QVERIFY(!(form.windowFlags() & Qt::WindowMaximizeButtonHint));
    QCOMPARE(form.BtnFolderRefer->focusPolicy(), Qt::NoFocus);
    QCOMPARE(NextTabStop(form.EditFolder), form.BtnFolderOpen);
    QCOMPARE(NextTabStop(form.BtnFolderOpen), form.BtnSaveBatchFile);
}

void TervanoFormTest::MenuTreeAndActions()
{
    TFormMain form;
    QStringList tree;
    for (QAction* top : form.ActionMainMenuBar1->actions()) {
        tree << top->text();
        for (QAction* item : top->menu()->actions()) {
            tree << (item->isSeparator() ? QStringLiteral("  -") : QStringLiteral("  ") + item->text());
        }
    }
    QCOMPARE(tree,
        QStringList({ "ファイル(&F)", "  参照(&O)", "  -", "  フォルダーを開く(&Z)", "  バッチファイルの作成(&Y)",
            "  -", "  終了(&X)", "ヘルプ(&H)", "  ヘルプ(&Z)", "  バージョン情報(&Y)" }));

    struct TRow {
        TAction* Action;
        QString Caption, Hint, Category;
        int Image;
    };
    const TRow rows[] = {
        { form.ActionFolderRefer, "参照(&O)", "フォルダーの参照", "ファイル", 0 },
        { form.ActionFolderOpen, "フォルダーを開く", "指定されたフォルダーを開きます。", "ファイル", 2 },
        { form.ActionSaveBatchFile, "バッチファイルの作成", "指定されたフォルダーを開くバッチファイルを作成します。",
            "ファイル", 1 },
        { form.ActionHelpHelp, "ヘルプ", "", "ヘルプ", -1 },
        { form.ActionHelpVersion, "バージョン情報", "", "ヘルプ", -1 },
        { form.ActionFileExit, "終了(&X)", "終了|アプリケーションを終了します", "ファイル", 3 },
    };
    for (const TRow& row : rows) {
        QCOMPARE(row.Action->text(), row.Caption);
        QCOMPARE(row.Action->Hint(), row.Hint);
        QCOMPARE(row.Action->Category(), row.Category);
        QCOMPARE(row.Action->ImageIndex(), row.Image);
        QVERIFY(row.Action->shortcut().isEmpty());
    }
    QCOMPARE(form.ActionFileExit->toolTip(), QStringLiteral("終了"));
    QCOMPARE(form.ActionFileExit->statusTip(), QStringLiteral("アプリケーションを終了します"));
    QCOMPARE(form.BtnFolderOpen->text(), QStringLiteral("フォルダーを開く"));
    QCOMPARE(form.EditFolder->placeholderText(), QStringLiteral("開くフォルダーを選択してください。"));
    QCOMPARE(form.EditFolder->toolTip(), QStringLiteral("開くフォルダーを選択してください。"));
    QCOMPARE(form.EditFolder->EditLabel()->text(), QStringLiteral("開くフォルダー"));
    QCOMPARE(form.ImageList1->Count(), 4);
}

void TervanoFormTest::FolderOpen_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<bool>("opened");
    QTest::addColumn<QString>("uri");
    const QString tree = FTemp.filePath(QStringLiteral("tree"));
    const QString treeUri = QUrl::fromLocalFile(tree).toString(QUrl::FullyEncoded);
    QTest::newRow("folder") << tree << true << treeUri + "/";
    QTest::newRow("trailing delimiter kept single") << tree + "/" << true << treeUri + "/";
    QTest::newRow("blank inside") << tree + "/a b" << true << treeUri + "/a%20b/";
    // The file manager has another working directory.
    QTest::newRow("relative") << QStringLiteral("tree/a b") << true << treeUri + "/a%20b/";
    // Shift_JIS "日本": the name's own bytes, not a U+FFFD spelling of them.
    const std::string sjis = QFile::encodeName(tree).toStdString() + "/\x93\xFA\x96\x7B";
    ::mkdir(sjis.c_str(), 0755);
    QTest::newRow("Shift_JIS name") << QString::fromStdU16String(PathBytesToText(sjis)) << true
                                    << treeUri + "/%93%FA%96%7B/";
    QTest::newRow("missing") << tree + "/nothing" << false << QString();
    QTest::newRow("a file") << FLog + ".none" << false << QString();
}

void TervanoFormTest::FolderOpen()
{
    QFETCH(QString, field);
    QFETCH(bool, opened);
    QFETCH(QString, uri);
    UseFakeOpener(true);
    TFormMain form;
    form.EditFolder->setText(field);
    form.StatusBar1->showMessage(QStringLiteral("before"));
    TModalCatcher catcher;
    const QString cwd = QDir::currentPath();
    QDir::setCurrent(FTemp.path());
    const bool result = form.FolderOpen();
    QDir::setCurrent(cwd);
    QCOMPARE(result, opened);
    QCOMPARE(form.EditFolder->text(), field);
    if (opened) {
        QCOMPARE(catcher.Seen().Count, 0);
        QCOMPARE(form.StatusBar1->currentMessage(), QStringLiteral("before"));
        QCOMPARE(OpenedUris(), QStringList { uri });
    } else {
        QCOMPARE(catcher.Seen().Count, 1);
        QCOMPARE(catcher.Seen().Caption, QStringLiteral("警告"));
        QCOMPARE(catcher.Seen().Icon, QMessageBox::Warning);
        QCOMPARE(catcher.Seen().Text, QStringLiteral("フォルダーが見つかりませんでした。"));
        QCOMPARE(form.StatusBar1->currentMessage(), QStringLiteral("フォルダーが見つかりませんでした。"));
        QTest::qWait(50);
        QVERIFY(!QFile::exists(FLog));
    }
}

void TervanoFormTest::RefusedRequestShowsSystemText()
{
    UseFakeOpener(false);
    TFormMain form;
    form.EditFolder->setText(FTemp.filePath(QStringLiteral("tree")));
    TModalCatcher catcher;
    QVERIFY(!form.FolderOpen());
    const QString expected = QString::fromLocal8Bit(strerror(ENOENT));
    QCOMPARE(catcher.Seen().Text, expected);
    QCOMPARE(form.StatusBar1->currentMessage(), expected);
}

void TervanoFormTest::BrowseSetsFieldOrKeepsIt_data()
{
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QString>("expected");
    const QString tree = FTemp.filePath(QStringLiteral("tree"));
    QTest::newRow("folder comes without delimiter") << tree + "/a b" << tree + "/a b";
    QTest::newRow("root keeps its delimiter") << QStringLiteral("/") << QStringLiteral("/");
    QTest::newRow("cancel keeps typed text") << QString() << QStringLiteral("typed text");
}

void TervanoFormTest::BrowseSetsFieldOrKeepsIt()
{
    QFETCH(QString, chosen);
    QFETCH(QString, expected);
    TFormMain form;
    form.EditFolder->setText(QStringLiteral("typed text"));
    QString caption;
    TModalCatcher catcher([&](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        if (!dialog) {
            return;
        }
        caption = dialog->windowTitle();
        if (chosen.isEmpty()) {
            dialog->reject();
        } else {
            // With nothing typed, the dialog takes the folder it shows.
            dialog->setDirectory(chosen);
            dialog->selectFile(QString());
            QMetaObject::invokeMethod(dialog, "accept", Qt::QueuedConnection);
        }
    });
    form.ActionFolderRefer->trigger();
    QCOMPARE(caption, QStringLiteral("開くフォルダーを選択してください。"));
    QCOMPARE(form.EditFolder->text(), expected);
}

void TervanoFormTest::ExitActionClosesTheMainWindow()
{
    Application()->SetMainForm(std::make_unique<TFormMain>());
    auto* form = static_cast<TFormMain*>(Application()->MainForm());
    form->show();
    QVERIFY(QTest::qWaitForWindowExposed(form));
    form->ActionFileExit->trigger();
    QVERIFY(!form->isVisible());
}

void TervanoFormTest::EscapingExceptionIsShownWithTheTitle_data()
{
    QTest::addColumn<bool>("ours");
    QTest::addColumn<QString>("shown");
    QTest::newRow("Exception gets its full stop") << true << QStringLiteral("壊れました.");
    QTest::newRow("anything else shows an empty box") << false << QString();
}

void TervanoFormTest::EscapingExceptionIsShownWithTheTitle()
{
    QFETCH(bool, ours);
    QFETCH(QString, shown);
    TModalCatcher catcher;
    QEventLoop loop;
    QTimer::singleShot(0, &loop, [ours] {
        if (ours) {
            throw Exception(u"壊れました");
        }
        throw 42;
    });
    QTimer::singleShot(300, &loop, &QEventLoop::quit);
    loop.exec();
    QCOMPARE(catcher.Seen().Count, 1);
    QCOMPARE(catcher.Seen().Caption, QStringLiteral("Tervano"));
    QCOMPARE(catcher.Seen().Icon, QMessageBox::Critical);
    QCOMPARE(catcher.Seen().Text, shown);
}

void TervanoFormTest::ExitClosesTheHelpViewerFirst()
{
    // A CHM viewer that says which file it shows and then stays up.
    const QString viewerLog = WriteFakeChmViewer(QStringLiteral("viewer.log"), "echo \"$$ $1\" > \"$FT_VIEWER_LOG\"");
    QVERIFY(!viewerLog.isEmpty());
    TFormMain form;
    form.ActionHelpHelp->trigger();
    QFile log(viewerLog);
    QTRY_VERIFY(log.exists() && log.size() > 0);
    log.open(QIODevice::ReadOnly);
    const QStringList seen = QString::fromUtf8(log.readAll()).trimmed().split(u' ');
    QCOMPARE(seen.value(1), Application()->HelpFile());
    const QString proc = QStringLiteral("/proc/") + seen.value(0);
    QVERIFY(QFileInfo::exists(proc));
    form.ActionFileExit->trigger();
    QVERIFY(!QFileInfo::exists(proc));
    QFile::remove(FBin + QStringLiteral("/xchm"));
}

void TervanoFormTest::StatusLineFollowsTheControlUnderThePointer()
{
    TFormMain form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    const auto pointAt = [&](QWidget* w, QPoint local) {
        QCursor::setPos(w->mapToGlobal(local));
        QEventLoop loop;
        QTimer::singleShot(50, &loop, &QEventLoop::quit);
        loop.exec();
        return form.StatusBar1->currentMessage();
    };
    QCOMPARE(pointAt(form.BtnFolderOpen, QPoint(10, 10)), QStringLiteral("指定されたフォルダーを開きます。"));
    QCOMPARE(pointAt(form.EditFolder, QPoint(10, 10)), QStringLiteral("開くフォルダーを選択してください。"));
    // A result stays until the control under the pointer changes.
    form.StatusBar1->showMessage(QStringLiteral("result"));
    QCOMPARE(pointAt(form.EditFolder, QPoint(20, 10)), QStringLiteral("result"));
    QCOMPARE(pointAt(&form, QPoint(100, 125)), QString());
    // Between two controls without a hint the line is cleared as well.
    form.StatusBar1->showMessage(QStringLiteral("result"));
    QCOMPARE(pointAt(form.EditFolder->EditLabel(), QPoint(5, 5)), QString());
}

void TervanoFormTest::BatchFileWriter_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("caption");
    const QString scripts = FTemp.filePath(QStringLiteral("scripts"));
    QDir().mkpath(scripts);
    QTest::newRow("written") << scripts + "/open" << QStringLiteral("/home/user/My Data/Old/") << "バッチファイルを作成しました。"
                             << "情報";
    // A folder that exists but where no file can be made, even by root.
    QTest::newRow("cannot be created") << QStringLiteral("/proc/self/launch.sh") << QStringLiteral("/x")
                                       << "ファイル \"/proc/self/launch.sh\" を作成できません。"
                                       << "警告";
}

void TervanoFormTest::BatchFileWriter()
{
    QFETCH(QString, file);
    QFETCH(QString, field);
    QFETCH(QString, box);
    QFETCH(QString, caption);
    TFormMain form;
    form.EditFolder->setText(field);
    TModalCatcher catcher([&](QWidget* modal) {
        if (auto* dialog = qobject_cast<QFileDialog*>(modal)) {
            // Typed as a person would: selectFile() leaves a focused name field alone.
            dialog->setDirectory(QFileInfo(file).path());
            dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(QFileInfo(file).fileName());
            // done() skips the dialog's own checks of the folder.
            QMetaObject::invokeMethod(dialog, "done", Qt::QueuedConnection, Q_ARG(int, QDialog::Accepted));
        }
    });
    form.ActionSaveBatchFile->trigger();
    QCOMPARE(catcher.Seen().Caption, caption);
    // The system's text for the error follows the fixed part.
    QVERIFY2(catcher.Seen().Text.startsWith(box), qPrintable(catcher.Seen().Text));
    QVERIFY(catcher.Seen().Text.size() > box.size() || caption == QStringLiteral("情報"));
    QCOMPARE(form.StatusBar1->currentMessage(), catcher.Seen().Text);
    if (caption == QStringLiteral("情報")) {
        // The default suffix was added to the typed name.
        QFile script(file + QStringLiteral(".sh"));
        QVERIFY(script.open(QIODevice::ReadOnly));
        QCOMPARE(script.readAll(), "#!/bin/sh\n'" + QCoreApplication::applicationFilePath().toUtf8()
                + "' '-a' '/home/user/My Data/Old'\n");
        QVERIFY(script.permissions() & QFile::ExeOwner);
    }
}

void TervanoFormTest::EmptyFieldWritesNothing()
{
    TFormMain form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    form.BtnSaveBatchFile->setFocus();
    form.StatusBar1->showMessage(QStringLiteral("before"));
    bool dialogShown = false;
    TModalCatcher catcher([&](QWidget* modal) {
        dialogShown = true;
        modal->close();
    });
    form.ActionSaveBatchFile->trigger();
    QVERIFY(!dialogShown);
    QCOMPARE(catcher.Seen().Text, QStringLiteral("フォルダーが選択されていません。"));
    QCOMPARE(form.StatusBar1->currentMessage(), QStringLiteral("before"));
    QCOMPARE(form.focusWidget(), form.EditFolder);
}

void TervanoFormTest::CommandLine_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("field");
    QTest::addColumn<bool>("quits");
    const QString tree = FTemp.filePath(QStringLiteral("tree"));
    QTest::newRow("-a then folder opens and quits") << QStringList { "-a", tree } << tree << true;
    QTest::newRow("folder then -a alike") << QStringList { tree, "-a" } << tree << true;
    QTest::newRow("missing folder stays open") << QStringList { "-a", tree + "/gone" } << tree + "/gone" << false;
    QTest::newRow("last folder wins, nothing runs") << QStringList { "/A", tree } << tree << false;
    QTest::newRow("-t=1 is a folder here") << QStringList { "-t=1" } << "-t=1" << false;
    QTest::newRow("-A is no switch") << QStringList { tree, "-A" } << "-A" << false;
}

void TervanoFormTest::CommandLine()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, field);
    QFETCH(bool, quits);
    UseFakeOpener(true);
    SetCommandLine(arguments);
    TFormMain form;
    TModalCatcher catcher;
    form.show();
    QEventLoop loop;
    QTimer::singleShot(500, &loop, [&loop] { loop.exit(99); });
    const int result = loop.exec();
    SetCommandLine({});
    if (result == 0) {
        ResetQuit();
    }
    QCOMPARE(form.EditFolder->text(), field);
    QCOMPARE(result, quits ? 0 : 99);
    QCOMPARE(catcher.Seen().Count, quits || !arguments.contains("-a") ? 0 : 1);
}

void TervanoFormTest::QtSpeaksJapanese_data()
{
    QTest::addColumn<QString>("context");
    QTest::addColumn<QString>("english");
    QTest::newRow("save dialog title") << "QFileDialog" << "Save As";
    QTest::newRow("save dialog folder") << "QFileDialog" << "Look in:";
    QTest::newRow("dialog button") << "QPlatformTheme" << "Cancel";
    QTest::newRow("field's context menu") << "QLineEdit" << "&Paste";
    QTest::newRow("folder type in the file list") << "QAbstractFileIconProvider" << "Folder";
}

void TervanoFormTest::QtSpeaksJapanese()
{
    QFETCH(QString, context);
    QFETCH(QString, english);
    const QString shown = QCoreApplication::translate(context.toLatin1().constData(), english.toLatin1().constData());
    QVERIFY2(shown != english, qPrintable(shown));
    QVERIFY(std::any_of(shown.begin(), shown.end(), [](QChar c) { return c.unicode() >= 0x3000; }));
}

void TervanoFormTest::AltOBrowsesAndAltChordsAreNoText()
{
    CheckAltOBrowsesAndAltChordsAreNoText<TFormMain>();
}

void TervanoFormTest::CaptionsAndPicturesFitTheirButtons_data()
{
    QTest::addColumn<QString>("button");
    QTest::newRow("BtnFolderRefer") << "BtnFolderRefer";
    QTest::newRow("BtnFolderOpen") << "BtnFolderOpen";
    QTest::newRow("BtnSaveBatchFile") << "BtnSaveBatchFile";
}

void TervanoFormTest::CaptionsAndPicturesFitTheirButtons()
{
    QFETCH(QString, button);
    TFormMain form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    const QMap<QString, QWidget*> buttons { { "BtnFolderRefer", form.BtnFolderRefer },
        { "BtnFolderOpen", form.BtnFolderOpen }, { "BtnSaveBatchFile", form.BtnSaveBatchFile } };
    QWidget* w = buttons.value(button);
    // The Windows name is drawn with an installed Japanese UI font.
    QVERIFY2(QFontInfo(w->font()).family() != QStringLiteral("Tahoma"), qPrintable(QFontInfo(w->font()).family()));
    // The size hint holds picture, caption and the style's margins.
    QVERIFY2(w->sizeHint().width() <= w->width(),
        qPrintable(QStringLiteral("%1 needs %2 of %3").arg(button).arg(w->sizeHint().width()).arg(w->width())));
}

void TervanoFormTest::WindowsNamesDrawWithQtsOwnChoice_data()
{
    QTest::addColumn<QString>("part");
    QTest::addColumn<QString>("windowsName");
    QTest::addColumn<int>("pixelSize");
    QTest::newRow("window") << "FormMain" << "Tahoma" << 11;
    QTest::newRow("menu bar") << "ActionMainMenuBar1" << "MS UI Gothic" << 12;
    QTest::newRow("name without substitutes") << QString() << "No Such Font Family" << 11;
}

void TervanoFormTest::WindowsNamesDrawWithQtsOwnChoice()
{
    QFETCH(QString, part);
    QFETCH(QString, windowsName);
    QFETCH(int, pixelSize);
    TFormMain form;
    const QMap<QString, QWidget*> parts { { "FormMain", &form }, { "ActionMainMenuBar1", form.ActionMainMenuBar1 } };
    const QFont font = part.isEmpty() ? WindowsFont(windowsName, pixelSize) : parts.value(part)->font();
    // The font Qt itself settles on for the name, through its substitutes
    // or its fallback search.
    QFont named(windowsName);
    named.setPixelSize(pixelSize);
    const QFontInfo chosen(font);
    const QFontInfo expected(named);
    QCOMPARE(chosen.family(), expected.family());
    QCOMPARE(chosen.styleName(), expected.styleName());
    QCOMPARE(chosen.pixelSize(), expected.pixelSize());
    QCOMPARE(chosen.pixelSize(), pixelSize);
}

void TervanoFormTest::PicturesAreThoseOfTheirFiles_data()
{
    QTest::addColumn<QString>("part");
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("side");
    QTest::newRow("window icon") << "FormMain" << ":/tervano/icon.png" << 48;
    QTest::newRow("BtnFolderRefer") << "BtnFolderRefer" << ":/tervano/imagelist/0.png" << 16;
    QTest::newRow("BtnSaveBatchFile") << "BtnSaveBatchFile" << ":/tervano/imagelist/1.png" << 16;
    QTest::newRow("BtnFolderOpen") << "BtnFolderOpen" << ":/tervano/imagelist/2.png" << 16;
    QTest::newRow("exit menu item") << "ActionFileExit" << ":/tervano/imagelist/3.png" << 16;
    // The style's own picture, made only when the bar is too narrow.
    QTest::newRow("menu bar overflow arrow") << "qt_menubar_ext_button" << QString() << 16;
}

void TervanoFormTest::PicturesAreThoseOfTheirFiles()
{
    QFETCH(QString, part);
    QFETCH(QString, file);
    QFETCH(int, side);
    TFormMain form;
    auto* overflow = form.ActionMainMenuBar1->findChild<QToolButton*>(QStringLiteral("qt_menubar_ext_button"));
    QVERIFY(overflow);
    const QMap<QString, QIcon> icons { { "FormMain", form.windowIcon() },
        { "BtnFolderRefer", form.BtnFolderRefer->icon() }, { "BtnSaveBatchFile", form.BtnSaveBatchFile->icon() },
        { "BtnFolderOpen", form.BtnFolderOpen->icon() }, { "ActionFileExit", form.ActionFileExit->icon() },
        { "qt_menubar_ext_button", overflow->icon() } };
    const QIcon shown = icons.value(part);
    // The application's style wraps the one Qt would use by itself.
    const auto* own = qobject_cast<QProxyStyle*>(QApplication::style());
    QVERIFY(own);
    const std::unique_ptr<QStyle> plain(QStyleFactory::create(own->baseStyle()->name()));
    QVERIFY(plain);
    const QIcon expected = file.isEmpty() ? plain->standardIcon(QStyle::SP_ToolBarHorizontalExtensionButton) : QIcon(file);
    QVERIFY(!expected.isNull());
    QVERIFY(!shown.isNull());
    QCOMPARE(shown.availableSizes(), expected.availableSizes());
    QCOMPARE(shown.actualSize(QSize(side, side)), expected.actualSize(QSize(side, side)));
    for (const QIcon::Mode mode : { QIcon::Normal, QIcon::Disabled, QIcon::Active, QIcon::Selected }) {
        QCOMPARE(shown.pixmap(side, mode).toImage(), expected.pixmap(side, mode).toImage());
    }
}

void TervanoFormTest::BrowserStartsAtHomeWithNothingChosen()
{
    TFormMain form;
    form.EditFolder->setText(FTemp.filePath(QStringLiteral("tree")));
    QString shown;
    QStringList chosen;
    TModalCatcher catcher([&](QWidget* modal) {
        if (auto* dialog = qobject_cast<QFileDialog*>(modal)) {
            shown = dialog->directory().absolutePath();
            chosen = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->text().isEmpty()
                ? QStringList()
                : QStringList { dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->text() };
            dialog->reject();
        }
    });
    form.ActionFolderRefer->trigger();
    QCOMPARE(shown, QDir::homePath());
    QCOMPARE(chosen, QStringList());
}

void TervanoFormTest::SaveDialogFilters()
{
    TFormMain form;
    form.EditFolder->setText(QStringLiteral("/x"));
    QStringList filters;
    QString typed;
    TModalCatcher catcher([&](QWidget* modal) {
        if (auto* dialog = qobject_cast<QFileDialog*>(modal)) {
            filters = dialog->nameFilters();
            auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            name->setText(QStringLiteral("launch"));
            // Choosing every file keeps a typed name as it is.
            dialog->selectNameFilter(filters.value(1));
            typed = name->text();
            dialog->reject();
        }
    });
    form.ActionSaveBatchFile->trigger();
    QCOMPARE(filters, QStringList({ "バッチファイル(*.sh)", "すべてのファイル(*)" }));
    QCOMPARE(typed, QStringLiteral("launch"));
}

void TervanoFormTest::HelpStartsOneViewerPerRun()
{
    const QString viewerLog = WriteFakeChmViewer(QStringLiteral("viewers.log"), "echo \"$$\" >> \"$FT_VIEWER_LOG\"");
    QVERIFY(!viewerLog.isEmpty());
    TFormMain form;
    form.ActionHelpHelp->trigger();
    QFile log(viewerLog);
    QTRY_VERIFY(log.exists() && log.size() > 0);
    form.ActionHelpHelp->trigger();
    QTest::qWait(300);
    log.open(QIODevice::ReadOnly);
    const QStringList started = QString::fromUtf8(log.readAll()).split(u'\n', Qt::SkipEmptyParts);
    QCOMPARE(started.size(), 1);
    form.ActionFileExit->trigger();
    QVERIFY(!QFileInfo::exists(QStringLiteral("/proc/") + started.value(0)));
    QFile::remove(FBin + QStringLiteral("/xchm"));
    QFile::remove(viewerLog);
}

void TervanoFormTest::DropPutsAFolderIntoTheField_data()
{
    QTest::addColumn<QByteArray>("uriList");
    QTest::addColumn<bool>("onField");
    QTest::addColumn<Qt::DropActions>("offered");
    QTest::addColumn<QString>("field");
    const QString tree = FTemp.filePath(QStringLiteral("tree"));
    QDir().mkpath(tree + "/plain");
    QFile(tree + "/plain/file.txt").open(QIODevice::WriteOnly);
    // A name that is no UTF-8: bytes FF and FE.
    const QByteArray raw = QFile::encodeName(tree) + "/\xff\xfe";
    ::mkdir(raw.constData(), 0755);
    const QByteArray treeUri = QUrl::fromLocalFile(tree).toEncoded();
    const Qt::DropActions fromFileManager = Qt::CopyAction | Qt::MoveAction | Qt::LinkAction;
    const QString before = QStringLiteral("typed");
    QTest::newRow("folder onto the field") << treeUri + "/a%20b\r\n" << true << fromFileManager << tree + "/a b";
    QTest::newRow("folder onto the window") << treeUri + "/a%20b\r\n" << false << fromFileManager << tree + "/a b";
    QTest::newRow("trailing delimiter dropped") << treeUri + "/plain/\r\n" << true << fromFileManager << tree + "/plain";
    QTest::newRow("localhost") << "file://localhost" + treeUri.mid(7) + "/plain\r\n" << true << fromFileManager
                               << tree + "/plain";
    QTest::newRow("root keeps its delimiter") << QByteArray("file:///\r\n") << true << fromFileManager << "/";
    QTest::newRow("a file is no folder") << treeUri + "/plain/file.txt\r\n" << true << fromFileManager << before;
    QTest::newRow("first folder wins") << treeUri + "/plain/file.txt\r\n# comment\r\n" + treeUri + "/a%20b\r\n" + treeUri
            + "/plain\r\n"
                                       << true << fromFileManager << tree + "/a b";
    QTest::newRow("remote URL") << QByteArray("https://example.org/folder/\r\n") << true << fromFileManager << before;
    QTest::newRow("another host") << "file://elsewhere.example" + treeUri.mid(7) + "\r\n" << true << fromFileManager
                                  << before;
    QTest::newRow("missing folder") << treeUri + "/gone\r\n" << true << fromFileManager << before;
    QTest::newRow("move only is refused") << treeUri + "/a%20b\r\n" << true << Qt::DropActions(Qt::MoveAction) << before;
    QTest::newRow("name that is no UTF-8") << treeUri + "/%FF%FE\r\n" << true << fromFileManager
                                           << tree + "/" + QChar(0xDCFF) + QChar(0xDCFE);
}

void TervanoFormTest::DropPutsAFolderIntoTheField()
{
    QFETCH(QByteArray, uriList);
    QFETCH(bool, onField);
    QFETCH(Qt::DropActions, offered);
    QFETCH(QString, field);
    TFormMain form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    form.EditFolder->setText(QStringLiteral("typed"));
    form.StatusBar1->showMessage(QStringLiteral("before"));
    QWidget* target = onField ? static_cast<QWidget*>(form.EditFolder) : &form;
    const QPoint at = onField ? QPoint(5, 5) : QPoint(100, 125);
    QMimeData data;
    data.setData(QStringLiteral("text/uri-list"), uriList);
    QDragEnterEvent enter(at, offered, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    const bool accepted = enter.isAccepted();
    QDropEvent drop(QPointF(at), offered, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &drop);
    QCOMPARE(form.EditFolder->text(), field);
    QCOMPARE(accepted, field != QStringLiteral("typed"));
    if (accepted) {
        QVERIFY(drop.dropAction() != Qt::MoveAction);
    }
    QCOMPARE(form.StatusBar1->currentMessage(), QStringLiteral("before"));
}

int main(int argc, char** argv)
{
    QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
    TApplication application(argc, argv);
    application.SetTitle(QStringLiteral("Tervano"));
    application.setQuitOnLastWindowClosed(false);
    TervanoFormTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "TervanoFormTest.moc"
