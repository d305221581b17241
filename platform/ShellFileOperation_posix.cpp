#include "platform/ShellFileOperation.h"

#include <atomic>
#include <cerrno>
#include <vector>

#include "core/MessageText.h"
#include "core/Utf.h"
#include "platform/ShellFileOperation_posix.h"
#include "platform/SystemError.h"

namespace platform {

namespace {

std::atomic<TFileOperationUi*> RegisteredUi { nullptr };

// The paths of a NUL-separated list; an empty entry ends it.
std::vector<std::u16string> ParsePathList(const char16_t* list)
{
    std::vector<std::u16string> paths;
    while (list && *list) {
        std::u16string path(list);
        list += path.size() + 1;
        paths.push_back(std::move(path));
    }
    return paths;
}

std::u16string Fill(std::u16string pattern, const std::u16string& path, const std::u16string& reason)
{
    for (const auto& [key, value] : { std::pair { u"%1", path }, std::pair { u"%2", reason } }) {
        const auto at = pattern.find(key);
        if (at != std::u16string::npos) {
            pattern.replace(at, 2, value);
        }
    }
    return pattern;
}

std::u16string RefusalText(posix::TRefusal refusal)
{
    switch (refusal) {
    case posix::TRefusal::Mounted:
        return u"別のファイルシステムがマウントされている場所です。";
    case posix::TRefusal::MountBelow:
        return u"中に別のファイルシステムがマウントされています。";
    case posix::TRefusal::TrashFolder:
        return u"ゴミ箱のフォルダーそのものです。";
    case posix::TRefusal::InsideTrash:
        return u"ゴミ箱の中にあります。";
    case posix::TRefusal::None:
        break;
    }
    return {};
}

std::u16string FailureText(bool trash, const posix::TItemFailure& failure)
{
    std::u16string reason = RefusalText(failure.Refusal);
    if (reason.empty()) {
        reason = TrimSystemErrorText(SystemErrorText(static_cast<std::uint32_t>(failure.Error)));
    }
    return Fill(trash ? u"「%1」をゴミ箱に移動できませんでした。\n%2" : u"「%1」を削除できませんでした。\n%2",
        PathDisplayText(PathBytesToText(failure.Path)), reason);
}

} // namespace

namespace posix {

std::optional<TItemPath> SplitItemPath(std::string path)
{
    while (!path.empty() && path.back() == '/') {
        path.pop_back();
    }
    if (path.empty()) {
        return std::nullopt;
    }
    const auto slash = path.rfind('/');
    TItemPath item;
    if (slash == std::string::npos) {
        item.Parent = ".";
        item.Name = path;
    } else {
        item.Parent = slash == 0 ? "/" : path.substr(0, slash);
        item.Name = path.substr(slash + 1);
    }
    if (item.Name == "." || item.Name == "..") {
        return std::nullopt;
    }
    return item;
}

} // namespace posix

void SetFileOperationUi(TFileOperationUi* ui) noexcept { RegisteredUi.store(ui); }

TFileOperationUi* FileOperationUi() noexcept { return RegisteredUi.load(); }

int RunFileOperation(TFileOperationRequest& request)
{
    request.AnyOperationsAborted = false;
    if (request.Function != FoDelete) {
        return EINVAL;
    }
    const std::vector<std::u16string> paths = ParsePathList(request.From);
    if (paths.empty()) {
        return EINVAL;
    }
    const bool trash = (request.Flags & FofAllowUndo) != 0;
    const bool silent = (request.Flags & FofSilent) != 0;
    TFileOperationUi* ui = FileOperationUi();
    const bool showErrors = ui && (request.Flags & FofNoErrorUi) == 0;

    int result = 0;
    auto work = [&](const TCancelToken& cancel, TProgressCount& progress) {
        for (const std::u16string& path : paths) {
            if (cancel.Cancelled()) {
                request.AnyOperationsAborted = true;
                result = ECANCELED;
                return;
            }
            // The exact bytes of the name; a text that names none is refused.
            const std::optional<std::string> native = PathTextToBytes(path);
            std::string display = native.value_or(std::string());
            while (display.size() > 1 && display.back() == '/') {
                display.pop_back();
            }
            posix::TItemFailure failure;
            int code = 0;
            std::u16string text;
            if (const auto item = native ? posix::SplitItemPath(*native) : std::nullopt) {
                if (trash) {
                    code = posix::TrashItem(display, *item, failure);
                    if (code == 0) {
                        progress.Add(1);
                    }
                } else {
                    code = posix::RemoveItem(display, *item, cancel, progress, failure);
                }
                if (code == ECANCELED) {
                    request.AnyOperationsAborted = true;
                    result = ECANCELED;
                    return;
                }
                if (code != 0) {
                    text = FailureText(trash, failure);
                }
            } else {
                code = EINVAL;
                text = Fill(u"「%1」は削除できません。", PathDisplayText(path), {});
            }
            if (code != 0) {
                if (result == 0) {
                    result = code;
                }
                if (showErrors) {
                    ui->ShowError(request.Owner, text);
                }
            }
        }
    };

    if (ui && (request.Flags & FofSimpleProgress) && !silent) {
        const std::u16string title = request.ProgressTitle ? std::u16string(request.ProgressTitle)
            : trash ? u"ゴミ箱に移動しています" : u"削除しています";
        ui->RunWithProgress(request.Owner, title, work);
    } else {
        const TCancelToken never;
        TProgressCount unseen;
        work(never, unseen);
    }
    return result;
}

} // namespace platform
