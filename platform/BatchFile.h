#pragma once

#include <string>

#include "core/BatchLine.h"

namespace platform {

// The launcher script this platform writes: a .bat on Windows, a sh script
// on POSIX.
TScriptFormat BatchScriptFormat() noexcept;

// The save dialog's default suffix (".BAT" / ".sh") and its filter in
// "description|patterns|..." form.
std::u16string BatchFileDefaultSuffix();
std::u16string BatchFileFilter();

// The file's bytes: Windows: the ANSI code page, characters it lacks as its
// default character (never a best-fit look-alike), empty if the system
// refuses the conversion; POSIX: UTF-8. No BOM.
std::string EncodeBatchText(const std::u16string& text);

// Writes the text (from BatchFileText) to path, creating or replacing the
// file: the bytes go to a new file beside it that then takes its place, so a
// failure leaves an existing file as it was. POSIX: mode 0777 less the umask.
// Throws Exception with BatchFileCreateErrorText(path, system text) on failure.
void WriteBatchFile(const std::u16string& path, const std::u16string& text);

} // namespace platform
