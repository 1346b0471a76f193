#include "cardjournal.h"

#include "cardstore.h"
#include "safefile.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>

namespace kinfolio {

namespace {

// The journal's first line names its format and the card file's contents
// it starts from. Each change follows as a line "<A|U|D> <position> <length>
// <checksum>", the card's bytes, and CR LF; the checksum over the line's
// first three fields and the bytes tells a change written whole from one a
// crash cut short.
const QByteArray Header = "Kinfolio journal 1 ";
const QByteArray LineEnd = "\r\n";

QByteArray checksum(char change, int position, const QByteArray &card)
{
    QCryptographicHash hash(QCryptographicHash::Sha1);
    hash.addData(QByteArray(1, change) + ' ' + QByteArray::number(position) + ' ' + QByteArray::number(card.size())
                 + '\n');
    hash.addData(card);
    return hash.result().toHex();
}

QByteArray changeBytes(CardJournal::Change change, int position, const QByteArray &card)
{
    const char c = char(change);
    return QByteArray(1, c) + ' ' + QByteArray::number(position) + ' ' + QByteArray::number(card.size()) + ' '
           + checksum(c, position, card) + LineEnd + card + LineEnd;
}

// One change read back.
struct JournalEntry
{
    char kind = 0;
    int position = -1;
    QByteArray card;
};

// Reads the change at `pos`; false when what stands there is not a whole one.
bool readChange(const QByteArray &bytes, qsizetype &pos, JournalEntry &out)
{
    const qsizetype lineEnd = bytes.indexOf(LineEnd, pos);
    if (lineEnd < 0)
        return false;
    const QList<QByteArray> fields = bytes.mid(pos, lineEnd - pos).split(' ');
    if (fields.size() != 4 || fields[0].size() != 1)
        return false;
    bool positionOk = false, lengthOk = false;
    out.kind = fields[0].at(0);
    out.position = fields[1].toInt(&positionOk);
    const qsizetype length = fields[2].toLongLong(&lengthOk);
    const qsizetype cardStart = lineEnd + LineEnd.size();
    if (!positionOk || !lengthOk || length < 0 || length > bytes.size() - cardStart - LineEnd.size())
        return false;
    out.card = bytes.mid(cardStart, length);
    if (bytes.mid(cardStart + length, LineEnd.size()) != LineEnd || fields[3] != checksum(out.kind, out.position, out.card))
        return false;
    pos = cardStart + length + LineEnd.size();
    return true;
}

// The contents a save was about to give the card file, named by the last
// whole change from `pos` on when that is a save; empty otherwise.
QByteArray lastSavedIdentity(const QByteArray &bytes, qsizetype pos)
{
    JournalEntry change, last;
    while (readChange(bytes, pos, change))
        last = change;
    return last.kind == char(CardJournal::Change::Saved) ? last.card : QByteArray();
}

// The one card that `bytes` hold.
bool cardOf(const QByteArray &bytes, CardFields &fields)
{
    CardStore card;
    if (!card.readCards(bytes) || card.cardCount() != 1)
        return false;
    fields = card.fields(0);
    return true;
}

// Applies one change as the session made it; false when it does not fit the
// cards (so the journal belongs to other cards, or is damaged).
bool apply(const JournalEntry &change, CardStore &store)
{
    CardFields fields;
    switch (CardJournal::Change(change.kind)) {
    case CardJournal::Change::Add:
        return change.position == store.cardCount() && cardOf(change.card, fields) && store.appendCard(fields);
    case CardJournal::Change::Update:
        if (change.position < 0 || change.position >= store.cardCount() || !cardOf(change.card, fields))
            return false;
        store.setCurrentCard(qint16(change.position));
        store.replaceCard(fields);
        return true;
    case CardJournal::Change::Saved:
        return true;
    case CardJournal::Change::Delete:
        if (change.position < 0 || change.position >= store.cardCount() || store.cardBytes(change.position) != change.card)
            return false;
        store.setCurrentCard(qint16(change.position));
        store.removeCard();
        return true;
    }
    return false;
}

} // namespace

CardJournal::CardJournal(const QString &cardFilePath)
    : m_path(resolvedFilePath(cardFilePath) + QStringLiteral(".journal"))
{
}

CardJournal::Recovery CardJournal::recover(CardStore &store)
{
    Recovery recovery;
    QByteArray bytes;
    if (!QFileInfo(m_path).isFile() || !readRegularFile(m_path, bytes))
        return recovery;
    const qsizetype headerEnd = bytes.indexOf(LineEnd);
    if (headerEnd < 0 && (bytes.startsWith(Header) || Header.startsWith(bytes))) {
        // Cut short before its first change was whole: nothing to replay.
        QFile::remove(m_path);
        return recovery;
    }
    const QByteArray identity = bytes.mid(Header.size(), headerEnd - Header.size());
    qsizetype pos = headerEnd + LineEnd.size();
    if (headerEnd >= 0 && bytes.startsWith(Header) && identity != store.loadedFileIdentity()
        && lastSavedIdentity(bytes, pos) == store.loadedFileIdentity()) {
        // The session's Exit wrote the card file and ended before it could
        // remove the journal: the card file holds every change.
        QFile::remove(m_path);
        return recovery;
    }
    // A journal of another format, or of other contents of the card file.
    if (headerEnd < 0 || !bytes.startsWith(Header) || identity != store.loadedFileIdentity()) {
        recovery.keptAs = moveAside(m_path);
        recovery.outcome = recovery.keptAs.isEmpty() ? Recovery::Outcome::NotKept : Recovery::Outcome::KeptAside;
        return recovery;
    }

    const qint16 loadedCurrent = store.currentCard();
    qsizetype whole = pos;
    JournalEntry change;
    while (readChange(bytes, pos, change)) {
        if (change.kind != char(Change::Saved)) {
            if (!apply(change, store)) {
                // Whole but not of these cards: damaged. What follows cannot be
                // applied either; the journal is kept for the user as it is.
                keepCopyAside(m_path);
                break;
            }
            ++recovery.changes;
        }
        whole = pos;
    }
    store.setCurrentCard(recovery.changes > 0 ? qint16(store.cardCount() - 1) : loadedCurrent);
    if (recovery.changes == 0) {
        QFile::remove(m_path);
        return recovery;
    }
    // Later changes go after the last whole one, not after a torn one;
    // cutting the file needs no room on the disk.
    m_started = whole == bytes.size() || QFile::resize(m_path, whole);
    if (!m_started)
        m_error = QStringLiteral("The end of the journal, cut short by the crash, could not be removed");
    recovery.outcome = Recovery::Outcome::Replayed;
    return recovery;
}

bool CardJournal::recordSaving(const QByteArray &fileBytes, const CardStore &store)
{
    return !m_started || record(Change::Saved, 0, CardStore::identityOf(fileBytes), store);
}

bool CardJournal::record(Change change, int position, const QByteArray &card, const CardStore &store)
{
    QByteArray bytes = changeBytes(change, position, card);
    if (!m_started) {
        // A journal this session did not start (one kept from an earlier
        // session that could not be moved aside) is never written over.
        const QFileInfo existing(m_path);
        if (existing.isSymLink() || (existing.exists() && !(existing.isFile() && existing.size() == 0))) {
            m_error = QStringLiteral("An earlier journal that Kinfolio could not use is in the way");
            return false;
        }
        bytes.prepend(Header + store.loadedFileIdentity() + LineEnd);
    }
    if (!appendFileDurably(m_path, bytes, &m_error)) {
        if (!m_started)
            QFile::remove(m_path); // what the failed first write left names nothing
        return false;
    }
    m_started = true;
    return true;
}

void CardJournal::remove()
{
    // Only the journal of this session: one from an earlier session that
    // could not be replayed or moved aside stays for the user.
    if (m_started)
        QFile::remove(m_path);
    m_started = false;
}

} // namespace kinfolio
