#include "platform/HelpViewer.h"

#include <memory>

#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QUrl>

namespace platform {

namespace {

constexpr int CloseGraceMs = 1000;

// The one CHM viewer of this run; closed again at exit.
std::unique_ptr<QProcess>& ChmViewer()
{
    static std::unique_ptr<QProcess> viewer;
    return viewer;
}

QString FindChmViewer()
{
    for (const char* name : { "xchm", "kchmviewer" }) {
        QString found = QStandardPaths::findExecutable(QString::fromLatin1(name));
        if (!found.isEmpty()) {
            return found;
        }
    }
    return {};
}

// The same help as HTML pages: "tervano.chm" comes with "tervano-html/index.html".
QString HtmlIndexFor(const QString& chm)
{
    QString base = chm;
    if (base.endsWith(QStringLiteral(".chm"), Qt::CaseInsensitive)) {
        base.chop(4);
    }
    return base + QStringLiteral("-html/index.html");
}

} // namespace

void HelpDisplayContents(const std::u16string& helpFile)
{
    const QString chm = QString::fromStdU16String(helpFile);
    // The HTML pages read better than any CHM viewer shows them: they go to
    // the desktop's browser, which keeps one window of its own.
    const QString index = HtmlIndexFor(chm);
    const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (QFileInfo::exists(index) && !opener.isEmpty()) {
        QProcess::startDetached(opener, { QUrl::fromLocalFile(index).toString(QUrl::FullyEncoded) });
        return;
    }
    std::unique_ptr<QProcess>& viewer = ChmViewer();
    if (viewer && viewer->state() != QProcess::NotRunning) {
        return;
    }
    if (const QString program = FindChmViewer(); !program.isEmpty()) {
        auto process = std::make_unique<QProcess>();
        process->start(program, { chm });
        if (process->waitForStarted()) {
            viewer = std::move(process);
        }
    }
}

void HelpCloseAll()
{
    std::unique_ptr<QProcess>& viewer = ChmViewer();
    if (viewer && viewer->state() != QProcess::NotRunning) {
        viewer->terminate();
        if (!viewer->waitForFinished(CloseGraceMs)) {
            viewer->kill();
            viewer->waitForFinished(CloseGraceMs);
        }
    }
    viewer.reset();
}

} // namespace platform
