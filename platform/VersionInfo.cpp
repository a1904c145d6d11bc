#include "platform/VersionInfo.h"

namespace platform {

// The fields the build embeds (res/VersionResource.cpp.in), as name and text pairs in UTF-8,
// ended by a pair of null pointers.
extern const char *const EmbeddedVersionStrings[][2];

namespace {

const VersionSource *g_source = nullptr;

} // namespace

void SetVersionSource(const VersionSource *source)
{
    g_source = source;
}

std::optional<VersionStrings> ReadVersionResource()
{
    if (g_source)
        return g_source->Read();
    VersionStrings strings;
    for (auto *field = EmbeddedVersionStrings; (*field)[0]; ++field)
        strings.insert(QString::fromUtf8((*field)[0]), QString::fromUtf8((*field)[1]));
    if (strings.isEmpty())
        return std::nullopt;
    return strings;
}

} // namespace platform
