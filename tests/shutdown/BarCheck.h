#pragma once

#include "ui/BlockProgressBar.h"

#include <QColor>
#include <QFontMetrics>
#include <QImage>
#include <QString>
#include <gtest/gtest.h>
#include <vector>

// What a 25-pixel-high bar must show, worked out from the bar's own rules: which columns
// the blocks cover and in which colours.
namespace barcheck {

inline const QColor White(255, 255, 255);
inline const QColor Gray(128, 128, 128);

struct Level
{
    QColor middle; // the first colour
    QColor edge;   // the second colour
};

inline Level LevelFor(int percent)
{
    if (percent > 99)
        return {QColor(255, 0, 0), QColor(255, 202, 202)};
    if (percent >= 90)
        return {QColor(255, 169, 83), QColor(255, 211, 168)};
    if (percent >= 70)
        return {QColor(255, 255, 0), QColor(255, 255, 202)};
    return {QColor(0, 255, 0), QColor(225, 255, 225)};
}

// Columns [from, to) of each block for a bar width pixels wide at percent.
inline std::vector<std::pair<int, int>> Blocks(int width, int percent)
{
    std::vector<std::pair<int, int>> blocks;
    if (percent <= 0)
        return blocks;
    // (width - 2) × percent / 100, halves to even.
    const int n = (width - 2) * percent;
    int L = n / 100;
    if (n % 100 > 50 || (n % 100 == 50 && L % 2 == 1))
        ++L;
    if (L < 10) {
        if (L > 1)
            blocks.push_back({2, 2 + L - 1});
        return blocks;
    }
    int x = 2;
    for (int i = 0; i < L / 9; ++i, x += 9)
        blocks.push_back({x, x + 7});
    if (L % 9 > 2)
        blocks.push_back({x, x + L % 9 - 1});
    return blocks;
}

inline bool InBlock(const std::vector<std::pair<int, int>> &blocks, int x)
{
    for (const auto &[from, to] : blocks)
        if (x >= from && x < to)
            return true;
    return false;
}

inline QString Name(const QColor &c)
{
    return QStringLiteral("%1,%2,%3").arg(c.red()).arg(c.green()).arg(c.blue());
}

// Checks a grabbed bar (25 high) pixel by pixel: the frame, the blocks' columns and their
// colours at the edges and the middle, away from the centred text. The corners outside
// the rounded frame must show behind, given as the colour of what lies under the bar.
inline void ExpectBar(const QImage &image, int percent, const QColor &behind)
{
    ASSERT_EQ(image.height(), 25);
    const int w = image.width();
    const auto blocks = Blocks(w, percent);
    const Level level = LevelFor(percent);
    auto at = [&](int x, int y) { return image.pixelColor(x, y).rgb(); };

    for (const auto &[x, y] : {std::pair{0, 0}, {w - 1, 0}, {0, 24}, {w - 1, 24}})
        EXPECT_EQ(at(x, y), behind.rgb()) << "corner " << x << "," << y;
    for (int x = 4; x < w - 4; ++x) {
        EXPECT_EQ(at(x, 0), Gray.rgb()) << "top border at " << x;
        EXPECT_EQ(at(x, 24), Gray.rgb()) << "bottom border at " << x;
        EXPECT_EQ(at(x, 1), White.rgb()) << "row above the blocks at " << x;
        EXPECT_EQ(at(x, 23), White.rgb()) << "row below the blocks at " << x;
    }
    for (int y = 4; y < 21; ++y) {
        EXPECT_EQ(at(0, y), Gray.rgb()) << "left border at " << y;
        EXPECT_EQ(at(w - 1, y), Gray.rgb()) << "right border at " << y;
    }

    // The text sits in the middle; its columns are left out of the middle rows.
    QFont f(QStringLiteral("Verdana"));
    f.setPixelSize(13);
    const int textWidth = QFontMetrics(f).horizontalAdvance(QString::number(percent) + QLatin1Char('%'));
    const int textFrom = (w - textWidth) / 2 - 3;
    const int textTo = (w + textWidth) / 2 + 3;

    int mismatches = 0;
    // Columns 1 and w - 2 of rows 2 and 22 belong to the frame's rounded corners.
    for (int x = 2; x < w - 2 && mismatches < 10; ++x) {
        const bool block = InBlock(blocks, x);
        const QColor edge = block ? level.edge : White;
        const QColor middle = block ? level.middle : White;
        for (int y : {2, 22}) {
            if (image.pixelColor(x, y) != edge) {
                ++mismatches;
                ADD_FAILURE() << "at " << x << "," << y << ": " << qPrintable(Name(image.pixelColor(x, y)))
                              << " instead of " << qPrintable(Name(edge));
            }
        }
        if (x >= textFrom && x < textTo)
            continue;
        for (int y : {11, 12}) {
            if (image.pixelColor(x, y) != middle) {
                ++mismatches;
                ADD_FAILURE() << "at " << x << "," << y << ": " << qPrintable(Name(image.pixelColor(x, y)))
                              << " instead of " << qPrintable(Name(middle));
            }
        }
    }
}

} // namespace barcheck
