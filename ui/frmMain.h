#pragma once

#include <QMainWindow>
#include <QTime>

class TClock;

class TfmMain : public QMainWindow
{
    Q_OBJECT

public:
    explicit TfmMain(QWidget *parent = nullptr);

    // Start-up steps run once all three windows exist.
    void InitApplication();

    TClock *Clock1 = nullptr;

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void FormCreate();
    void Clock1GetTime(QObject *Sender, QTime &ATime);
    // The close sequence; throws when the alarms or the preferences cannot be written.
    void FormClose();
};
