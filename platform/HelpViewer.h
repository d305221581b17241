#pragma once

#include <string>

namespace platform {

// Shows a compiled help file at its default topic. Does nothing when no
// viewer is available (Windows: hhctrl.ocx; POSIX: a CHM viewer on PATH,
// else the HTML pages beside the file, else nothing).
void HelpDisplayContents(const std::u16string& helpFile);

// Closes every help window this process opened.
void HelpCloseAll();

} // namespace platform
