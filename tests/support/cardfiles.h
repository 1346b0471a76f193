#pragma once

#include "format/ansitext.h"
#include "format/cardrecord.h"

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringList>

#include <initializer_list>
#include <utility>
#include <vector>

// Card files for the tests: bytes written and read as they are, the cards the
// tests make, the one writer of card-file bytes and the sample family.
namespace kinfolio::testing {

// Files are compared byte for byte: these read and write them without any
// decoding in between.
inline void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

// "<missing>" for a file that cannot be read, so a comparison names it.
inline QByteArray readBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

// A card whose every field names its card and field ("A-f3"), so a field that
// lands in the wrong place, box or card shows at once. The notes hold a line
// break.
inline CardFields labelledCard(const QString &tag)
{
    CardFields card;
    for (int i = 0; i < CardFieldCount; ++i)
        card[i] = QStringLiteral("%1-f%2").arg(tag).arg(i + 1);
    card[CardField::Notes] += QStringLiteral("\r\nsecond line");
    return card;
}

// A card of the fields given; the others empty.
inline CardFields makeCard(std::initializer_list<std::pair<CardField, QString>> fields)
{
    CardFields card;
    for (const auto &[field, text] : fields)
        card[field] = text;
    return card;
}

// The bytes a card file holds for `card`, laid down here as the file format
// says (a quoted item per field, CR LF after each), not by the program's
// writer. Only the values' code page is the core's.
inline QByteArray cardBytes(const CardFields &card)
{
    QByteArray out;
    for (const QString &text : card.texts)
        out += '"' + AnsiText::encodeValue(text) + "\"\r\n";
    return out;
}

template<typename Cards> QByteArray cardFileBytes(const Cards &cards)
{
    QByteArray out;
    for (const CardFields &card : cards)
        out += cardBytes(card);
    return out;
}

template<typename Cards> void writeCardFile(const QString &path, const Cards &cards)
{
    writeBytes(path, cardFileBytes(cards));
}

// The sample family of sample-family.txt, which the tools' sample cards are
// made from too: every card, or the cards of one set ("start", "tree").
inline std::vector<CardFields> sampleFamily(const QString &set = QString())
{
    QFile file(QStringLiteral(KINFOLIO_SAMPLE_FAMILY));
    if (!file.open(QIODevice::ReadOnly))
        qFatal("cannot read %s", qPrintable(file.fileName()));
    std::vector<CardFields> cards;
    for (const QString &line : QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts)) {
        const QStringList items = line.split(u'|');
        if (line.startsWith(u'#') || (!set.isEmpty() && !items[0].split(u' ').contains(set)))
            continue;
        if (items.size() != CardFieldCount + 1)
            qFatal("a sample card of %d fields: %s", int(items.size()) - 1, qPrintable(line));
        CardFields card;
        for (int i = 0; i < CardFieldCount; ++i)
            card[i] = QString(items[i + 1]).replace(QStringLiteral("\\n"), QStringLiteral("\r\n"));
        cards.push_back(card);
    }
    return cards;
}

} // namespace kinfolio::testing
