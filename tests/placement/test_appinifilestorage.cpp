#include "PlacementTestSupport.h"

#include "platform/Exception.h"
#include "platform/FileReplace.h"
#include "settings/AppIniFileStorage.h"
#include "settings/IniDocument.h"
#include "settings/IniFile.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <optional>

using namespace placement_test;

namespace {

class Storage : public FolderFixture
{
protected:
    void Attach(TAppIniFileStorage &storage)
    {
        storage.SetLocation(TAppIniFileStorage::flCustom);
        storage.SetFileName(Path());
    }

    // What the file holds after one attach and detach with nothing changed in between.
    QByteArray Rewritten(const QByteArray &before)
    {
        WriteBytes(Path(), before);
        TAppIniFileStorage storage;
        storage.SetLocation(TAppIniFileStorage::flCustom);
        storage.SetFileName(Path());
        storage.SetFileName(QString());
        return ReadBytes(Path());
    }
};

struct RewriteCase
{
    const char *name;
    QByteArray before;
    QByteArray after;
};

} // namespace

TEST_F(Storage, TheWriteBackKeepsLinesAndDropsCommentsEmptyLinesAndStrayLines)
{
    const RewriteCase cases[] = {
        {"each section ends with one empty line, CR LF everywhere", "[A]\nk=1\n[B]\rk=2",
         "[A]\r\nk=1\r\n\r\n[B]\r\nk=2\r\n\r\n"},
        {"comments, empty lines and lines before the first section go",
         "stray=1\r\n; note\r\n\r\n[A]\r\n;k=0\r\n\r\n\r\nk=1\r\n", "[A]\r\nk=1\r\n\r\n"},
        {"lines are kept exactly, blanks-only lines included", "[A]\r\n  k = v  \r\n   \r\nno equals\r\n",
         "[A]\r\n  k = v  \r\n   \r\nno equals\r\n\r\n"},
        {"a section may stay empty; duplicates stay", "[A]\r\n[B]\r\nx=1\r\n[A]\r\ny=2\r\n",
         "[A]\r\n\r\n[B]\r\nx=1\r\n\r\n[A]\r\ny=2\r\n\r\n"},
        {"bytes that are not UTF-8 come back as they were", "[Alarm_000]\r\nDisplayName=R\xe9veil\r\n",
         "[Alarm_000]\r\nDisplayName=R\xe9veil\r\n\r\n"},
        // The key-by-key reader sees these as sections too: dropping them as stray lines
        // would lose an alarm.
        {"a byte-order mark or blanks before the first header", "\xEF\xBB\xBF  [Alarm_000] \r\nEnabled=1\r\n",
         "[Alarm_000]\r\nEnabled=1\r\n\r\n"},
        {"an empty file stays empty", "", ""},
    };
    for (const RewriteCase &c : cases)
        EXPECT_EQ(Rewritten(c.before), c.after) << c.name;
}

TEST_F(Storage, AttachReadsDetachWritesBackAndTheSameNameDoesNothing)
{
    WriteBytes(Path(), "[fmMain]\r\nShowCmd=1\r\n");
    TAppIniFileStorage storage;
    storage.SetLocation(TAppIniFileStorage::flCustom);
    storage.SetFileName(Path());
    EXPECT_EQ(storage.FullFileName(), Path());
    EXPECT_EQ(storage.ReadInteger("FMMAIN\\showcmd", 9), 1);

    storage.WriteInteger("fmMain\\ShowCmd", 3);
    storage.SetFileName(Path()); // the same name: no write-back, no reload
    EXPECT_EQ(ReadBytes(Path()), "[fmMain]\r\nShowCmd=1\r\n");
    EXPECT_EQ(storage.ReadInteger("fmMain\\ShowCmd", 9), 3);

    storage.SetFileName(QString());
    EXPECT_EQ(storage.FullFileName(), QString());
    EXPECT_EQ(ReadBytes(Path()), "[fmMain]\r\nShowCmd=3\r\n\r\n");
    // Detached: the memory copy is empty and a second detach writes nothing.
    EXPECT_FALSE(storage.ValueStored("fmMain\\ShowCmd"));
    WriteBytes(Path(), "changed");
    storage.SetFileName(QString());
    EXPECT_EQ(ReadBytes(Path()), "changed");
}

TEST_F(Storage, WritesReplaceInPlaceAppendToTheSectionOrAddItAtTheEnd)
{
    WriteBytes(Path(), "[Alarm_000]\r\nEnabled=1\r\n[FMMAIN]\r\nFlags=7\r\nSHOWCMD=1\r\nx=y\r\n");
    TAppIniFileStorage storage;
    storage.SetLocation(TAppIniFileStorage::flCustom);
    storage.SetFileName(Path());
    storage.WriteInteger("fmMain\\ShowCmd", 2);
    storage.WriteString("fmMain\\NormPos", "1,2,3,4");
    storage.WriteString("fmAlarmsEdit\\FormVersion", "0");
    storage.SetFileName(QString());
    EXPECT_EQ(ReadBytes(Path()), "[Alarm_000]\r\nEnabled=1\r\n\r\n"
                                 "[FMMAIN]\r\nFlags=7\r\nShowCmd=2\r\nx=y\r\nNormPos=1,2,3,4\r\n\r\n"
                                 "[fmAlarmsEdit]\r\nFormVersion=0\r\n\r\n");
}

TEST_F(Storage, IntegersAreReadStrictly)
{
    WriteBytes(Path(),
               "[S]\r\nempty=\r\nhex=$1F\r\nhex2=0x10\r\nneg= -3\r\nbad=12a\r\nbig=2147483648\r\nsp=4 \r\n");
    TAppIniFileStorage storage;
    storage.SetLocation(TAppIniFileStorage::flCustom);
    storage.SetFileName(Path());
    EXPECT_EQ(storage.ReadInteger("S\\missing", 42), 42);
    EXPECT_EQ(storage.ReadInteger("S\\empty", 42), 0);
    EXPECT_EQ(storage.ReadInteger("S\\hex", 0), 31);
    EXPECT_EQ(storage.ReadInteger("S\\hex2", 0), 16);
    EXPECT_EQ(storage.ReadInteger("S\\neg", 0), -3);
    for (const char *key : {"bad", "big", "sp"}) {
        try {
            storage.ReadInteger(QStringLiteral("S\\") + key, 0);
            ADD_FAILURE() << key << " read as an integer";
        } catch (const EConvertError &e) {
            EXPECT_EQ(e.message(), "'" + storage.ReadString(QStringLiteral("S\\") + key, {}) +
                                       "' n'est pas une valeur entière correcte");
        }
    }
    EXPECT_EQ(storage.ReadString("s\\SP", "-"), "4 ");
}

TEST(StoragePath, BackslashRunsCollapseAndTheLastOneSplits)
{
    EXPECT_EQ(TAppIniFileStorage::ConcatPaths("fmMain\\", "NormPos"), "fmMain\\NormPos");
    EXPECT_EQ(TAppIniFileStorage::ConcatPaths("\\\\fmMain\\\\\\", "NormPos(1280x1024)"),
              "fmMain\\NormPos(1280x1024)");
    EXPECT_EQ(TAppIniFileStorage::ConcatPaths("a\\\\b", "c"), "a\\b\\c");
    QString section;
    QString key;
    TAppIniFileStorage::SplitPath("\\a\\\\b\\c", section, key);
    EXPECT_EQ(section, "a\\b");
    EXPECT_EQ(key, "c");
}

TEST_F(Storage, AReadOnlyFileTakesNoWriteAndNoWriteBack)
{
    const QByteArray before = "; kept\r\n[fmMain]\r\nShowCmd=1\r\n";
    WriteBytes(Path(), before);
    ASSERT_TRUE(QFile::setPermissions(Path(), QFileDevice::ReadOwner | QFileDevice::ReadGroup));
    {
        TAppIniFileStorage storage;
        storage.SetLocation(TAppIniFileStorage::flCustom);
        storage.SetFileName(Path());
        EXPECT_TRUE(storage.ReadOnly());
        storage.WriteInteger("fmMain\\ShowCmd", 3);
        EXPECT_EQ(storage.ReadInteger("fmMain\\ShowCmd", 0), 1);
        storage.SetFileName(QString());
        EXPECT_FALSE(storage.ReadOnly());
    }
    EXPECT_EQ(ReadBytes(Path()), before);
}

TEST_F(Storage, WhatIsNotARegularFileIsNeitherReadNorReplaced)
{
    ASSERT_TRUE(QDir(DirPath()).mkdir("tempovir.ini"));
    TAppIniFileStorage storage;
    storage.SetLocation(TAppIniFileStorage::flCustom);
    storage.SetFileName(Path());
    EXPECT_TRUE(storage.ReadOnly());
    storage.SetFileName(QString());
    EXPECT_TRUE(QFileInfo(Path()).isDir());
}

TEST_F(Storage, AMissingFolderIsCreatedAndANameGetsTheIniExtension)
{
    const QString name = DirPath() + "/sous/dossier/tempovir";
    TAppIniFileStorage storage;
    storage.SetLocation(TAppIniFileStorage::flCustom);
    storage.SetFileName(name);
    EXPECT_EQ(storage.FullFileName(), name + ".ini");
    storage.WriteString("fmMain\\FormVersion", "0");
    storage.SetFileName(QString());
    EXPECT_EQ(ReadBytes(name + ".ini"), "[fmMain]\r\nFormVersion=0\r\n\r\n");
}

TEST_F(Storage, TheExecutablesLocationTakesOnlyTheFileNamePart)
{
    TAppIniFileStorage storage;
    EXPECT_EQ(storage.Location(), TAppIniFileStorage::flExeFile);
    const QString fileName =
        QStringLiteral("tempovir-placement-%1.ini").arg(QCoreApplication::applicationPid());
    const QString beside = QCoreApplication::applicationDirPath() + "/" + fileName;
    storage.SetFileName("C:\\Outils\\" + fileName);
    EXPECT_EQ(storage.FullFileName(), beside);
    storage.SetFileName(QString());
    EXPECT_EQ(ReadBytes(beside), ""); // a first run leaves an empty file
    QFile::remove(beside);
}

TEST_F(Storage, AWriteBackThatFailsLeavesTheOldFileWholeAndNoTemporaryFile)
{
    QByteArray before = "[Alarm_000]\r\nEnabled=1\r\nDisplayName=Réveil\r\n\r\n";
    before += "[Pad]\r\npad=" + QByteArray(4000, 'x') + "\r\n\r\n";
    WriteBytes(Path(), before);
    for (const rlim_t limit : {rlim_t(0), rlim_t(10), rlim_t(before.size() / 2), rlim_t(before.size())}) {
        TAppIniFileStorage storage;
        storage.SetLocation(TAppIniFileStorage::flCustom);
        storage.SetFileName(Path());
        storage.WriteString("fmMain\\NormPos", "1,2,3,4");
        {
            const FileSizeLimit full(limit);
            storage.SetFileName(QString()); // errors are ignored
        }
        EXPECT_EQ(ReadBytes(Path()), before) << "limit " << limit;
        EXPECT_EQ(FilesInFolder(), QStringList{"tempovir.ini"});
    }
}

TEST_F(Storage, DetachingWithKeyWritesReplacesTheFileOnce)
{
    WriteBytes(Path(), "[fmMain]\r\nShowCmd=1\r\n\r\n[Display]\r\nAppShowMenu=1\r\n\r\n");
    TAppIniFileStorage storage;
    Attach(storage);
    storage.WriteInteger("fmMain\\ShowCmd", 3);
    testing_support::FileWrites writes(Path());
    storage.detachWith([](TIniFile &ini) {
        ini.WriteBool("Display", "AppShowMenu", false);
        ini.WriteBool("Alarms", "ActAlarmsSound", true);
    });
    EXPECT_EQ(writes.count(), 1);
    // The write-back's layout, then the key writes as they go into a file: in place, or at the end.
    EXPECT_EQ(ReadBytes(Path()), "[fmMain]\r\nShowCmd=3\r\n\r\n[Display]\r\nAppShowMenu=0\r\n\r\n"
                                 "[Alarms]\r\nActAlarmsSound=1\r\n");
    EXPECT_EQ(storage.FullFileName(), QString());
    storage.SetFileName(QString());
    EXPECT_EQ(writes.count(), 1);
}

TEST_F(Storage, DetachingWithKeyWritesFailsAloudOnlyForAChangeOfTheirs)
{
    const QByteArray before = "[fmMain]\r\nShowCmd=1\r\n\r\n[Display]\r\nAppShowMenu=1\r\n\r\n";
    enum Obstacle { FullDisk, OverReadLimit, ReadOnly };
    for (const Obstacle obstacle : {FullDisk, OverReadLimit, ReadOnly}) {
        for (const bool changes : {false, true}) {
            SCOPED_TRACE(testing::Message() << "obstacle " << obstacle << (changes ? ", a key changes" : ""));
            WriteBytes(Path(), before);
            if (obstacle == ReadOnly) {
                ASSERT_TRUE(QFile::setPermissions(Path(), QFileDevice::ReadOwner | QFileDevice::ReadGroup));
            }
            TAppIniFileStorage storage;
            Attach(storage);
            storage.WriteString("fmMain\\NormPos", "1,2,3,4");
            std::optional<FileSizeLimit> full;
            std::optional<testing_support::WholeFileLimit> limit;
            if (obstacle == FullDisk)
                full.emplace(rlim_t(10));
            else if (obstacle == OverReadLimit)
                limit.emplace(before.size() + 10);
            const auto writeKeys = [changes](TIniFile &ini) {
                ini.WriteBool("Display", "AppShowMenu", !changes);
            };
            if (changes) {
                try {
                    storage.detachWith(writeKeys);
                    ADD_FAILURE() << "no error raised";
                } catch (const EIniFileException &e) {
                    EXPECT_EQ(e.message(), "Impossible d'écrire dans " + Path());
                }
            } else {
                EXPECT_NO_THROW(storage.detachWith(writeKeys));
            }
            EXPECT_EQ(storage.FullFileName(), QString());
            full.reset();
            limit.reset();
            EXPECT_EQ(ReadBytes(Path()), before);
            EXPECT_EQ(FilesInFolder(), QStringList{"tempovir.ini"});
            ASSERT_TRUE(QFile::setPermissions(Path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner));
        }
    }
}

TEST_F(Storage, TheAtomicWriteGoesThroughALinkAndKeepsThePermissions)
{
    const QString target = DirPath() + "/real.ini";
    WriteBytes(target, "old");
    ASSERT_TRUE(QFile::setPermissions(target, QFileDevice::ReadOwner | QFileDevice::WriteOwner));
    ASSERT_TRUE(QFile::link(target, Path()));
    ASSERT_TRUE(platform::ReplaceFile(Path(), "new"));
    EXPECT_TRUE(QFileInfo(Path()).isSymLink());
    EXPECT_EQ(ReadBytes(target), "new");
    EXPECT_EQ(QFile::permissions(target) &
                  ~(QFileDevice::ReadUser | QFileDevice::WriteUser | QFileDevice::ExeUser),
              QFileDevice::ReadOwner | QFileDevice::WriteOwner);

    ASSERT_TRUE(QDir(DirPath()).mkdir("folder.ini"));
    try {
        TIniDocument(TIniDocument::Names::AsWritten, TIniDocument::Layout::Sections)
            .save(DirPath() + "/folder.ini");
        ADD_FAILURE() << "a folder was replaced";
    } catch (const EIniFileException &e) {
        EXPECT_EQ(e.message(), "Impossible d'écrire dans " + DirPath() + "/folder.ini");
    }
    EXPECT_TRUE(QFileInfo(DirPath() + "/folder.ini").isDir());
}
