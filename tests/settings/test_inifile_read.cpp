#include "SettingsTestSupport.h"

#include "settings/IniFile.h"

using namespace settings_test;

namespace {

class IniRead : public IniFixture
{
protected:
    // The text read back from a file whose [S] section holds the given key line.
    QString ReadLine(const QByteArray &keyLine, const QString &Default = QStringLiteral("<default>"))
    {
        WriteBytes(Path(), "[S]\r\n" + keyLine + "\r\n");
        return TIniFile(Path()).ReadString(QStringLiteral("S"), QStringLiteral("K"), Default);
    }
};

TEST_F(IniRead, MissingFileSectionKeyOrValueGiveTheDefault)
{
    const TIniFile ini(Path());
    EXPECT_EQ(ini.ReadString("S", "K", "def"), "def");
    EXPECT_EQ(ini.ReadInteger("S", "K", 42), 42);
    EXPECT_TRUE(ini.ReadBool("S", "K", true));
    EXPECT_EQ(ini.ReadDate("S", "K", QDate(2001, 2, 3)), QDate(2001, 2, 3));
    EXPECT_FALSE(QFile::exists(Path())) << "reading must not create the file";

    WriteBytes(Path(), "[Other]\r\nK=1\r\n[S]\r\nJ=2\r\nK2=3\r\n");
    EXPECT_EQ(ini.ReadString("Missing", "K", "def"), "def");
    EXPECT_EQ(ini.ReadString("S", "K", "def"), "def") << "a key of another section or a longer name";
    for (const QByteArray &line :
         {QByteArray("K="), QByteArray("K=   "), QByteArray("K=\t"), QByteArray("K=\"\"")})
        EXPECT_EQ(ReadLine(line, "def"), "def") << line.constData();
}

TEST_F(IniRead, TrimsBlanksAndOnePairOfEnclosingQuotes)
{
    const struct
    {
        QByteArray line;
        QString expected;
    } cases[] = {
        {"K=value", "value"},
        {"K =  value with  inner blanks \t", "value with  inner blanks"},
        {"  K\t=value", "value"},
        {"K=\"quoted\"", "quoted"},
        {"K='single'", "single"},
        {"K= \" kept blanks \" ", " kept blanks "},
        {"K=\"\"twice\"\"", "\"twice\""},
        {"K=\"mismatched'", "\"mismatched'"},
        {"K=\"", "\""},
        {"K='", "'"},
        {"K=a=b=c", "a=b=c"},
        {"K=[not a section]", "[not a section]"},
        {"K=;not a comment", ";not a comment"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(ReadLine(c.line), c.expected) << c.line.constData();
}

TEST_F(IniRead, NamesMatchWithoutAsciiCaseAndIgnoreBlanksAroundThem)
{
    WriteBytes(Path(), "[ DISPLAY ]\r\n  appstayontop = 1\r\n[R\xC3\xA9veil]\r\nk=2\r\n");
    const TIniFile ini(Path());
    EXPECT_EQ(ini.ReadString("Display", "AppStayOnTop", "-"), "1");
    EXPECT_EQ(ini.ReadString("display", "APPSTAYONTOP", "-"), "1");
    EXPECT_EQ(ini.ReadString("Réveil", "K", "-"), "2");
    // Only ASCII letters fold, as in the profile functions.
    EXPECT_EQ(ini.ReadString("RÉVEIL", "K", "-"), "-");
}

TEST_F(IniRead, FirstOfDuplicateSectionsAndKeysIsRead)
{
    WriteBytes(Path(), "[S]\r\nK=first\r\nk=second\r\n[s]\r\nK=third\r\nOnlyLater=x\r\n");
    const TIniFile ini(Path());
    EXPECT_EQ(ini.ReadString("S", "K", "-"), "first");
    EXPECT_EQ(ini.ReadString("S", "OnlyLater", "-"), "-");
}

TEST_F(IniRead, ReturnsAtMost2047CharactersNeverSplittingOne)
{
    EXPECT_EQ(ReadLine("K=" + QByteArray(3000, 'a')), QString(2047, u'a'));
    EXPECT_EQ(ReadLine("K=" + QByteArray(2047, 'a')), QString(2047, u'a'));
    // Characters, not bytes: 2047 two-byte characters all come back.
    const QString accents(2100, u'é');
    EXPECT_EQ(ReadLine("K=" + accents.toUtf8()), accents.left(2047));
    // A character outside the basic plane at the limit is kept whole.
    const QString emoji = QString(2046, u'a') + QString::fromUtf8("\xF0\x9F\x98\x80") + "bcd";
    const QString read = ReadLine("K=" + emoji.toUtf8());
    EXPECT_EQ(read, emoji.left(2048));
    EXPECT_EQ(read.toUcs4().size(), 2047);
    // The limit applies after the quotes are removed.
    EXPECT_EQ(ReadLine("K=\"" + QByteArray(2047, 'q') + "\""), QString(2047, u'q'));
}

TEST_F(IniRead, LinesThatAreNotUtf8AreWindows1252)
{
    const struct
    {
        QByteArray line;
        QString expected;
    } cases[] = {
        {"K=R\xC3\xA9veil", "Réveil"},                  // UTF-8
        {"K=R\xE9veil", "Réveil"},                      // Windows-1252
        {"K=\x80 5 \x9C\x9F\x85", "€ 5 œŸ…"},           // the 0x80..0x9F block
        {"K=R\xC3", QStringLiteral("RÃ")},              // a cut UTF-8 sequence is no UTF-8
        {"K=\xED\xA0\x80", QStringLiteral("í\u00A0€")}, // an encoded surrogate neither
        {"K=\xC0\xAF", QStringLiteral("À¯")},           // nor an overlong form
        {"K=\x81\x8D\x8F\x90\x9D", QStringLiteral("\u0081\u008D\u008F\u0090\u009D")},
    };
    for (const auto &c : cases)
        EXPECT_EQ(ReadLine(c.line), c.expected) << c.line.toHex().constData();

    // Each line is judged on its own.
    WriteBytes(Path(), "[S]\r\nA=\xC3\xA9t\xC3\xA9\r\nB=\xE9t\xE9\r\n");
    const TIniFile ini(Path());
    EXPECT_EQ(ini.ReadString("S", "A", "-"), "été");
    EXPECT_EQ(ini.ReadString("S", "B", "-"), "été");
}

TEST_F(IniRead, AnyLineEndAndAByteOrderMarkReadTheSame)
{
    for (const QByteArray &eol : {QByteArray("\r\n"), QByteArray("\n"), QByteArray("\r")}) {
        for (const QByteArray &start : {QByteArray(), QByteArray("\xEF\xBB\xBF")}) {
            WriteBytes(Path(), start + "[A]" + eol + "x=1" + eol + eol + "[B]" + eol + "y=2");
            const TIniFile ini(Path());
            EXPECT_EQ(ini.ReadString("A", "x", "-"), "1") << eol.toHex().constData();
            EXPECT_EQ(ini.ReadString("B", "y", "-"), "2") << eol.toHex().constData();
        }
    }
    WriteBytes(Path(), "[A]\r\nx=1\n[B]\ry=2\r\n");
    EXPECT_EQ(TIniFile(Path()).ReadString("B", "y", "-"), "2");
}

TEST_F(IniRead, AUtf16FileReadsAsTheTextItHolds)
{
    const QString text = "; réglages\r\n[Alarm_000]\r\nEnabled=1\r\nDisplayName=Réveil € 😀\r\n"
                         "[Été]\r\nClé=中文\r\n";
    for (const bool littleEndian : {true, false}) {
        SCOPED_TRACE(littleEndian ? "little endian" : "big endian");
        WriteBytes(Path(), Utf16(text, littleEndian));
        const TIniFile ini(Path());
        EXPECT_TRUE(ini.ReadBool("Alarm_000", "Enabled", false));
        EXPECT_EQ(ini.ReadString("Alarm_000", "DisplayName", "-"), "Réveil € 😀");
        EXPECT_EQ(ini.ReadString("Été", "Clé", "-"), "中文");
        EXPECT_FALSE(ini.isUnreadable());
    }
}

TEST_F(IniRead, IntegersInDecimalOrHexadecimal)
{
    const struct
    {
        QByteArray value;
        int expected;
    } cases[] = {
        {"1", 1},
        {"-1", -1},
        {"+7", 7},
        {"007", 7},
        {"2147483647", 2147483647},
        {"-2147483648", -2147483647 - 1},
        {"$10", 16},
        {"x1f", 31},
        {"X1F", 31},
        {"0x1F", 31},
        {"0X1f", 31},
        {"0x0", 0},
        {"$7FFFFFFF", 2147483647},
        {"$FFFFFFFF", -1},
        {"$80000000", -2147483647 - 1},
        {"$00000000FF", 255},
        // Not integers: the default.
        {"", 99},
        {"$", 99},
        {"0x", 99},
        {"x", 99},
        {"2147483648", 99},
        {"-2147483649", 99},
        {"$100000000", 99},
        {"-$10", 99},
        {"+0x10", 99},
        {"1.5", 99},
        {"12abc", 99},
        {"1 2", 99},
        {"$G", 99},
        {"true", 99},
        {"yes", 99},
        {"-", 99},
        {"\xD9\xA3", 99}, // a non-ASCII digit
    };
    for (const auto &c : cases) {
        WriteBytes(Path(), "[S]\r\nK=" + c.value + "\r\n");
        EXPECT_EQ(TIniFile(Path()).ReadInteger("S", "K", 99), c.expected) << c.value.constData();
    }
}

TEST_F(IniRead, YesNoIsAnyNonZeroIntegerOrTheDefault)
{
    const struct
    {
        QByteArray value;
        bool withDefaultNo;
        bool withDefaultYes;
    } cases[] = {
        {"1", true, true},     {"-1", true, true},           {"2", true, true},   {"$10", true, true},
        {"0x1F", true, true},  {"$FFFFFFFF", true, true},    {"0", false, false}, {"0x0", false, false},
        {"true", false, true}, {"yes", false, true},         {"", false, true},   {"$", false, true},
        {"0x", false, true},   {"99999999999", false, true},
    };
    for (const auto &c : cases) {
        WriteBytes(Path(), "[S]\r\nK=" + c.value + "\r\n");
        const TIniFile ini(Path());
        EXPECT_EQ(ini.ReadBool("S", "K", false), c.withDefaultNo) << c.value.constData();
        EXPECT_EQ(ini.ReadBool("S", "K", true), c.withDefaultYes) << c.value.constData();
    }
    EXPECT_TRUE(TIniFile(Path()).ReadBool("S", "Missing", true));
}

TEST_F(IniRead, DatesAndTimesParseOrGiveTheDefault)
{
    const QDate dDefault(2000, 1, 1);
    const QTime tDefault(1, 2, 3);
    const struct
    {
        QByteArray value;
        QDate date;
        QTime time;
    } cases[] = {
        {"25/12/2006", QDate(2006, 12, 25), tDefault},
        {"\" 25 / 12 / 2006 \"", QDate(2006, 12, 25), tDefault},
        {"07:30:00", dDefault, QTime(7, 30)},
        {"7:30", dDefault, QTime(7, 30)},
        {"31/02/2007", dDefault, tDefault},
        {"24:00:00", dDefault, tDefault},
        {"  ", dDefault, tDefault},
        {"garbage", dDefault, tDefault},
    };
    for (const auto &c : cases) {
        WriteBytes(Path(), "[S]\r\nK=" + c.value + "\r\n");
        const TIniFile ini(Path());
        EXPECT_EQ(ini.ReadDate("S", "K", dDefault), c.date) << c.value.constData();
        EXPECT_EQ(ini.ReadTime("S", "K", tDefault), c.time) << c.value.constData();
    }
}

TEST_F(IniRead, ADateFromAnotherFieldOrderReadsAsAnotherDateOrTheDefault)
{
    WriteBytes(Path(), "[S]\r\nChristmas=25/12/2006\r\nMarch=03/04/2006\r\n");
    FakeRegional american(American());
    const TIniFile ini(Path());
    EXPECT_EQ(ini.ReadDate("S", "Christmas", QDate(2000, 1, 1)), QDate(2000, 1, 1));
    EXPECT_EQ(ini.ReadDate("S", "March", QDate(2000, 1, 1)), QDate(2006, 3, 4));
}

TEST_F(IniRead, EveryReadGoesToTheFile)
{
    const TIniFile ini(Path());
    EXPECT_EQ(ini.ReadString("S", "K", "-"), "-");
    WriteBytes(Path(), "[S]\r\nK=1\r\n");
    EXPECT_EQ(ini.ReadString("S", "K", "-"), "1");
    WriteBytes(Path(), "[S]\r\nK=2\r\n");
    EXPECT_EQ(ini.ReadString("S", "K", "-"), "2");
}

} // namespace
