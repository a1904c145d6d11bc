#include "platform/MessagePump.h"

#include "platform/Seam.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QThread>
#include <QTimer>

namespace platform {
namespace {

class QtPump final : public MessagePump
{
public:
    void processMessages() override
    {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    }

    void waitForMessages(quint32 maxMs) override
    {
        if (maxMs == 0)
            return;
        QAbstractEventDispatcher *dispatcher = QAbstractEventDispatcher::instance(QThread::currentThread());
        if (!dispatcher)
            return;
        // A timer of our own bounds the blocking wait; any other event ends it earlier.
        QTimer bound;
        bound.setSingleShot(true);
        bound.setTimerType(Qt::PreciseTimer);
        bound.start(int(qMin<quint32>(maxMs, 1u << 30)));
        dispatcher->processEvents(QEventLoop::WaitForMoreEvents | QEventLoop::AllEvents);
    }
};

QtPump qtPump;
Seam<MessagePump> seam(qtPump);

} // namespace

MessagePump *SetMessagePump(MessagePump *pump)
{
    return seam.install(pump);
}
void ProcessMessages()
{
    seam.get().processMessages();
}
void WaitForMessages(quint32 maxMs)
{
    seam.get().waitForMessages(maxMs);
}

} // namespace platform
