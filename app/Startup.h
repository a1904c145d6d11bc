#pragma once

// The whole run: start-up, message loop, end. Command-line arguments are ignored.
int RunTempovir(char *programPath);
