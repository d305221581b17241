#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/WindowHandle.h"

class TStringList;

namespace platform {
struct TFileOperationRequest;
}

// Deletes paths through the shell's file operation, into the recycle bin or
// permanently; the functions report only whether the shell call returned 0.

// Carries out a shell request; tests put a fake in its place.
class TShell {
public:
    virtual ~TShell() = default;
    virtual int FileOperation(platform::TFileOperationRequest& request) = 0;
};

// The platform's own shell.
TShell& SystemShell();

// The application object's window, owner of the shell's windows. The frame
// sets it at start-up; 0 (the default) means none.
void SetApplicationWindow(platform::TWindowHandle window) noexcept;
platform::TWindowHandle ApplicationWindow() noexcept;

bool ShellDeletePath(const std::u16string& path, bool recycle, TShell& shell = SystemShell());
bool ShellDeletePaths(const TStringList& paths, bool recycle, TShell& shell = SystemShell());
std::vector<std::u16string> StringListToVector(const TStringList& list);

// The kept paths, each followed by a NUL: exactly n code units, owned by the caller.
std::unique_ptr<char16_t[]> BuildPathListBuffer(const std::vector<std::u16string>& paths, int& n);

bool ShellDeletePathVector(std::vector<std::u16string> paths, bool recycle, TShell& shell = SystemShell());

// The request's flag word: 0x4150 to recycle (the shell asks before it
// destroys what it cannot recycle), 0x0110 to delete permanently.
std::uint16_t DeleteRequestFlags(bool recycle) noexcept;

// What a path that passed the directory test is handed on as: one trailing
// delimiter removed. Nothing when the result would name a root, or, on
// Windows ('\\'), when the path is a drive root: "X:\" without its backslash
// names the drive's current folder instead.
std::optional<std::u16string> FolderListEntry(std::u16string path, char16_t delimiter);
