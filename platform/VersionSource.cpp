#include "platform/VersionSource.h"

#include "platform/Seam.h"

namespace platform {

// The fields the build embeds (res/VersionResource.cpp.in), as name and text pairs in UTF-8,
// ended by a pair of null pointers.
extern const char *const EmbeddedVersionStrings[][2];

namespace {

class EmbeddedVersion final : public VersionSource
{
public:
    std::optional<VersionStrings> read() const override
    {
        VersionStrings strings;
        for (auto *field = EmbeddedVersionStrings; (*field)[0]; ++field)
            strings.insert(QString::fromUtf8((*field)[0]), QString::fromUtf8((*field)[1]));
        if (strings.isEmpty())
            return std::nullopt;
        return strings;
    }
};

EmbeddedVersion embeddedVersion;
Seam<VersionSource> seam(embeddedVersion);

} // namespace

VersionSource *SetVersionSource(VersionSource *source)
{
    return seam.install(source);
}

std::optional<VersionStrings> ReadVersionResource()
{
    return seam.get().read();
}

} // namespace platform
