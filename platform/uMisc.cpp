#include "platform/uMisc.h"

#include "platform/MessagePump.h"
#include "platform/Time.h"

void Delay(quint32 ms)
{
    const quint32 start = platform::GetTickCount();
    for (;;) {
        const quint32 now = platform::GetTickCount();
        platform::ProcessMessages();
        const quint32 elapsed = now - start; // unsigned: right across the wrap
        if (elapsed >= ms)
            return;
        // Sleep until something needs dispatching rather than polling the queue.
        const quint32 spent = platform::GetTickCount() - start;
        if (spent < ms)
            platform::WaitForMessages(ms - spent);
    }
}

QString IfThenStr(bool flag, const QString &a, const QString &b)
{
    return flag ? a : b;
}

int IfThenInt(bool flag, int a, int b)
{
    return flag ? a : b;
}
