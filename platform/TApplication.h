#pragma once

#include <QApplication>

// The application object: reports any exception that leaves an event handler in the
// standard error box and goes on.
class TApplication : public QApplication
{
public:
    TApplication(int &argc, char **argv);
    bool notify(QObject *receiver, QEvent *event) override;
};
