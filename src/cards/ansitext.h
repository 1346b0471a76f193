#pragma once

#include <QByteArray>
#include <QString>

namespace kinfolio {

// The data files are 8-bit text in the Windows-1252 code page, the one the
// program's earlier Windows versions wrote. Every one of the 256 bytes maps to
// one character and back, so a file read and written again stays byte for byte.
namespace AnsiText {

QString decode(const QByteArray &bytes);
QByteArray encode(const QString &text);

// True when the character survives encode() unchanged.
bool canEncode(char32_t codePoint);

// A character the file cannot hold becomes '?', so a box can show the change
// at once instead of the user finding it changed after the next start. Every
// encodable character passes unchanged.
QString makeEncodable(const QString &text);

// What a card box does with text on its way in: makeEncodable, and a double
// quote, which the card file cannot store inside an item, becomes the closing
// curly quote U+201D, which Windows-1252 holds.
QString makeStorable(const QString &text);

} // namespace AnsiText
} // namespace kinfolio
