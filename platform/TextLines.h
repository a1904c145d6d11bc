#pragma once

#include <QRegularExpression>
#include <QString>
#include <QStringList>

namespace platform {

// The lines of a text, split at CR LF, CR or LF: every place that reads line breaks in a
// message or a settings value agrees on what one is.
inline QStringList SplitLines(const QString &text)
{
    static const QRegularExpression lineBreak(QStringLiteral("\r\n|\r|\n"));
    return text.split(lineBreak);
}

} // namespace platform
