#include "format/ansitext.h"

#include <algorithm>
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

namespace {

constexpr char16_t Ampersand = u'&';
constexpr char32_t AmpersandCode = 0x26;
constexpr char16_t Quote = u'"';

// Whether a reference to `code` stands for its character: only a letter the
// code page cannot hold, and the straight quote an item cannot hold as it
// is, are ever written as one, so "&#65;" in a card is the text the user
// typed, as an earlier version kept it.
bool decodable(char32_t code)
{
    return code == Quote
           || (code > 0xFF && code <= 0x10FFFF && !(code >= 0xD800 && code <= 0xDFFF) && !canEncode(code));
}

// The number of the reference "#<digits>;" at `p`, which follows a '&'
// (written, or stood for by "&#38;"), with `end` just past it; 0 when none.
// A number with a leading zero is never written by encodeValue(), so such a
// reference ("&#034;") is text the user typed.
template <typename At>
char32_t numberAt(qsizetype p, At at, qsizetype *end)
{
    if (at(p) != u'#' || at(p + 1) == u'0')
        return 0;
    char32_t code = 0;
    qsizetype k = p + 1;
    // Seven digits reach past the last code point; more is not a reference.
    for (; k < p + 8 && at(k) >= u'0' && at(k) <= u'9'; ++k)
        code = code * 10 + char32_t(at(k) - u'0');
    if (k == p + 1 || at(k) != u';')
        return 0;
    *end = k + 1;
    return code;
}

// The character that the text at `i` refers to when it is a reference that
// decodeValue() turns back, with the reference's length in `length`; 0 when
// it is not one. `at(k)` gives the character at k as a char16_t, 0 past the end.
//
// "&#38;" stands for a '&' only where the '&' it stands for begins such a
// reference in turn: that is how encodeValue() writes a typed "&#321;". Any
// other "&#38;" is text an earlier version kept as typed, and reads so.
template <typename At>
char32_t referenceAt(qsizetype i, At at, qsizetype *length)
{
    qsizetype end = 0;
    const char32_t code = at(i) == Ampersand ? numberAt(i + 1, at, &end) : 0;
    if (code == 0)
        return 0;
    *length = end - i;
    if (code != AmpersandCode)
        return decodable(code) ? code : 0;
    for (;;) {
        const char32_t next = numberAt(end, at, &end);
        if (next != AmpersandCode)
            return decodable(next) ? AmpersandCode : 0;
    }
}

// Only letters at U+0300 and above take part in composition.
bool mayNeedComposing(QStringView text)
{
    for (QChar c : text) {
        if (c.unicode() >= 0x300)
            return true;
    }
    return false;
}

} // namespace

QByteArray encodeValue(QStringView value)
{
    const bool plain = std::all_of(value.begin(), value.end(), [](QChar c) {
        return c.unicode() < 0x80 ? c != Ampersand && c != Quote : c.unicode() < 0x300 && byteFor(c.unicode()) >= 0;
    });
    if (plain)
        return encode(value); // the bytes are the characters': the common case, and fast for long notes
    QString composed;
    QStringView text = value;
    if (mayNeedComposing(value)) {
        composed = value.toString().normalized(QString::NormalizationForm_C);
        text = composed;
    }
    const auto at = [text](qsizetype k) { return k < text.size() ? text[k].unicode() : char16_t(0); };
    QByteArray bytes;
    bytes.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        qsizetype length = 0;
        if (c == Ampersand && referenceAt(i, at, &length)) {
            bytes.append("&#38;");
            continue;
        }
        const int b = c == Quote ? -1 : byteFor(c);
        if (b >= 0) {
            bytes.append(char(b));
            continue;
        }
        char32_t code = c;
        if (QChar::isHighSurrogate(c) && QChar::isLowSurrogate(at(i + 1)))
            code = QChar::surrogateToUcs4(c, text[++i].unicode());
        else if (QChar::isSurrogate(c))
            code = 0xFFFD; // half a pair is no character
        bytes.append("&#").append(QByteArray::number(uint(code))).append(';');
    }
    return bytes;
}

QString decodeValue(QByteArrayView bytes)
{
    if (!bytes.contains("&#"))
        return decode(bytes);
    const auto at = [bytes](qsizetype k) {
        return k < bytes.size() ? decodeTable[static_cast<unsigned char>(bytes[k])] : char16_t(0);
    };
    QString text;
    text.reserve(bytes.size());
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        qsizetype length = 0;
        if (const char32_t code = referenceAt(i, at, &length)) {
            text.append(QChar::fromUcs4(code));
            i += length - 1;
        } else {
            text.append(QChar(at(i)));
        }
    }
    return text;
}

QString makeStorable(const QString &text)
{
    if (!text.contains(u'"'))
        return text;
    QString out = text;
    out.replace(u'"', QChar(0x201D));
    return out;
}

} // namespace kinfolio::AnsiText
