#include "cardeditor.h"

namespace kinfolio {

namespace {

const QString programTitle = QStringLiteral("Kinfolio");
const QString errorTitle = QStringLiteral("Error!");

CardMessage report(const QString &text)
{
    return {text, programTitle};
}

CardMessage refusal(const QString &text)
{
    return {text, errorTitle, CardMessage::Icon::Exclamation};
}

QString number(int n)
{
    return QString::number(n);
}

} // namespace

CardEditor::CardEditor(const QString &cardFilePath)
    : m_store(cardFilePath)
    , m_lock(cardFilePath)
{
}

bool CardEditor::newCardOpen(const CardFields &boxes)
{
    return boxes[CardField::Name].isEmpty() && boxes[CardField::WifeName].isEmpty();
}

CardView CardEditor::showStoredCard(int position)
{
    const CardRecord card = m_store.card(position);
    CardView view;
    view.boxes = card;
    view.recordNumber = card.RecordNumber;
    m_shown = Shown::StoredCard;
    return view;
}

CardView CardEditor::open()
{
    // Two programs on one card file would each save only their own cards,
    // and the last to leave would overwrite the other's.
    if (m_lock.tryLock() == CardFileLock::Result::HeldElsewhere) {
        CardView view;
        view.message = refusal(QStringLiteral("Kinfolio is already open on its card file in\r\n%1\r\n\r\n"
                                              "Only one Kinfolio at a time can keep its cards there.")
                                   .arg(m_lock.folder()));
        view.then = CardView::Then::EndProgram;
        return view;
    }

    CardView view;
    if (!m_store.loadCardFile())
        return view; // nothing shown, banner empty, not centred
    if (m_store.currentCard() >= 0) {
        view = showStoredCard(m_store.currentCard());
        view.recordTotal = number(m_store.cardCount());
    }
    view.centre = true;
    return view;
}

std::optional<CardView> CardEditor::refuseWhenFull()
{
    if (!m_store.isFull())
        return std::nullopt;
    CardView view;
    view.message = refusal(QStringLiteral("The card file is full: it holds %1 cards, the most it can keep.")
                               .arg(CardStore::MaxCards));
    view.selectNameBox = true;
    return view;
}

CardView CardEditor::newCard(const CardFields &boxes)
{
    CardView view;
    if (newCardOpen(boxes)) {
        view.message = report(QStringLiteral("New record already open"));
        view.selectNameBox = true;
        return view;
    }
    if (auto full = refuseWhenFull())
        return *full;
    view.boxes = CardFields{};
    view.selectNameBox = true;
    // The banner announces the card about to be added as the last one; the
    // current position still names the card shown before.
    view.recordNumber = number(m_store.cardCount() + 1);
    view.recordTotal = view.recordNumber;
    m_shown = Shown::NewCard;
    return view;
}

CardView CardEditor::add(const CardFields &boxes)
{
    CardView view;
    if (newCardOpen(boxes)) {
        view.message = refusal(QStringLiteral("Please enter a name."));
        view.selectNameBox = true;
        return view;
    }
    if (auto full = refuseWhenFull())
        return *full;
    m_store.appendCard(boxes);
    // The boxes stay as they are: they show the new last card.
    view.recordNumber = number(m_store.cardCount());
    view.recordTotal = view.recordNumber;
    view.message = report(QStringLiteral("Record has been added."));
    m_shown = Shown::StoredCard;
    return view;
}

CardView CardEditor::update(const CardFields &boxes)
{
    CardView view;
    // Besides two empty names, Update refuses unless the boxes hold the
    // stored current card: a new card that was never added would overwrite
    // the card shown before New, which the user cannot see.
    if (newCardOpen(boxes) || m_shown != Shown::StoredCard) {
        view.message = refusal(QStringLiteral("This button is for updating\r\na stored record only."));
        view.selectNameBox = true;
        return view;
    }
    m_store.replaceCard(boxes);
    view.recordNumber = number(m_store.currentCard() + 1);
    view.recordTotal = number(m_store.cardCount());
    view.message = report(QStringLiteral("Record has been Updated."));
    return view;
}

CardMessage CardEditor::deleteQuestion()
{
    return {QStringLiteral("Warning!\r\nThis will overwrite your current record\r\nDo you want to proceed?"),
            QStringLiteral("Warning!"), CardMessage::Icon::Exclamation, CardMessage::Yes | CardMessage::No};
}

CardView CardEditor::removeCard()
{
    CardView view;
    if (m_store.cardCount() == 0) {
        view.message = report(QStringLiteral("No records exist"));
        return view;
    }
    if (m_shown != Shown::StoredCard) {
        // The boxes hold no stored card (a new card never added, or nothing
        // after a load that stopped early). Deleting the card behind them,
        // which the user cannot see, would lose it; what the boxes held goes,
        // and the stored current card comes back.
        view = showStoredCard(m_store.currentCard());
        view.recordTotal = number(m_store.cardCount());
        return view;
    }
    m_store.removeCard();
    if (m_store.cardCount() == 0) {
        // The banner keeps what it showed.
        view.boxes = CardFields{};
        m_shown = Shown::Nothing;
        return view;
    }
    view = showStoredCard(m_store.currentCard());
    view.recordTotal = number(m_store.cardCount());
    return view;
}

CardView CardEditor::navigate(NavButton button)
{
    const NavDecision decision = decideNavigation(button, m_store.cardCount(), m_store.currentCard());
    CardView view;
    switch (decision.kind) {
    case NavDecision::Nothing:
        break;
    case NavDecision::FirstRecordReached:
    case NavDecision::LastRecordReached:
        view.message = {decision.kind == NavDecision::FirstRecordReached ? QStringLiteral("First record reached.")
                                                                           : QStringLiteral("Last record reached."),
                        QStringLiteral("Information"), CardMessage::Icon::Exclamation};
        break;
    case NavDecision::MoveTo:
        // The total stays as the last command that set it left it.
        m_store.setCurrentCard(qint16(decision.position));
        view = showStoredCard(decision.position);
        break;
    }
    return view;
}

QStringList CardEditor::fieldValues(CardField field) const
{
    QStringList values;
    values.reserve(m_store.cardCount());
    for (int p = 0; p < m_store.cardCount(); ++p)
        values.append(m_store.text(p, field));
    return values;
}

std::optional<CardView> CardEditor::find(const QStringList &valueList, const QString &valueText)
{
    // The list holds what was listed when the field was chosen; the position
    // found applies to the table as it is now.
    for (int p = 0; p < m_store.cardCount(); ++p) {
        const QString entry = p < valueList.size() ? valueList.at(p) : QString();
        if (entry == valueText) {
            CardView view = showStoredCard(p);
            view.recordTotal = number(m_store.cardCount());
            m_store.setCurrentCard(qint16(p));
            return view;
        }
    }
    return std::nullopt;
}

CardView CardEditor::exit()
{
    CardView view;
    if (m_store.cardCount() == 0) {
        view.then = CardView::Then::EndProgram;
        return view;
    }
    if (!m_store.saveCardFile()) {
        // Nothing is lost: the window and every card stay. The user can
        // remove the cause and press Exit again, or take one of the ways out.
        view.message = refusal(m_store.errorString()
                               + QStringLiteral("\r\n\r\nPress OK to stay and try again later, Save As to keep the "
                                                "cards in another file, or Leave Without Saving."));
        view.message->buttons = CardMessage::Ok | CardMessage::SaveElsewhere | CardMessage::LeaveWithoutSaving;
        view.message->defaultButton = CardMessage::Ok;
        return view;
    }
    m_closed = true;
    view.then = CardView::Then::CloseWindow;
    return view;
}

CardView CardEditor::saveElsewhere(const QString &path)
{
    CardView view;
    if (!m_store.saveCopyTo(path)) {
        view.message = refusal(m_store.errorString());
        return view;
    }
    view.message = report(QStringLiteral("The %1 cards were saved to\r\n%2\r\n\r\n%3 was left as it was.")
                              .arg(m_store.cardCount())
                              .arg(path, m_store.filePath()));
    m_closed = true;
    view.then = CardView::Then::CloseWindow;
    return view;
}

CardMessage CardEditor::leaveQuestion() const
{
    return {QStringLiteral("Leave Kinfolio without saving?\r\n\r\nThe %1 cards in this window could not be saved: "
                           "every card added and every change made since Kinfolio started will be lost.")
                .arg(m_store.cardCount()),
            QStringLiteral("Warning!"), CardMessage::Icon::Exclamation, CardMessage::Yes | CardMessage::No,
            CardMessage::No};
}

CardView CardEditor::leaveWithoutSaving()
{
    CardView view;
    m_closed = true;
    view.then = CardView::Then::EndProgram;
    return view;
}

} // namespace kinfolio
