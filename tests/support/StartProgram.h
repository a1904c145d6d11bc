#pragma once

#include "app/Program.h"

#include <QString>
#include <memory>

namespace testing_support {

// The program started on the settings file as the real start-up does, without showing a window,
// and the clock's repaints that start-up queued handled. Its clock does not tick, so that no alarm check runs
// behind a test's back: a test reads the time or calls the alarm routines itself.
std::unique_ptr<TProgram> StartProgram(const QString &iniFileName);

// The program as the main window alone sees it, with the flags and requests in the open.
class FakeMainHost final : public TMainWindowHost
{
public:
    bool StartingUp() const override { return startingUp; }
    void FormClose() override { ++closes; }
    void showAlarmsEdit() override { ++alarmsEditShown; }
    bool alarmsActivated() const override { return activated; }
    void setAlarmsActivated(bool on) override { activated = on; }
    bool alarmsSound() const override { return sound; }
    void setAlarmsSound(bool on) override { sound = on; }
    void showAlarmsIndicator(bool) override {}
    void announceAlarm(const QString &) override {}
    void RunShutdownCountdown() override {}
    bool Closing() const override { return closing; }

    bool startingUp = false;
    bool closing = false;
    bool activated = false;
    bool sound = true;
    int closes = 0;
    int alarmsEditShown = 0;
};

} // namespace testing_support
