#pragma once

#include "support/Files.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <ostream>

inline void PrintTo(const QString &s, std::ostream *os)
{
    *os << '"' << s.toStdString() << '"';
}
inline void PrintTo(const QByteArray &b, std::ostream *os)
{
    *os << '"' << b.toPercentEncoding(" =[]/:;,.'\"()\\").toStdString() << '"';
}

namespace placement_test {

using testing_support::FileSizeLimit;
using testing_support::FolderFixture;
using testing_support::ReadBytes;
using testing_support::WriteBytes;

} // namespace placement_test
