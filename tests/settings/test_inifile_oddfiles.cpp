// Whatever stands at the settings path and is no regular file of sane size, or no valid
// UTF-16 after a UTF-16 mark, reads as a missing file, at once, is told apart from one, and
// is never replaced by a write.
#include "SettingsTestSupport.h"

#include "platform/Exception.h"
#include "settings/IniFile.h"

#include <QDir>
#include <QFileInfo>

#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <future>
#include <sys/stat.h>
#include <unistd.h>

using namespace settings_test;

namespace {

class OddFile : public IniFixture
{
};

// Runs a read that must come back at once. A read stuck on a FIFO is freed by opening its
// other end; one stuck on an endless device cannot be, and ends the test program.
QString ReadWithin5s(const QString &path)
{
    auto read =
        std::async(std::launch::async, [path] { return TIniFile(path).ReadString("S", "K", "<default>"); });
    if (read.wait_for(std::chrono::seconds(5)) == std::future_status::ready)
        return read.get();
    ADD_FAILURE() << "reading " << path.toStdString() << " did not come back";
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_NONBLOCK);
    if (fd >= 0)
        ::close(fd);
    if (read.wait_for(std::chrono::seconds(5)) != std::future_status::ready) {
        std::fprintf(stderr, "a read of %s never returned\n", qPrintable(path));
        std::_Exit(1);
    }
    return read.get();
}

TEST_F(OddFile, ReadsGiveTheDefaultsAndWritesFailWithoutReplacingIt)
{
    const QString fifo = DirPath() + "/fifo.ini";
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString zero = DirPath() + "/zero.ini";
    ASSERT_TRUE(QFile::link("/dev/zero", zero));
    const QString null = DirPath() + "/null.ini";
    ASSERT_TRUE(QFile::link("/dev/null", null));
    const QString folder = DirPath() + "/folder.ini";
    ASSERT_TRUE(QDir().mkdir(folder));
    // Beyond 64 MB, its holes take no room on disk.
    const QString huge = DirPath() + "/huge.ini";
    {
        QFile file(huge);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("[S]\r\nK=stored\r\n");
        ASSERT_TRUE(file.resize(64 * 1024 * 1024 + 1));
    }

    // A UTF-16 mark, then no valid UTF-16: a byte too many, or half a surrogate pair.
    const QString oddUtf16 = DirPath() + "/odd-utf16.ini";
    WriteBytes(oddUtf16, Utf16("[S]\r\nK=stored\r\n", true) + "X");
    const QString halfPair = DirPath() + "/half-pair.ini";
    WriteBytes(halfPair, Utf16("[S]\r\nK=stored", false) + Bytes("\xD8\x3D\0\r\0\n"));

    for (const QString &path : {fifo, zero, null, folder, huge, oddUtf16, halfPair}) {
        const QFileInfo before(path);
        const QByteArray content = before.isFile() && before.size() < 100 ? ReadBytes(path) : QByteArray();
        EXPECT_TRUE(TIniFile(path).isUnreadable()) << path.toStdString();
        EXPECT_EQ(ReadWithin5s(path), "<default>") << path.toStdString();
        try {
            TIniFile(path).WriteString("S", "K", "stored");
            ADD_FAILURE() << "no error writing " << path.toStdString();
        } catch (const EIniFileException &e) {
            EXPECT_EQ(e.message(), "Impossible d'écrire dans " + path);
        }
        const QFileInfo after(path);
        EXPECT_EQ(after.isSymLink(), before.isSymLink()) << path.toStdString();
        EXPECT_EQ(after.isDir(), before.isDir()) << path.toStdString();
        EXPECT_EQ(after.size(), before.size()) << path.toStdString();
        if (!content.isEmpty()) {
            EXPECT_EQ(ReadBytes(path), content) << path.toStdString();
        }
    }
    struct stat st = {};
    ASSERT_EQ(::lstat(QFile::encodeName(fifo).constData(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
    EXPECT_EQ(QFileInfo(zero).symLinkTarget(), "/dev/zero");
    QStringList left =
        QDir(DirPath()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    left.sort();
    EXPECT_EQ(left, (QStringList{"fifo.ini", "folder.ini", "half-pair.ini", "huge.ini", "null.ini",
                                 "odd-utf16.ini", "zero.ini"}));

    // A missing file is a first run, and a file read is understood.
    EXPECT_FALSE(TIniFile(Path()).isUnreadable());
    WriteBytes(Path(), "");
    EXPECT_FALSE(TIniFile(Path()).isUnreadable());
}

TEST_F(OddFile, AFileOf64MegabytesIsStillRead)
{
    {
        QFile file(Path());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("[S]\r\nK=stored\r\n");
        ASSERT_TRUE(file.resize(64 * 1024 * 1024));
    }
    EXPECT_EQ(TIniFile(Path()).ReadString("S", "K", "<default>"), "stored");
}

} // namespace
