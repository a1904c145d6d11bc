#pragma once

#include <functional>

namespace platform {

// Calls onEnd, on the user-interface thread, when the desktop session ends while the
// program runs: the session manager's request to save, or SIGTERM / SIGHUP. After a
// signal the program then leaves its message loop without the close sequence.
void WatchSessionEnd(std::function<void()> onEnd);

} // namespace platform
