#include "alarms/uShutdown.h"

bool ShutdownPending = false;

// The countdown window and the power-off request come with the power-off work; until
// then a power-off alarm only announces itself.
void RunShutdownCountdown() {}
