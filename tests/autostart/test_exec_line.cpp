// The Exec value of a desktop entry: its quoting rules, both ways.
#include "platform/linux/Autostart.h"

#include <gtest/gtest.h>

using platform::QuoteExecArgument;
using platform::SplitExecLine;

TEST(ExecLine, SplitsArgumentsAsTheDesktopEntryRulesSay)
{
    struct Case
    {
        QString exec;
        QStringList arguments;
    };
    const Case cases[] = {
        {R"(tempovir --autostart)", {"tempovir", "--autostart"}},
        {"  spaced \t out  ", {"spaced", "out"}},
        {R"("/a b/tempovir" --autostart)", {"/a b/tempovir", "--autostart"}},
        {R"("/a \"b\" \`c\` \$d \\e")", {R"(/a "b" `c` $d \e)"}},
        {R"("keeps \x as it is")", {R"(keeps \x as it is)"}},
        {R"(x"y z"w)", {"xy zw"}},
        {R"("")", {""}},
        {R"(tempovir %U --autostart)", {"tempovir", "--autostart"}},
        {R"(tempovir 100%% "50%%")", {"tempovir", "100%", "50%"}},
        {R"("unterminated)", {}},
        {"", {}},
    };
    for (const Case &c : cases)
        EXPECT_EQ(SplitExecLine(c.exec), c.arguments) << qPrintable(c.exec);
}

TEST(ExecLine, QuotesOnlyWhatMustBeQuotedAndReadsBackTheSame)
{
    struct Case
    {
        QString argument;
        QString quoted;
    };
    const Case cases[] = {
        {"/usr/bin/tempovir", "/usr/bin/tempovir"},
        {"tempovir", "tempovir"},
        {"/opt/100%/tempovir", "/opt/100%%/tempovir"},
        {"/home/moi/Mes outils/tempovir", R"("/home/moi/Mes outils/tempovir")"},
        {R"(/a "b"/c)", R"("/a \"b\"/c")"},
        {R"(/$HOME/`x`/\y)", R"("/\$HOME/\`x\`/\\y")"},
        {"/l'heure/tempovir", R"("/l'heure/tempovir")"},
        {"/a;b&c|d<e>f~g*h?i#j(k)", R"x("/a;b&c|d<e>f~g*h?i#j(k)")x"},
        {"/tab\there/new\nline", "\"/tab\there/new\nline\""},
        {"/50% off/x", R"("/50%% off/x")"},
        {"", R"("")"},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(QuoteExecArgument(c.argument), c.quoted) << qPrintable(c.argument);
        EXPECT_EQ(SplitExecLine(QuoteExecArgument(c.argument) + " --autostart"),
                  QStringList({c.argument, "--autostart"}))
            << qPrintable(c.argument);
    }
}
