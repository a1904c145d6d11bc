#pragma once

class TShutdownHost;

// Runs one power-off countdown and returns when it has ended, cancelled or not: 30 steps of
// one second on the countdown window, then, unless cancelled, the window hides, the falling
// melody sounds and the machine is asked to power off.
void RunShutdownCountdown(TShutdownHost &Host);

// Asks once for a forced power-off; a refusal is ignored and nothing is shown.
void PowerOffComputer();
