#pragma once

#include "platform/Regional.h"
#include "support/Fakes.h"
#include "support/Files.h"

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <QDate>
#include <QTime>
#include <ostream>

// Readable failure messages.
inline void PrintTo(const QString &s, std::ostream *os)
{
    *os << '"' << s.toStdString() << '"';
}
inline void PrintTo(const QByteArray &b, std::ostream *os)
{
    *os << '"' << b.toPercentEncoding(" =[]/:;,.'\"").toStdString() << '"';
}
inline void PrintTo(const QDate &d, std::ostream *os)
{
    *os << d.toString(Qt::ISODate).toStdString();
}
inline void PrintTo(const QTime &t, std::ostream *os)
{
    *os << t.toString(QStringLiteral("HH:mm:ss.zzz")).toStdString();
}

namespace settings_test {

inline platform::TFormatSettings French()
{
    return platform::FormatSettingsFor(QLocale(QLocale::French, QLocale::France));
}

inline platform::TFormatSettings American()
{
    return platform::FormatSettingsFor(QLocale(QLocale::English, QLocale::UnitedStates));
}

using testing_support::FakeRegional;

// A byte string literal that may hold NUL bytes.
template <std::size_t N> QByteArray Bytes(const char (&literal)[N])
{
    return QByteArray(literal, N - 1);
}

using testing_support::FileSizeLimit;
using testing_support::ReadBytes;
using testing_support::WholeFileLimit;
using testing_support::WriteBytes;

// The text as UTF-16 with its byte-order mark, little or big endian.
inline QByteArray Utf16(const QString &text, bool littleEndian)
{
    QByteArray bytes = littleEndian ? QByteArray("\xFF\xFE") : QByteArray("\xFE\xFF");
    for (const QChar c : text) {
        const char high = char(c.unicode() >> 8);
        const char low = char(c.unicode() & 0xFF);
        bytes.append(littleEndian ? low : high).append(littleEndian ? high : low);
    }
    return bytes;
}

// A temporary folder with one settings file path in it, under French regional settings.
class IniFixture : public testing_support::FolderFixture
{
private:
    FakeRegional m_regional{French()};
};

} // namespace settings_test
