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

// What a box does with text on its way in: a character the file cannot hold is
// replaced by '?' (so the user sees the change at once, instead of finding it
// changed after the next start), and a double quote, which the file format
// cannot store inside an item, becomes the closing curly quote U+201D, which
// Windows-1252 holds. Line breaks and every encodable character pass unchanged.
QString makeStorable(const QString &text);

} // namespace AnsiText
} // namespace kinfolio
