#pragma once

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
// The journal names the card file's contents it starts from. Replayed onto
// other contents (another program wrote the card file meanwhile) its changes
// would land on the wrong cards, so such a journal is kept aside instead.
class CardJournal
{
public:
    // Saved marks a save of the card file about to happen, with the contents
    // it gives the file, so that a crash between the save and the removal of
    // the journal is not taken for a card file another program wrote.
    enum class Change : char { Add = 'A', Update = 'U', Delete = 'D', Saved = 'S' };

    explicit CardJournal(const QString &cardFilePath);

    QString path() const { return m_path; }

    // What a start found of an earlier session that did not end through Exit.
    struct Recovery
    {
        enum class Outcome {
            Nothing,   // no journal, or one without a whole change
            Replayed,  // `changes` changes were applied to the store
            KeptAside, // the card file changed since; the journal is now at `keptAs`
            NotKept,   // the card file changed since, and the journal could not be moved aside
        };
        Outcome outcome = Outcome::Nothing;
        int changes = 0;
        QString keptAs;
    };

    // Applies the changes of a journal left behind to `store`, which has just
    // loaded the card file. A change cut short by the end of the journal (a
    // crash while it was written) and everything after it is dropped; the
    // journal keeps the whole changes before it, and later changes go after
    // them. Leaves the store's current card as the load left it.
    Recovery recover(CardStore &store);

    // Appends one change, made to `store` just now, and puts it on the disk.
    // `position` is where the change happened: the new card's for Add, the
    // current card's for Update and Delete; `card` is the card's bytes as the
    // card file holds them: the new texts, or for Delete the card deleted, so
    // that a replay can tell it removes the same card. False, with
    // errorString() set, when the journal could not be written (a full disk).
    bool record(Change change, int position, const QByteArray &card, const CardStore &store);

    // Notes that the card file is about to be given `fileBytes`. Nothing to
    // note without a journal.
    bool recordSaving(const QByteArray &fileBytes, const CardStore &store);

    // The card file holds every change: the journal goes.
    void remove();

    QString errorString() const { return m_error; }

private:
    QString m_path;
    bool m_started = false; // the journal exists and names the card file's contents
    QString m_error;
};

} // namespace kinfolio
