#include "platform/Fonts.h"

#include <QFile>
#include <QFont>
#include <QFontDatabase>
#include <QtEndian>

namespace platform {
namespace {

quint16 U16(const QByteArray &b, qsizetype at)
{
    return qFromBigEndian<quint16>(b.constData() + at);
}

quint32 U32(const QByteArray &b, qsizetype at)
{
    return qFromBigEndian<quint32>(b.constData() + at);
}

void Put16(QByteArray &b, quint16 v)
{
    char raw[2];
    qToBigEndian(v, raw);
    b.append(raw, 2);
}

void Put32(QByteArray &b, quint32 v)
{
    char raw[4];
    qToBigEndian(v, raw);
    b.append(raw, 4);
}

quint32 TableChecksum(const QByteArray &table)
{
    QByteArray padded = table;
    padded.append((4 - padded.size() % 4) % 4, '\0');
    quint32 sum = 0;
    for (qsizetype i = 0; i < padded.size(); i += 4)
        sum += U32(padded, i);
    return sum;
}

// A name table holding only the English Windows names of the face.
QByteArray NameTable(const QString &family, const QString &style)
{
    const QString full = style == QLatin1String("Regular") ? family : family + QLatin1Char(' ') + style;
    QString postscript = family + QLatin1Char('-') + style;
    postscript.remove(QLatin1Char(' '));
    const QString names[] = {family, style, QStringLiteral("Tempovir: ") + full, full, postscript};
    const quint16 ids[] = {1, 2, 3, 4, 6};
    constexpr quint16 count = 5;

    QByteArray strings;
    QByteArray table;
    Put16(table, 0);
    Put16(table, count);
    Put16(table, 6 + 12 * count);
    for (int i = 0; i < count; ++i) {
        QByteArray utf16be;
        for (QChar c : names[i])
            Put16(utf16be, c.unicode());
        Put16(table, 3);      // Windows
        Put16(table, 1);      // Unicode BMP
        Put16(table, 0x0409); // English (United States)
        Put16(table, ids[i]);
        Put16(table, quint16(utf16be.size()));
        Put16(table, quint16(strings.size()));
        strings += utf16be;
    }
    return table + strings;
}

} // namespace

QByteArray WithFamilyName(const QByteArray &font, const QString &family, const QString &style)
{
    if (font.size() < 12)
        return {};
    const quint32 version = U32(font, 0);
    if (version != 0x00010000 && version != 0x74727565 /* 'true' */)
        return {};
    const int tables = U16(font, 4);
    if (tables == 0 || font.size() < 12 + 16 * qsizetype(tables))
        return {};

    struct Record
    {
        quint32 tag, checksum;
        QByteArray data;
    };
    QList<Record> records;
    bool hasName = false;
    for (int i = 0; i < tables; ++i) {
        const qsizetype at = 12 + 16 * qsizetype(i);
        const quint32 tag = U32(font, at);
        const quint32 offset = U32(font, at + 8);
        const quint32 length = U32(font, at + 12);
        if (qsizetype(offset) > font.size() || qsizetype(length) > font.size() - qsizetype(offset))
            return {};
        Record r{tag, U32(font, at + 4), font.mid(offset, length)};
        if (tag == 0x6E616D65 /* 'name' */) {
            r.data = NameTable(family, style);
            r.checksum = TableChecksum(r.data);
            hasName = true;
        }
        records << r;
    }
    if (!hasName)
        return {};

    QByteArray out = font.left(12);
    qsizetype offset = 12 + 16 * qsizetype(tables);
    QByteArray body;
    for (const Record &r : records) {
        Put32(out, r.tag);
        Put32(out, r.checksum);
        Put32(out, quint32(offset + body.size()));
        Put32(out, quint32(r.data.size()));
        body += r.data;
        body.append((4 - body.size() % 4) % 4, '\0');
    }
    return out + body;
}

void RegisterFonts()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    // fonts-wine installs it outside fontconfig's search path. Its bold file is left out on
    // purpose: only its small bitmaps are bold, its outlines (what antialiased text is drawn
    // from) have the regular strokes on wider letters, and a face that calls itself bold is
    // never emboldened. Without it, bold Tahoma is the regular outline emboldened.
    const QString tahoma = QStringLiteral("/usr/share/wine/fonts/tahoma.ttf");
    if (QFile::exists(tahoma))
        QFontDatabase::addApplicationFont(tahoma);
    // Wine's MS Sans Serif is a bitmap face: no bold, and only three sizes, so it neither
    // shows the alert's bold title nor scales with the screen. Liberation Sans has the
    // metrics of the outline version of MS Sans Serif (Arial's); it is registered under
    // the layouts' name in all four styles.
    const struct
    {
        const char *file, *style;
    } faces[] = {{"LiberationSans-Regular.ttf", "Regular"},
                 {"LiberationSans-Bold.ttf", "Bold"},
                 {"LiberationSans-Italic.ttf", "Italic"},
                 {"LiberationSans-BoldItalic.ttf", "Bold Italic"}};
    bool outline = false;
    for (const auto &face : faces) {
        QFile file(QStringLiteral("/usr/share/fonts/truetype/liberation/") + QLatin1String(face.file));
        if (!file.open(QIODevice::ReadOnly))
            continue;
        const QByteArray renamed =
            WithFamilyName(file.readAll(), QStringLiteral("MS Sans Serif"), QLatin1String(face.style));
        if (!renamed.isEmpty() && QFontDatabase::addApplicationFontFromData(renamed) >= 0)
            outline = true;
    }
    if (!outline && QFile::exists(QStringLiteral("/usr/share/wine/fonts/ms_sans_serif.ttf")))
        QFontDatabase::addApplicationFont(QStringLiteral("/usr/share/wine/fonts/ms_sans_serif.ttf"));
    QFont::insertSubstitution(QStringLiteral("Arial"), QStringLiteral("Liberation Sans"));
    QFont::insertSubstitution(QStringLiteral("Verdana"), QStringLiteral("DejaVu Sans"));
}

} // namespace platform
