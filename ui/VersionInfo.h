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
    static const QStringList &FieldNames();
    // The text of one of the ten fields (empty for any other name).
    QString Field(const QString &name) const { return m_fields.value(name); }

    QString CompanyName() const { return Field(QStringLiteral("CompanyName")); }
    QString FileDescription() const { return Field(QStringLiteral("FileDescription")); }
    QString FileVersion() const { return Field(QStringLiteral("FileVersion")); }
    QString InternalName() const { return Field(QStringLiteral("InternalName")); }
    QString LegalCopyright() const { return Field(QStringLiteral("LegalCopyright")); }
    QString LegalTrademarks() const { return Field(QStringLiteral("LegalTrademarks")); }
    QString OriginalFilename() const { return Field(QStringLiteral("OriginalFilename")); }
    QString ProductName() const { return Field(QStringLiteral("ProductName")); }
    QString ProductVersion() const { return Field(QStringLiteral("ProductVersion")); }
    QString Comments() const { return Field(QStringLiteral("Comments")); }

private:
    QMap<QString, QString> m_fields;
};
