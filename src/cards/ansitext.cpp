#include "ansitext.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <array>
#include <unordered_set>

namespace kinfolio::AnsiText {

namespace {
const char *const codec = "windows-1252";

const std::unordered_set<char32_t> &encodableSet()
{
    static const std::unordered_set<char32_t> set = [] {
        QByteArray all(256, Qt::Uninitialized);
        for (int i = 0; i < 256; ++i)
            all[i] = char(i);
        const QString chars = decode(all);
        std::unordered_set<char32_t> s;
        for (QChar c : chars)
            s.insert(c.unicode());
        return s;
    }();
    return set;
}
} // namespace

QString decode(const QByteArray &bytes)
{
    QStringDecoder decoder(codec);
    Q_ASSERT(decoder.isValid());
    return decoder.decode(bytes);
}

QByteArray encode(const QString &text)
{
    QStringEncoder encoder(codec);
    Q_ASSERT(encoder.isValid());
    return encoder.encode(text);
}

bool canEncode(char32_t codePoint)
{
    return encodableSet().count(codePoint) != 0;
}

QString makeEncodable(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            out.append(u'?'); // one replacement for the whole pair
            ++i;
        } else if (!canEncode(c.unicode())) {
            out.append(u'?');
        } else {
            out.append(c);
        }
    }
    return out;
}

QString makeStorable(const QString &text)
{
    QString out = makeEncodable(text);
    out.replace(u'"', QChar(0x201D));
    return out;
}

} // namespace kinfolio::AnsiText
