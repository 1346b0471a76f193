#include "ansitext.h"

#include <array>

namespace kinfolio::AnsiText {

namespace {

// The characters of bytes 0x80 to 0x9F; the rest of the code page is Latin-1.
// 0x81, 0x8D, 0x8F, 0x90 and 0x9D are unassigned and stand for themselves.
constexpr std::array<char16_t, 32> upperControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

constexpr std::array<char16_t, 256> makeDecodeTable()
{
    std::array<char16_t, 256> table{};
    for (int b = 0; b < 256; ++b)
        table[size_t(b)] = char16_t(b);
    for (int b = 0x80; b < 0xA0; ++b)
        table[size_t(b)] = upperControls[size_t(b - 0x80)];
    return table;
}

constexpr std::array<char16_t, 256> decodeTable = makeDecodeTable();

// The byte for a character, or -1 when the code page has none.
int byteFor(char16_t c)
{
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return c;
    for (int i = 0; i < 32; ++i) {
        if (upperControls[size_t(i)] == c)
            return 0x80 + i;
    }
    return -1;
}

} // namespace

QString decode(QByteArrayView bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    char16_t *out = reinterpret_cast<char16_t *>(text.data());
    const auto *in = reinterpret_cast<const unsigned char *>(bytes.data());
    for (qsizetype i = 0; i < bytes.size(); ++i)
        out[i] = decodeTable[in[i]];
    return text;
}

QByteArray encode(QStringView text)
{
    QByteArray bytes(text.size(), Qt::Uninitialized);
    char *out = bytes.data();
    qsizetype n = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c < 0x80) {
            out[n++] = char(c);
            continue;
        }
        const int b = byteFor(c);
        out[n++] = b < 0 ? '?' : char(b);
        if (b < 0 && QChar::isHighSurrogate(c) && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            ++i; // one '?' for the whole pair
    }
    bytes.truncate(n);
    return bytes;
}

bool canEncode(char32_t codePoint)
{
    return codePoint <= 0xFFFF && byteFor(char16_t(codePoint)) >= 0;
}

QString makeEncodable(const QString &text)
{
    qsizetype first = 0;
    while (first < text.size() && canEncode(text.at(first).unicode()))
        ++first;
    if (first == text.size())
        return text; // shared, not copied: long notes pass through often
    QString out = text.left(first);
    out.reserve(text.size());
    for (qsizetype i = first; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (canEncode(c.unicode())) {
            out.append(c);
            continue;
        }
        out.append(u'?');
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            ++i;
    }
    return out;
}

QString makeStorable(const QString &text)
{
    QString out = makeEncodable(text);
    if (out.contains(u'"'))
        out.replace(u'"', QChar(0x201D));
    return out;
}

} // namespace kinfolio::AnsiText
