// Which help viewer the POSIX help request starts: the HTML pages in the
// desktop's browser first, else one CHM viewer per run, closed at exit.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include "platform/HelpViewer.h"

class HelpViewerTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void ViewerChoice_data();
    void ViewerChoice();

private:
    QStringList Lines(const QString& name) const;
    void Write(const QString& path, const QByteArray& text, bool executable);

    QTemporaryDir FTemp;
};

void HelpViewerTest::initTestCase()
{
    QVERIFY(FTemp.isValid());
    qputenv("FT_LOG_DIR", FTemp.path().toLocal8Bit());
    qputenv("PATH", FTemp.filePath(QStringLiteral("bin")).toLocal8Bit());
}

void HelpViewerTest::init()
{
    QDir(FTemp.filePath(QStringLiteral("bin"))).removeRecursively();
    QDir(FTemp.filePath(QStringLiteral("help"))).removeRecursively();
    QDir().mkpath(FTemp.filePath(QStringLiteral("bin")));
    QDir().mkpath(FTemp.filePath(QStringLiteral("help")));
    QFile::remove(FTemp.filePath(QStringLiteral("browser.log")));
    QFile::remove(FTemp.filePath(QStringLiteral("viewer.log")));
}

void HelpViewerTest::cleanup()
{
    platform::HelpCloseAll();
}

void HelpViewerTest::Write(const QString& path, const QByteArray& text, bool executable)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(text);
    file.close();
    if (executable) {
        file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
}

QStringList HelpViewerTest::Lines(const QString& name) const
{
    QFile log(FTemp.filePath(name));
    return log.open(QIODevice::ReadOnly) ? QString::fromUtf8(log.readAll()).split(u'\n', Qt::SkipEmptyParts)
                                         : QStringList();
}

void HelpViewerTest::ViewerChoice_data()
{
    QTest::addColumn<bool>("pages");
    QTest::addColumn<bool>("chmViewer");
    QTest::addColumn<int>("browserRuns");
    QTest::addColumn<int>("viewerRuns");
    QTest::newRow("pages first, even with a CHM viewer") << true << true << 2 << 0;
    QTest::newRow("one CHM viewer without pages") << false << true << 0 << 1;
    QTest::newRow("nothing without either") << false << false << 0 << 0;
}

void HelpViewerTest::ViewerChoice()
{
    QFETCH(bool, pages);
    QFETCH(bool, chmViewer);
    QFETCH(int, browserRuns);
    QFETCH(int, viewerRuns);
    const QString bin = FTemp.filePath(QStringLiteral("bin"));
    Write(bin + QStringLiteral("/xdg-open"), "#!/bin/sh\necho \"$1\" >> \"$FT_LOG_DIR/browser.log\"\n", true);
    if (chmViewer) {
        Write(bin + QStringLiteral("/xchm"), "#!/bin/sh\necho \"$$\" >> \"$FT_LOG_DIR/viewer.log\"\nexec /bin/sleep 60\n",
            true);
    }
    const QString chm = FTemp.filePath(QStringLiteral("help/tervano.chm"));
    Write(chm, "ITSF", false);
    if (pages) {
        QDir().mkpath(FTemp.filePath(QStringLiteral("help/tervano-html")));
        Write(FTemp.filePath(QStringLiteral("help/tervano-html/index.html")), "<html></html>", false);
    }
    // Two presses of Help.
    platform::HelpDisplayContents(chm.toStdU16String());
    platform::HelpDisplayContents(chm.toStdU16String());
    QTRY_COMPARE(Lines(QStringLiteral("browser.log")).size(), browserRuns);
    QTRY_COMPARE(Lines(QStringLiteral("viewer.log")).size(), viewerRuns);
    QTest::qWait(200);
    QCOMPARE(Lines(QStringLiteral("browser.log")).size(), browserRuns);
    QCOMPARE(Lines(QStringLiteral("viewer.log")).size(), viewerRuns);
    if (browserRuns) {
        QCOMPARE(Lines(QStringLiteral("browser.log")).value(0),
            QUrl::fromLocalFile(FTemp.filePath(QStringLiteral("help/tervano-html/index.html"))).toString());
    }
    if (viewerRuns) {
        const QString proc = QStringLiteral("/proc/") + Lines(QStringLiteral("viewer.log")).value(0);
        QVERIFY(QFileInfo::exists(proc));
        platform::HelpCloseAll();
        QVERIFY(!QFileInfo::exists(proc));
    }
}

QTEST_GUILESS_MAIN(HelpViewerTest)

#include "HelpViewerTest.moc"
