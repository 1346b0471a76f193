#pragma once

#include "base/result.h"

#include <QByteArray>
#include <QString>

namespace kinfolio {

class CardStore;

// The changes made to the cards since the card file was last written, kept
// beside the card file (Kinfolio.dat.journal, beside the file itself when its
// path is a link). The card file is written only at Exit; until then each
// Add, Update and Delete is appended here and put on the disk before the user
// is told it is done, so that a crash, a kill or a power cut loses none. The
// next start replays them onto the cards of the card file.
//
// The journal names the card file's contents it starts from, and each change
// the card it replaces, so a change is never replayed onto cards it was not
// made on. A change that could not be written leaves a gap: the next one
// starts the journal again from a copy of the whole table instead.
class CardJournal
{
public:
    // Saved marks a save of the card file about to happen, with the contents
    // it gives the file, so that a crash between the save and the removal of
    // the journal is not taken for a card file another program wrote.
    // Table holds every card: the journal starts again from it.
    enum class Change : char { Add = 'A', Update = 'U', Delete = 'D', Saved = 'S', Table = 'T' };

    explicit CardJournal(const QString &cardFilePath);

    QString path() const { return m_path; }

    // What a start found of an earlier session that did not end through Exit.
    struct Recovery
    {
        int replayed = 0;     // changes applied to the store
        int notApplied = 0;   // whole changes that could not be applied
        int unreadable = 0;   // damaged changes amid whole ones
        // Why changes were not applied: the card file was written by another
        // program since, or the journal is not one this program can read.
        bool cardFileChanged = false;
        bool unknownJournal = false;
        QString keptCards;   // the cards of the changes not applied, as a card file
        QString keptJournal; // the journal itself, moved aside
        QString keepFailure; // why nothing could be kept aside, when nothing could

        bool found() const { return replayed + notApplied + unreadable > 0 || unknownJournal; }
        bool complete() const { return notApplied == 0 && unreadable == 0 && !unknownJournal; }
    };

    // Applies the changes of a journal left behind to `store`, which has just
    // loaded the card file; see Recovery. A change cut short at the end of
    // the journal is dropped. Changes that cannot be applied are kept as a
    // card file of their cards beside the card file, with the journal moved
    // aside; the changes that were applied go on in a new journal.
    Recovery recover(CardStore &store);
    // The same for a program that only reads the card file: the changes are
    // applied to `store` alone, and no file is touched.
    Recovery replayToRead(CardStore &store) const;

    // Appends one change, made to `store` just now, and puts it on the disk.
    // `position` is where the change happened: the new card's for Add, the
    // current card's for Update and Delete. `before` is the card's bytes as
    // the card file held them (Update, Delete), `after` its new bytes (Add,
    // Update). After a change that could not be written, the journal starts
    // again from the whole table. Fails when the journal could not be
    // written (a full disk).
    Result<> record(Change change, int position, const QByteArray &before, const QByteArray &after,
                const CardStore &store);

    // Notes that the card file is about to be given `fileBytes`. Nothing to
    // note without a journal.
    Result<> recordSaving(const QByteArray &fileBytes);

    // The card file holds every change: the journal goes.
    void remove();

private:
    enum class State {
        None,    // no journal of this session yet
        Started, // the journal holds every change since the card file was read
        Gap,     // a change could not be written: the journal must start anew
    };
    Result<> restartFromTable(const CardStore &store);

    QString m_path;
    State m_state = State::None;
    bool m_owned = false; // the file at m_path is this session's journal
};

} // namespace kinfolio
