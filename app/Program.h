#pragma once

#include "alarms/AlarmTable.h"
#include "alarms/ShutdownHost.h"
#include "ui/frmMain.h"

#include <QString>
#include <memory>

class TfmAlarmsEdit;
class TfmShutdown;
namespace platform {
class TTimeChangeNotifier;
}

// The program's state and its three long-lived windows: the settings file's path, the
// start-up, closing and shutdown-pending flags, and the alarm table. It runs the start-up
// sequence and the close sequence, and it is what the alarm routines, the countdown and the
// main window talk to.
class TProgram final : public TMainWindowHost, public TShutdownHost
{
public:
    explicit TProgram(QString iniFileName);
    ~TProgram() override;
    TProgram(const TProgram &) = delete;
    TProgram &operator=(const TProgram &) = delete;

    // The start-up sequence: the main window, the alarm list and the countdown window in that
    // order (the latter two hidden), then the alarms and the preferences from the settings
    // file. Shows no window. From then on a change of the system's clock or time zone shows
    // on the clock at once.
    void start();
    // The close sequence. The alarms are saved first (an edit still open included); a failure
    // there throws and leaves the program running. At the session's end the countdown under
    // way is called off and neither preferences nor placement are written. A settings file
    // that could not be read at start is not written at all.
    void close(bool sessionEnding);
    // The main window restored from minimised and brought to the front.
    void showMainWindow();

    const QString &IniFileName() const { return m_iniFileName; }
    TAlarmTable &alarmTable() { return m_table; }
    TfmMain *fmMain() const { return m_main.get(); }
    TfmAlarmsEdit *fmAlarmsEdit() const { return m_alarmsEdit.get(); }
    TfmShutdown *fmShutdown() const { return m_shutdown.get(); }

    // TMainWindowHost
    bool StartingUp() const override { return m_startingUp; }
    void FormClose() override;
    void showAlarmsEdit() override;

    // TAlarmHost
    bool alarmsActivated() const override;
    void setAlarmsActivated(bool on) override;
    bool alarmsSound() const override;
    void setAlarmsSound(bool on) override;
    void showAlarmsIndicator(bool on) override;
    void announceAlarm(const QString &alertText) override;
    void RunShutdownCountdown() override;
    bool Closing() const override { return m_closing; }

    // TShutdownHost
    bool ShutdownPending() const override { return m_shutdownPending; }
    void setShutdownPending(bool pending) override { m_shutdownPending = pending; }
    void showShutdownWindow() override;
    void hideShutdownWindow() override;
    void setShutdownPosition(int position) override;

private:
    // Once all three windows exist: the alarms, then the placement and the preferences.
    void InitApplication();
    // Both windows' placement, main window first.
    QList<TFormStorage> formStorages() const;

    const QString m_iniFileName;
    bool m_startingUp = false;
    bool m_closing = false;
    bool m_shutdownPending = false;
    // The settings file was there at start but could not be read: it is never written.
    bool m_iniUnreadable = false;
    TAlarmTable m_table;
    std::unique_ptr<TfmMain> m_main;
    std::unique_ptr<TfmAlarmsEdit> m_alarmsEdit;
    std::unique_ptr<TfmShutdown> m_shutdown;
    std::unique_ptr<platform::TTimeChangeNotifier> m_timeChanges;
};
