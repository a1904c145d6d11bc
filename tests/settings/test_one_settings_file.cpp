// The key-by-key access and the whole-file placement storage on one settings file, in the
// order of the close sequence: alarm keys, placement write-back, preference keys (the last two
// apart or in one write, to the same bytes). Each keeps what the other wrote; the write-back drops comments,
// empty lines and stray lines and ends every section with an empty line; only the key-by-key access ignores
// blanks around names.
#include "SettingsTestSupport.h"

#include "settings/AppIniFileStorage.h"
#include "settings/IniFile.h"

using namespace settings_test;

namespace {

class OneSettingsFile : public IniFixture
{
protected:
    void AttachStorage(TAppIniFileStorage &storage)
    {
        storage.SetLocation(TAppIniFileStorage::flCustom);
        storage.SetFileName(Path());
    }
};

TEST_F(OneSettingsFile, EachAccessKeepsWhatTheOtherWrote)
{
    const QByteArray start = "; Tempovir\r\nstray=1\r\n\r\n"
                             "[Alarm_000]\r\nEnabled=1\r\nDisplayName=R\xE9veil\r\n"
                             "[Display]\r\n AppStayOnTop = 1 \r\n"
                             "[fmMain]\r\nFormVersion=0\r\nShowCmd=1\r\n";
    // Saving the alarms, key by key and as one group (as the close does).
    for (const bool group : {false, true}) {
        SCOPED_TRACE(group ? "alarms written as a group" : "alarms written key by key");
        WriteBytes(Path(), start);
        {
            TIniFile ini(Path());
            if (group)
                ini.BeginUpdate();
            ini.WriteBool("Alarm_000", "Enabled", false);
            ini.WriteString("Alarm_000", "DisplayName", "Réveil"); // stored already, in Windows-1252
            ini.WriteString("Alarm_001", "DisplayName", "Message alarme 002");
            ini.UpdateFile();
        }
        const QByteArray alarmsSaved = "; Tempovir\r\nstray=1\r\n\r\n"
                                       "[Alarm_000]\r\nEnabled=0\r\nDisplayName=R\xE9veil\r\n"
                                       "[Display]\r\n AppStayOnTop = 1 \r\n"
                                       "[fmMain]\r\nFormVersion=0\r\nShowCmd=1\r\n"
                                       "[Alarm_001]\r\nDisplayName=Message alarme 002\r\n";
        EXPECT_EQ(ReadBytes(Path()), alarmsSaved);

        // The placement: loaded whole and changed in memory; then written back whole with the
        // preferences key by key after it, in two writes or in one.
        const QByteArray placementSaved = "[Alarm_000]\r\nEnabled=0\r\nDisplayName=R\xE9veil\r\n\r\n"
                                          "[Display]\r\n AppStayOnTop = 1 \r\n\r\n"
                                          "[fmMain]\r\nFormVersion=0\r\nShowCmd=3\r\n\r\n"
                                          "[Alarm_001]\r\nDisplayName=Message alarme 002\r\n\r\n"
                                          "[fmAlarmsEdit]\r\nFormVersion=0\r\n\r\n";
        // The hand-spaced key is the one written.
        const auto writePreferences = [](TIniFile &ini) {
            ini.WriteBool("Display", "AppStayOnTop", true); // reads as stored already
            ini.WriteBool("Display", "AppShowMenu", false);
            ini.WriteBool("Alarms", "ActAlarmsSound", true);
        };
        const QByteArray prefsSaved = "[Alarm_000]\r\nEnabled=0\r\nDisplayName=R\xE9veil\r\n\r\n"
                                      "[Display]\r\n AppStayOnTop = 1 \r\nAppShowMenu=0\r\n\r\n"
                                      "[fmMain]\r\nFormVersion=0\r\nShowCmd=3\r\n\r\n"
                                      "[Alarm_001]\r\nDisplayName=Message alarme 002\r\n\r\n"
                                      "[fmAlarmsEdit]\r\nFormVersion=0\r\n\r\n"
                                      "[Alarms]\r\nActAlarmsSound=1\r\n";
        for (const bool oneWrite : {false, true}) {
            SCOPED_TRACE(oneWrite ? "placement and preferences in one write" : "in two writes");
            WriteBytes(Path(), alarmsSaved);
            TAppIniFileStorage storage;
            AttachStorage(storage);
            EXPECT_EQ(storage.ReadString("Alarm_000\\DisplayName", "-"), "Réveil");
            EXPECT_EQ(storage.ReadString("Alarm_001\\DisplayName", "-"), "Message alarme 002");
            // Blanks around a key name are part of it here.
            EXPECT_FALSE(storage.ValueStored("Display\\AppStayOnTop"));
            EXPECT_EQ(storage.ReadString("Display\\ AppStayOnTop ", "-"), " 1 ");
            storage.WriteInteger("fmMain\\ShowCmd", 3);
            storage.WriteString("fmAlarmsEdit\\FormVersion", "0");
            if (oneWrite) {
                storage.detachWith(writePreferences);
            } else {
                storage.SetFileName(QString());
                EXPECT_EQ(ReadBytes(Path()), placementSaved);
                TIniFile ini(Path());
                writePreferences(ini);
            }
            EXPECT_EQ(storage.FileName(), QString());
            EXPECT_EQ(ReadBytes(Path()), prefsSaved);
        }

        // The next start reads all of it back through both.
        const TIniFile ini(Path());
        EXPECT_FALSE(ini.ReadBool("Alarm_000", "Enabled", true));
        EXPECT_EQ(ini.ReadString("Alarm_000", "DisplayName", "-"), "Réveil");
        EXPECT_TRUE(ini.ReadBool("Display", "AppStayOnTop", false));
        EXPECT_FALSE(ini.ReadBool("Display", "AppShowMenu", true));
        TAppIniFileStorage storage;
        AttachStorage(storage);
        EXPECT_EQ(storage.ReadInteger("fmMain\\ShowCmd", 0), 3);
        EXPECT_EQ(storage.ReadString("Alarms\\ActAlarmsSound", "-"), "1");
        storage.SetFileName(QString());
        EXPECT_EQ(ReadBytes(Path()), prefsSaved + "\r\n");
    }
}

} // namespace
