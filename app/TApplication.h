#pragma once

#include <QApplication>

// The application object: reports any exception that leaves an event handler in the
// standard error box and goes on.
class TApplication : public QApplication
{
public:
    TApplication(int &argc, char **argv);
    bool notify(QObject *receiver, QEvent *event) override;

protected:
    // A quit request comes from the session manager: it ends the session, not a close.
    bool event(QEvent *event) override;
};
