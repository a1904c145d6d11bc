#pragma once

#include <QtGlobal>

namespace platform {

// The user-interface thread's message queue, as the waiting routines see it.
class MessagePump
{
public:
    virtual ~MessagePump() = default;
    // Dispatches every message that is waiting, then returns at once.
    virtual void processMessages() = 0;
    // Blocks until a message arrives or maxMs milliseconds have passed; what arrived may be
    // dispatched already.
    virtual void waitForMessages(quint32 maxMs) = 0;
};

// Installs a replacement pump (tests); nullptr goes back to the Qt event dispatcher.
// Returns the replacement installed before, or nullptr.
MessagePump *SetMessagePump(MessagePump *pump);

void ProcessMessages();
void WaitForMessages(quint32 maxMs);

} // namespace platform
