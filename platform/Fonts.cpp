#include "platform/Fonts.h"

#include <QFile>
#include <QFont>
#include <QFontDatabase>

namespace platform {

void RegisterFonts()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    // fonts-wine installs these outside fontconfig's search path.
    for (const char *file : {"tahoma.ttf", "tahomabd.ttf", "ms_sans_serif.ttf"}) {
        const QString path = QStringLiteral("/usr/share/wine/fonts/") + QLatin1String(file);
        if (QFile::exists(path))
            QFontDatabase::addApplicationFont(path);
    }
    QFont::insertSubstitution(QStringLiteral("Arial"), QStringLiteral("Liberation Sans"));
    QFont::insertSubstitution(QStringLiteral("Verdana"), QStringLiteral("DejaVu Sans"));
}

} // namespace platform
