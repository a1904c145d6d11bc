#pragma once

#include <QString>
#include <exception>

// Base of the program's own errors: a message meant for the user, shown as it is.
class Exception : public std::exception
{
public:
    explicit Exception(QString message) : m_message(std::move(message)), m_utf8(m_message.toUtf8()) {}
    const QString &message() const { return m_message; }
    const char *what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_message;
    QByteArray m_utf8;
};

// A text that is not a date or a time under the regional settings.
class EConvertError : public Exception
{
public:
    using Exception::Exception;
};

// The settings file could not be written.
class EIniFileException : public Exception
{
public:
    using Exception::Exception;
};
