#include "platform/ShellOpen.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <signal.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <system_error>
#include <thread>
#include <unistd.h>
#include <utility>
#include <vector>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusPendingCallWatcher>
#include <QEventLoop>
#include <QStandardPaths>
#include <QString>
#include <QStringList>
#include <QTimer>

#include "core/TrashInfo.h"
#include "core/Utf.h"
#include "platform/SessionBus.h"

extern char** environ;

namespace platform {

namespace {

const QString FileManagerService = QStringLiteral("org.freedesktop.FileManager1");
// How long the window waits for the file manager's answer. A later answer is
// slow, not a refusal: the request stands and is never made twice.
constexpr int FileManagerAnswerMs = 1500;

struct TActivationToken {
    std::string Wayland; // XDG_ACTIVATION_TOKEN
    std::string X11;     // DESKTOP_STARTUP_ID
};

TActivationToken& SessionToken()
{
    static TActivationToken token;
    return token;
}

enum class TAnswer { Accepted, Refused, Slow };

TAnswer AskFileManager(const QString& uri, const QString& token)
{
    if (!SessionBusFindable()) {
        return TAnswer::Refused;
    }
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        return TAnswer::Refused;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(FileManagerService,
        QStringLiteral("/org/freedesktop/FileManager1"), FileManagerService, QStringLiteral("ShowFolders"));
    call << QStringList { uri } << token;
    // No provider at all is answered at once by the bus itself.
    QDBusPendingCall pending = bus.asyncCall(call);
    if (!pending.isFinished() && QCoreApplication::instance()) {
        // The window keeps painting while it waits, but takes no input that
        // could start a second request.
        QDBusPendingCallWatcher watcher(pending);
        QEventLoop loop;
        QObject::connect(&watcher, &QDBusPendingCallWatcher::finished, &loop, &QEventLoop::quit);
        QTimer::singleShot(FileManagerAnswerMs, &loop, &QEventLoop::quit);
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    }
    if (!pending.isFinished()) {
        return TAnswer::Slow;
    }
    return pending.isError() ? TAnswer::Refused : TAnswer::Accepted;
}

// Starts program in a session of its own. posix_spawn does not copy this
// process the way fork does (for a whole Qt program that copy and its
// teardown take longer than the rest of an unattended open); it returns once
// the program runs or with the errno of its start. A thread of its own reaps
// the child whenever it ends, since xdg-open may wait for the file manager.
int SpawnDetached(const std::string& program, const std::vector<std::string>& arguments,
    const std::vector<std::string>& environment)
{
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (const std::string& entry : environment) {
        envp.push_back(const_cast<char*>(entry.c_str()));
    }
    envp.push_back(nullptr);

    posix_spawnattr_t attributes;
    if (const int error = ::posix_spawnattr_init(&attributes); error != 0) {
        return error;
    }
    const std::unique_ptr<posix_spawnattr_t, int (*)(posix_spawnattr_t*)> attributesOwner(
        &attributes, ::posix_spawnattr_destroy);
    sigset_t noSignals;
    ::sigemptyset(&noSignals);
    ::posix_spawnattr_setsigmask(&attributes, &noSignals);
    if (const int error = ::posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK);
        error != 0) {
        return error;
    }
    pid_t child = 0;
    if (const int error = ::posix_spawn(&child, argv[0], nullptr, &attributes, argv.data(), envp.data());
        error != 0) {
        return error;
    }
    try {
        std::thread([child] {
            while (::waitpid(child, nullptr, 0) < 0 && errno == EINTR) {
            }
        }).detach();
    } catch (const std::system_error&) {
        // No thread to spare: the child stays a zombie until this process ends.
    }
    return 0;
}

// The environment of xdg-open: ours, with the activation token in place.
std::vector<std::string> OpenerEnvironment(const TActivationToken& token)
{
    std::vector<std::string> environment;
    for (char** entry = environ; entry && *entry; ++entry) {
        const std::string text = *entry;
        if (text.rfind("XDG_ACTIVATION_TOKEN=", 0) != 0 && text.rfind("DESKTOP_STARTUP_ID=", 0) != 0) {
            environment.push_back(text);
        }
    }
    if (!token.Wayland.empty()) {
        environment.push_back("XDG_ACTIVATION_TOKEN=" + token.Wayland);
    }
    if (!token.X11.empty()) {
        environment.push_back("DESKTOP_STARTUP_ID=" + token.X11);
    }
    return environment;
}

// 0 when xdg-open was started, else an errno value.
int StartXdgOpen(const QString& uri, const TActivationToken& token)
{
    const QString program = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (program.isEmpty()) {
        return ENOENT;
    }
    return SpawnDetached(program.toStdString(), { uri.toStdString() }, OpenerEnvironment(token));
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
    // A token lets one window come forward once; it is not handed out twice.
    const TActivationToken token = std::exchange(SessionToken(), {});
    const QString startupId = QString::fromStdString(token.Wayland.empty() ? token.X11 : token.Wayland);
    if (AskFileManager(uri, startupId) != TAnswer::Refused) {
        return true;
    }
    lastError = static_cast<std::uint32_t>(StartXdgOpen(uri, token));
    return lastError == 0;
}

} // namespace

void InitActivationToken()
{
    TActivationToken& token = SessionToken();
    if (const char* wayland = std::getenv("XDG_ACTIVATION_TOKEN")) {
        token.Wayland = wayland;
    }
    if (const char* x11 = std::getenv("DESKTOP_STARTUP_ID")) {
        token.X11 = x11;
    }
}

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
