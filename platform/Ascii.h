#pragma once

#include <QChar>

namespace platform {

// A-Z to a-z; every other character unchanged. Locale-independent, as the file formats need.
constexpr char16_t AsciiLower(char16_t c)
{
    return (c >= u'A' && c <= u'Z') ? char16_t(c + (u'a' - u'A')) : c;
}

constexpr char16_t AsciiLower(QChar c)
{
    return AsciiLower(c.unicode());
}

// The value of one hexadecimal digit (either case), or -1 for any other character.
constexpr int HexDigitValue(char16_t c)
{
    if (c >= u'0' && c <= u'9')
        return c - u'0';
    if (c >= u'a' && c <= u'f')
        return c - u'a' + 10;
    if (c >= u'A' && c <= u'F')
        return c - u'A' + 10;
    return -1;
}

} // namespace platform
