#pragma once

#include <optional>
#include <string>
#include <string_view>

// The launcher script that starts a tool again with "-a", the folder and, in
// the remover, "-t=" with the removal method. Both formats are pure so that
// each is tested on every platform; platform/BatchFile.h picks one.
enum class TScriptFormat {
    WindowsBatch, // one .bat line, CR LF
    PosixShell,   // "#!/bin/sh" and one line, LF
};

// A .bat piece: in double quotes, inner '"' doubled, every '%' doubled (cmd
// expands %...% even between quotes), CR and LF written as '?' (a line break
// would start a second command; no Windows path holds either).
std::u16string QuoteBatchPiece(std::u16string_view text);

// A sh piece: in single quotes, every inner '\'' written '\'' so that sh hands
// the text over unchanged, whatever it holds.
std::u16string QuoteShellPiece(std::u16string_view text);

// The command line: the executable, "-a", the folder less one trailing
// delimiter ('\\' or '/' by format) and, when a method is given (remover),
// "-t=" with the method index in decimal (-1: nothing selected). Each piece
// quoted for the format, single blanks between.
std::u16string BatchLine(TScriptFormat format, std::u16string_view executable,
    std::u16string_view folder, std::optional<int> method);

// The whole file for a line built by BatchLine: the line and CR LF, or
// "#!/bin/sh" LF, the line and LF. No byte-order mark is ever added.
std::u16string BatchFileText(TScriptFormat format, std::u16string_view line);

// The message for a batch file that could not be written: the file's path,
// then the system's text for the error.
std::u16string BatchFileCreateErrorText(std::u16string_view path, std::u16string_view systemText);
