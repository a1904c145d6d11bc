// The popup's face: MS Sans Serif must show bold and scale.
#include "platform/Fonts.h"

#include <QFile>
#include <QFont>
#include <QFontInfo>
#include <QFontMetrics>
#include <gtest/gtest.h>

TEST(PopupFont, MsSansSerifHasBoldAndScales)
{
    QFont regular(QStringLiteral("MS Sans Serif"));
    regular.setPixelSize(11);
    QFont bold = regular;
    bold.setBold(true);
    EXPECT_EQ(QFontInfo(bold).family(), QStringLiteral("MS Sans Serif"));
    EXPECT_TRUE(QFontInfo(bold).bold());
    const QString title = QStringLiteral("Tempovir - Alarme Num. 001");
    EXPECT_GT(QFontMetrics(bold).horizontalAdvance(title), QFontMetrics(regular).horizontalAdvance(title));
    // Twice the size, about twice as wide and tall: the face is not a fixed set of bitmaps.
    QFont twice = regular;
    twice.setPixelSize(22);
    const double ratio =
        double(QFontMetrics(twice).horizontalAdvance(title)) / QFontMetrics(regular).horizontalAdvance(title);
    EXPECT_NEAR(ratio, 2.0, 0.12);
    EXPECT_NEAR(double(QFontMetrics(twice).height()) / QFontMetrics(regular).height(), 2.0, 0.25);
    QFont italic = regular;
    italic.setItalic(true);
    EXPECT_TRUE(QFontInfo(italic).italic());
}

TEST(PopupFont, RenamingRejectsWhatIsNotAFont)
{
    QFile file(QStringLiteral("/usr/share/fonts/truetype/liberation/LiberationSans-Regular.ttf"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray font = file.readAll();
    EXPECT_FALSE(platform::WithFamilyName(font, QStringLiteral("X"), QStringLiteral("Regular")).isEmpty());
    for (qsizetype cut : {0, 5, 12, 40, 300})
        EXPECT_TRUE(platform::WithFamilyName(font.left(cut), QStringLiteral("X"), QStringLiteral("Regular"))
                        .isEmpty())
            << cut;
    QByteArray bad = font;
    bad[12 + 8] = char(0x7f); // a table offset far past the end
    EXPECT_TRUE(platform::WithFamilyName(bad, QStringLiteral("X"), QStringLiteral("Regular")).isEmpty());
    EXPECT_TRUE(platform::WithFamilyName(QByteArray(64, 'x'), QStringLiteral("X"), QStringLiteral("Regular"))
                    .isEmpty());
}
