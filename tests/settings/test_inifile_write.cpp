#include "SettingsTestSupport.h"

#include "platform/Exception.h"
#include "settings/IniFile.h"

#include <QDir>
#include <QFileInfo>

#include <sys/stat.h>

using namespace settings_test;

namespace {

class IniWrite : public IniFixture
{
protected:
    // The file after one write into a file that held `before`.
    QByteArray After(const QByteArray &before, const QString &section, const QString &key,
                     const QString &value)
    {
        WriteBytes(Path(), before);
        TIniFile(Path()).WriteString(section, key, value);
        return ReadBytes(Path());
    }

    QStringList FilesInFolder() const { return QDir(DirPath()).entryList(QDir::Files | QDir::Hidden); }

    static ino_t Inode(const QString &path)
    {
        struct stat st = {};
        ::stat(QFile::encodeName(path).constData(), &st);
        return st.st_ino;
    }

    // Runs a write that must fail and checks the error and the untouched file.
    void ExpectWriteFails(const QString &path, const QByteArray &before)
    {
        try {
            TIniFile(path).WriteString("S", "K", "new");
            ADD_FAILURE() << "no error raised";
        } catch (const EIniFileException &e) {
            EXPECT_EQ(e.message(), "Impossible d'écrire dans " + path);
        }
        EXPECT_EQ(ReadBytes(path), before);
    }
};

TEST_F(IniWrite, ANewFileHoldsExactlyTheSectionAndTheKey)
{
    TIniFile(Path()).WriteString("Alarm_000", "Enabled", "1");
    EXPECT_EQ(ReadBytes(Path()), QByteArray("[Alarm_000]\r\nEnabled=1\r\n"));
}

TEST_F(IniWrite, CreatesSectionsAndKeysWhereTheProfileFunctionsPutThem)
{
    const struct
    {
        const char *what;
        QByteArray before;
        const char *section;
        const char *key;
        QByteArray after;
    } cases[] = {
        {"new section at the end, no blank line", "[A]\r\nx=1\r\n", "B", "y", "[A]\r\nx=1\r\n[B]\r\ny=v\r\n"},
        {"new section after a last line without line end", "[A]\r\nx=1", "B", "y",
         "[A]\r\nx=1\r\n[B]\r\ny=v\r\n"},
        {"new section after an LF file", "[A]\nx=1\n", "B", "y", "[A]\nx=1\n[B]\r\ny=v\r\n"},
        {"new section into an empty file", "", "B", "y", "[B]\r\ny=v\r\n"},
        {"new section after a byte-order mark only", "\xEF\xBB\xBF", "B", "y", "\xEF\xBB\xBF[B]\r\ny=v\r\n"},
        {"new key after the last key line, before blank and comment lines",
         "[A]\r\nx=1\r\nz=2\r\n\r\n; note\r\n[B]\r\ny=2\r\n", "A", "new",
         "[A]\r\nx=1\r\nz=2\r\nnew=v\r\n\r\n; note\r\n[B]\r\ny=2\r\n"},
        {"new key in a section without keys goes after its header", "; top\r\n[A]\r\n\r\n[B]\r\n", "A", "k",
         "; top\r\n[A]\r\nk=v\r\n\r\n[B]\r\n"},
        {"new key after a last line without line end", "[A]\r\nx=1", "A", "k", "[A]\r\nx=1\r\nk=v\r\n"},
        {"new key in a CR-only file", "[A]\rx=1\r[B]\r", "A", "k", "[A]\rx=1\rk=v\r\n[B]\r"},
        {"new key goes into the first of duplicate sections", "[A]\r\nx=1\r\n[a]\r\ny=2\r\n", "A", "k",
         "[A]\r\nx=1\r\nk=v\r\n[a]\r\ny=2\r\n"},
        {"replaced in place, keeping the spelling and spacing of the key", "[a]\r\n  KEY = old \r\nn=1\r\n",
         "A", "key", "[a]\r\n  KEY = v\r\nn=1\r\n"},
        {"replaced in place, keeping an LF line end", "[A]\nk=old\nn=1\n", "A", "k", "[A]\nk=v\nn=1\n"},
        {"replaced in place, keeping a missing line end", "[A]\r\nk=old", "A", "k", "[A]\r\nk=v"},
        {"the first of duplicate keys is replaced", "[A]\r\nk=1\r\nK=2\r\n", "A", "k",
         "[A]\r\nk=v\r\nK=2\r\n"},
        {"an empty value is replaced", "[A]\r\nk=\r\n", "A", "k", "[A]\r\nk=v\r\n"},
        {"other lines keep their bytes, Windows-1252, NUL and all",
         Bytes("\xEF\xBB\xBF; caf\xE9\r\n[A]\rk=old\n\x00junk\x00\r\n[B]\r\nd=\xE9t\xE9\r\n"), "A", "k",
         Bytes("\xEF\xBB\xBF; caf\xE9\r\n[A]\rk=v\n\x00junk\x00\r\n[B]\r\nd=\xE9t\xE9\r\n")},
    };
    for (const auto &c : cases)
        EXPECT_EQ(After(c.before, c.section, c.key, "v"), c.after) << c.what;
}

TEST_F(IniWrite, AWindows1252KeyLineIsRewrittenInUtf8)
{
    const QByteArray after = After("[A]\r\nCl\xE9=R\xE9veil\r\nn=\xE9\r\n", "A", "Clé", "Été");
    EXPECT_EQ(after, QByteArray("[A]\r\nCl\xC3\xA9=\xC3\x89t\xC3\xA9\r\nn=\xE9\r\n"));
    EXPECT_EQ(TIniFile(Path()).ReadString("A", "Clé", "-"), "Été");
}

TEST_F(IniWrite, AUtf16FileIsWrittenBackAsUtf8WithItsLinesKept)
{
    for (const bool littleEndian : {true, false}) {
        SCOPED_TRACE(littleEndian ? "little endian" : "big endian");
        const QByteArray after =
            After(Utf16("; réglages\r\n[Alarm_000]\r\nEnabled=0\r\nDisplayName=Réveil\r\n", littleEndian),
                  "Alarm_000", "Enabled", "1");
        EXPECT_EQ(
            after,
            "\xEF\xBB\xBF; r\xC3\xA9glages\r\n[Alarm_000]\r\nEnabled=1\r\nDisplayName=R\xC3\xA9veil\r\n");
    }
}

TEST_F(IniWrite, NothingIsWrittenThatTheNextStartCouldNotRead)
{
    // "[S]\r\nK=" and "\r\n" around the value: a value of 21 characters gives 30 bytes.
    const QByteArray before = "[S]\r\nK=1\r\n";
    WriteBytes(Path(), before);
    const WholeFileLimit limit(30);
    TIniFile ini(Path());
    EXPECT_THROW(ini.WriteString("S", "K", QString(22, u'v')), EIniFileException);
    EXPECT_EQ(ReadBytes(Path()), before);
    ini.BeginUpdate();
    ini.WriteString("S", "K", "2");
    ini.WriteString("T", "L", QString(20, u'w'));
    EXPECT_THROW(ini.UpdateFile(), EIniFileException);
    EXPECT_EQ(ReadBytes(Path()), before);
    EXPECT_EQ(FilesInFolder(), QStringList{"tempovir.ini"});

    ini.WriteString("S", "K", QString(21, u'v'));
    EXPECT_EQ(ReadBytes(Path()).size(), 30);
    EXPECT_EQ(ini.ReadString("S", "K", "-"), QString(21, u'v'));
}

TEST_F(IniWrite, WritingTheValueAKeyAlreadyHasLeavesTheFileUntouched)
{
    const struct
    {
        QByteArray before;
        QString value;
    } cases[] = {
        {"[A]\r\nk=1\r\n", "1"},
        {"[A]\nk =  1 \n", "1"},
        {"[A]\r\nk=R\xE9veil\r\n", "Réveil"},
        {"[A]\r\nk=\"quoted\"\r\n", "\"quoted\""},
    };
    for (const auto &[before, value] : cases) {
        WriteBytes(Path(), before);
        const ino_t inode = Inode(Path());
        TIniFile(Path()).WriteString("a", "K", value);
        EXPECT_EQ(ReadBytes(Path()), before);
        EXPECT_EQ(Inode(Path()), inode) << "the file was rewritten";
    }
}

TEST_F(IniWrite, LineBreaksInAValueBecomeSingleSpaces)
{
    TIniFile ini(Path());
    ini.WriteString("A", "msg", "one\r\ntwo\rthree\nfour\n\nfive");
    ini.WriteString("A", "next", "x");
    EXPECT_EQ(ReadBytes(Path()), QByteArray("[A]\r\nmsg=one two three four  five\r\nnext=x\r\n"));
    EXPECT_EQ(ini.ReadString("A", "next", "-"), "x");
}

TEST_F(IniWrite, ValuesReadBackAsWritten)
{
    TIniFile ini(Path());
    const QString values[] = {"Réveil", "a=b", "[x]", "; y", "€ œ 日本 😀", "Message alarme 003", "-"};
    for (const QString &value : values) {
        ini.WriteString("Alarm_002", "DisplayName", value);
        EXPECT_EQ(ini.ReadString("Alarm_002", "DisplayName", "<default>"), value);
    }
    ini.WriteBool("A", "on", true);
    ini.WriteBool("A", "off", false);
    ini.WriteInteger("A", "n", -5);
    EXPECT_TRUE(ReadBytes(Path()).endsWith("\r\n[A]\r\non=1\r\noff=0\r\nn=-5\r\n"));
    EXPECT_TRUE(ini.ReadBool("A", "on", false));
    EXPECT_FALSE(ini.ReadBool("A", "off", true));
    EXPECT_EQ(ini.ReadInteger("A", "n", 0), -5);
}

TEST_F(IniWrite, DatesAndTimesAreWrittenAsRegionalText)
{
    TIniFile ini(Path());
    ini.WriteDate("Alarm_000", "Date", QDate(2006, 12, 25));
    ini.WriteTime("Alarm_000", "Time", QTime(7, 30, 0, 999));
    EXPECT_EQ(ReadBytes(Path()), QByteArray("[Alarm_000]\r\nDate=25/12/2006\r\nTime=07:30:00\r\n"));
    EXPECT_EQ(ini.ReadDate("Alarm_000", "Date", QDate()), QDate(2006, 12, 25));
    EXPECT_EQ(ini.ReadTime("Alarm_000", "Time", QTime()), QTime(7, 30));

    FakeRegional american(American());
    ini.WriteTime("Alarm_000", "Time", QTime(19, 30));
    EXPECT_EQ(ini.ReadString("Alarm_000", "Time", "-"), "7:30:00 PM");
}

TEST_F(IniWrite, AFileTheUserMayNotWriteIsRefused)
{
    const QByteArray before("[S]\r\nK=old\r\n");
    WriteBytes(Path(), before);
    QFile::setPermissions(Path(), QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther);
    ExpectWriteFails(Path(), before);
    EXPECT_EQ(FilesInFolder(), QStringList{"tempovir.ini"});
}

TEST_F(IniWrite, AMissingFolderOrAFolderInPlaceOfTheFileIsRefused)
{
    const QString inMissing = DirPath() + "/missing/tempovir.ini";
    ExpectWriteFails(inMissing, "<missing>");
    QDir(DirPath()).mkdir("folder.ini");
    try {
        TIniFile(DirPath() + "/folder.ini").WriteString("S", "K", "v");
        ADD_FAILURE() << "no error raised";
    } catch (const EIniFileException &e) {
        EXPECT_EQ(e.message(), "Impossible d'écrire dans " + DirPath() + "/folder.ini");
    }
}

TEST_F(IniWrite, AWriteFailingHalfWayLeavesTheOldFileWhole)
{
    QByteArray before = "[Alarm_000]\r\nEnabled=1\r\nDisplayName=Réveil\r\n";
    before += QByteArray(4000, 'x').prepend("[Other]\r\npad=") + "\r\n";
    WriteBytes(Path(), before);
    for (const qint64 written : {qint64(0), qint64(10), before.size() / 2, before.size() - 1}) {
        {
            const FileSizeLimit limit{rlim_t(written)};
            try {
                TIniFile(Path()).WriteString("Alarm_000", "Enabled", "0");
                ADD_FAILURE() << "no error raised after " << written << " bytes";
            } catch (const EIniFileException &e) {
                EXPECT_EQ(e.message(), "Impossible d'écrire dans " + Path());
            }
            // Nothing needs writing: no error, whatever the limit.
            TIniFile(Path()).WriteString("Alarm_000", "Enabled", "1");
        }
        EXPECT_EQ(ReadBytes(Path()), before);
        EXPECT_EQ(FilesInFolder(), QStringList{"tempovir.ini"}) << "a temporary file was left behind";
    }
    TIniFile(Path()).WriteString("Alarm_000", "Enabled", "0");
    EXPECT_EQ(TIniFile(Path()).ReadString("Alarm_000", "Enabled", "-"), "0");
}

TEST_F(IniWrite, ANewFileThatCannotBeWrittenWholeLeavesNothing)
{
    const FileSizeLimit limit(5);
    ExpectWriteFails(Path(), "<missing>");
    EXPECT_EQ(FilesInFolder(), QStringList{});
}

TEST_F(IniWrite, AReadOnlyFileAcceptsTheValuesItAlreadyHolds)
{
    const QByteArray before("[Display]\r\nAppStayOnTop=0\r\nAppShowMenu=1\r\n");
    WriteBytes(Path(), before);
    const auto readOnly = QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther;
    ASSERT_TRUE(QFile::setPermissions(Path(), readOnly));
    TIniFile ini(Path());
    ini.WriteBool("Display", "AppStayOnTop", false);
    ini.WriteString("display", "appshowmenu", " 1 ");
    EXPECT_EQ(ReadBytes(Path()), before);
    EXPECT_THROW(ini.WriteBool("Display", "AppShowMenu", false), EIniFileException);
    EXPECT_THROW(ini.WriteBool("Alarms", "ActAlarmsSound", true), EIniFileException);
    EXPECT_EQ(ReadBytes(Path()), before);
    const auto forAnyone = ~(QFileDevice::ReadUser | QFileDevice::WriteUser | QFileDevice::ExeUser);
    EXPECT_EQ(QFile::permissions(Path()) & forAnyone, readOnly);
}

TEST_F(IniWrite, AGroupOfWritesReplacesTheFileOnceAtTheEnd)
{
    const QByteArray before("; alarms\r\n[Alarm_000]\r\n  Enabled = 0\r\nDate=25/12/2006\r\n");
    WriteBytes(Path(), before);
    const ino_t inode = Inode(Path());
    TIniFile ini(Path());
    ini.BeginUpdate();
    ini.WriteBool("Alarm_000", "Enabled", true);
    ini.WriteDate("Alarm_000", "Date", QDate(2006, 12, 25)); // already stored
    ini.WriteString("Alarm_001", "DisplayName", "Réveil\nmatin");
    EXPECT_EQ(ini.ReadString("Alarm_001", "DisplayName", "-"), "Réveil matin") << "a read sees the group";
    EXPECT_EQ(ReadBytes(Path()), before);
    EXPECT_EQ(Inode(Path()), inode) << "a write of the group reached the file";

    ini.UpdateFile();
    const QByteArray after = "; alarms\r\n[Alarm_000]\r\n  Enabled = 1\r\nDate=25/12/2006\r\n"
                             "[Alarm_001]\r\nDisplayName=R\xC3\xA9veil matin\r\n";
    EXPECT_EQ(ReadBytes(Path()), after);
    EXPECT_EQ(FilesInFolder(), QStringList{"tempovir.ini"});

    // The group is over: each write goes to the file again.
    ini.WriteBool("Alarm_001", "Shutdown", false);
    EXPECT_EQ(ReadBytes(Path()), after + "Shutdown=0\r\n");
    ini.UpdateFile();
    EXPECT_EQ(ReadBytes(Path()), after + "Shutdown=0\r\n");
}

TEST_F(IniWrite, AGroupIsWrittenWholeOrNotAtAll)
{
    const QByteArray before("[Display]\r\nAppStayOnTop=0\r\n");
    WriteBytes(Path(), before);
    {
        TIniFile ini(Path());
        ini.BeginUpdate();
        ini.WriteBool("Display", "AppStayOnTop", true);
        ini.WriteBool("Alarms", "ActAlarmsSound", true);
    } // released before UpdateFile: nothing written
    EXPECT_EQ(ReadBytes(Path()), before);

    for (const rlim_t limit : {rlim_t(0), rlim_t(before.size() + 10)}) {
        TIniFile ini(Path());
        ini.BeginUpdate();
        ini.WriteBool("Display", "AppStayOnTop", true);
        ini.WriteBool("Alarms", "ActAlarmsSound", true);
        const FileSizeLimit full(limit);
        try {
            ini.UpdateFile();
            ADD_FAILURE() << "no error raised with " << limit << " bytes";
        } catch (const EIniFileException &e) {
            EXPECT_EQ(e.message(), "Impossible d'écrire dans " + Path());
        }
        EXPECT_EQ(ReadBytes(Path()), before);
        EXPECT_EQ(FilesInFolder(), QStringList{"tempovir.ini"});
    }

    // A read-only file takes a group that stores nothing new, and refuses one that does.
    ASSERT_TRUE(QFile::setPermissions(Path(), QFileDevice::ReadOwner | QFileDevice::ReadGroup));
    TIniFile ini(Path());
    ini.BeginUpdate();
    ini.WriteBool("display", "appstayontop", false);
    EXPECT_NO_THROW(ini.UpdateFile());
    ini.BeginUpdate();
    ini.WriteBool("Display", "AppStayOnTop", true);
    EXPECT_THROW(ini.UpdateFile(), EIniFileException);
    EXPECT_EQ(ReadBytes(Path()), before);

    // What is no settings file refuses the group at once.
    ASSERT_TRUE(QDir(DirPath()).mkdir("folder.ini"));
    EXPECT_THROW(TIniFile(DirPath() + "/folder.ini").BeginUpdate(), EIniFileException);
}

TEST_F(IniWrite, TemporaryFilesLeftByAKilledWriteGoAtTheNextWrite)
{
    // What a write killed before its rename leaves, beside files that only look alike.
    const QStringList stale = {".tempovir.ini.tmp-a1B2c3", ".tempovir.ini.tmp-ZZZZZZ"};
    const QStringList others = {"tempovir.ini.tmp-a1B2c3",   ".tempovir.ini.tmp-a1B2c",
                                ".tempovir.ini.tmp-a1B2c3d", ".tempovir.ini.tmp-a1B2c!",
                                ".other.ini.tmp-a1B2c3",     "notes.txt"};
    for (const QString &name : stale + others)
        WriteBytes(DirPath() + "/" + name, "[S]\r\nK=half");
    ASSERT_TRUE(QDir(DirPath()).mkdir(".tempovir.ini.tmp-folder"));

    // A failed write removes nothing.
    {
        const FileSizeLimit limit(0);
        EXPECT_THROW(TIniFile(Path()).WriteString("S", "K", "v"), EIniFileException);
    }
    EXPECT_EQ(FilesInFolder().size(), stale.size() + others.size());

    TIniFile(Path()).WriteString("S", "K", "v");
    QStringList expected = others;
    expected << "tempovir.ini";
    expected.sort();
    QStringList left = FilesInFolder();
    left.sort();
    EXPECT_EQ(left, expected);
    EXPECT_TRUE(QFileInfo(DirPath() + "/.tempovir.ini.tmp-folder").isDir());
}

TEST_F(IniWrite, TheReplacementKeepsPermissionsAndWritesThroughALink)
{
    WriteBytes(Path(), "[S]\r\nK=old\r\n");
    const auto permissions = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadUser |
                             QFileDevice::WriteUser | QFileDevice::ReadGroup;
    ASSERT_TRUE(QFile::setPermissions(Path(), permissions));
    const QString link = DirPath() + "/link.ini";
    ASSERT_TRUE(QFile::link(Path(), link));

    TIniFile(link).WriteString("S", "K", "new");
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(ReadBytes(Path()), QByteArray("[S]\r\nK=new\r\n"));
    EXPECT_EQ(QFile::permissions(Path()), permissions);
}

TEST_F(IniWrite, ANewFileGetsTheUsualPermissions)
{
    const QString plain = DirPath() + "/plain";
    WriteBytes(plain, "x");
    TIniFile(Path()).WriteString("S", "K", "v");
    EXPECT_EQ(QFile::permissions(Path()), QFile::permissions(plain));
}

} // namespace
