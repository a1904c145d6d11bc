#include "AlarmFixture.h"

#include "platform/Exception.h"
#include "settings/IniFile.h"

#include <QDir>
#include <QFileInfo>

namespace {

using LoadAndSave = AlarmFixture;

QByteArray section(int i, const QByteArray &lines)
{
    return "[Alarm_00" + QByteArray::number(i) + "]\r\n" + lines;
}

} // namespace

TEST_F(LoadAndSave, WithoutAFileEveryRowIsResetAndNothingIsWrittenAtClose)
{
    at(7, 15, 30);
    init();
    for (int r = 1; r <= 8; ++r) {
        EXPECT_EQ(cell(ColNumber, r), QString::asprintf("%.3d", r));
        EXPECT_EQ(cell(ColDate, r), QStringLiteral("10/12/2026"));
        EXPECT_EQ(cell(ColTime, r), QStringLiteral("07:15:30"));
        EXPECT_EQ(cell(ColEnabled, r), uRes::No);
        EXPECT_EQ(cell(ColMessage, r), QStringLiteral("-"));
        EXPECT_EQ(cell(ColShutdown, r), uRes::No);
    }
    EXPECT_FALSE(host.activated);
    EXPECT_FALSE(table.isModified());
    save();
    EXPECT_FALSE(QFileInfo::exists(iniFileName));
}

TEST_F(LoadAndSave, SectionsLoadAsStoredOrReset)
{
    at(12, 0, 0);
    writeIni(
        section(0, "Enabled=1\r\nDate=11/12/2026\r\nTime=06:00:00\r\nDisplayName=Demain\r\nShutdown=1\r\n") +
        section(1, "Enabled=1\r\nDate=10/12/2026\r\nTime=11:59:59\r\nDisplayName=Passée\r\n") +
        section(2, "Enabled=0\r\nDate=10/12/2026\r\nTime=18:00:00\r\nDisplayName=  \"Plus tard\"  \r\n") +
        section(3, "Enabled=1\r\nDate=10/12/2026\r\nDisplayName=Sans heure\r\n") +
        section(4, "Enabled=0\r\nDate=24/12/2026\r\nDisplayName=Sans heure, plus tard\r\n") +
        section(5, "Enabled=0\r\nTime=20:30:00\r\nDisplayName=   Sans date   \r\n") +
        section(6, "Enabled=0\r\nDate=31/02/2026\r\nTime=20:30:00\r\nDisplayName='Date fausse'\r\n"));
    init();
    struct Row
    {
        const char *date, *time, *enabled, *message, *shutdown;
    };
    const Row expected[8] = {
        {"11/12/2026", "06:00:00", "Oui", "Demain", "Oui"},
        {"10/12/2026", "12:00:00", "Non", "-", "Non"},
        {"10/12/2026", "18:00:00", "Non", "Plus tard", "Non"},
        {"10/12/2026", "12:00:00", "Non", "-", "Non"},
        {"24/12/2026", "12:00:00", "Non", "Sans heure, plus tard", "Non"},
        {"10/12/2026", "20:30:00", "Non", "Sans date", "Non"},
        {"10/12/2026", "20:30:00", "Non", "Date fausse", "Non"},
        {"10/12/2026", "12:00:00", "Non", "-", "Non"},
    };
    for (int r = 1; r <= 8; ++r) {
        const Row &e = expected[r - 1];
        EXPECT_EQ(cell(ColDate, r), QString::fromUtf8(e.date)) << r;
        EXPECT_EQ(cell(ColTime, r), QString::fromUtf8(e.time)) << r;
        EXPECT_EQ(cell(ColEnabled, r), QString::fromUtf8(e.enabled)) << r;
        EXPECT_EQ(cell(ColMessage, r), QString::fromUtf8(e.message)) << r;
        EXPECT_EQ(cell(ColShutdown, r), QString::fromUtf8(e.shutdown)) << r;
    }
    EXPECT_TRUE(host.activated);
    EXPECT_TRUE(host.indicator);
    EXPECT_FALSE(table.isModified());
}

TEST_F(LoadAndSave, DisabledAlarmsNeverSwitchActivationOnAndLoadingNeverSwitchesItOff)
{
    at(12, 0, 0);
    writeIni(section(0, "Enabled=0\r\nDate=11/12/2026\r\nTime=06:00:00\r\n"));
    init();
    EXPECT_FALSE(host.activated);
}

TEST_F(LoadAndSave, ASaveAfterOneEditWritesAllEightSections)
{
    at(7, 15, 30);
    init();
    arm(3, QDate(2026, 12, 25), QTime(7, 30), QStringLiteral("Réveil"));
    table.SetAlarmsModified(true);
    save();
    EXPECT_FALSE(table.isModified());

    QByteArray expected;
    for (int i = 0; i < 8; ++i) {
        if (i == 2)
            expected += section(
                i, "Enabled=1\r\nDate=25/12/2026\r\nTime=07:30:00\r\nDisplayName=Réveil\r\nShutdown=0\r\n");
        else
            expected += section(
                i, "Enabled=0\r\nDate=10/12/2026\r\nTime=07:15:30\r\nDisplayName=-\r\nShutdown=0\r\n");
    }
    EXPECT_EQ(readIni(), expected);
}

TEST_F(LoadAndSave, KeysThatAreNotTheProgramsStayInTheFile)
{
    at(7, 0, 0);
    writeIni("; mes réglages\r\n[Autre]\r\nClé=valeur\r\n" + section(0, "Enabled=0\r\nCouleur=rouge\r\n"));
    init();
    table.SetAlarmsModified(true);
    save();
    const QByteArray saved = readIni();
    EXPECT_TRUE(saved.startsWith(
        "; mes réglages\r\n[Autre]\r\nClé=valeur\r\n[Alarm_000]\r\nEnabled=0\r\nCouleur=rouge\r\n"));
}

TEST_F(LoadAndSave, ADateWrittenUnderOnePatternIsRewrittenInTheCurrentOne)
{
    at(7, 0, 0);
    writeIni(
        section(0, "Enabled=1\r\nDate=12/25/2026\r\nTime=7:30:00 AM\r\nDisplayName=Noël\r\nShutdown=0\r\n"));
    regional.set(platform::FormatSettingsFor(QLocale(QLocale::English, QLocale::UnitedStates)));
    init();
    EXPECT_EQ(cell(ColEnabled, 1), uRes::Yes);
    regional.set(platform::FormatSettingsFor(QLocale(QLocale::French, QLocale::France)));
    // The table's texts are the American ones: they no longer parse under French settings.
    arm(1, QDate(2026, 12, 25), QTime(7, 30), QStringLiteral("Noël"));
    table.SetAlarmsModified(true);
    save();
    const TIniFile ini(iniFileName);
    EXPECT_EQ(ini.ReadString(QStringLiteral("Alarm_000"), QStringLiteral("Date"), {}),
              QStringLiteral("25/12/2026"));
    EXPECT_EQ(ini.ReadString(QStringLiteral("Alarm_000"), QStringLiteral("Time"), {}),
              QStringLiteral("07:30:00"));
}

TEST_F(LoadAndSave, AFailedSaveKeepsWhatWasWrittenAndTheModifiedFlag)
{
    at(7, 0, 0);
    init();
    table.SetCells(ColDate, 2, QStringLiteral("pas une date"));
    table.SetAlarmsModified(true);
    try {
        save();
        FAIL() << "no conversion error";
    } catch (const EConvertError &e) {
        EXPECT_EQ(e.message(), QStringLiteral("'pas une date' n'est pas une date correcte"));
    }
    EXPECT_TRUE(table.isModified());
    const TIniFile ini(iniFileName);
    EXPECT_EQ(ini.ReadString(QStringLiteral("Alarm_000"), QStringLiteral("Shutdown"), {}),
              QStringLiteral("0"));
    EXPECT_EQ(ini.ReadString(QStringLiteral("Alarm_001"), QStringLiteral("Enabled"), {}),
              QStringLiteral("0"));
    EXPECT_EQ(ini.ReadString(QStringLiteral("Alarm_001"), QStringLiteral("Date"), QStringLiteral("absent")),
              QStringLiteral("absent"));
}

TEST_F(LoadAndSave, AFileThatCannotBeWrittenRaisesTheWriteError)
{
    at(7, 0, 0);
    iniFileName = dir.filePath(QStringLiteral("dossier"));
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("dossier"))); // a folder where the file should be
    init();
    table.SetAlarmsModified(true);
    try {
        save();
        FAIL() << "no write error";
    } catch (const EIniFileException &e) {
        EXPECT_EQ(e.message(), QStringLiteral("Impossible d'écrire dans ") + iniFileName);
    }
    EXPECT_TRUE(table.isModified());
}

TEST_F(LoadAndSave, AMessageWithLineBreaksComesBackWhole)
{
    at(7, 0, 0);
    init();
    arm(1, today(), QTime(8, 0), QStringLiteral("Première ligne\nseconde\r\ntroisième"));
    table.SetAlarmsModified(true);
    save();
    EXPECT_TRUE(readIni().contains("DisplayName=Première ligne<BR>seconde<BR>troisième\r\nShutdown=0\r\n"));
    init();
    EXPECT_EQ(cell(ColMessage, 1), QStringLiteral("Première ligne<BR>seconde<BR>troisième"));
    EXPECT_EQ(cell(ColEnabled, 1), uRes::Yes);
}
