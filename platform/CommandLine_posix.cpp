#include "platform/CommandLine.h"

#include "core/Utf.h"

namespace platform {

namespace {

std::vector<std::u16string>& StoredArguments()
{
    static std::vector<std::u16string> arguments;
    return arguments;
}

} // namespace

void InitCommandLineArguments(int argc, char* argv[])
{
    std::vector<std::u16string>& arguments = StoredArguments();
    arguments.clear();
    for (int i = 1; i < argc && argv[i] != nullptr; ++i) {
        arguments.push_back(PathBytesToText(argv[i]));
    }
}

std::vector<std::u16string> CommandLineArguments() { return StoredArguments(); }

} // namespace platform
