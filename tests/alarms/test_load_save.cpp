#include "AlarmFixture.h"

#include "platform/Exception.h"
#include "settings/IniFile.h"
#include "support/Files.h"

#include <QDir>
#include <QFileInfo>

#include <optional>

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

TEST_F(LoadAndSave, ASaveReplacesTheFileOnceAndOnlyWhenAValueChanged)
{
    at(7, 0, 0);
    writeIni(
        "[Display]\r\nAppShowMenu=1\r\n" +
        section(0, "Enabled=1\r\nDate=11/12/2026\r\nTime=06:00:00\r\nDisplayName=Demain\r\nShutdown=0\r\n"));
    init();
    for (int r = 1; r <= 8; ++r)
        arm(r, QDate(2026, 12, 20 + r), QTime(8, r), QStringLiteral("Alarme %1").arg(r));
    table.SetAlarmsModified(true);
    testing_support::FileWrites writes(iniFileName);
    save();
    EXPECT_EQ(writes.count(), 1);
    const QByteArray saved = readIni();
    EXPECT_TRUE(saved.startsWith("[Display]\r\nAppShowMenu=1\r\n" +
                                 section(0, "Enabled=1\r\nDate=21/12/2026\r\nTime=08:01:00\r\n"
                                            "DisplayName=Alarme 1\r\nShutdown=0\r\n") +
                                 section(1, "Enabled=1\r\nDate=22/12/2026\r\n")));

    // The same alarms again: nothing to write.
    table.SetAlarmsModified(true);
    save();
    EXPECT_EQ(writes.count(), 1);
    EXPECT_EQ(readIni(), saved);
    EXPECT_FALSE(table.isModified());
}

TEST_F(LoadAndSave, AFailedSaveLeavesTheOldFileByteForByteAndTheModifiedFlag)
{
    const QByteArray before = "; mes alarmes\r\n" + section(0, "Enabled=0\r\nDate=10/12/2026\r\n");
    enum Failure { BadDate, ReadOnly, OverReadLimit };
    const struct
    {
        Failure failure;
        const char *what;
        QString error;
    } cases[] = {
        {BadDate, "a date that does not convert", "'pas une date' n'est pas une date correcte"},
        {ReadOnly, "a read-only file", "Impossible d'écrire dans " + iniFileName},
        {OverReadLimit, "a file that would grow past the read limit",
         "Impossible d'écrire dans " + iniFileName},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        at(7, 0, 0);
        writeIni(before);
        init();
        for (int r = 1; r <= 8; ++r)
            arm(r, QDate(2026, 12, 20 + r), QTime(8, 0));
        std::optional<testing_support::WholeFileLimit> limit;
        if (c.failure == BadDate) {
            table.SetCells(ColDate, 5, QStringLiteral("pas une date"));
        } else if (c.failure == ReadOnly) {
            ASSERT_TRUE(QFile::setPermissions(iniFileName, QFileDevice::ReadOwner | QFileDevice::ReadGroup));
        } else {
            limit.emplace(before.size() + 200);
        }
        table.SetAlarmsModified(true);
        try {
            save();
            ADD_FAILURE() << "no error";
        } catch (const Exception &e) {
            EXPECT_EQ(e.message(), c.error);
        }
        EXPECT_TRUE(table.isModified());
        EXPECT_EQ(readIni(), before);
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"tempovir.ini"});
        ASSERT_TRUE(QFile::setPermissions(iniFileName, QFileDevice::ReadOwner | QFileDevice::WriteOwner));
    }
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
