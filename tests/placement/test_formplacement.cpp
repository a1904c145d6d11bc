#include "PlacementTestSupport.h"

#include "platform/Exception.h"
#include "settings/AppIniFileStorage.h"
#include "settings/FormPlacement.h"

using namespace placement_test;
using platform::TWindowPlacement;

namespace {

const QSize Res1024(1024, 768);
const QSize Res1280(1280, 1024);

// A window at 10,20 of 370 x 197 in its normal state.
TWindowPlacement Current()
{
    TWindowPlacement p;
    p.setNormalRect(QRect(10, 20, 370, 197));
    return p;
}

class Placement : public FolderFixture
{
protected:
    // The storage attached to a file holding text.
    TAppIniFileStorage &Attached(const QByteArray &text)
    {
        m_storage.SetFileName(QString()); // attaching to the same name again would not reload
        WriteBytes(Path(), text);
        m_storage.SetLocation(TAppIniFileStorage::flCustom);
        m_storage.SetFileName(Path());
        return m_storage;
    }
    TStoredPlacement Read(const QByteArray &text, QSize resolution = Res1280, int ppi = 96)
    {
        return ReadFormPlacement(Attached(text), "fmMain\\", 0, Current(), ppi, resolution);
    }

private:
    TAppIniFileStorage m_storage;
};

} // namespace

TEST_F(Placement, TheEightKeysAreWrittenInOrderWithAndWithoutTheResolution)
{
    TAppIniFileStorage &storage = Attached("[Alarm_000]\r\nEnabled=0\r\n");
    TWindowPlacement p;
    p.showCmd = 2;
    p.flags = 2;
    p.minPosition = QPoint(-1, -1);
    p.maxPosition = QPoint(-4, -4);
    p.setNormalRect(QRect(100, 120, 502, 321));
    WriteFormPlacement(storage, "fmMain\\", 0, p, 96, Res1024);
    storage.SetFileName(QString());
    EXPECT_EQ(ReadBytes(Path()), "[Alarm_000]\r\nEnabled=0\r\n\r\n"
                                 "[fmMain]\r\nFormVersion=0\r\nShowCmd=2\r\nFlags=2\r\nPixelsPerInch=96\r\n"
                                 "MinMaxPos(1024x768)=-1,-1,-4,-4\r\nMinMaxPos=-1,-1,-4,-4\r\n"
                                 "NormPos(1024x768)=100,120,602,441\r\nNormPos=100,120,602,441\r\n\r\n");
}

TEST_F(Placement, TheResolutionKeyComesBeforeThePlainKey)
{
    const QByteArray text =
        "[fmMain]\r\nPixelsPerInch=96\r\nNormPos(1024x768)=1,2,301,202\r\nNormPos=5,6,405,306\r\n";
    EXPECT_EQ(Read(text, Res1024).placement.normalRect(), QRect(1, 2, 300, 200));
    EXPECT_EQ(Read(text, Res1280).placement.normalRect(), QRect(5, 6, 400, 300));
}

TEST_F(Placement, FieldsAreSeparatedByCommasOrBlanksAndMissingOnesFallBack)
{
    struct Case
    {
        const char *minMax;
        const char *norm;
        QPoint min;
        QPoint max;
        QRect normal;
    } cases[] = {
        {"1,2,3,4", "100 120  600,400", {1, 2}, {3, 4}, QRect(QPoint(100, 120), QSize(500, 280))},
        // MinMaxPos fields count 0; NormPos fields take the window's own values (left 10,
        // top 20, width 370, height 197), the width and height less the stored left and top.
        {"7,x", "50,60", {7, 0}, {0, 0}, QRect(QPoint(50, 60), QSize(370 - 50, 197 - 60))},
        {"", "x,y,400,300", {-1, -1}, {-1, -1}, QRect(QPoint(10, 20), QSize(390, 280))},
    };
    for (const Case &c : cases) {
        QByteArray text = "[fmMain]\r\nPixelsPerInch=96\r\nNormPos=" + QByteArray(c.norm) + "\r\n";
        if (*c.minMax)
            text += "MinMaxPos=" + QByteArray(c.minMax) + "\r\n";
        const TStoredPlacement stored = Read(text);
        EXPECT_TRUE(stored.found) << c.norm;
        EXPECT_EQ(stored.placement.minPosition, c.min) << c.minMax;
        EXPECT_EQ(stored.placement.maxPosition, c.max) << c.minMax;
        EXPECT_EQ(stored.placement.normalRect(), c.normal) << c.norm;
    }
}

TEST_F(Placement, ShowCommandsMapToThreeStates)
{
    const std::pair<const char *, TWindowState> cases[] = {
        {"1", wsNormal},    {"5", wsNormal},    {"9", wsNormal}, {"2", wsMinimized}, {"6", wsMinimized},
        {"7", wsMinimized}, {"3", wsMaximized}, {"0", wsNormal}, {"4", wsNormal},    {"", wsNormal},
    };
    for (const auto &[value, state] : cases)
        EXPECT_EQ(Read("[fmMain]\r\nShowCmd=" + QByteArray(value) + "\r\n").state, state) << value;
    EXPECT_EQ(Read("[fmMain]\r\n").state, wsNormal);
}

TEST_F(Placement, AnOlderVersionRestoresNothing)
{
    const TStoredPlacement stored = Read("[fmMain]\r\nFormVersion=-1\r\nShowCmd=3\r\nPixelsPerInch=96\r\n"
                                         "NormPos=1,2,3,4\r\n");
    EXPECT_FALSE(stored.versionOk);
    EXPECT_FALSE(stored.found);
    EXPECT_EQ(stored.state, wsNormal);
    EXPECT_EQ(stored.placement.normalRect(), Current().normalRect());
}

TEST_F(Placement, AnotherPixelsPerInchKeepsThePlaceButNotTheState)
{
    const QByteArray text = "[fmMain]\r\nShowCmd=3\r\nPixelsPerInch=120\r\nNormPos=1,2,301,202\r\n";
    EXPECT_FALSE(Read(text, Res1280, 96).found);
    EXPECT_EQ(Read(text, Res1280, 96).state, wsMaximized);
    EXPECT_TRUE(Read(text, Res1280, 120).found);
    // Without a stored value the current one is assumed.
    EXPECT_TRUE(Read("[fmMain]\r\nNormPos=1,2,301,202\r\n", Res1280, 144).found);
}

TEST_F(Placement, AStoredNumberThatIsNotAnIntegerRaises)
{
    for (const char *text : {"[fmMain]\r\nFormVersion=zéro\r\n", "[fmMain]\r\nShowCmd=max\r\n",
                             "[fmMain]\r\nNormPos=1,2,3,4\r\nPixelsPerInch=96dpi\r\n"})
        EXPECT_THROW(Read(text), EConvertError) << text;
    // PixelsPerInch is read only when a position was found.
    EXPECT_NO_THROW(Read("[fmMain]\r\nPixelsPerInch=96dpi\r\n"));
}
