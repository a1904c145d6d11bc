// The autostart entry: where it lives, what it holds, and what counts as on.
#include "platform/Exception.h"
#include "platform/linux/Autostart.h"
#include "platform/linux/ConfigFolders.h"
#include "support/Fakes.h"
#include "support/Files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>

using platform::TAutostartEntry;
using testing_support::ReadBytes;
using testing_support::ScopedEnvironment;
using testing_support::WriteBytes;

namespace {

class Autostart : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(root.isValid());
        program = makeProgram(root.filePath("bin"));
    }
    // An executable file named tempovir in the folder, made with the folder.
    static QString makeProgram(const QString &folder)
    {
        EXPECT_TRUE(QDir().mkpath(folder));
        const QString path = folder + "/tempovir";
        WriteBytes(path, "#!/bin/sh\n");
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        return path;
    }
    // An entry file of the test's own, its folder made with it.
    static void writeEntry(const QString &path, const QByteArray &text)
    {
        ASSERT_TRUE(QDir().mkpath(QFileInfo(path).absolutePath()));
        WriteBytes(path, text);
    }
    TAutostartEntry entry(const QString &programPath) const
    {
        return TAutostartEntry(programPath, home, {system});
    }
    TAutostartEntry entry() const { return entry(program); }
    QStringList autostartFolder() const
    {
        return QDir(home + "/autostart").entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    }
    // The lines of the entry file that name the key, as written.
    static QByteArrayList lines(const QString &path, const QByteArray &key)
    {
        QByteArrayList found;
        for (const QByteArray &line : ReadBytes(path).split('\n'))
            if (line.startsWith(key + "="))
                found << line;
        return found;
    }

    QTemporaryDir root;
    const QString home = root.filePath("config");
    const QString system = root.filePath("xdg");
    const QString userPath = home + "/autostart/org.tempovir.Tempovir.desktop";
    const QString systemPath = system + "/autostart/org.tempovir.Tempovir.desktop";
    QString program;
    // No search path finds the program unless a test says so.
    ScopedEnvironment searchPath{"PATH", "/nonexistent"};
};

TEST_F(Autostart, IsOffUntilCheckedThenStartsThisProgramAtLogInUntilUnchecked)
{
    const TAutostartEntry e = entry();
    EXPECT_EQ(e.path(), userPath);
    EXPECT_FALSE(e.isEnabled());

    e.setEnabled(true);
    EXPECT_TRUE(e.isEnabled());
    EXPECT_EQ(autostartFolder(), QStringList({"org.tempovir.Tempovir.desktop"})); // no temporary left
    const QByteArray text = ReadBytes(userPath);
    EXPECT_TRUE(text.startsWith("[Desktop Entry]\n")) << text.constData();
    EXPECT_EQ(lines(userPath, "Type"), QByteArrayList({"Type=Application"}));
    EXPECT_EQ(lines(userPath, "Exec"), QByteArrayList({"Exec=" + program.toUtf8() + " --autostart"}));
    EXPECT_TRUE(lines(userPath, "Hidden").isEmpty());
    if (QFileInfo::exists("/usr/bin/desktop-file-validate")) {
        QProcess validate;
        validate.start("/usr/bin/desktop-file-validate", {userPath});
        ASSERT_TRUE(validate.waitForFinished(60000));
        EXPECT_EQ(validate.exitCode(), 0) << validate.readAll().constData();
    }

    e.setEnabled(false);
    EXPECT_FALSE(e.isEnabled());
    EXPECT_TRUE(autostartFolder().isEmpty());
    e.setEnabled(false); // nothing there to remove is no error
    EXPECT_FALSE(e.isEnabled());
}

TEST_F(Autostart, TheFoldersAreTheEnvironmentsOrTheirDefaults)
{
    {
        const ScopedEnvironment configHome("XDG_CONFIG_HOME", root.filePath("c").toUtf8());
        const ScopedEnvironment configDirs("XDG_CONFIG_DIRS",
                                           "relative/ignored:" + root.filePath("x1").toUtf8() + ":" +
                                               root.filePath("x2").toUtf8());
        EXPECT_EQ(platform::SystemConfigFolders(), QStringList({root.filePath("x1"), root.filePath("x2")}));
        // The system entry of the second folder counts when the first has none.
        writeEntry(root.filePath("x2/autostart/org.tempovir.Tempovir.desktop"),
                   "[Desktop Entry]\nType=Application\nName=Tempovir\nExec=" + program.toUtf8() + "\n");
        const TAutostartEntry e(program);
        EXPECT_EQ(e.path(), root.filePath("c/autostart/org.tempovir.Tempovir.desktop"));
        EXPECT_TRUE(e.isEnabled());
    }
    {
        const ScopedEnvironment userHome("HOME", root.path().toUtf8());
        const ScopedEnvironment relative("XDG_CONFIG_HOME", "not/absolute");
        const ScopedEnvironment configDirs("XDG_CONFIG_DIRS", QByteArray());
        EXPECT_EQ(platform::UserConfigHome(), root.filePath(".config"));
        EXPECT_EQ(platform::SystemConfigFolders(), QStringList({"/etc/xdg"}));
    }
}

TEST_F(Autostart, AnInstalledProgramIsStartedByItsNameAndACopyByItsFullPath)
{
    const ScopedEnvironment installed("PATH", (root.filePath("bin") + ":/usr/bin:/bin").toUtf8());
    const TAutostartEntry e = entry();
    EXPECT_EQ(e.command(), "tempovir --autostart");
    e.setEnabled(true);
    EXPECT_EQ(lines(userPath, "Exec"), QByteArrayList({"Exec=tempovir --autostart"}));
    EXPECT_TRUE(e.isEnabled());

    // A copy in a folder of its own is another program: the installed one's entry does not
    // start it, and its own names it in full.
    const QString copy = makeProgram(root.filePath("copy"));
    const TAutostartEntry copyEntry = entry(copy);
    EXPECT_FALSE(copyEntry.isEnabled());
    copyEntry.setEnabled(true);
    EXPECT_EQ(lines(userPath, "Exec"), QByteArrayList({"Exec=" + copy.toUtf8() + " --autostart"}));
    EXPECT_TRUE(copyEntry.isEnabled());
    EXPECT_FALSE(e.isEnabled());
}

// The file holds the Exec value with the string escapes on top of the quoting: a backslash
// of the path is four in the file.
TEST_F(Autostart, AProgramInAFolderWithReservedCharactersIsQuotedAndReadBack)
{
    struct Case
    {
        QString folder;
        QString exec; // after "Exec=", the root of the test folder left out
    };
    const Case cases[] = {
        {"Mes outils", R"("ROOT/Mes outils/tempovir" --autostart)"},
        {R"(dit "bonjour")", R"("ROOT/dit \\"bonjour\\"/tempovir" --autostart)"},
        {R"($HOME)", R"("ROOT/\\$HOME/tempovir" --autostart)"},
        {R"(barre\oblique)", R"("ROOT/barre\\\\oblique/tempovir" --autostart)"},
        {"l'heure", R"("ROOT/l'heure/tempovir" --autostart)"},
        {"100%", R"(ROOT/100%%/tempovir --autostart)"},
        {"tab\tnew\nline", R"("ROOT/tab\tnew\nline/tempovir" --autostart)"},
        {"déjà", R"(ROOT/déjà/tempovir --autostart)"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(qPrintable(c.folder));
        const QString path = makeProgram(root.filePath(c.folder));
        const TAutostartEntry e = entry(path);
        e.setEnabled(true);
        QString exec = c.exec;
        exec.replace("ROOT", root.path());
        EXPECT_EQ(lines(userPath, "Exec"), QByteArrayList({"Exec=" + exec.toUtf8()}));
        EXPECT_TRUE(e.isEnabled());
        EXPECT_FALSE(entry().isEnabled()); // the program of another folder
    }
}

TEST_F(Autostart, AnEntryRemovedOrEditedByHandShowsAsItIsOnDisk)
{
    const QByteArray exec = "Exec=" + program.toUtf8() + " --autostart\n";
    struct Case
    {
        const char *name;
        std::function<void()> edit;
        bool enabled;
    };
    const auto replace = [this](const QByteArray &from, const QByteArray &to) {
        WriteBytes(userPath, ReadBytes(userPath).replace(from, to));
    };
    const Case cases[] = {
        {"as written", [] {}, true},
        {"removed", [this] { QFile::remove(userPath); }, false},
        {"hidden", [&] { replace(exec, exec + "Hidden=true\n"); }, false},
        {"switched off for GNOME", [&] { replace(exec, exec + "X-GNOME-Autostart-enabled=false\n"); }, false},
        {"another program", [&] { replace(exec, "Exec=/usr/bin/true\n"); }, false},
        {"no Exec", [&] { replace(exec, ""); }, false},
        {"Exec in another group", [&] { replace(exec, "[Other]\n" + exec); }, false},
        {"the program by another path",
         [&] { replace(exec, "Exec=" + root.filePath("bin/../bin/tempovir").toUtf8() + "\n"); }, true},
        {"other arguments", [&] { replace(exec, exec.chopped(1) + " --autre\n"); }, true},
        {"spaces around =", [&] { replace(exec, "Exec = " + program.toUtf8() + "\n"); }, true},
        {"a folder in its place",
         [this] {
             QFile::remove(userPath);
             QDir().mkpath(userPath);
         },
         false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        QDir(userPath).removeRecursively();
        const TAutostartEntry e = entry();
        e.setEnabled(true);
        c.edit();
        EXPECT_EQ(e.isEnabled(), c.enabled);
    }
}

TEST_F(Autostart, ASystemEntryIsHiddenByTheUsersOwnOnceUnchecked)
{
    const QByteArray systemText =
        "[Desktop Entry]\nType=Application\nName=Tempovir\nExec=" + program.toUtf8() + "\n";
    writeEntry(systemPath, systemText);
    const TAutostartEntry e = entry();
    EXPECT_TRUE(e.isEnabled()); // the session would start it

    e.setEnabled(false);
    EXPECT_FALSE(e.isEnabled());
    EXPECT_EQ(lines(userPath, "Hidden"), QByteArrayList({"Hidden=true"}));
    EXPECT_EQ(ReadBytes(systemPath), systemText);

    e.setEnabled(true);
    EXPECT_TRUE(e.isEnabled());
    EXPECT_TRUE(lines(userPath, "Hidden").isEmpty());

    // A system entry for another program starts nothing of this one.
    QFile::remove(userPath);
    writeEntry(systemPath, "[Desktop Entry]\nType=Application\nName=Tempovir\nExec=/usr/bin/true\n");
    EXPECT_FALSE(e.isEnabled());
}

TEST_F(Autostart, ALinkPutThereByHandIsReplacedAndItsTargetLeftAlone)
{
    const QString target = root.filePath("elsewhere.desktop");
    const QByteArray targetText = "[Desktop Entry]\nType=Application\nName=Autre\nExec=/usr/bin/true\n";
    WriteBytes(target, targetText);
    ASSERT_TRUE(QDir().mkpath(home + "/autostart"));
    ASSERT_TRUE(QFile::link(target, userPath));
    const TAutostartEntry e = entry();
    EXPECT_FALSE(e.isEnabled());
    e.setEnabled(true);
    EXPECT_TRUE(e.isEnabled());
    EXPECT_FALSE(QFileInfo(userPath).isSymLink());
    EXPECT_EQ(ReadBytes(target), targetText);
}

TEST_F(Autostart, AFailureNamesTheFileAndLeavesWhatWasThere)
{
    const TAutostartEntry e = entry();
    const QString cannotWrite = QStringLiteral("Impossible d'écrire dans ") + userPath;
    const auto message = [](const std::function<void()> &f) {
        try {
            f();
        } catch (const Exception &error) {
            return error.message();
        }
        return QString();
    };

    // The autostart folder cannot be made: a file has its name.
    writeEntry(home + "/autostart", "not a folder");
    EXPECT_EQ(message([&] { e.setEnabled(true); }), cannotWrite);
    EXPECT_EQ(ReadBytes(home + "/autostart"), "not a folder");
    QFile::remove(home + "/autostart");

    // The entry's name is taken by a folder: neither written nor removed.
    ASSERT_TRUE(QDir().mkpath(userPath));
    EXPECT_EQ(message([&] { e.setEnabled(true); }), cannotWrite);
    EXPECT_EQ(message([&] { e.setEnabled(false); }), QStringLiteral("Impossible de supprimer ") + userPath);
    EXPECT_TRUE(QFileInfo(userPath).isDir());
    EXPECT_EQ(autostartFolder(), QStringList({"org.tempovir.Tempovir.desktop"}));
    QDir(userPath).removeRecursively();

    // The disk fills up while the hidden entry is written over a working one: the working one
    // stays as it was, and no temporary is left behind.
    writeEntry(systemPath,
               "[Desktop Entry]\nType=Application\nName=Tempovir\nExec=" + program.toUtf8() + "\n");
    e.setEnabled(true);
    const QByteArray before = ReadBytes(userPath);
    {
        const testing_support::FileSizeLimit full(16);
        EXPECT_EQ(message([&] { e.setEnabled(false); }), cannotWrite);
    }
    EXPECT_EQ(ReadBytes(userPath), before);
    EXPECT_TRUE(e.isEnabled());
    EXPECT_EQ(autostartFolder(), QStringList({"org.tempovir.Tempovir.desktop"}));
}

} // namespace
