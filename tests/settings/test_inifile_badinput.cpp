#include "SettingsTestSupport.h"

#include "settings/IniFile.h"

#include <QRandomGenerator>

using namespace settings_test;

namespace {

// Files the program did not write: each read gives the stored value or the default, and a
// write changes only the line it concerns (or adds its own lines at the place for them).
struct BadFile
{
    const char *what;
    QByteArray before;
    QString section;
    QString key;
    QString read;     // expected read, "<default>" for the default
    QByteArray after; // expected file after writing "W" to section/key
};

QByteArray RandomBytes(qsizetype size)
{
    QRandomGenerator generator(20061225);
    QByteArray bytes(size, Qt::Uninitialized);
    for (char &b : bytes)
        b = char(generator.bounded(256));
    return bytes;
}

QByteArray Appended(const QByteArray &before, const QByteArray &lines)
{
    const bool ended = before.isEmpty() || before.endsWith('\n') || before.endsWith('\r');
    return before + (ended ? "" : "\r\n") + lines;
}

QList<BadFile> Cases()
{
    QList<BadFile> cases;

    const QByteArray random = RandomBytes(64 * 1024);
    cases.append({"random bytes", random, "Alarm_000", "Enabled", "<default>",
                  Appended(random, "[Alarm_000]\r\nEnabled=W\r\n")});

    cases.append({"NUL bytes", Bytes("[S]\r\nK=a\x00z\r\n\x00\x00\r\nJ=1\x00\r\n"), "S", "K",
                  QString::fromUtf8("a\0z", 3), Bytes("[S]\r\nK=W\r\n\x00\x00\r\nJ=1\x00\r\n")});

    // About 10 MB of sections; the one asked for is in the middle.
    QByteArray big;
    big.reserve(10 * 1024 * 1024 + 1024);
    for (int i = 0; big.size() < 10 * 1024 * 1024; ++i) {
        big += "[Section_" + QByteArray::number(i) + "]\r\n";
        for (int k = 0; k < 8; ++k)
            big += "Key" + QByteArray::number(k) + "=" + QByteArray(100, char('a' + k)) + "\r\n";
        if (i == 5000)
            big += "Target=stored\r\n";
    }
    QByteArray bigAfter = big;
    bigAfter.replace("Target=stored\r\n", "Target=W\r\n");
    cases.append({"10 MB file", big, "Section_5000", "Target", "stored", bigAfter});

    const QByteArray longLines =
        "[S]\r\nLong=" + QByteArray(100000, 'l') + "\r\n" + QByteArray(100000, 'j') + "\r\nK=1\r\n";
    QByteArray longAfter = longLines;
    longAfter.replace("\r\nK=1\r\n", "\r\nK=W\r\n");
    cases.append({"100 000-character lines", longLines, "S", "K", "1", longAfter});
    cases.append({"100 000-character value", longLines, "S", "Long", QString(2047, u'l'),
                  "[S]\r\nLong=W\r\n" + QByteArray(100000, 'j') + "\r\nK=1\r\n"});

    // Small files, written out in full.
    cases += QList<BadFile>{
        {"section header without ]", "[S]\r\nK=1\r\n[T\r\nK=2\r\n", "T", "K", "<default>",
         "[S]\r\nK=1\r\n[T\r\nK=2\r\n[T]\r\nK=W\r\n"},
        {"section header without ] hides nothing", "[S]\r\nK=1\r\n[T\r\nJ=2\r\n", "S", "J", "2",
         "[S]\r\nK=1\r\n[T\r\nJ=W\r\n"},
        {"= at the start of lines", "[S]\r\n=x\r\n==\r\nK=1\r\n=\r\n", "S", "K", "1",
         "[S]\r\n=x\r\n==\r\nK=W\r\n=\r\n"},
        {"new key after lines starting with =", "[S]\r\nK=1\r\n=x\r\n\r\n", "S", "New", "<default>",
         "[S]\r\nK=1\r\n=x\r\nNew=W\r\n\r\n"},
        {"CR-only line ends", "[A]\rx=1\r[S]\rJ=2\rK=1\r", "S", "K", "1", "[A]\rx=1\r[S]\rJ=2\rK=W\r"},
        {"byte-order mark before the first section", "\xEF\xBB\xBF[S]\r\nK=1\r\n", "S", "K", "1",
         "\xEF\xBB\xBF[S]\r\nK=W\r\n"},
        {"brackets only", "[]\r\n[\r\n]\r\n[[S]]\r\nK=1\r\n", "S", "K", "<default>",
         "[]\r\n[\r\n]\r\n[[S]]\r\nK=1\r\n[S]\r\nK=W\r\n"},
        {"text after a section header", "[S] ; note\r\nK=1\r\n", "S", "K", "1", "[S] ; note\r\nK=W\r\n"},
        {"cut UTF-8 at the end of the file", "[S]\r\nK=\xC3", "S", "K", QStringLiteral("Ã"), "[S]\r\nK=W"},
        {"key lines before any section", "K=1\r\n[S]\r\nJ=1\r\n", "S", "K", "<default>",
         "K=1\r\n[S]\r\nJ=1\r\nK=W\r\n"},
        {"only line ends", "\r\n\n\r\r\n", "S", "K", "<default>", "\r\n\n\r\r\n[S]\r\nK=W\r\n"},
    };
    return cases;
}

class IniBadInput : public IniFixture
{
};

TEST_F(IniBadInput, ReadsGiveTheDefaultOrTheValueAndAWriteChangesOnlyItsLine)
{
    for (const BadFile &c : Cases()) {
        SCOPED_TRACE(c.what);
        WriteBytes(Path(), c.before);
        TIniFile ini(Path());
        EXPECT_EQ(ini.ReadString(c.section, c.key, "<default>"), c.read);
        EXPECT_EQ(ini.ReadInteger("Alarm_001", "Enabled", 7), 7);
        EXPECT_EQ(ini.ReadDate("Alarm_001", "Date", QDate(2006, 1, 2)), QDate(2006, 1, 2));
        ini.WriteString(c.section, c.key, "W");
        const QByteArray after = ReadBytes(Path());
        EXPECT_TRUE(after == c.after)
            << "file differs; size " << after.size() << " instead of " << c.after.size();
        EXPECT_EQ(ini.ReadString(c.section, c.key, "<default>"), "W");
    }
}

} // namespace
