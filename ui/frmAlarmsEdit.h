#pragma once

#include <QMainWindow>

class TAlarmTable;

// The alarm list window; it owns the alarm table. Closing it only hides it.
class TfmAlarmsEdit : public QMainWindow
{
    Q_OBJECT

public:
    explicit TfmAlarmsEdit(QWidget *parent = nullptr);

    TAlarmTable *AlarmTable = nullptr;
};
