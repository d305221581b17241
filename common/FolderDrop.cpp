#include "common/FolderDrop.h"

#include <cctype>

#include <QDir>
#include <QMimeData>
#include <QSysInfo>

#include "common/FolderTest.h"
#include "core/Utf.h"

namespace {

// The local path of one "file:" line of a URI list, decoded to its bytes;
// nothing for another scheme or another host.
std::optional<QByteArray> LocalPathBytes(QByteArray line)
{
    const QByteArray scheme = "file:";
    if (!line.toLower().startsWith(scheme)) {
        return std::nullopt;
    }
    line.remove(0, scheme.size());
    if (line.startsWith("//")) {
        const qsizetype slash = line.indexOf('/', 2);
        const QByteArray host = line.mid(2, slash < 0 ? -1 : slash - 2).toLower();
        if (!host.isEmpty() && host != "localhost" && host != QSysInfo::machineHostName().toUtf8().toLower()) {
            return std::nullopt;
        }
        line = slash < 0 ? QByteArray() : line.mid(slash);
    }
    // A '?' or '#' in a name arrives encoded; a bare one ends the path.
    const qsizetype end = line.indexOf('?') >= 0 ? line.indexOf('?') : line.indexOf('#');
    if (end >= 0) {
        line.truncate(end);
    }
    if (!line.startsWith('/')) {
        return std::nullopt;
    }
    QByteArray bytes = QByteArray::fromPercentEncoding(line);
    // "file:///C:/Data" names C:/Data.
    if (bytes.size() >= 3 && bytes.at(2) == ':' && std::isalpha(static_cast<unsigned char>(bytes.at(1)))) {
        bytes.remove(0, 1);
    }
    return bytes;
}

// Bytes that are no UTF-8 stay what they are, so the field names the very folder.
QString PathText(const QByteArray& bytes)
{
    return QString::fromStdU16String(PathBytesToText(std::string_view(bytes.constData(), bytes.size())));
}

} // namespace

std::optional<QString> DroppedFolder(const QMimeData* data)
{
    if (!data) {
        return std::nullopt;
    }
    // The raw list, not QUrl: it keeps bytes that are no UTF-8.
    const QList<QByteArray> lines = data->data(QStringLiteral("text/uri-list")).split('\n');
    for (QByteArray line : lines) {
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith('#')) {
            continue;
        }
        const std::optional<QByteArray> bytes = LocalPathBytes(line);
        if (!bytes) {
            continue;
        }
        QString path = QDir::toNativeSeparators(PathText(*bytes));
        if (!FolderExistsForRemover(path.toStdU16String())) {
            continue;
        }
        const QChar delimiter = QDir::separator();
        while (path.size() > 1 && path.endsWith(delimiter) && !path.endsWith(QStringLiteral(":") + delimiter)) {
            path.chop(1);
        }
        return path;
    }
    return std::nullopt;
}
