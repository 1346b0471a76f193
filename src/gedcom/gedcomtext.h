#pragma once

#include "base/result.h"
#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>

namespace kinfolio::Gedcom {

// The text of a GEDCOM file, decoded as its header's CHAR line says, in
// UTF-8 without a byte-order mark.
struct DecodedText
{
    QByteArray utf8;
    QString characterSet; // the CHAR value, or what the bytes showed
    QStringList warnings;
};

// Decodes a whole GEDCOM file: UTF-8 (with or without a byte-order mark),
// UTF-16 with a byte-order mark (CHAR UNICODE), ASCII, ANSI (Windows-1252,
// Latin-1 read as its superset), ANSEL, IBMPC (code page 437) and the other
// sets Qt's converters know by name (ISO-8859-2, windows-1250, MACINTOSH…).
// A file that says ANSI, ANSEL or ASCII but whose bytes beyond ASCII are all
// valid UTF-8 is read as UTF-8, with a warning. Fails for a character set
// it does not know. Bytes that are not valid in the
// declared set become U+FFFD with a warning, so the text is never cut short.
// A file in valid UTF-8 is taken as it is, without a copy.
Result<DecodedText> decodeGedcomText(QByteArray bytes);

// ANSEL (ANSI Z39.47) as GEDCOM uses it: ASCII, letters such as Ł, Ø and Æ
// in the upper half, and combining diacritics written before the letter they
// mark, which become the composed letter (0xE2 'e' is é).
QString decodeAnsel(QByteArrayView bytes);

} // namespace kinfolio::Gedcom
