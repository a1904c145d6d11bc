#pragma once

#include <functional>

namespace platform {

// Watches for the end of the desktop session while the program runs: SIGTERM or SIGHUP, the
// application's quit request (what the session manager's "die" becomes), and the session
// manager's request to save. onEnd runs on the user-interface thread for each of them;
// after all but the save request the program then leaves its message loop without closing
// its windows, so no close sequence runs.
void WatchSessionEnd(std::function<void()> onEnd);

// Runs onEnd, reporting a failure on standard error (nobody is left to click a box), then
// leaves the message loop.
void EndSession();

} // namespace platform
