#include "support/ProgramWindows.h"

#include "app/Globals.h"
#include "ui/frmAlarmsEdit.h"
#include "ui/frmMain.h"

namespace testing_support {

void StartWindows(std::unique_ptr<TfmMain> &window, std::unique_ptr<TfmAlarmsEdit> &alarms)
{
    StartingUp = true;
    window = std::make_unique<TfmMain>();
    fmMain = window.get();
    alarms = std::make_unique<TfmAlarmsEdit>();
    fmAlarmsEdit = alarms.get();
    window->InitApplication(IniFileName);
    StartingUp = false;
}

} // namespace testing_support
