#pragma once

#include "session/cardfilelock.h"
#include "session/cardjournal.h"
#include "format/cardstore.h"

#include <QString>

namespace kinfolio {

// A program's hold on a card file, from its opening to its clean end: the
// lock, the load, the replay of a journal left behind, the journal of each
// change, the save and the end. The card window keeps one while it is open,
// the import while it writes; a program that only reads the file opens one to
// read, and sees the cards as the user was last told they are.
class CardFileSession
{
public:
    enum class Access {
        Edit, // locked, the journal replayed and kept
        Read, // no lock, the journal replayed in memory, no file touched
    };

    explicit CardFileSession(const QString &cardFilePath);

    struct Opening
    {
        bool readOnly = false; // its folder cannot be written: the cards can be read, not kept there
        Result<> loaded;       // the card file's load; see CardStore::loadCardFile()
        CardJournal::Recovery recovery;
    };
    // Fails when the file may not be edited, and then loads nothing; the
    // reason is in sentences, paragraphs apart by a blank line.
    Result<Opening> open(Access access);

    CardStore &store() { return m_store; }
    const CardStore &store() const { return m_store; }
    const CardFileLock &lock() const { return m_lock; }
    const CardJournal &journal() const { return m_journal; }

    // Keeps a change just made to store() in the journal (see
    // CardJournal::record).
    Result<> record(CardJournal::Change change, int position, const QByteArray &before, const QByteArray &after);
    // Writes the card file, announcing the save in the journal first (see
    // CardStore::saveCardFile).
    Result<> save();
    // Every change is in the card file, or was given up: the journal goes.
    void end();

private:
    CardStore m_store;
    CardFileLock m_lock;
    CardJournal m_journal;
};

// A message's words for what open() found of a session that did not end
// through Exit, its lines apart by '\n'; empty when it found nothing.
QString recoveryText(const CardJournal::Recovery &recovery, const QString &journal);

} // namespace kinfolio
