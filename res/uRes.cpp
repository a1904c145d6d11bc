#include "res/uRes.h"

namespace uRes {
namespace {
// The formats take a text argument; QString::asprintf would take it as bytes, so the one
// "%s" is replaced here instead.
QString WithText(const char *format, const QString &text)
{
    QString result = QString::fromUtf8(format);
    result.replace(QStringLiteral("%s"), text);
    return result;
}
} // namespace

QString AlarmSection(int index)
{
    return QString::asprintf(AlarmSectionFormat, index);
}
QString DefaultMessage(int number)
{
    return QString::asprintf(DefaultMessageFormat, number);
}
QString InvalidDate(const QString &text)
{
    return WithText(InvalidDateFormat, text);
}
QString InvalidTime(const QString &text)
{
    return WithText(InvalidTimeFormat, text);
}
QString IniWriteError(const QString &path)
{
    return WithText(IniWriteErrorFormat, path);
}
QString FileRemoveError(const QString &path)
{
    return WithText(FileRemoveErrorFormat, path);
}
QString InvalidInteger(const QString &text)
{
    return WithText(InvalidIntegerFormat, text);
}
QString NotAnswering(const QString &path)
{
    return WithText(NotAnsweringFormat, path);
}
QString NoInstanceLock(const QString &path)
{
    return WithText(NoInstanceLockFormat, path);
}
QString IniNotRead(const QString &path)
{
    return WithText(IniNotReadFormat, path);
}
QString MessageCut(qsizetype length)
{
    return QString::asprintf(MessageCutFormat, int(length));
}

} // namespace uRes
