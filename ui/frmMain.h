#pragma once

#include "alarms/AlarmHost.h"
#include "settings/AppIniFileStorage.h"
#include "settings/FormStorage.h"
#include "settings/uUserPrefs.h"

#include <QMainWindow>
#include <QTime>

class QLabel;
class QMenu;
class QSlider;
class TAction;
class TAlarmTable;
class TAlertPopup;
class TClock;

class TfmMain : public QMainWindow, public TAlarmHost
{
    Q_OBJECT

public:
    explicit TfmMain(QWidget *parent = nullptr);

    // Start-up steps run once all three windows exist: the alarms, then the preferences.
    void InitApplication(const QString &iniFileName);

    // The preferences as the three actions hold them now.
    TUserPrefs UserPrefs() const;
    // Sets the three actions and runs their handlers without a sender, so each applies it.
    void ApplyUserPrefs(const TUserPrefs &prefs);

    // TAlarmHost
    bool AlarmsActivated() const override;
    void SetAlarmsActivated(bool on) override;
    bool AlarmsSound() const override;
    void SetAlarmsSound(bool on) override;
    void ShowAlarmsIndicator(bool on) override;
    void AnnounceAlarm(const QString &alertText) override;
    void RunShutdownCountdown() override;

    TClock *Clock1 = nullptr;
    QLabel *lblAlarms = nullptr;
    QLabel *Label1 = nullptr; // never shown: measures text in the clock's font
    QSlider *tbFontSize = nullptr;
    QMenu *PopupMenu1 = nullptr;
    TAlertPopup *AlertPopup1 = nullptr;
    // The settings file as a whole, for the windows' placement; attached only while the
    // placement is read or written.
    TAppIniFileStorage AppIniFileStorage1;
    // This window's placement, then the alarm list window's.
    QList<TFormStorage> FormStorages();

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

    void ActTypeAnalogExecute(QObject *Sender);
    void ActTypeDigitalExecute(QObject *Sender);
    void ActClockFontAutoSizeExecute(QObject *Sender);
    void ActAppShowMenuExecute(QObject *Sender);
    void ActAppStayOnTopExecute(QObject *Sender);
    void ActAlarmsEditExecute(QObject *Sender);
    void ActAppAboutExecute(QObject *Sender);
    void ActAppCloseExecute(QObject *Sender);
    void lblAlarmsDblClick(QObject *Sender);
    void tbFontSizeChange(QObject *Sender);

    // Fits the clock's font to the clock area when automatic size is on; places the label.
    void FormResize(QObject *Sender);
    void UpdateFontSizeBar();
    bool TextDoesNotFit() const;
    // Asks the slider for a position: clamped to its range, and every request for another
    // value than the current one raises its change, as dragging it does.
    void SetFontSizePosition(int position);

protected:
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // The alarm list window's table; it exists from start-up to the end of the run.
    TAlarmTable &AlarmTable() const;
    void CreateActions();
    void CreateMenus();
    void FormCreate();
    void Clock1GetTime(QObject *Sender, QTime &ATime);
    // The close sequence; throws when the alarms or the preferences cannot be written.
    void FormClose();
    // Border, menu bar and window level from the two actions that decide them.
    void ApplyWindowStyle();

    bool m_refitQueued = false;
};
