#pragma once

#include <optional>
#include <string>
#include <vector>

// Which tool reads its command line: only the remover knows "-t=".
enum class TCommandLineTool { Opener, Remover };

// What the arguments ask for. Each folder argument replaces the previous one
// and each "-t=" the previous method, so the last of each is all that
// setting them argument by argument would leave behind.
struct TCommandLineScan {
    bool Run = false;                   // "-a" was given, once or more
    std::optional<std::u16string> Folder; // the last folder argument
    std::optional<int> Method;          // the last "-t=" value (remover only)
};

// Scans arguments 1..n (without the program): exactly "-a" sets Run
// (case-sensitive); in the remover an argument beginning "-t=" converts at
// most the 5 characters after it (no number: 0); anything else is the folder.
TCommandLineScan ScanCommandLine(const std::vector<std::u16string>& arguments, TCommandLineTool tool);
