#pragma once

#include <QMainWindow>
#include <QTime>

class QLabel;
class QMenu;
class QSlider;
class TAction;
class TAlertPopup;
class TClock;

class TfmMain : public QMainWindow
{
    Q_OBJECT

public:
    explicit TfmMain(QWidget *parent = nullptr);

    // Start-up steps run once all three windows exist.
    void InitApplication();

    TClock *Clock1 = nullptr;
    QLabel *lblAlarms = nullptr;
    QLabel *Label1 = nullptr; // never shown: measures text in the clock's font
    QSlider *tbFontSize = nullptr;
    QMenu *PopupMenu1 = nullptr;
    TAlertPopup *AlertPopup1 = nullptr;

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
    void CreateActions();
    void CreateMenus();
    void FormCreate();
    void Clock1GetTime(QObject *Sender, QTime &ATime);
    // The close sequence; throws when the alarms or the preferences cannot be written.
    void FormClose();
    // Border, menu bar and window level from the two actions that decide them.
    void ApplyWindowStyle();
};
