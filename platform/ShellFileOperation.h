#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

#include "platform/WindowHandle.h"

namespace platform {

// Request codes and flags, with the values of the Windows shell.
constexpr std::uint32_t FoDelete = 0x0003;

constexpr std::uint16_t FofSilent = 0x0004;
constexpr std::uint16_t FofNoConfirmation = 0x0010;
constexpr std::uint16_t FofAllowUndo = 0x0040;
constexpr std::uint16_t FofSimpleProgress = 0x0100;
constexpr std::uint16_t FofNoErrorUi = 0x0400;
constexpr std::uint16_t FofWantNukeWarning = 0x4000;

// One file-operation request, member for member the shell's own.
struct TFileOperationRequest {
    TWindowHandle Owner = 0;             // owns the progress and error windows
    std::uint32_t Function = FoDelete;   // only FoDelete is supported
    const char16_t* From = nullptr;      // paths, each NUL-terminated, then one more NUL
    const char16_t* To = nullptr;        // unused by FoDelete
    std::uint16_t Flags = 0;
    bool AnyOperationsAborted = false;   // written back: the user cancelled
    const char16_t* ProgressTitle = nullptr; // null: the shell's own title
};

// Runs the request synchronously: 0 on success, otherwise a non-zero code.
// Windows: SHFileOperationW. POSIX: the tools' own engine (trash or
// permanent deletion); FofWantNukeWarning changes nothing there, since a
// trash request that cannot be met fails instead of deleting.
int RunFileOperation(TFileOperationRequest& request);

// Set by the progress window; the work polls it and stops early.
class TCancelToken {
public:
    void Cancel() noexcept { FCancelled.store(true, std::memory_order_relaxed); }
    bool Cancelled() const noexcept { return FCancelled.load(std::memory_order_relaxed); }

private:
    std::atomic<bool> FCancelled { false };
};

// What the work has finished so far (items removed or moved), for the
// progress window; the work adds, the window reads.
class TProgressCount {
public:
    void Add(std::uint64_t items) noexcept { FItems.fetch_add(items, std::memory_order_relaxed); }
    std::uint64_t Items() const noexcept { return FItems.load(std::memory_order_relaxed); }

private:
    std::atomic<std::uint64_t> FItems { 0 };
};

// The windows the POSIX engine shows, provided by the GUI. Without one (as in
// tests and tools without a display) the work runs inline and nothing is shown.
class TFileOperationUi {
public:
    using TWork = std::function<void(const TCancelToken&, TProgressCount&)>;

    virtual ~TFileOperationUi() = default;

    // Runs work to its end; shows a progress window without file names, with
    // the count of finished items and a Cancel button, when the work outlasts
    // about half a second.
    // Returns when work has returned. work may run on another thread.
    virtual void RunWithProgress(TWindowHandle owner, const std::u16string& title, const TWork& work) = 0;

    // Shows one error and returns after it was dismissed. May be called from
    // the thread that runs a work item.
    virtual void ShowError(TWindowHandle owner, const std::u16string& text) = 0;
};

// Registers the GUI's windows; nullptr unregisters. Not owned.
void SetFileOperationUi(TFileOperationUi* ui) noexcept;
TFileOperationUi* FileOperationUi() noexcept;

} // namespace platform
