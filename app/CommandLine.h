#pragma once

// What the command line asks of the run. Anything it does not know is ignored, Qt's own
// options included: no option may move the program off its display.
struct TCommandLine
{
    // The session started the program at log-in (the autostart entry's option).
    bool autostart = false;
};

TCommandLine ParseCommandLine(int argc, char **argv);
