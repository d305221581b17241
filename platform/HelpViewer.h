#pragma once

#include <string>

namespace platform {

// Shows a compiled help file at its default topic. Does nothing when no
// viewer is available (Windows: hhctrl.ocx; POSIX: the HTML pages beside the
// file in the desktop's browser, else one CHM viewer from PATH per run, else
// nothing).
void HelpDisplayContents(const std::u16string& helpFile);

// Closes every help window this process opened.
void HelpCloseAll();

} // namespace platform
