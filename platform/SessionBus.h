#pragma once

namespace platform {

// POSIX: a session bus that accepts the connection but never answers (a
// stopped daemon) would hold every D-Bus call the toolkit makes while the
// window comes up, for libdbus's default 25 s each. Checked once, before the
// application object exists: when the bus does not answer its greeting within
// timeoutMs, the process goes on without one. Windows: nothing to do.
void DropSilentSessionBus(int timeoutMs) noexcept;

// False when libdbus could find no session bus at all, so asking for one
// would only start the toolkit's bus thread to learn that: POSIX, no bus
// address (or the one DropSilentSessionBus disabled), no socket at
// $XDG_RUNTIME_DIR/bus and no X display to start a bus on. True wherever a
// bus may be found; Windows: always.
bool SessionBusFindable() noexcept;

} // namespace platform
