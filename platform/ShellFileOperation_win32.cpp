#include "platform/ShellFileOperation.h"

#include <atomic>

#include "platform/WinApi_win32.h"
#include <shellapi.h>

namespace platform {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows text is UTF-16");
static_assert(FoDelete == FO_DELETE);
static_assert(FofSilent == FOF_SILENT && FofNoConfirmation == FOF_NOCONFIRMATION);
static_assert(FofAllowUndo == FOF_ALLOWUNDO && FofSimpleProgress == FOF_SIMPLEPROGRESS);
static_assert(FofNoErrorUi == FOF_NOERRORUI && FofWantNukeWarning == FOF_WANTNUKEWARNING);

namespace {

// The shell shows its own windows; a registered UI is kept but not needed.
std::atomic<TFileOperationUi*> RegisteredUi { nullptr };

const wchar_t* Wide(const char16_t* text) { return reinterpret_cast<const wchar_t*>(text); }

} // namespace

void SetFileOperationUi(TFileOperationUi* ui) noexcept { RegisteredUi.store(ui); }

TFileOperationUi* FileOperationUi() noexcept { return RegisteredUi.load(); }

int RunFileOperation(TFileOperationRequest& request)
{
    SHFILEOPSTRUCTW operation {};
    operation.hwnd = reinterpret_cast<HWND>(request.Owner);
    operation.wFunc = static_cast<UINT>(request.Function);
    operation.pFrom = Wide(request.From);
    operation.pTo = Wide(request.To);
    operation.fFlags = static_cast<FILEOP_FLAGS>(request.Flags);
    operation.fAnyOperationsAborted = FALSE;
    operation.hNameMappings = nullptr;
    operation.lpszProgressTitle = Wide(request.ProgressTitle);
    const int result = ::SHFileOperationW(&operation);
    request.AnyOperationsAborted = operation.fAnyOperationsAborted != FALSE;
    return result;
}

} // namespace platform
