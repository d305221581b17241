#include "platform/ShellOpen.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <optional>
#include <string>
#include <unistd.h>

#include <QDBusConnection>
#include <QDBusMessage>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QStringList>
#include <QVariantList>

#include "core/TrashInfo.h"
#include "core/Utf.h"

namespace platform {

namespace {

const QString FileManagerService = QStringLiteral("org.freedesktop.FileManager1");
constexpr int FileManagerTimeoutMs = 1500;

// Every call is bounded: a bus that does not answer is no bus.
QDBusMessage AskBus(QDBusConnection& bus, const QString& method, const QVariantList& arguments = {})
{
    QDBusMessage call = QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.DBus"),
        QStringLiteral("/org/freedesktop/DBus"), QStringLiteral("org.freedesktop.DBus"), method);
    call.setArguments(arguments);
    return bus.call(call, QDBus::Block, FileManagerTimeoutMs);
}

bool FileManagerProvided(QDBusConnection& bus)
{
    const QDBusMessage owned = AskBus(bus, QStringLiteral("NameHasOwner"), { FileManagerService });
    if (owned.type() != QDBusMessage::ReplyMessage) {
        return false;
    }
    if (!owned.arguments().isEmpty() && owned.arguments().constFirst().toBool()) {
        return true;
    }
    const QDBusMessage names = AskBus(bus, QStringLiteral("ListActivatableNames"));
    return names.type() == QDBusMessage::ReplyMessage && !names.arguments().isEmpty()
        && names.arguments().constFirst().toStringList().contains(FileManagerService);
}

bool AskFileManager(const QString& uri)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || !FileManagerProvided(bus)) {
        return false;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(FileManagerService,
        QStringLiteral("/org/freedesktop/FileManager1"), FileManagerService,
        QStringLiteral("ShowFolders"));
    call << QStringList { uri } << QString();
    return bus.call(call, QDBus::Block, FileManagerTimeoutMs).type() == QDBusMessage::ReplyMessage;
}

// Starts xdg-open detached; 0 when it was started, else an errno value.
std::uint32_t StartXdgOpen(const QString& uri)
{
    const QString program = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (program.isEmpty()) {
        return ENOENT;
    }
    return QProcess::startDetached(program, { uri }) ? 0 : EACCES;
}

// The file URI of the path's exact bytes; a relative path is taken from the
// working directory, since the file manager has another one.
std::optional<QString> FileUri(const std::u16string& path)
{
    std::optional<std::string> bytes = PathTextToBytes(path);
    if (!bytes) {
        return std::nullopt;
    }
    if (bytes->empty() || bytes->front() != '/') {
        std::string cwd(PATH_MAX, '\0');
        if (!::getcwd(cwd.data(), cwd.size())) {
            return std::nullopt;
        }
        cwd.resize(std::strlen(cwd.c_str()));
        *bytes = (cwd == "/" ? std::string() : cwd) + '/' + *bytes;
    }
    return QStringLiteral("file://") + QString::fromLatin1(PercentEncodePath(*bytes));
}

bool OpenUri(const std::u16string& path, std::uint32_t& lastError)
{
    errno = 0;
    const std::optional<QString> fileUri = FileUri(path);
    if (!fileUri) {
        lastError = errno != 0 ? errno : ENOENT;
        return false;
    }
    const QString& uri = *fileUri;
    if (AskFileManager(uri)) {
        return true;
    }
    lastError = StartXdgOpen(uri);
    return lastError == 0;
}

} // namespace

bool ShellOpenFolder(const char16_t* path, std::uint32_t& lastError)
{
    lastError = 0;
    return OpenUri(path, lastError);
}

void ShellOpenDefault(TWindowHandle, const std::u16string& path)
{
    std::uint32_t ignored = 0;
    OpenUri(path, ignored);
}

} // namespace platform
