#include "format/cardstore.h"

#include "format/ansitext.h"
#include "format/itemfile.h"
#include "files/safefile.h"

#include <QCryptographicHash>
#include <QFileInfo>

#include <algorithm>
#include <array>
#include <cstring>

namespace kinfolio {

namespace {

using CardItems = std::array<QByteArrayView, CardFieldCount>;

// A card as the table keeps it: its items as the file holds them. A double
// quote in a value can only come from an unquoted item of a hand-edited file;
// written back bare it would cut the value short at the next load, so it
// becomes the curly quote a typed one becomes. The bytes are filled in place:
// appending item by item took most of the load's time.
QByteArray packCard(const CardItems &items)
{
    qsizetype size = CardFieldCount * 4;
    for (QByteArrayView item : items)
        size += item.size();
    QByteArray card(size, Qt::Uninitialized);
    char *out = card.data();
    for (QByteArrayView item : items) {
        *out++ = '"';
        std::memcpy(out, item.data(), size_t(item.size()));
        if (std::memchr(out, '"', size_t(item.size())))
            std::replace(out, out + item.size(), '"', AnsiText::StorableQuote);
        out += item.size();
        std::memcpy(out, "\"\r\n", 3);
        out += 3;
    }
    return card;
}

QByteArray packCard(const CardFields &fields)
{
    std::array<QByteArray, CardFieldCount> encoded;
    CardItems items;
    for (int i = 0; i < CardFieldCount; ++i) {
        encoded[size_t(i)] = AnsiText::encodeValue(fields[i]);
        items[size_t(i)] = encoded[size_t(i)];
    }
    return packCard(items);
}

// Field `field` of a packed card: the text between its item's quotes. Fields
// hold no quote, so the quotes alone mark where each item begins and ends.
QByteArrayView fieldOf(const QByteArray &card, int field)
{
    qsizetype start = 1;
    for (int i = 0; i < field; ++i)
        start = card.indexOf('"', start) + 4; // past `"`, CR LF and the next `"`
    return QByteArrayView(card).sliced(start, card.indexOf('"', start) - start);
}

// The card's bytes in the file when its items stand exactly as the table
// keeps them (each item quoted, at the start of its line, its line ending
// right after the closing quote), which is how the card file is written;
// an empty view otherwise.
QByteArrayView cardAsWritten(const QByteArray &file, const CardItems &items)
{
    const char *const begin = file.constData();
    const char *const end = begin + file.size();
    const char *const start = items[0].data() - 1;
    const char *expected = start;
    for (QByteArrayView item : items) {
        const char *const open = item.data() - 1;
        const char *const close = item.data() + item.size();
        if (open != expected || open < begin || *open != '"' || end - close < 3 || std::memcmp(close, "\"\r\n", 3) != 0)
            return {};
        expected = close + 3;
    }
    return QByteArrayView(start, expected - start);
}

bool readCardItems(ItemReader &reader, CardItems &items)
{
    for (QByteArrayView &item : items) {
        if (!reader.readItem(item))
            return false;
    }
    return true;
}

} // namespace

bool CardStore::FileStamp::operator==(const FileStamp &o) const
{
    return exists == o.exists && size == o.size && modified == o.modified && changed == o.changed;
}

CardStore::CardStore(QString filePath)
    : m_filePath(std::move(filePath))
{
}

CardStore::FileStamp CardStore::stampOf() const
{
    const QFileInfo info(m_filePath);
    if (!info.exists())
        return {};
    return {true, info.size(), info.lastModified(), info.metadataChangeTime()};
}

CardRecord CardStore::card(int position) const
{
    CardRecord record;
    static_cast<CardFields &>(record) = fields(position);
    record.RecordNumber = QString::number(position + 1);
    return record;
}

CardFields CardStore::fields(int position) const
{
    const QByteArray &card = m_cards[size_t(position)];
    CardFields fields;
    for (int i = 0; i < CardFieldCount; ++i)
        fields[i] = AnsiText::decodeValue(fieldOf(card, i));
    return fields;
}

QString CardStore::text(int position, CardField field) const
{
    return AnsiText::decodeValue(fieldOf(m_cards[size_t(position)], int(field)));
}

Result<> CardStore::loadCardFile()
{
    m_cards.clear();
    m_fileBytes.clear();
    m_fileRead = false;
    m_identityBytes.clear();
    m_fileIdentity.clear();
    m_loadedCardCount = 0;
    m_loadedStamp = stampOf();

    const Result<QByteArray> bytes = readRegularFile(m_filePath);
    if (!bytes) {
        m_loadResult = m_loadedStamp.exists ? LoadResult::Unreadable : LoadResult::Missing;
        // Something that exists but could not be read may still hold cards.
        m_fileNotFullyRead = m_loadedStamp.exists;
        return Failure{bytes.error()};
    }
    const Result<> whole = readCards(*bytes);
    m_fileNotFullyRead = !whole;
    m_loadedCardCount = int(m_cards.size());
    return whole;
}

QByteArray CardStore::identityOf(const QByteArray &fileBytes)
{
    return QCryptographicHash::hash(fileBytes, QCryptographicHash::Sha1).toHex();
}

QByteArray CardStore::loadedFileIdentity() const
{
    if (!m_fileRead)
        return QByteArrayLiteral("missing");
    if (m_fileIdentity.isEmpty())
        m_fileIdentity = identityOf(m_identityBytes);
    return m_fileIdentity;
}

Result<> CardStore::readCards(const QByteArray &bytes)
{
    m_cards.clear();
    // Cards in the shape the program writes are kept as views into the
    // file's bytes, not copied: the table then costs the file's size once,
    // and loading is little more than finding where the cards are.
    m_fileBytes = bytes;
    m_fileRead = true;
    m_identityBytes = bytes;
    m_fileIdentity.clear();
    ItemReader reader(bytes);
    CardItems items;
    while (!reader.atEnd()) {
        if (isFull()) {
            m_loadResult = LoadResult::TooManyCards;
            return Failure{QStringLiteral("It holds more than %1 cards").arg(MaxCards)};
        }
        if (!readCardItems(reader, items)) {
            m_loadResult = LoadResult::CutShort;
            return Failure{QStringLiteral("Its card %1 ends before its seventeenth item").arg(m_cards.size() + 1)};
        }
        const QByteArrayView asWritten = cardAsWritten(m_fileBytes, items);
        m_cards.push_back(asWritten.isEmpty() ? packCard(items)
                                              : QByteArray::fromRawData(asWritten.data(), asWritten.size()));
    }
    m_loadResult = LoadResult::Loaded;
    return {};
}

QByteArray CardStore::cardFileBytes() const
{
    qsizetype size = 0;
    for (const QByteArray &card : m_cards)
        size += card.size();
    QByteArray bytes;
    bytes.reserve(size);
    for (const QByteArray &card : m_cards)
        bytes.append(card);
    return bytes;
}

Result<> CardStore::saveCardFile(const std::function<void(const QByteArray &bytes)> &beforeReplacing)
{
    m_preservedCopy.clear();
    if (!hasCardsToSave())
        return {};

    const FileStamp onDisk = stampOf();
    if (onDisk.exists && fileChangedSinceRead(onDisk)) {
        const Result<QString> copy = keepCopyAside(m_filePath);
        if (!copy)
            return Failure{QStringLiteral("%1 holds cards that Kinfolio did not read, and no copy of it could be "
                                          "kept before saving, so it was not replaced.\n\n%2")
                               .arg(m_filePath, copy.error())};
        m_preservedCopy = *copy;
    }

    const QByteArray bytes = cardFileBytes();
    if (beforeReplacing)
        beforeReplacing(bytes);
    if (const Result<> written = writeFileSafely(m_filePath, bytes); !written)
        return Failure{QStringLiteral("The cards could not be saved to\n%1\n\n%2").arg(m_filePath, written.error())};
    m_fileNotFullyRead = false;
    m_loadedStamp = stampOf();
    m_fileRead = true;
    // Kept, not hashed: the identity is asked for only when a journal starts
    // again after this save, which is rare.
    m_identityBytes = bytes;
    m_fileIdentity.clear();
    m_loadedCardCount = int(m_cards.size());
    return {};
}

bool CardStore::fileChangedSinceRead(const FileStamp &onDisk) const
{
    if (m_fileNotFullyRead || !m_fileRead)
        return true;
    if (onDisk == m_loadedStamp)
        return false;
    const Result<QByteArray> bytes = readRegularFile(m_filePath);
    return !bytes || *bytes != m_identityBytes;
}

Result<> CardStore::saveCopyTo(const QString &path) const
{
    if (const Result<> written = writeFileSafely(path, cardFileBytes()); !written)
        return Failure{QStringLiteral("The cards could not be saved to\n%1\n\n%2").arg(path, written.error())};
    return {};
}

bool CardStore::appendCard(const CardFields &fields)
{
    if (isFull())
        return false;
    m_cards.push_back(packCard(fields));
    return true;
}

void CardStore::replaceCard(int position, const CardFields &fields)
{
    if (position >= 0 && size_t(position) < m_cards.size())
        m_cards[size_t(position)] = packCard(fields);
}

void CardStore::removeCard(int position)
{
    if (position >= 0 && size_t(position) < m_cards.size())
        m_cards.erase(m_cards.begin() + position);
}

bool CardStore::appendCardBytes(const QByteArray &card)
{
    if (isFull())
        return false;
    // A copy of its own: the bytes may be a view into another store's file.
    m_cards.emplace_back(card.constData(), card.size());
    return true;
}

void CardStore::replaceCardBytes(int position, const QByteArray &card)
{
    if (position >= 0 && size_t(position) < m_cards.size())
        m_cards[size_t(position)] = QByteArray(card.constData(), card.size());
}

void CardStore::restoreCards(const CardStore &cards)
{
    std::vector<QByteArray> copies;
    copies.reserve(size_t(cards.cardCount()));
    for (int p = 0; p < cards.cardCount(); ++p)
        copies.emplace_back(cards.cardBytes(p).constData(), cards.cardBytes(p).size());
    m_cards = std::move(copies);
}

} // namespace kinfolio
