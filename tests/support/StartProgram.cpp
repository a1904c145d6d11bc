#include "support/StartProgram.h"

#include "ui/Clock.h"
#include "ui/ClockTimer.h"

#include <QCoreApplication>

namespace testing_support {

std::unique_ptr<TProgram> StartProgram(const QString &iniFileName)
{
    auto program = std::make_unique<TProgram>(iniFileName);
    program->start();
    // The first tick would come at the next dispatch of events.
    program->fmMain()->Clock1->timer()->stop();
    // The clock's repaint requests that start-up left in the queue are handled now, as the
    // event loop would at once, before a test arms an alarm; the rest waits for the test.
    QCoreApplication::sendPostedEvents(program->fmMain()->Clock1);
    return program;
}

} // namespace testing_support
