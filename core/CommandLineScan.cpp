#include "core/CommandLineScan.h"

#include <string_view>

#include "core/StrToInt.h"

namespace {

constexpr std::u16string_view RunSwitch = u"-a";
constexpr std::u16string_view MethodSwitch = u"-t=";
constexpr std::size_t MethodDigits = 5;

} // namespace

TCommandLineScan ScanCommandLine(const std::vector<std::u16string>& arguments, TCommandLineTool tool)
{
    TCommandLineScan scan;
    for (const std::u16string& argument : arguments) {
        const std::u16string_view text = argument;
        if (text == RunSwitch) {
            scan.Run = true;
        } else if (tool == TCommandLineTool::Remover && text.starts_with(MethodSwitch)) {
            scan.Method = StrToIntDef(text.substr(MethodSwitch.size(), MethodDigits), 0);
        } else {
            scan.Folder = argument;
        }
    }
    return scan;
}
