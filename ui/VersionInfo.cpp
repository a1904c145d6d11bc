#include "ui/VersionInfo.h"

#include "platform/VersionSource.h"

TVersionInfo::TVersionInfo(QObject *parent) : QObject(parent)
{
    setObjectName(QStringLiteral("VersionInfo1"));
    const std::optional<platform::VersionStrings> resource = platform::ReadVersionResource();
    for (const QString &name : fieldNames())
        m_fields.insert(name, resource ? resource->value(name) : QStringLiteral("Updated at run-time"));
}

const QStringList &TVersionInfo::fieldNames()
{
    static const QStringList names = {
        QStringLiteral("CompanyName"),      QStringLiteral("FileDescription"),
        QStringLiteral("FileVersion"),      QStringLiteral("InternalName"),
        QStringLiteral("LegalCopyright"),   QStringLiteral("LegalTrademarks"),
        QStringLiteral("OriginalFilename"), QStringLiteral("ProductName"),
        QStringLiteral("ProductVersion"),   QStringLiteral("Comments"),
    };
    return names;
}
