#include "platform/Links.h"

#include "platform/Seam.h"

#include <QDesktopServices>

namespace platform {
namespace {

class DesktopLinks final : public LinkOpener
{
public:
    void open(const QUrl &url) override { QDesktopServices::openUrl(url); }
};

DesktopLinks desktopLinks;
Seam<LinkOpener> seam(desktopLinks);

} // namespace

LinkOpener *SetLinkOpener(LinkOpener *opener)
{
    return seam.install(opener);
}

void OpenUrl(const QUrl &url)
{
    seam.get().open(url);
}

} // namespace platform
