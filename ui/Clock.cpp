#include "ui/Clock.h"

#include "platform/Time.h"

TClock::TClock(QWidget *parent) : QWidget(parent) {}

TClock::~TClock() = default;

void TClock::SetShowMode(TShowClock mode)
{
    if (mode == m_showMode)
        return;
    m_showMode = mode;
    update();
}

QTime TClock::CurrentTime()
{
    QTime t = platform::Time();
    if (OnGetTime)
        OnGetTime(this, t);
    return t;
}
