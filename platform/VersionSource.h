#pragma once

#include <QMap>
#include <QString>
#include <optional>

namespace platform {

// The string fields of a version resource by name ("CompanyName", "FileVersion", ...).
using VersionStrings = QMap<QString, QString>;

// Where the version resource is read from: the executable, or a test's stand-in.
class VersionSource
{
public:
    virtual ~VersionSource() = default;
    // The resource's string fields, or nothing when there is no version resource.
    virtual std::optional<VersionStrings> read() const = 0;
};

// Installs a replacement source (tests); nullptr goes back to the executable's own resource.
// Returns the replacement installed before, or nullptr.
VersionSource *SetVersionSource(VersionSource *source);

// The version resource the executable carries, or nothing when it carries none. A field the
// resource lacks is absent from the map.
std::optional<VersionStrings> ReadVersionResource();

} // namespace platform
