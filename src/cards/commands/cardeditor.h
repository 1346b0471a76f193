#pragma once

#include "session/cardfilesession.h"
#include "commands/cardmessage.h"
#include "format/cardrecord.h"
#include "format/cardstore.h"
#include "commands/navigation.h"
#include "commands/waysout.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace kinfolio {

// What the card window must show after a command, in the order it shows it:
// the boxes, the record banner, the message, then the focus.
struct CardView
{
    enum class Then { Stay, CloseWindow, EndProgram };

    std::optional<CardFields> boxes;     // the seventeen boxes' new texts
    std::optional<QString> recordNumber; // lblRecordNumber's new text
    std::optional<QString> recordTotal;  // lblRecordTotal's new text
    std::optional<CardMessage> message;
    // Exit could not save: `message` offers the ways out (see WaysOut).
    bool offersWaysOut = false;
    // Shown after `message`: what went wrong beside a command that worked.
    std::optional<CardMessage> warning;
    bool selectNameBox = false; // focus in txtName, its whole text selected
    bool centre = false;        // place the window in the middle of the screen
    Then then = Then::Stay;
};

// The rules of the card window's commands, without widgets: opening, New,
// Add, Update, Delete, the four navigation buttons, Find and Exit. It holds
// the store with its current position, and what the boxes hold: a stored
// card, a new card that was never added, or nothing. Each command takes the
// box texts where it needs them and says what the window must show.
//
// The card file is written only at Exit. Until then each change is kept in
// the journal beside it before the user is told it is done, and the next
// start after a crash replays the journal (CardJournal).
class CardEditor : public WaysOut
{
public:
    // What the seventeen boxes stand for.
    enum class Shown {
        Nothing,    // no card was put into the boxes (empty or unreadable file)
        StoredCard, // the card at the current position
        NewCard,    // a card cleared by New and not yet added
    };

    explicit CardEditor(const QString &cardFilePath);

    const CardStore &store() const { return m_session.store(); }
    QString journalPath() const { return m_session.journal().path(); }
    Shown shown() const { return m_shown; }
    // The position of the card the window stands on: the one Update and
    // Delete act on, and navigation starts from.
    int currentCard() const { return m_position; }
    // Exit has saved the cards and the card window is gone.
    bool isClosed() const { return m_closed; }

    // The opening of the card window: takes the card file for this program,
    // loads it, replays the journal of a session that did not end through
    // Exit, and shows its last card.
    CardView open();

    CardView newCard(const CardFields &boxes);
    CardView add(const CardFields &boxes);
    CardView update(const CardFields &boxes);
    // Delete asks first; removeCard() runs only on Yes.
    static CardMessage deleteQuestion();
    CardView removeCard();
    CardView navigate(NavButton button);

    // The value list of the find dialog for `field`: that field of every
    // card, in table order.
    QStringList fieldValues(CardField field) const;
    // The search of the find dialog: the first card whose `field` equals
    // `valueText` exactly, in the table as it is now. With no field chosen
    // the value list is empty, and an empty `valueText` finds the first
    // card. None when nothing matches.
    std::optional<CardView> find(std::optional<CardField> field, const QString &valueText);

    // Exit: ends the program at once when there is nothing to save, or saves
    // the cards and closes the window. When the save fails, the window stays
    // with every card, and the message offers the ways out (WaysOut).
    CardView exit();
    // The end of the session or a signal to end: saves as Exit does, without
    // asking anything, and leaves the window as it is. When the cards could
    // not be saved, the journal keeps them for the next start.
    Result<> saveForEnd();

    // WaysOut
    QString saveAsTitle() const override;
    QString proposedCopyPath() const override;
    std::optional<CardMessage> copyRefusal(const QString &path) const override;
    Result<CardMessage, CardMessage> saveCopy(const QString &path) override;
    CardMessage leaveQuestion() const override;
    void leaveWithoutSaving() override;

private:
    static bool newCardOpen(const CardFields &boxes);
    CardView showStoredCard(int position);
    std::optional<CardView> refuseWhenFull();
    // Keeps a change in the journal; the view gets the warning when it could not.
    void journal(CardJournal::Change change, int position, const QByteArray &before, const QByteArray &after,
                 CardView &view);
    // Where the saved cards' file was kept aside before it was replaced, if it was.
    std::optional<CardMessage> keptAsideReport() const;
    void close();

    CardFileSession m_session;
    CardStore &m_store; // the session's
    int m_position = 0;
    Shown m_shown = Shown::Nothing;
    bool m_closed = false;
    bool m_journalWarned = false;
};

} // namespace kinfolio
