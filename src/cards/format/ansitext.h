#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

namespace kinfolio {

// The data files are 8-bit text in the Windows-1252 code page, the one the
// program's earlier Windows versions wrote. Every one of the 256 bytes maps to
// one character and back (the five bytes the code page leaves unassigned map to
// the control characters of the same number), so a file read and written again
// stays byte for byte. The table is the program's own: no codec of the system
// is needed, so it cannot be missing.
namespace AnsiText {

QString decode(QByteArrayView bytes);
// A character the code page cannot hold becomes '?', a surrogate pair one '?'.
QByteArray encode(QStringView text);

// True when the character survives encode() unchanged.
bool canEncode(char32_t codePoint);

// A character the file cannot hold becomes '?', so a box can show the change
// at once instead of the user finding it changed after the next start. Every
// encodable character passes unchanged. The site list keeps addresses so.
QString makeEncodable(const QString &text);

// A card value in the card file. A character the code page cannot hold is
// written as a decimal character reference, "&#321;" for U+0141, so a name
// in any script survives, and text the code page holds keeps its bytes, as
// earlier versions wrote them. Accents typed apart from their letter are
// composed first (NFC), so e and U+0301 are stored as the one byte of é. A
// '&' that would read back as the start of a reference is written "&#38;",
// so a literal "&#321;" typed by the user comes back as typed. A double
// quote, which an item cannot hold, is a reference too: "&#34;".
QByteArray encodeValue(QStringView text);
// The way back: a reference to a character the code page cannot hold, to a
// double quote, or "&#38;" before a '#', becomes its character; all else is
// decode().
QString decodeValue(QByteArrayView bytes);

// What a card value becomes on its way in, from a box, a paste or a file: a
// double quote, which the card file cannot store inside an item, becomes the
// closing curly quote U+201D, which Windows-1252 holds.
QString makeStorable(const QString &text);

// The byte that U+201D is in the code page: what a double quote in a card
// value becomes.
constexpr char StorableQuote = char(0x94);

} // namespace AnsiText
} // namespace kinfolio
