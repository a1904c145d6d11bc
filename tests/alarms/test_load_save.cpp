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
    InitAlarmGrid();
    for (int r = 1; r <= 8; ++r) {
        EXPECT_EQ(cell(0, r), QString::asprintf("%.3d", r));
        EXPECT_EQ(cell(1, r), QStringLiteral("10/12/2026"));
        EXPECT_EQ(cell(2, r), QStringLiteral("07:15:30"));
        EXPECT_EQ(cell(3, r), QStringLiteral("Non"));
        EXPECT_EQ(cell(4, r), QStringLiteral("-"));
        EXPECT_EQ(cell(5, r), QStringLiteral("Non"));
    }
    EXPECT_FALSE(activation());
    EXPECT_FALSE(table().Modified());
    SaveAlarmsIfModified();
    EXPECT_FALSE(QFileInfo::exists(IniFileName));
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
    InitAlarmGrid();
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
        EXPECT_EQ(cell(1, r), QString::fromUtf8(e.date)) << r;
        EXPECT_EQ(cell(2, r), QString::fromUtf8(e.time)) << r;
        EXPECT_EQ(cell(3, r), QString::fromUtf8(e.enabled)) << r;
        EXPECT_EQ(cell(4, r), QString::fromUtf8(e.message)) << r;
        EXPECT_EQ(cell(5, r), QString::fromUtf8(e.shutdown)) << r;
    }
    EXPECT_TRUE(activation());
    EXPECT_TRUE(fmMain->lblAlarms->isVisibleTo(fmMain));
    EXPECT_FALSE(table().Modified());
}

TEST_F(LoadAndSave, DisabledAlarmsNeverSwitchActivationOnAndLoadingNeverSwitchesItOff)
{
    at(12, 0, 0);
    writeIni(section(0, "Enabled=0\r\nDate=11/12/2026\r\nTime=06:00:00\r\n"));
    InitAlarmGrid();
    EXPECT_FALSE(activation());
}

TEST_F(LoadAndSave, ASaveAfterOneEditWritesAllEightSections)
{
    at(7, 15, 30);
    InitAlarmGrid();
    arm(3, QDate(2026, 12, 25), QTime(7, 30), QStringLiteral("Réveil"));
    table().SetAlarmsModified(true);
    SaveAlarmsIfModified();
    EXPECT_FALSE(table().Modified());

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
    InitAlarmGrid();
    table().SetAlarmsModified(true);
    SaveAlarmsIfModified();
    const QByteArray saved = readIni();
    EXPECT_TRUE(saved.startsWith(
        "; mes réglages\r\n[Autre]\r\nClé=valeur\r\n[Alarm_000]\r\nEnabled=0\r\nCouleur=rouge\r\n"));
}

TEST_F(LoadAndSave, ADateWrittenUnderOnePatternIsRewrittenInTheCurrentOne)
{
    at(7, 0, 0);
    writeIni(
        section(0, "Enabled=1\r\nDate=12/25/2026\r\nTime=7:30:00 AM\r\nDisplayName=Noël\r\nShutdown=0\r\n"));
    platform::SetFormatSettings(
        platform::FormatSettingsFor(QLocale(QLocale::English, QLocale::UnitedStates)));
    InitAlarmGrid();
    EXPECT_EQ(cell(3, 1), QStringLiteral("Oui"));
    platform::SetFormatSettings(platform::FormatSettingsFor(QLocale(QLocale::French, QLocale::France)));
    // The table's texts are the American ones: they no longer parse under French settings.
    arm(1, QDate(2026, 12, 25), QTime(7, 30), QStringLiteral("Noël"));
    table().SetAlarmsModified(true);
    SaveAlarmsIfModified();
    const TIniFile ini(IniFileName);
    EXPECT_EQ(ini.ReadString(QStringLiteral("Alarm_000"), QStringLiteral("Date"), {}),
              QStringLiteral("25/12/2026"));
    EXPECT_EQ(ini.ReadString(QStringLiteral("Alarm_000"), QStringLiteral("Time"), {}),
              QStringLiteral("07:30:00"));
}

TEST_F(LoadAndSave, AFailedSaveKeepsWhatWasWrittenAndTheModifiedFlag)
{
    at(7, 0, 0);
    InitAlarmGrid();
    table().SetCells(1, 2, QStringLiteral("pas une date"));
    table().SetAlarmsModified(true);
    try {
        SaveAlarmsIfModified();
        FAIL() << "no conversion error";
    } catch (const EConvertError &e) {
        EXPECT_EQ(e.Message(), QStringLiteral("'pas une date' n'est pas une date correcte"));
    }
    EXPECT_TRUE(table().Modified());
    const TIniFile ini(IniFileName);
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
    IniFileName = dir.filePath(QStringLiteral("dossier"));
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("dossier"))); // a folder where the file should be
    InitAlarmGrid();
    table().SetAlarmsModified(true);
    try {
        SaveAlarmsIfModified();
        FAIL() << "no write error";
    } catch (const EIniFileException &e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Impossible d'écrire dans ") + IniFileName);
    }
    EXPECT_TRUE(table().Modified());
}

TEST_F(LoadAndSave, AMessageWithLineBreaksComesBackWhole)
{
    at(7, 0, 0);
    InitAlarmGrid();
    arm(1, today(), QTime(8, 0), QStringLiteral("Première ligne\nseconde\r\ntroisième"));
    table().SetAlarmsModified(true);
    SaveAlarmsIfModified();
    EXPECT_TRUE(readIni().contains("DisplayName=Première ligne<BR>seconde<BR>troisième\r\nShutdown=0\r\n"));
    InitAlarmGrid();
    EXPECT_EQ(cell(4, 1), QStringLiteral("Première ligne<BR>seconde<BR>troisième"));
    EXPECT_EQ(cell(3, 1), QStringLiteral("Oui"));
}

TEST_F(LoadAndSave, AFailedCloseKeepsTheWindowOpenAndTheChecksRunning)
{
    testing_support::ErrorRecorder errors;
    at(7, 0, 0);
    IniFileName = dir.filePath(QStringLiteral("dossier"));
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("dossier")));
    InitAlarmGrid();
    table().SetAlarmsModified(true);
    main->show();
    EXPECT_FALSE(main->close());
    EXPECT_TRUE(main->isVisible());
    EXPECT_FALSE(Closing);
    ASSERT_EQ(errors.messages.size(), 1);
    EXPECT_EQ(errors.messages[0],
              QStringLiteral("Impossible d'écrire dans ") + IniFileName + QLatin1Char('.'));
}
