#pragma once

// Yes while a power-off countdown runs and has not been cancelled.
extern bool ShutdownPending;

// Runs one power-off countdown and returns when it has ended, cancelled or not.
void RunShutdownCountdown();
