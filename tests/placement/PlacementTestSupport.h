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
using testing_support::ReadBytes;
using testing_support::WriteBytes;

// A folder of its own with one settings file path in it.
class FolderFixture : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(m_dir.isValid()); }
    QString Path() const { return m_dir.filePath(QStringLiteral("tempovir.ini")); }
    QString DirPath() const { return m_dir.path(); }
    QStringList FilesInFolder() const
    {
        return QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    }

private:
    QTemporaryDir m_dir;
};

} // namespace placement_test
