#include "app/CommandLine.h"

#include "platform/linux/Autostart.h"

#include <cstring>

TCommandLine ParseCommandLine(int argc, char **argv)
{
    TCommandLine options;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], platform::AutostartOption) == 0)
            options.autostart = true;
    }
    return options;
}
