#pragma once

#include <QWidget>

class QPushButton;
class TBlockProgressBar;
class TMarkupLabel;
class TShutdownHost;

// The power-off countdown window: a notice, the bar and the cancel button. It is not modal,
// and closing it by its title bar only hides it: the countdown goes on unseen.
class TfmShutdown : public QWidget
{
    Q_OBJECT

public:
    // The host holds the pending flag that the cancel button clears.
    explicit TfmShutdown(TShutdownHost &Host, QWidget *parent = nullptr);

    TMarkupLabel *MarkupLabel1 = nullptr;
    TBlockProgressBar *ProgressBar1 = nullptr;
    QPushButton *btnCancel = nullptr;

    // Stops the countdown that is running (and any nested in it), then hides the window.
    void btnCancelClick(QObject *Sender);

private:
    TShutdownHost &m_host;
};
