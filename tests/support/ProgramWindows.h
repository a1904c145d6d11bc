#pragma once

#include <memory>

class TfmMain;
class TfmAlarmsEdit;

namespace testing_support {

// Makes the main window and the alarm list the way the program's start-up does: fmMain and
// fmAlarmsEdit point at them, and the main window has read the settings file IniFileName.
// Shows neither window.
void StartWindows(std::unique_ptr<TfmMain> &window, std::unique_ptr<TfmAlarmsEdit> &alarms);

} // namespace testing_support
