#include "session/cardjournal.h"

#include "format/cardstore.h"
#include "files/safefile.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>

#include <vector>

namespace kinfolio {

namespace {

// The journal's first line names its format and the card file's contents
// it starts from. Each change follows as a line "<kind> <position> <length>
// <checksum>", its bytes, and CR LF; the checksum over the line's first
// three fields and the bytes tells a change written whole from one a crash
// cut short or the disk damaged. Format 1 differs only in that an Update
// holds the new card alone, not the card it replaces before it.
const QByteArray Header = "Kinfolio journal 2 ";
const QByteArray HeaderOne = "Kinfolio journal 1 ";
const QByteArray LineEnd = "\r\n";

QByteArray checksum(char change, int position, const QByteArray &bytes)
{
    QCryptographicHash hash(QCryptographicHash::Sha1);
    hash.addData(QByteArray(1, change) + ' ' + QByteArray::number(position) + ' ' + QByteArray::number(bytes.size())
                 + '\n');
    hash.addData(bytes);
    return hash.result().toHex();
}

QByteArray changeBytes(CardJournal::Change change, int position, const QByteArray &bytes)
{
    const char c = char(change);
    return QByteArray(1, c) + ' ' + QByteArray::number(position) + ' ' + QByteArray::number(bytes.size()) + ' '
           + checksum(c, position, bytes) + LineEnd + bytes + LineEnd;
}

// One change read back.
struct JournalEntry
{
    char kind = 0;
    int position = -1;
    QByteArray bytes;
};

// Reads the change at `pos`; false when what stands there is not a whole one.
bool readChange(const QByteArray &bytes, qsizetype &pos, JournalEntry &out)
{
    const qsizetype lineEnd = bytes.indexOf(LineEnd, pos);
    // A change's line is short; a longer run is no change line at all.
    if (lineEnd < 0 || lineEnd - pos > 80)
        return false;
    const QList<QByteArray> fields = bytes.mid(pos, lineEnd - pos).split(' ');
    if (fields.size() != 4 || fields[0].size() != 1)
        return false;
    bool positionOk = false, lengthOk = false;
    out.kind = fields[0].at(0);
    out.position = fields[1].toInt(&positionOk);
    const qsizetype length = fields[2].toLongLong(&lengthOk);
    const qsizetype start = lineEnd + LineEnd.size();
    if (!positionOk || !lengthOk || length < 0 || length > bytes.size() - start - LineEnd.size())
        return false;
    if (bytes.mid(start + length, LineEnd.size()) != LineEnd)
        return false;
    out.bytes = bytes.mid(start, length);
    if (fields[3] != checksum(out.kind, out.position, out.bytes))
        return false;
    pos = start + length + LineEnd.size();
    return true;
}

// Where the next whole change after `from` starts, or -1: tells a damaged
// change amid whole ones from the torn end of the journal.
qsizetype nextWholeChange(const QByteArray &bytes, qsizetype from)
{
    for (qsizetype at = bytes.indexOf(LineEnd, from); at >= 0; at = bytes.indexOf(LineEnd, at + 1)) {
        qsizetype pos = at + LineEnd.size();
        JournalEntry change;
        if (readChange(bytes, pos, change))
            return at + LineEnd.size();
    }
    return -1;
}

// Applies one change as the session made it; false when it does not fit the
// cards (so it belongs to other cards, or the journal is damaged).
bool apply(const JournalEntry &change, int format, CardStore &store)
{
    CardStore cards;
    if (change.kind != char(CardJournal::Change::Saved) && !cards.readCards(change.bytes))
        return false;
    const bool inTable = change.position >= 0 && change.position < store.cardCount();
    switch (CardJournal::Change(change.kind)) {
    case CardJournal::Change::Add:
        return change.position == store.cardCount() && cards.cardCount() == 1 && store.appendCardBytes(cards.cardBytes(0));
    case CardJournal::Change::Update:
        if (format == 1) {
            if (!inTable || cards.cardCount() != 1)
                return false;
            store.replaceCardBytes(change.position, cards.cardBytes(0));
            return true;
        }
        // The card replaced must be the one the session replaced.
        if (!inTable || cards.cardCount() != 2 || store.cardBytes(change.position) != cards.cardBytes(0))
            return false;
        store.replaceCardBytes(change.position, cards.cardBytes(1));
        return true;
    case CardJournal::Change::Delete:
        if (!inTable || cards.cardCount() != 1 || store.cardBytes(change.position) != cards.cardBytes(0))
            return false;
        store.removeCard(change.position);
        return true;
    case CardJournal::Change::Table:
        if (change.position != cards.cardCount())
            return false;
        store.restoreCards(cards);
        return true;
    case CardJournal::Change::Saved:
        return true;
    }
    return false;
}

// The cards a change not applied carries, for the user to take back: the
// card added, the card as updated, or every card of a table.
void collectCards(const JournalEntry &change, int format, QByteArray &kept)
{
    CardStore cards;
    if (!cards.readCards(change.bytes) || cards.cardCount() == 0)
        return;
    switch (CardJournal::Change(change.kind)) {
    case CardJournal::Change::Add:
    case CardJournal::Change::Table:
        kept += cards.cardFileBytes();
        break;
    case CardJournal::Change::Update:
        kept += cards.cardBytes(format == 1 ? 0 : cards.cardCount() - 1);
        break;
    case CardJournal::Change::Delete:
    case CardJournal::Change::Saved:
        break;
    }
}

// What a journal's bytes say against the cards just loaded.
struct Reading
{
    CardJournal::Recovery recovery;
    bool nothing = false;     // no change to replay: the journal can go
    qsizetype wholeEnd = 0;   // the end of the last whole change
    QByteArray keptCards;     // the cards of the changes not applied
};

Reading readJournal(const QByteArray &bytes, CardStore &store)
{
    Reading reading;
    CardJournal::Recovery &r = reading.recovery;
    const qsizetype headerEnd = bytes.indexOf(LineEnd);
    if (headerEnd < 0 && (Header.startsWith(bytes) || bytes.startsWith(Header) || HeaderOne.startsWith(bytes))) {
        reading.nothing = true; // cut short before its first change was whole
        return reading;
    }
    const int format = bytes.startsWith(Header) ? 2 : bytes.startsWith(HeaderOne) ? 1 : 0;
    if (format == 0 || headerEnd < 0) {
        r.unknownJournal = true;
        return reading;
    }
    const QByteArray identity = bytes.mid(Header.size(), headerEnd - Header.size());
    qsizetype pos = headerEnd + LineEnd.size();
    reading.wholeEnd = pos;

    // Another program wrote the card file since, unless it was the save the
    // journal announces last (Exit ended before it removed the journal).
    r.cardFileChanged = identity != store.loadedFileIdentity();
    bool applying = !r.cardFileChanged;
    QByteArray lastSaved;
    while (pos < bytes.size()) {
        JournalEntry change;
        if (!readChange(bytes, pos, change)) {
            const qsizetype next = nextWholeChange(bytes, pos);
            if (next < 0)
                break; // the end the crash cut short: dropped
            ++r.unreadable;
            applying = false;
            pos = next;
            continue;
        }
        if (change.kind == char(CardJournal::Change::Saved)) {
            lastSaved = change.bytes;
        } else {
            lastSaved.clear();
            if (applying && apply(change, format, store)) {
                ++r.replayed;
            } else {
                applying = false;
                ++r.notApplied;
                collectCards(change, format, reading.keptCards);
            }
        }
        if (applying)
            reading.wholeEnd = pos;
    }
    if (r.cardFileChanged && !lastSaved.isEmpty() && lastSaved == store.loadedFileIdentity() && r.unreadable == 0) {
        reading.recovery = {};
        reading.nothing = true;
        return reading;
    }
    reading.nothing = !r.found();
    return reading;
}

} // namespace

CardJournal::CardJournal(const QString &cardFilePath)
    : m_path(resolvedFilePath(cardFilePath) + QStringLiteral(".journal"))
{
}

CardJournal::Recovery CardJournal::replayToRead(CardStore &store) const
{
    if (!QFileInfo(m_path).isFile() || QFileInfo(m_path).isSymLink())
        return {};
    const Result<QByteArray> bytes = readRegularFile(m_path);
    return bytes ? readJournal(*bytes, store).recovery : Recovery{};
}

CardJournal::Recovery CardJournal::recover(CardStore &store)
{
    if (!QFileInfo(m_path).isFile() || QFileInfo(m_path).isSymLink())
        return {};
    const Result<QByteArray> read = readRegularFile(m_path);
    if (!read)
        return {};
    const QByteArray &bytes = *read;
    Reading reading = readJournal(bytes, store);
    Recovery &r = reading.recovery;
    if (reading.nothing) {
        QFile::remove(m_path);
        return {};
    }
    if (r.complete()) {
        // Later changes go after the last whole one, not after a torn one;
        // cutting the file needs no room on the disk.
        m_owned = true;
        m_state = reading.wholeEnd == bytes.size() || QFile::resize(m_path, reading.wholeEnd) ? State::Started
                                                                                                : State::Gap;
        return reading.recovery;
    }

    // What could not be applied goes aside where the user can take it back:
    // its cards as a card file, and the journal itself as it was.
    if (!reading.keptCards.isEmpty()) {
        const QString kept = unusedNameBeside(resolvedFilePath(store.filePath()), QStringLiteral("recovered"), 1);
        if (const Result<> written = writeFileSafely(kept, reading.keptCards); written)
            r.keptCards = kept;
        else
            r.keepFailure = written.error();
    }
    const Result<QString> aside = moveAside(m_path);
    if (!aside) {
        r.keepFailure = aside.error();
        return reading.recovery; // it stays where it is, and is never written over
    }
    r.keptJournal = *aside;
    // The changes applied are in memory alone now: a new journal keeps them.
    // Should it fail, the journal stays in want of a restart, which the next
    // change tries again.
    if (r.replayed > 0) {
        m_owned = true;
        m_state = State::Gap;
        static_cast<void>(restartFromTable(store));
    }
    return reading.recovery;
}

Result<> CardJournal::restartFromTable(const CardStore &store)
{
    const QByteArray table = store.cardFileBytes();
    const QByteArray bytes = Header + store.loadedFileIdentity() + LineEnd
                             + changeBytes(Change::Table, store.cardCount(), table);
    if (const Result<> written = writeFileSafely(m_path, bytes); !written)
        return written;
    m_owned = true;
    m_state = State::Started;
    return {};
}

Result<> CardJournal::record(Change change, int position, const QByteArray &before, const QByteArray &after,
                         const CardStore &store)
{
    if (!m_owned) {
        // A journal this session did not start (one kept from an earlier
        // session that could not be moved aside) is never written over.
        const QFileInfo existing(m_path);
        if (existing.isSymLink() || (existing.exists() && !(existing.isFile() && existing.size() == 0)))
            return Failure{QStringLiteral("An earlier journal that Kinfolio could not use is in the way")};
    }
    // After a change that could not be written, the next one would be
    // replayed onto cards that lack it: the journal starts again from the
    // whole table, which holds every change so far.
    if (m_state == State::Gap)
        return restartFromTable(store);

    QByteArray bytes = changeBytes(change, position,
                                   change == Change::Update ? before + after : change == Change::Add ? after : before);
    if (m_state == State::None)
        bytes.prepend(Header + store.loadedFileIdentity() + LineEnd);
    if (const Result<> appended = appendFileDurably(m_path, bytes); !appended) {
        if (m_state == State::None)
            QFile::remove(m_path); // what the failed first write left names nothing
        else
            m_owned = true;
        m_state = State::Gap;
        return appended;
    }
    m_owned = true;
    m_state = State::Started;
    return {};
}

Result<> CardJournal::recordSaving(const QByteArray &fileBytes)
{
    // Appended after a gap too: it only names the contents to come.
    if (!m_owned || m_state == State::None)
        return {};
    return appendFileDurably(m_path, changeBytes(Change::Saved, 0, CardStore::identityOf(fileBytes)));
}

void CardJournal::remove()
{
    // Only the journal of this session: one from an earlier session that
    // could not be replayed or moved aside stays for the user.
    if (m_owned)
        QFile::remove(m_path);
    m_owned = false;
    m_state = State::None;
}

} // namespace kinfolio
