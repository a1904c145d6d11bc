#pragma once

#include "alarms/AlarmHost.h"
#include "platform/linux/Autostart.h"
#include "settings/AppIniFileStorage.h"
#include "settings/uUserPrefs.h"
#include "ui/FormStorage.h"

#include <QMainWindow>
#include <QTime>

class QLabel;
class QMenu;
class TAction;
class TAlarmTable;
class TAlertPopup;
class TClock;
class TTrackBar;

// What the main window needs of the program that owns it, beyond what the alarm routines need.
class TMainWindowHost : public TAlarmHost
{
public:
    // Start-up has not finished: the clock's readings check no alarm yet.
    virtual bool StartingUp() const = 0;
    // The close sequence; throws when the alarms cannot be written, which keeps the window open.
    virtual void FormClose() = 0;
    // Shows the alarm list window in front.
    virtual void showAlarmsEdit() = 0;
};

class TfmMain : public QMainWindow
{
    Q_OBJECT

public:
    TfmMain(TAlarmTable &Table, TMainWindowHost &Host, QWidget *parent = nullptr);

    // The preferences as the three actions hold them now.
    TUserPrefs userPrefs() const;
    // Sets the three actions and runs their handlers without a sender, so each applies it.
    void ApplyUserPrefs(const TUserPrefs &prefs);

    // The indicator: the menu check of mnuAlarmsActivate, then the visibility of lblAlarms.
    void showAlarmsIndicator(bool on);
    // Adds the text to the alert popup as its newest message, makes it current, shows it.
    void announceAlarm(const QString &alertText);

    TClock *Clock1 = nullptr;
    QLabel *lblAlarms = nullptr;
    QLabel *Label1 = nullptr; // never shown: measures text in the clock's font
    TTrackBar *tbFontSize = nullptr;
    QMenu *PopupMenu1 = nullptr;
    TAlertPopup *AlertPopup1 = nullptr;
    // The settings file as a whole, for the windows' placement; attached only while the
    // placement is read or written.
    TAppIniFileStorage AppIniFileStorage1;

    TAction *ActTypeAnalog = nullptr;
    TAction *ActTypeDigital = nullptr;
    TAction *ActClockFontAutoSize = nullptr;
    TAction *ActAppShowMenu = nullptr;
    TAction *ActAppStayOnTop = nullptr;
    TAction *ActAlarmsEdit = nullptr;
    TAction *ActAlarmsActivate = nullptr;
    TAction *ActAlarmsSound = nullptr;
    TAction *ActAppAbout = nullptr;
    TAction *ActAppHelpIndex = nullptr;
    TAction *ActAppClose = nullptr;
    // Checked while the session starts the program at log-in; the state is the autostart entry.
    TAction *ActAppAutostart = nullptr;

    void ActTypeAnalogExecute(QObject *Sender);
    void ActTypeDigitalExecute(QObject *Sender);
    void ActClockFontAutoSizeExecute(QObject *Sender);
    void ActAppShowMenuExecute(QObject *Sender);
    void ActAppStayOnTopExecute(QObject *Sender);
    void ActAlarmsEditExecute(QObject *Sender);
    void ActAppAboutExecute(QObject *Sender);
    void ActAppCloseExecute(QObject *Sender);
    void ActAppAutostartExecute(QObject *Sender);
    void lblAlarmsDblClick(QObject *Sender);
    void tbFontSizeChange(QObject *Sender);

    // Fits the clock's font to the clock area when automatic size is on; places the label.
    void FormResize(QObject *Sender);
    void UpdateFontSizeBar();
    bool TextDoesNotFit() const;
    // Asks the slider for a position: clamped to its range, and every request for another
    // value than the current one raises its change, as dragging it does.
    void setFontSizePosition(int position);

protected:
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void createActions();
    void createMenus();
    void FormCreate();
    void Clock1GetTime(QObject *Sender, QTime &ATime);
    // Border, menu bar and window level from the two actions that decide them.
    void applyWindowStyle();
    // The check mark of ActAppAutostart from the entry on disk.
    void readAutostartState();

    TAlarmTable &m_table;
    TMainWindowHost &m_host;
    const platform::TAutostartEntry m_autostart;
    bool m_refitQueued = false;
};
