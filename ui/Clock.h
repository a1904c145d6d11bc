#pragma once

#include <QColor>
#include <QTime>
#include <QWidget>
#include <functional>

enum TShowClock { scDigital, scAnalog };

// The clock control: the time as digits or as a face with hands, updated by its own tick
// thread. Every reading of the time goes through CurrentTime and raises OnGetTime.
class TClock : public QWidget
{
    Q_OBJECT

public:
    explicit TClock(QWidget *parent = nullptr);
    ~TClock() override;

    TShowClock ShowMode() const { return m_showMode; }
    void SetShowMode(TShowClock mode);

    // Raised at every reading of the time; the handler may replace the time.
    std::function<void(QObject *Sender, QTime &ATime)> OnGetTime;

    // Reads the time of day and raises OnGetTime with it.
    virtual QTime CurrentTime();

private:
    TShowClock m_showMode = scDigital;
};
