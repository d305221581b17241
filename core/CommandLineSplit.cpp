#include "core/CommandLineSplit.h"

namespace {

class TLineReader {
public:
    explicit TLineReader(std::u16string_view line)
        : FLine(line.substr(0, line.find(u'\0')))
    {
    }

    std::u16string Next()
    {
        SkipSeparators();
        std::u16string argument;
        while (FPos < FLine.size() && FLine[FPos] > u' ') {
            if (FLine[FPos] == u'"') {
                ++FPos;
                while (FPos < FLine.size() && FLine[FPos] != u'"') {
                    argument += FLine[FPos++];
                }
                if (FPos < FLine.size()) {
                    ++FPos;
                }
            } else {
                argument += FLine[FPos++];
            }
        }
        return argument;
    }

private:
    void SkipSeparators()
    {
        for (;;) {
            while (FPos < FLine.size() && FLine[FPos] <= u' ') {
                ++FPos;
            }
            if (FPos + 1 < FLine.size() && FLine[FPos] == u'"' && FLine[FPos + 1] == u'"') {
                FPos += 2;
            } else {
                return;
            }
        }
    }

    std::u16string_view FLine;
    std::size_t FPos = 0;
};

} // namespace

std::vector<std::u16string> SplitCommandLine(std::u16string_view line)
{
    TLineReader reader(line);
    std::vector<std::u16string> arguments { reader.Next() };
    for (;;) {
        std::u16string argument = reader.Next();
        if (argument.empty()) {
            return arguments;
        }
        arguments.push_back(std::move(argument));
    }
}
