#pragma once

#include <QUrl>

namespace platform {

// Hands a link to the desktop's handler (the browser, the mail program).
class LinkOpener
{
public:
    virtual ~LinkOpener() = default;
    virtual void open(const QUrl &url) = 0;
};

// Installs a replacement opener (tests); nullptr goes back to the desktop's handler.
// Returns the replacement installed before, or nullptr.
LinkOpener *SetLinkOpener(LinkOpener *opener);

void OpenUrl(const QUrl &url);

} // namespace platform
