// What the command line changes: only the autostart entry's option.
#include "app/CommandLine.h"

#include <QByteArrayList>
#include <gtest/gtest.h>

TEST(CommandLine, OnlyTheAutostartOptionCountsAndEverythingElseIsIgnored)
{
    struct Case
    {
        QByteArrayList args;
        bool autostart;
    };
    const Case cases[] = {
        {{"tempovir"}, false},
        {{"tempovir", "--autostart"}, true},
        {{"/opt/Mes outils/tempovir", "-platform", "offscreen", "--autostart"}, true},
        {{"tempovir", "--autostart=yes"}, false},
        {{"tempovir", "autostart"}, false},
        {{"tempovir", "--x"}, false},
        // The usual informational options are arguments like any other.
        {{"tempovir", "--help"}, false},
        {{"tempovir", "--version", "--autostart"}, true},
    };
    for (const Case &c : cases) {
        QByteArrayList args = c.args;
        std::vector<char *> argv;
        for (QByteArray &arg : args)
            argv.push_back(arg.data());
        argv.push_back(nullptr);
        EXPECT_EQ(ParseCommandLine(int(args.size()), argv.data()).autostart, c.autostart)
            << args.join(' ').constData();
    }
}
