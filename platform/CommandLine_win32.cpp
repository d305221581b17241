#include "platform/CommandLine.h"

#include "platform/WinApi_win32.h"

#include <cwchar>

#include "core/CommandLineSplit.h"

namespace platform {

void InitCommandLineArguments(int, char*[]) {}

std::vector<std::u16string> CommandLineArguments()
{
    static_assert(sizeof(wchar_t) == sizeof(char16_t), "Win32 text is UTF-16");
    const wchar_t* line = ::GetCommandLineW();
    const std::u16string text = line ? std::u16string(line, line + std::wcslen(line)) : std::u16string();
    std::vector<std::u16string> arguments = SplitCommandLine(text);
    arguments.erase(arguments.begin());
    return arguments;
}

} // namespace platform
