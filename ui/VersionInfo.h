#pragma once

#include <QMap>
#include <QObject>
#include <QString>
#include <QStringList>

// The executable's version information, read once when the component is created: the ten
// standard string fields. Without a version resource every field reads "Updated at run-time";
// a field the resource lacks reads empty.
class TVersionInfo : public QObject
{
    Q_OBJECT

public:
    explicit TVersionInfo(QObject *parent = nullptr);

    // "CompanyName", "FileDescription", ... "Comments", in the resource's usual order.
    static const QStringList &fieldNames();
    // The text of one of the ten fields (empty for any other name).
    QString field(const QString &name) const { return m_fields.value(name); }

    QString companyName() const { return field(QStringLiteral("CompanyName")); }
    QString fileDescription() const { return field(QStringLiteral("FileDescription")); }
    QString FileVersion() const { return field(QStringLiteral("FileVersion")); }
    QString internalName() const { return field(QStringLiteral("InternalName")); }
    QString LegalCopyright() const { return field(QStringLiteral("LegalCopyright")); }
    QString legalTrademarks() const { return field(QStringLiteral("LegalTrademarks")); }
    QString originalFilename() const { return field(QStringLiteral("OriginalFilename")); }
    QString productName() const { return field(QStringLiteral("ProductName")); }
    QString productVersion() const { return field(QStringLiteral("ProductVersion")); }
    QString Comments() const { return field(QStringLiteral("Comments")); }

private:
    QMap<QString, QString> m_fields;
};
