#pragma once

#include "cardfilelock.h"
#include "cardmessage.h"
#include "cardrecord.h"
#include "cardstore.h"
#include "navigation.h"

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
    bool selectNameBox = false; // focus in txtName, its whole text selected
    bool centre = false;        // place the window in the middle of the screen
    Then then = Then::Stay;
};

// The rules of the card window's commands, without widgets: opening, New,
// Add, Update, Delete, the four navigation buttons, Find and Exit. It holds
// the store with its current position, and what the boxes hold: a stored
// card, a new card that was never added, or nothing. Each command takes the
// box texts where it needs them and says what the window must show.
class CardEditor
{
public:
    // What the seventeen boxes stand for.
    enum class Shown {
        Nothing,    // no card was put into the boxes (empty or unreadable file)
        StoredCard, // the card at the current position
        NewCard,    // a card cleared by New and not yet added
    };

    explicit CardEditor(const QString &cardFilePath);

    const CardStore &store() const { return m_store; }
    Shown shown() const { return m_shown; }
    // Exit has saved the cards and the card window is gone.
    bool isClosed() const { return m_closed; }

    // The opening of the card window: takes the card file for this program,
    // loads it and shows its last card.
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
    // The search of the find dialog: the first position whose entry of
    // `valueList` equals `valueText` exactly. None when nothing matches.
    std::optional<CardView> find(const QStringList &valueList, const QString &valueText);

    // Exit: ends the program at once with no card, or saves the cards and
    // closes the window. When the save fails, the window stays with every
    // card, and the message offers the ways out below.
    CardView exit();
    // Writes the cards to another file the user chose, then closes the window.
    CardView saveElsewhere(const QString &path);
    // The confirmation that leaving without saving asks, with how many cards
    // would be lost; leaveWithoutSaving() runs only on Yes.
    CardMessage leaveQuestion() const;
    CardView leaveWithoutSaving();

private:
    static bool newCardOpen(const CardFields &boxes);
    CardView showStoredCard(int position);
    std::optional<CardView> refuseWhenFull();

    CardStore m_store;
    CardFileLock m_lock;
    Shown m_shown = Shown::Nothing;
    bool m_closed = false;
};

} // namespace kinfolio
