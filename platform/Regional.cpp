#include "platform/Regional.h"

namespace platform {
namespace {
TFormatSettings current;
}

const TFormatSettings &FormatSettings() { return current; }

void SetFormatSettings(const TFormatSettings &settings)
{
    current = settings;
    Q_EMIT RegionalSettings()->changed();
}

TFormatSettings FormatSettingsFor(const QLocale &) { return TFormatSettings{}; }

void LoadFormatSettings() { SetFormatSettings(FormatSettingsFor(QLocale::system())); }

RegionalNotifier *RegionalSettings()
{
    static RegionalNotifier notifier;
    return &notifier;
}

} // namespace platform
