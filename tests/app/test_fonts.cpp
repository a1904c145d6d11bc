#include <QFont>
#include <QFontInfo>
#include <gtest/gtest.h>

// The window layouts name Windows faces; the test main registers them as the program does.
TEST(Fonts, TheLayoutsFacesResolveToMetricCompatibleFonts)
{
    const struct
    {
        const char *asked;
        const char *got;
    } faces[] = {{"Tahoma", "Tahoma"}, {"MS Sans Serif", "MS Sans Serif"}, {"Arial", "Liberation Sans"}};
    for (const auto &f : faces) {
        QFont font(QString::fromLatin1(f.asked));
        font.setPixelSize(11);
        EXPECT_EQ(QFontInfo(font).family(), QString::fromLatin1(f.got)) << f.asked;
    }
}
