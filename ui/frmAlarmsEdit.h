#pragma once

#include <QMainWindow>

// The alarm list window. Closing it only hides it.
class TfmAlarmsEdit : public QMainWindow
{
    Q_OBJECT

public:
    explicit TfmAlarmsEdit(QWidget *parent = nullptr);
};
