#pragma once

// The whole run: start-up, message loop, end. Of the command line only ParseCommandLine's
// options count.
int RunTempovir(int argc, char **argv);
