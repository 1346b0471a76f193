#pragma once

#include "base/result.h"
#include "format/cardrecord.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <functional>
#include <vector>

namespace kinfolio {

// The one table of cards of a run, and the card file it is loaded from and
// saved to. Which card is shown is the card window's business, not the
// table's: every change names its position.
//
// Each card is kept as the bytes the card file holds for it: seventeen quoted
// items in the code page. A full table then takes about the file's own size,
// loading copies nothing, saving is one write of bytes already encoded, and
// only the card shown (or the one field a search lists) is ever decoded.
class CardStore
{
public:
    static constexpr int MaxCards = 32767;
    // The card file's name, beside the program or in the card folder.
    static QString fileName() { return QStringLiteral("Kinfolio.dat"); }

    // Why the last load stopped where it did.
    enum class LoadResult {
        Loaded,       // the whole file (an empty one too)
        Missing,      // no card file
        Unreadable,   // not a regular file, or the system could not read it
        CutShort,     // a card ends before its seventeenth item
        TooManyCards, // a card past the 32767th
    };

    // `filePath` is the card file; the program passes Kinfolio.dat beside itself.
    explicit CardStore(QString filePath = QString());

    const QString &filePath() const { return m_filePath; }

    qint16 cardCount() const { return qint16(m_cards.size()); }

    bool isFull() const { return m_cards.size() >= size_t(MaxCards); }

    // The card at `position` (0 <= position < cardCount()) with its record number.
    CardRecord card(int position) const;
    CardFields fields(int position) const;
    // One field of the card at `position`, without decoding the other sixteen.
    QString text(int position, CardField field) const;
    // The card at `position` as the card file holds it: seventeen items.
    const QByteArray &cardBytes(int position) const { return m_cards[size_t(position)]; }

    // Replaces the table with the cards of the file. Fails when the file is
    // missing or could not be read to its end (a card cut short, a 32768th
    // card); the cards read completely before that stay, and loadResult()
    // says which it was.
    Result<> loadCardFile();
    LoadResult loadResult() const { return m_loadResult; }

    // The same from the bytes of a card file, with the file's path left alone.
    Result<> readCards(const QByteArray &bytes);
    // What names the card file's contents as the table last saw them: a
    // checksum of the bytes the last load read or the last save wrote, or
    // "missing" when the load found no file to read.
    QByteArray loadedFileIdentity() const;
    // The bytes the card file gets for the table.
    QByteArray cardFileBytes() const;

    // True when a save has something to write: cards, or a table that the
    // user emptied of the cards the file held. A table that is empty because
    // the load found nothing writes nothing, so a file that could not be read
    // is kept.
    bool hasCardsToSave() const { return !m_cards.empty() || m_loadedCardCount > 0; }

    // The name loadedFileIdentity() gives card file contents.
    static QByteArray identityOf(const QByteArray &fileBytes);

    // Rewrites the card file from the table; see hasCardsToSave().
    // The file is replaced atomically. When the file on disk is not the one
    // the load read whole (the load stopped early, or another program wrote
    // the file since), it is first copied, byte for byte, to a new name beside
    // it, so no card that this table never held is overwritten. On failure
    // nothing is lost: the old file and the table stay as they were, and the
    // failure's message says why, naming the file. `beforeReplacing`, when
    // given, is shown the new contents just before they replace the file.
    Result<> saveCardFile(const std::function<void(const QByteArray &bytes)> &beforeReplacing = {});
    // Writes the table to another file, for when the card file cannot be
    // written; the card file stays as it is.
    Result<> saveCopyTo(const QString &path) const;

    // Where the last save kept a copy of the file it replaced, if it did.
    QString preservedCopyPath() const { return m_preservedCopy; }

    // Adds a card after the last one. False, with nothing changed, when the
    // table already holds MaxCards cards.
    bool appendCard(const CardFields &fields);
    // Overwrites the card at `position`.
    void replaceCard(int position, const CardFields &fields);
    // Deletes the card at `position`; the cards after it move up one place,
    // and take the record numbers of their new positions.
    void removeCard(int position);

    // The same with the bytes of cards this class made (the journal's replay).
    bool appendCardBytes(const QByteArray &card);
    void replaceCardBytes(int position, const QByteArray &card);
    // Takes the cards of `cards` in place of the whole table.
    void restoreCards(const CardStore &cards);

private:
    // What tells that another program wrote the card file since it was read.
    struct FileStamp
    {
        bool exists = false;
        qint64 size = 0;
        QDateTime modified;
        QDateTime changed;
        bool operator==(const FileStamp &o) const;
    };
    FileStamp stampOf() const;
    // True when the file on disk holds other bytes than the last load read
    // or the last save wrote. A change of its attributes alone (permissions,
    // links, extended attributes) is no change.
    bool fileChangedSinceRead(const FileStamp &onDisk) const;

    QString m_filePath;
    // The bytes of the last load: cards read in the shape they are written
    // in refer to them instead of holding a copy.
    QByteArray m_fileBytes;
    bool m_fileRead = false; // the last load read the file's bytes
    QByteArray m_identityBytes;        // the contents loadedFileIdentity() names
    mutable QByteArray m_fileIdentity; // worked out when first asked for
    int m_loadedCardCount = 0;
    std::vector<QByteArray> m_cards;
    LoadResult m_loadResult = LoadResult::Loaded;
    // The file on disk holds cards the table may not: keep a copy before saving.
    bool m_fileNotFullyRead = false;
    FileStamp m_loadedStamp;
    QString m_preservedCopy;
};

} // namespace kinfolio
