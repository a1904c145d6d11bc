#pragma once

#include <QString>

// What the alarm routines need of the program: the two alarm switches, the "Alarmes
// activées" indicator and the alert popup of the main window, the power-off countdown and
// whether the program is closing. The program implements it; the alarm tests use a small fake.
class TAlarmHost
{
public:
    virtual ~TAlarmHost() = default;

    // The global alarm activation: the check state of ActAlarmsActivate.
    virtual bool alarmsActivated() const = 0;
    // Sets only the check state; ActAlarmsActivateExecute(nullptr, ...) brings the rest in line.
    virtual void setAlarmsActivated(bool on) = 0;
    // The sound switch: the check state of ActAlarmsSound.
    virtual bool alarmsSound() const = 0;
    virtual void setAlarmsSound(bool on) = 0;
    // The indicator: the menu check of mnuAlarmsActivate, then the visibility of lblAlarms.
    virtual void showAlarmsIndicator(bool on) = 0;
    // Adds the text to the alert popup as its newest message, makes it current, shows it.
    virtual void announceAlarm(const QString &alertText) = 0;
    // Runs one power-off countdown; returns when it has ended, cancelled or not.
    virtual void RunShutdownCountdown() = 0;
    // The close sequence has begun: no further alarm fires.
    virtual bool Closing() const = 0;
};
