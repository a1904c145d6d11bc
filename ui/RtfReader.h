#pragma once

#include <QString>

class QTextDocument;

// Reads rich text (RTF), as the forms carry it for their titles, into a text document.
// Understood: paragraphs and their alignment (\par, \pard, \ql, \qc, \qr, \qj, \line, \tab);
// runs with font face (\fonttbl, \f, \deff), size in half-points (\fs), bold, italic and
// underline (\b, \i, \ul, \ulnone, \plain) and colour (\colortbl, \cf, where entry 0 and
// entries the table lacks mean the default text colour); characters written as \'hh in the
// code page \ansicpg names, as \uN (skipping the \ucN fallback characters) and the escapes
// \\ \{ \} \~. Other control words are ignored and their destinations (and \* groups) skipped.
// Malformed input is read as far as it goes; it never fails. The document is cleared first; a
// paragraph left empty after the last \par is not added.
void ReadRtf(const QString &rtf, QTextDocument &document);
