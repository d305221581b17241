#include "platform/HelpViewer.h"

#include <memory>
#include <vector>

#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QUrl>

namespace platform {

namespace {

constexpr int CloseGraceMs = 1000;

// Viewers this process started; closed again at exit.
std::vector<std::unique_ptr<QProcess>>& StartedViewers()
{
    static std::vector<std::unique_ptr<QProcess>> viewers;
    return viewers;
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
    if (const QString viewer = FindChmViewer(); !viewer.isEmpty()) {
        auto process = std::make_unique<QProcess>();
        process->start(viewer, { chm });
        if (process->waitForStarted()) {
            StartedViewers().push_back(std::move(process));
        }
        return;
    }
    const QString index = HtmlIndexFor(chm);
    const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (QFileInfo::exists(index) && !opener.isEmpty()) {
        QProcess::startDetached(opener, { QUrl::fromLocalFile(index).toString(QUrl::FullyEncoded) });
    }
}

void HelpCloseAll()
{
    for (auto& viewer : StartedViewers()) {
        if (viewer->state() != QProcess::NotRunning) {
            viewer->terminate();
            if (!viewer->waitForFinished(CloseGraceMs)) {
                viewer->kill();
                viewer->waitForFinished(CloseGraceMs);
            }
        }
    }
    StartedViewers().clear();
}

} // namespace platform
