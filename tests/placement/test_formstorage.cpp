#include "PlacementTestSupport.h"

#include "alarms/AlarmTable.h"
#include "alarms/uAlarms.h"
#include "platform/WindowPlacement.h"
#include "support/Fakes.h"
#include "support/StartProgram.h"
#include "ui/Action.h"
#include "ui/Clock.h"
#include "ui/TrackBar.h"
#include "ui/frmAlarmsEdit.h"
#include "ui/frmMain.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QMenuBar>
#include <QScreen>
#include <QSlider>
#include <memory>

using namespace placement_test;

namespace {

// A primary screen as the real (offscreen) one, at a resolution of the test's choosing.
platform::ScreenMetrics Metrics(QSize resolution, int ppi = 96)
{
    platform::ScreenMetrics m;
    m.resolution = resolution;
    m.workArea = QGuiApplication::primaryScreen()->availableGeometry();
    m.logicalDpi = ppi;
    return m;
}

QStringList Lines(const QByteArray &text)
{
    return QString::fromUtf8(text).split(QStringLiteral("\r\n"));
}

// The lines of one section, its header excluded, up to the next header.
QStringList SectionLines(const QByteArray &text, const QString &section)
{
    QStringList result;
    bool in = false;
    for (const QString &line : Lines(text)) {
        if (line.startsWith(u'[')) {
            if (in)
                break;
            in = line == u'[' + section + u']';
        } else if (in && !line.isEmpty()) {
            result << line;
        }
    }
    return result;
}

QStringList Keys(const QStringList &lines)
{
    QStringList keys;
    for (const QString &line : lines)
        keys << line.section(u'=', 0, 0);
    return keys;
}

// A run of the program: both windows, the settings file in a folder of its own.
class Run : public FolderFixture
{
protected:
    // The program started, its windows not shown yet.
    void StartHidden()
    {
        program = testing_support::StartProgram(Path());
        window = program->fmMain();
        alarms = program->fmAlarmsEdit();
    }
    void Start()
    {
        StartHidden();
        window->show();
        QCoreApplication::processEvents();
    }
    void Close()
    {
        EXPECT_TRUE(window->close());
        window = nullptr;
        alarms = nullptr;
        program.reset();
    }
    QRect Normal(const QWidget *w) const { return platform::GetWindowPlacement(w).normalRect(); }
    QRect Centred(QSize size) const
    {
        const QRect area = screen.metrics().workArea;
        return QRect(area.topLeft() +
                         QPoint((area.width() - size.width()) / 2, (area.height() - size.height()) / 2),
                     size);
    }

    testing_support::FakeScreen screen{Metrics(QSize(1280, 1024))};
    std::unique_ptr<TProgram> program;
    TfmMain *window = nullptr;
    TfmAlarmsEdit *alarms = nullptr;
};

const QStringList PlacementKeys = {
    "FormVersion",        "ShowCmd", "Flags", "PixelsPerInch", "MinMaxPos(1280x1024)", "MinMaxPos",
    "NormPos(1280x1024)", "NormPos"};

} // namespace

TEST_F(Run, AFirstRunLeavesAnEmptyFileThenBothWindowsAndThePreferences)
{
    Start();
    EXPECT_EQ(ReadBytes(Path()), "");
    // Designed outer sizes, centred (the offscreen platform draws no frame).
    EXPECT_EQ(Normal(window), Centred(QSize(370, 197)));
    EXPECT_EQ(Normal(alarms), Centred(QSize(615, 322)));
    testing_support::FileWrites writes(Path());
    Close();
    EXPECT_EQ(writes.count(), 1) << "the placement and the preferences apart";

    const QByteArray text = ReadBytes(Path());
    QStringList headers;
    for (const QString &line : Lines(text)) {
        if (line.startsWith(u'['))
            headers << line;
    }
    EXPECT_EQ(headers, QStringList({"[fmMain]", "[fmAlarmsEdit]", "[Display]", "[Alarms]"}));
    EXPECT_EQ(Keys(SectionLines(text, "fmMain")), PlacementKeys);
    EXPECT_EQ(Keys(SectionLines(text, "fmAlarmsEdit")), PlacementKeys);
    const QRect main = Centred(QSize(370, 197));
    const QString norm =
        QString::asprintf("%d,%d,%d,%d", main.left(), main.top(), main.left() + 370, main.top() + 197);
    EXPECT_EQ(SectionLines(text, "fmMain"),
              QStringList({"FormVersion=0", "ShowCmd=1", "Flags=0", "PixelsPerInch=96",
                           "MinMaxPos(1280x1024)=-1,-1,-1,-1", "MinMaxPos=-1,-1,-1,-1",
                           "NormPos(1280x1024)=" + norm, "NormPos=" + norm}));
    EXPECT_TRUE(text.endsWith(
        "\r\n\r\n[Display]\r\nAppStayOnTop=0\r\nAppShowMenu=1\r\n[Alarms]\r\nActAlarmsSound=1\r\n"));

    // The second run finds both windows where they were; its write-back ends every section
    // with one empty line, the preferences' too.
    Start();
    EXPECT_EQ(Normal(window), main);
    Close();
    QByteArray second = text;
    second.replace("AppShowMenu=1\r\n[Alarms]", "AppShowMenu=1\r\n\r\n[Alarms]");
    EXPECT_EQ(ReadBytes(Path()), second + "\r\n");
}

TEST_F(Run, CommentsAndStrayLinesAreGoneAfterTheNextStart)
{
    WriteBytes(Path(), "; mes alarmes\r\nstray=1\r\n\r\n[Display]\r\nAppStayOnTop=0\r\n\r\n\r\n[Alarms]\r\n"
                       "; son\r\nActAlarmsSound=0\r\n");
    Start();
    EXPECT_EQ(ReadBytes(Path()), "[Display]\r\nAppStayOnTop=0\r\n\r\n[Alarms]\r\nActAlarmsSound=0\r\n\r\n");
    EXPECT_FALSE(window->ActAlarmsSound->Checked());
}

TEST_F(Run, AWindowSavedAtAnotherResolutionComesBackFromThePlainKeys)
{
    WriteBytes(Path(), "[fmMain]\r\nFormVersion=0\r\nShowCmd=1\r\nPixelsPerInch=96\r\n"
                       "NormPos(1024x768)=0,0,200,100\r\nNormPos=50,60,450,360\r\n");
    Start();
    EXPECT_EQ(Normal(window), QRect(50, 60, 400, 300));
    Close();
    const QStringList lines = SectionLines(ReadBytes(Path()), "fmMain");
    EXPECT_TRUE(lines.contains("NormPos(1024x768)=0,0,200,100"));
    EXPECT_TRUE(lines.contains("NormPos(1280x1024)=50,60,450,360"));
    EXPECT_TRUE(lines.contains("NormPos=50,60,450,360"));
}

TEST_F(Run, AMinimisedMainWindowMinimisesOnceTheEventLoopRuns)
{
    WriteBytes(Path(), "[fmMain]\r\nShowCmd=2\r\nPixelsPerInch=96\r\nNormPos=50,60,450,360\r\n");
    StartHidden();
    EXPECT_FALSE(window->isMinimized());
    window->show();
    QCoreApplication::processEvents();
    EXPECT_TRUE(window->isMinimized());
    EXPECT_FALSE(alarms->isVisible());
    Close();
    EXPECT_TRUE(SectionLines(ReadBytes(Path()), "fmMain").contains("ShowCmd=2"));
    EXPECT_TRUE(SectionLines(ReadBytes(Path()), "fmMain").contains("NormPos=50,60,450,360"));
}

TEST_F(Run, AMaximisedAlarmListIsShownMaximisedWhenFirstOpened)
{
    WriteBytes(Path(), "[fmAlarmsEdit]\r\nShowCmd=3\r\nPixelsPerInch=96\r\nNormPos=40,30,740,430\r\n");
    Start();
    EXPECT_FALSE(alarms->isVisible());
    window->ActAlarmsEdit->Execute(nullptr);
    EXPECT_TRUE(alarms->isVisible());
    EXPECT_TRUE(alarms->isMaximized());
    // Its normal rectangle is kept for when the user un-maximises it.
    EXPECT_EQ(Normal(alarms), QRect(40, 30, 700, 400));
    Close();
    const QStringList lines = SectionLines(ReadBytes(Path()), "fmAlarmsEdit");
    EXPECT_TRUE(lines.contains("ShowCmd=3"));
    EXPECT_TRUE(lines.contains("NormPos=40,30,740,430"));
}

TEST_F(Run, AnOlderVersionOrAnotherPixelDensityKeepsTheDesignedPlace)
{
    const struct
    {
        const char *keys;
        bool maximised;
    } cases[] = {
        {"FormVersion=-1\r\nShowCmd=3\r\nPixelsPerInch=96\r\n", false},
        {"FormVersion=0\r\nShowCmd=3\r\nPixelsPerInch=120\r\n", true}, // the state still comes back
    };
    for (const auto &c : cases) {
        WriteBytes(Path(), "[fmMain]\r\n" + QByteArray(c.keys) + "NormPos=50,60,450,360\r\n");
        Start();
        EXPECT_EQ(window->isMaximized(), c.maximised) << c.keys;
        EXPECT_EQ(Normal(window), Centred(QSize(370, 197))) << c.keys;
        Close();
    }
}

TEST_F(Run, AValueThatIsNotANumberSkipsThatWindowOnly)
{
    WriteBytes(Path(), "[fmMain]\r\nShowCmd=max\r\nPixelsPerInch=96\r\nNormPos=50,60,450,360\r\n"
                       "[fmAlarmsEdit]\r\nPixelsPerInch=96\r\nNormPos=40,30,740,430\r\n"
                       "[Display]\r\nAppShowMenu=0\r\n");
    Start();
    EXPECT_EQ(Normal(window), Centred(QSize(370, 197)));
    EXPECT_EQ(Normal(alarms), QRect(40, 30, 700, 400));
    EXPECT_FALSE(window->menuBar()->isVisible()); // the preferences still apply
}

TEST_F(Run, AWindowStoredOffEveryScreenComesBackOnThePrimaryOne)
{
    WriteBytes(Path(), "[fmMain]\r\nShowCmd=1\r\nPixelsPerInch=96\r\nNormPos=3000,3000,3400,3300\r\n");
    Start();
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_TRUE(area.contains(window->frameGeometry())) << window->frameGeometry().x();
    EXPECT_EQ(window->frameGeometry().size(), QSize(400, 300));
}

TEST_F(Run, TheAlarmListStoredPartlyOffTheScreenComesBackWithinItsWorkArea)
{
    const QRect area = screen.metrics().workArea;
    const struct
    {
        const char *normPos;
        QRect restored;
    } cases[] = {
        {"100,50,500,350", QRect(100, 50, 400, 300)},
        {"600,100,1000,400", QRect(area.right() + 1 - 400, 100, 400, 300)},
        {"3000,3000,3400,3300", QRect(area.right() + 1 - 400, area.bottom() + 1 - 300, 400, 300)},
        {"-100,-50,5000,4000", area},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.normPos);
        WriteBytes(Path(), "[fmAlarmsEdit]\r\nPixelsPerInch=96\r\nNormPos=" + QByteArray(c.normPos) + "\r\n");
        StartHidden();
        EXPECT_EQ(Normal(alarms), c.restored);
        Close();
    }
}

TEST(KeepOnScreen, AFrameThatFitsStaysAndOneOffTheWorkAreaMovesInWithItsSize)
{
    const QRect work(0, 30, 640, 482); // a panel across the top
    const struct
    {
        QRect frame;
        QRect kept;
        const char *what;
    } cases[] = {
        {QRect(100, 100, 400, 300), QRect(100, 100, 400, 300), "fits"},
        {QRect(0, 30, 640, 482), QRect(0, 30, 640, 482), "fills it exactly"},
        {QRect(441, 263, 507, 216), QRect(133, 263, 507, 216), "too far right"},
        {QRect(100, 400, 400, 300), QRect(100, 212, 400, 300), "too low"},
        {QRect(-50, 0, 400, 300), QRect(0, 30, 400, 300), "above and left of it"},
        {QRect(3000, 3000, 400, 300), QRect(240, 212, 400, 300), "far beyond its corner"},
        {QRect(200, 100, 800, 300), QRect(0, 100, 800, 300), "wider than it"},
        {QRect(200, 100, 900, 900), QRect(0, 30, 900, 900), "larger than it"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(platform::KeepOnScreen(c.frame, work), c.kept);
    }
}

TEST(KeepClearOf, AnOverlappedFrameMovesAboveElseLeftOfTheOtherWhereItStillStartsOnTheWorkArea)
{
    const QRect work(0, 0, 640, 440);
    const QRect alert(340, 340, 300, 100); // bottom right
    const struct
    {
        QRect frame;
        QRect other;
        QRect kept;
        const char *what;
    } cases[] = {
        {QRect(100, 100, 200, 200), alert, QRect(100, 100, 200, 200), "clear of it"},
        {QRect(133, 224, 507, 216), alert, QRect(133, 124, 507, 216), "moved above it"},
        {QRect(100, 50, 300, 380), alert, QRect(40, 50, 300, 380), "too tall to go above: left"},
        {QRect(0, 0, 640, 440), alert, QRect(0, 0, 640, 440), "no room either way"},
        {QRect(133, 224, 507, 216), QRect(), QRect(133, 224, 507, 216), "no other window"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(platform::KeepClearOf(c.frame, c.other, work), c.kept);
    }
}

TEST(WorkAreaOf, TheScreenHoldingMostOfTheFrameElseThePrimaryOne)
{
    const QRect primary(0, 0, 1280, 994);
    const QRect right(1280, 0, 1024, 768);
    const QList<QRect> areas = {primary, right};
    EXPECT_EQ(platform::WorkAreaOf(QRect(100, 100, 400, 300), areas), primary);
    EXPECT_EQ(platform::WorkAreaOf(QRect(2000, 100, 400, 300), areas), right);
    EXPECT_EQ(platform::WorkAreaOf(QRect(1200, 100, 400, 300), areas), right) << "astride, mostly right";
    EXPECT_EQ(platform::WorkAreaOf(QRect(1000, 100, 400, 300), areas), primary) << "astride, mostly left";
    EXPECT_EQ(platform::WorkAreaOf(QRect(3000, 3000, 400, 300), areas), primary) << "on none";
    EXPECT_EQ(platform::WorkAreaOf(QRect(-500, 100, 400, 300), {right, primary}), right) << "the first";
}

TEST_F(Run, AlarmSectionsSavedAtCloseSurviveThePlacementWriteBack)
{
    Start();
    TAlarmTable &table = program->alarmTable();
    table.SetCells(TAlarmTable::ColEnabled, 3, "Oui");
    table.SetCells(TAlarmTable::ColMessage, 3, "Réveil <B>matin</B>");
    table.SetAlarmsModified(true);
    // What the alarm sections alone look like, written the same way into another file.
    const QString alone = DirPath() + "/alone.ini";
    SaveAlarmsIfModified(table, alone);
    table.SetAlarmsModified(true);
    testing_support::FileWrites writes(Path());
    Close();
    EXPECT_EQ(writes.count(), 2); // the alarms, then the placement and the preferences
    const QByteArray expected = ReadBytes(alone);
    const QByteArray text = ReadBytes(Path());
    for (int i = 0; i < 8; ++i) {
        const QString section = QString::asprintf("Alarm_%.3d", i);
        EXPECT_EQ(SectionLines(text, section), SectionLines(expected, section)) << qPrintable(section);
        EXPECT_FALSE(SectionLines(text, section).isEmpty());
    }
}

TEST_F(Run, AReadOnlyFileIsLeftAloneAndOnlyAChangedPreferenceReportsTheWrite)
{
    const QByteArray before =
        "[fmMain]\r\nShowCmd=1\r\nPixelsPerInch=96\r\nNormPos=50,60,450,360\r\n\r\n"
        "[Display]\r\nAppStayOnTop=0\r\nAppShowMenu=1\r\n[Alarms]\r\nActAlarmsSound=1\r\n";
    WriteBytes(Path(), before);
    ASSERT_TRUE(QFile::setPermissions(Path(), QFileDevice::ReadOwner | QFileDevice::ReadGroup));
    testing_support::ErrorRecorder errors;
    Start();
    EXPECT_EQ(Normal(window), QRect(50, 60, 400, 300));
    window->move(10, 10); // the placement is not written back
    Close();
    EXPECT_TRUE(errors.messages.isEmpty()) << qPrintable(errors.messages.join(u'\n'));
    EXPECT_EQ(ReadBytes(Path()), before);

    Start();
    window->ActAppStayOnTop->Execute(window->ActAppStayOnTop);
    Close(); // reported, and the program still ends
    ASSERT_EQ(errors.messages.size(), 1);
    EXPECT_EQ(errors.messages[0], "Impossible d'écrire dans " + Path() + ".");
    EXPECT_EQ(ReadBytes(Path()), before);
}

TEST_F(Run, LargeSizeChangesEndWithFittedDigits)
{
    Start();
    QSlider *slider = window->tbFontSize;
    for (const QSize size : {QSize(3800, 2000), QSize(200, 100), QSize(3000, 1500)}) {
        window->resize(size);
        // Each further pass runs from the event loop; three cover the slider's whole range.
        for (int i = 0; i < 5; ++i)
            QCoreApplication::processEvents();
        const int position = slider->value();
        if (position == slider->minimum() || position == slider->maximum())
            continue;
        // Fitted: the sample fits here and not one point above (after shrinking), or fits one
        // point below and not here (after growing).
        const bool fits = !window->TextDoesNotFit();
        window->setFontSizePosition(fits ? position + 1 : position - 1);
        EXPECT_EQ(window->TextDoesNotFit(), fits) << size.width() << " at " << position;
        window->setFontSizePosition(position);
    }
}
