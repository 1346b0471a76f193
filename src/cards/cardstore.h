#pragma once

#include "cardrecord.h"

#include <QString>
#include <QStringView>

#include <array>
#include <vector>

namespace kinfolio {

// The one table of cards of a run, with its count and current position, and
// the card file it is loaded from and saved to.
class CardStore
{
public:
    static constexpr int MaxCards = 32767;

    // `filePath` is the card file; the program passes Kinfolio.dat beside itself.
    explicit CardStore(QString filePath);

    const QString &filePath() const { return m_filePath; }

    qint16 CardCount() const { return qint16(m_cards.size()); }
    qint16 CurrentCard() const { return m_currentCard; }
    // Navigation and the find dialog move the current position; nothing else.
    void setCurrentCard(qint16 position) { m_currentCard = position; }

    bool isFull() const { return m_cards.size() >= size_t(MaxCards); }

    // The card at `position` (0 <= position < CardCount) with its RecordNumber.
    CardRecord card(int position) const;
    CardFields fields(int position) const;
    // One field of the card at `position`, without unpacking the other sixteen.
    QString text(int position, CardField field) const;

    // Replaces the table with the cards of the file. Returns false when the
    // file is missing or could not be read to its end (a card cut short, a
    // 32768th card); the cards read completely before that stay, and
    // CurrentCard stays 0. Otherwise CurrentCard is the last card (-1 when the
    // file held none).
    bool LoadCardFile();

    // Rewrites the card file from the table; an empty table writes nothing.
    // The file is replaced atomically. A file that the load could not read to
    // its end is first copied, byte for byte, to a new name beside it, so the
    // cards the load did not reach are never overwritten. On failure nothing
    // is lost: the old file and the table stay as they were, and
    // errorString() says why.
    bool SaveCardFile();
    QString errorString() const { return m_error; }

    // Adds a card after the last one and makes it current. False, with nothing
    // changed, when the table already holds MaxCards cards.
    bool AppendCard(const CardFields &fields);
    // Overwrites the card at CurrentCard.
    void ReplaceCard(const CardFields &fields);
    // Deletes the card at CurrentCard and closes the gap; see the .cpp.
    void RemoveCard();

    // Where the copy of an unread file was kept by the last save, if any.
    QString preservedCopyPath() const { return m_preservedCopy; }

private:
    // A card as the table keeps it: its seventeen texts one after another in
    // one string, and where each ends. One allocation per card instead of one
    // per field keeps a full table at about twice the card file's size;
    // seventeen separate strings per card took about four times.
    struct PackedCard
    {
        QString texts;
        std::array<qsizetype, CardFieldCount> ends{};

        static PackedCard pack(const std::array<QStringView, CardFieldCount> &fields);
        static PackedCard pack(const CardFields &fields);
        QStringView text(int field) const;
    };

    bool preserveUnreadFile();

    QString m_filePath;
    std::vector<PackedCard> m_cards;
    qint16 m_currentCard = 0;
    bool m_fileNotFullyRead = false;
    QString m_preservedCopy;
    QString m_error;
};

} // namespace kinfolio
