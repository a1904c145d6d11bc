#pragma once

#include <QByteArray>
#include <QString>

namespace platform {

// Makes the faces the window layouts name available: Tahoma from the Wine fonts, MS Sans
// Serif and Arial as Liberation Sans (same metrics, outline, with bold and italic).
// Safe to call more than once.
void RegisterFonts();

// The TrueType font with its names replaced by family and style; empty when the data is
// not a TrueType font that can be read.
QByteArray WithFamilyName(const QByteArray &font, const QString &family, const QString &style);

} // namespace platform
