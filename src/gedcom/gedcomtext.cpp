#include "gedcomtext.h"

#include "format/ansitext.h"

#include <QStringDecoder>

#include <algorithm>
#include <array>

namespace kinfolio::Gedcom {

namespace {

constexpr char16_t Replacement = 0xFFFD;

// ANSEL's spacing characters, bytes 0xA0 to 0xCF (0xC7 and 0xCF are both ß,
// 0xC8 the euro: GEDCOM's additions); 0 where ANSEL has none.
constexpr std::array<char16_t, 0x30> anselSpacing = {
    0,      0x0141, 0x00D8, 0x0110, 0x00DE, 0x00C6, 0x0152, 0x02B9, 0x00B7, 0x266D, 0x00AE, 0x00B1,
    0x01A0, 0x01AF, 0x02BC, 0,      0x02BB, 0x0142, 0x00F8, 0x0111, 0x00FE, 0x00E6, 0x0153, 0x02BA,
    0x0131, 0x00A3, 0x00F0, 0,      0x01A1, 0x01B0, 0,      0,      0x00B0, 0x2113, 0x2117, 0x00A9,
    0x266F, 0x00BF, 0x00A1, 0x00DF, 0x20AC, 0,      0,      0,      0,      0,      0,      0x00DF,
};

// ANSEL's combining diacritics, bytes 0xE0 to 0xFE.
constexpr std::array<char16_t, 0x1F> anselCombining = {
    0x0309, 0x0300, 0x0301, 0x0302, 0x0303, 0x0304, 0x0306, 0x0307, 0x0308, 0x030C, 0x030A,
    0xFE20, 0xFE21, 0x0315, 0x030B, 0x0310, 0x0327, 0x0328, 0x0323, 0x0324, 0x0325, 0x0333,
    0x0332, 0x0326, 0x031C, 0x032E, 0xFE22, 0xFE23, 0,      0,      0x0313,
};

// Checked a part at a time, so that a large file is never held twice. A
// sequence cut short at the end shows as an error on the line break added.
bool isValidUtf8(QByteArrayView bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8);
    constexpr qsizetype part = 1 << 20;
    for (qsizetype at = 0; at < bytes.size() && !utf8.hasError(); at += part)
        static_cast<void>(QString(utf8.decode(bytes.sliced(at, std::min(part, bytes.size() - at)))));
    static_cast<void>(QString(utf8.decode(QByteArrayView("\n"))));
    return !utf8.hasError();
}

// The value of the header's CHAR line, read from the raw bytes: the header
// is ASCII in every 8-bit character set GEDCOM uses.
QString headerCharacterSet(const QByteArray &bytes)
{
    qsizetype pos = 0;
    bool first = true;
    while (pos < bytes.size()) {
        qsizetype end = pos;
        while (end < bytes.size() && bytes.at(end) != '\r' && bytes.at(end) != '\n')
            ++end;
        const QByteArray line = bytes.mid(pos, end - pos).trimmed();
        pos = end + 1;
        if (line.isEmpty())
            continue;
        const QList<QByteArray> words = line.simplified().split(' ');
        if (!first && words.first() == "0")
            break; // the end of the header
        first = false;
        if (words.size() >= 2 && words.at(0) == "1" && words.at(1) == "CHAR")
            return QString::fromLatin1(words.mid(2).join(' '));
    }
    return {};
}

} // namespace

QString decodeAnsel(QByteArrayView bytes)
{
    QString text;
    text.reserve(bytes.size());
    QString marks; // the diacritics waiting for the letter they mark
    for (const char byte : bytes) {
        const auto b = static_cast<unsigned char>(byte);
        if (b >= 0xE0 && b <= 0xFE && anselCombining[b - 0xE0]) {
            marks.append(QChar(anselCombining[b - 0xE0]));
            continue;
        }
        char16_t c = Replacement;
        if (b < 0x80)
            c = b;
        else if (b >= 0xA0 && b <= 0xCF && anselSpacing[b - 0xA0])
            c = anselSpacing[b - 0xA0];
        if (c < 0x20) {
            text += marks; // nothing to mark before a line end
            text += QChar(c);
        } else {
            text += QChar(c);
            text += marks;
        }
        marks.clear();
    }
    text += marks;
    return text.normalized(QString::NormalizationForm_C);
}

Result<DecodedText> decodeGedcomText(QByteArray bytes)
{
    DecodedText out;
    QString text; // the text where it is not taken as it is
    // UTF-16 shows itself by its byte-order mark or by the zero byte beside
    // the first level number.
    const bool le = bytes.startsWith("\xFF\xFE") || (bytes.size() >= 2 && bytes.at(0) != 0 && bytes.at(1) == 0);
    const bool be = bytes.startsWith("\xFE\xFF") || (bytes.size() >= 2 && bytes.at(0) == 0 && bytes.at(1) != 0);
    if (le || be) {
        QStringDecoder utf16(le ? QStringDecoder::Utf16LE : QStringDecoder::Utf16BE);
        text = utf16.decode(bytes);
        out.characterSet = QStringLiteral("UNICODE");
        if (utf16.hasError())
            out.warnings << QStringLiteral("the file is not valid UTF-16 throughout; what could not be read "
                                           "became '?'");
    } else {
        out.characterSet = headerCharacterSet(bytes);
        QString set = out.characterSet.toUpper();
        set.remove(u' ').remove(u'-').remove(u'_');
        const bool bom = bytes.startsWith("\xEF\xBB\xBF");
        const bool validUtf8 = isValidUtf8(bytes);
        const bool ascii = std::all_of(bytes.begin(), bytes.end(), [](char c) { return uchar(c) < 0x80; });
        const bool ansi = set == u"ANSI" || set == u"IBMWINDOWS" || set == u"WINDOWS1252" || set == u"CP1252"
                          || set == u"ISO88591" || set == u"LATIN1";
        const auto asUtf8 = [&]() {
            if (validUtf8)
                out.utf8 = std::move(bytes);
            else
                text = QString::fromUtf8(bytes);
        };
        // Files that say UNICODE without a byte-order mark are UTF-8 in practice.
        if (bom || set == u"UTF8" || set == u"UNICODE") {
            asUtf8();
            if (!validUtf8)
                out.warnings << QStringLiteral("the file is not valid UTF-8 throughout; the bytes that are not "
                                               "became '?'");
        } else if ((ansi || set == u"ANSEL" || set == u"ASCII") && !ascii && validUtf8) {
            // Programs that write UTF-8 and say otherwise are common; text in
            // the declared set is seldom valid UTF-8 by chance.
            asUtf8();
            out.warnings << QStringLiteral("the header says %1, but the letters beyond ASCII are all UTF-8; the "
                                           "file is read as UTF-8")
                                .arg(out.characterSet);
        } else if (set == u"ANSEL") {
            text = decodeAnsel(bytes);
        } else if (ansi) {
            text = AnsiText::decode(bytes);
        } else if (set == u"ASCII" || set.isEmpty()) {
            if (!ascii || set.isEmpty())
                out.warnings << QStringLiteral("the header %1; the file is read as %2")
                                    .arg(set.isEmpty() ? QStringLiteral("names no character set (CHAR)")
                                                       : QStringLiteral("says ASCII, but the file holds other "
                                                                        "characters"),
                                         validUtf8 ? QStringLiteral("UTF-8") : QStringLiteral("ANSI (Windows-1252)"));
            if (validUtf8)
                asUtf8();
            else
                text = AnsiText::decode(bytes);
        } else {
            // IBMPC is code page 437 (DOS); other sets by the names Qt knows.
            const QString name = set == u"IBMPC" ? QStringLiteral("IBM437") : out.characterSet.trimmed();
            QStringDecoder decoder(name.toLatin1().constData());
            if (!decoder.isValid())
                return Failure{QStringLiteral("its character set (CHAR %1) is not one the import knows; save it "
                                              "from your genealogy program as UTF-8")
                                   .arg(out.characterSet)};
            text = decoder.decode(bytes);
            if (decoder.hasError())
                out.warnings << QStringLiteral("the file is not valid %1 throughout; what could not be read "
                                               "became '?'")
                                    .arg(out.characterSet);
        }
    }
    if (out.utf8.isNull()) {
        bytes = QByteArray();
        if (text.startsWith(QChar(0xFEFF)))
            text.remove(0, 1);
        out.utf8 = text.toUtf8();
    } else if (out.utf8.startsWith("\xEF\xBB\xBF")) {
        out.utf8.remove(0, 3);
    }
    return out;
}

} // namespace kinfolio::Gedcom
