#include "commands/cardeditor.h"

#include "files/safefile.h"
#include "format/wording.h"

#include <QDir>

namespace kinfolio {

namespace {

const auto report = CardMessage::report;
const auto refusal = CardMessage::refusal;
const auto warning = CardMessage::warning;

QString number(int n)
{
    return QString::number(n);
}

QString native(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

QString crlf(QString text)
{
    return text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
}


} // namespace

CardEditor::CardEditor(const QString &cardFilePath)
    : m_session(cardFilePath)
    , m_store(m_session.store())
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
    CardView view;
    // Two programs on one card file would each save only their own cards,
    // and the last to leave would overwrite the other's.
    const Result<CardFileSession::Opening> opened = m_session.open(CardFileSession::Access::Edit);
    if (!opened) {
        view.message = refusal(crlf(opened.error()));
        view.then = CardView::Then::EndProgram;
        return view;
    }
    const CardFileSession::Opening &opening = *opened;
    // A load that stopped early shows nothing, unless the journal brought
    // back cards to show; otherwise the last card.
    if (opening.loaded || opening.recovery.replayed > 0) {
        m_position = m_store.cardCount() - 1;
        if (m_store.cardCount() > 0) {
            view = showStoredCard(m_position);
            view.recordTotal = number(m_store.cardCount());
        }
        view.centre = true;
    }
    const QString recovered = crlf(recoveryText(opening.recovery, m_session.journal().path()));
    if (!recovered.isEmpty())
        view.message = opening.recovery.complete() ? report(recovered) : warning(recovered);
    if (opening.readOnly)
        view.warning = warning(QStringLiteral("Kinfolio cannot keep changes to its cards in\r\n%1\r\n%2.\r\n\r\n"
                                              "The cards are shown as they are. Changes you make reach no file "
                                              "there; at Exit, Save As keeps them in another folder.")
                                   .arg(m_session.lock().folder(), m_session.lock().reason()));
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

void CardEditor::journal(CardJournal::Change change, int position, const QByteArray &before,
                         const QByteArray &after, CardView &view)
{
    const Result<> recorded = m_session.record(change, position, before, after);
    if (recorded || m_journalWarned)
        return;
    // Once: the change itself has worked, and every later one would say the same.
    m_journalWarned = true;
    view.warning = warning(QStringLiteral("Kinfolio could not keep this change in its journal\r\n%1\r\n%2\r\n\r\n"
                                          "The change is kept in memory and reaches the card file when you press "
                                          "Exit, but a crash before then would lose it. Until the journal can be "
                                          "written, the same holds for every change.")
                               .arg(native(m_session.journal().path()), recorded.error()));
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
    m_position = m_store.cardCount() - 1;
    journal(CardJournal::Change::Add, m_position, {}, m_store.cardBytes(m_position), view);
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
    const QByteArray before = m_store.cardBytes(m_position);
    m_store.replaceCard(m_position, boxes);
    journal(CardJournal::Change::Update, m_position, before, m_store.cardBytes(m_position), view);
    view.recordNumber = number(m_position + 1);
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
        view = showStoredCard(m_position);
        view.recordTotal = number(m_store.cardCount());
        return view;
    }
    const int position = m_position;
    const QByteArray removed = m_store.cardBytes(position);
    m_store.removeCard(position);
    // The position stays, naming the card that moved up, or wraps to the
    // first card when the last one went.
    m_position = m_store.cardCount() > 0 ? position % m_store.cardCount() : 0;
    CardView journalled;
    journal(CardJournal::Change::Delete, position, removed, {}, journalled);
    if (m_store.cardCount() == 0) {
        // The banner keeps what it showed.
        view.boxes = CardFields{};
        m_shown = Shown::Nothing;
    } else {
        view = showStoredCard(m_position);
        view.recordTotal = number(m_store.cardCount());
    }
    view.warning = journalled.warning;
    return view;
}

CardView CardEditor::navigate(NavButton button)
{
    const NavDecision decision = decideNavigation(button, m_store.cardCount(), m_position);
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
        m_position = decision.position;
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

std::optional<CardView> CardEditor::find(std::optional<CardField> field, const QString &valueText)
{
    // The cards as they are now, not as they were listed: a card added or
    // deleted since would otherwise shift another person's card into the
    // position found.
    for (int p = 0; p < m_store.cardCount(); ++p) {
        const QString value = field ? m_store.text(p, *field) : QString();
        if (value == valueText) {
            CardView view = showStoredCard(p);
            view.recordTotal = number(m_store.cardCount());
            m_position = p;
            return view;
        }
    }
    return std::nullopt;
}

std::optional<CardMessage> CardEditor::keptAsideReport() const
{
    const QString copy = m_store.preservedCopyPath();
    if (copy.isEmpty())
        return std::nullopt;
    CardStore kept;
    if (const Result<QByteArray> bytes = readRegularFile(copy))
        static_cast<void>(kept.readCards(*bytes)); // the cards it could read are counted
    return report(QStringLiteral("%1 held cards that Kinfolio had not read: another program wrote it while "
                                 "Kinfolio was open, or Kinfolio could not read it whole. What it held, %2, is "
                                 "kept as\r\n%3\r\n\r\nKinfolio saved this window's cards (%4) to %1.")
                      .arg(native(m_store.filePath()), counted(kept.cardCount(), "card", "cards"), native(copy),
                           counted(m_store.cardCount(), "card", "cards")));
}

void CardEditor::close()
{
    m_closed = true;
    m_session.end();
}

CardView CardEditor::exit()
{
    CardView view;
    if (!m_store.hasCardsToSave()) {
        close();
        view.then = CardView::Then::EndProgram;
        return view;
    }
    if (const Result<> saved = m_session.save(); !saved) {
        // Nothing is lost: the window and every card stay. The user can
        // remove the cause and press Exit again, or take one of the ways out.
        view.message = WaysOutRules::failedExit(saved.error(), QStringLiteral("the cards"));
        view.offersWaysOut = true;
        return view;
    }
    close();
    view.message = keptAsideReport();
    view.then = CardView::Then::CloseWindow;
    return view;
}

Result<> CardEditor::saveForEnd()
{
    if (m_closed)
        return {};
    if (m_store.hasCardsToSave()) {
        if (const Result<> saved = m_session.save(); !saved)
            return saved;
    }
    // The window may go on (the end of the session was cancelled): later
    // changes start a new journal from the cards just saved.
    m_session.end();
    return {};
}

QString CardEditor::saveAsTitle() const
{
    return QStringLiteral("Save the cards as");
}

QString CardEditor::proposedCopyPath() const
{
    return WaysOutRules::proposedCopyPath(m_store.filePath());
}

std::optional<CardMessage> CardEditor::copyRefusal(const QString &path) const
{
    return WaysOutRules::copyRefusal(path, m_store.filePath(), {m_session.journal().path(), m_session.lock().lockFilePath()});
}

Result<CardMessage, CardMessage> CardEditor::saveCopy(const QString &path)
{
    if (const std::optional<CardMessage> refused = copyRefusal(path))
        return Failure{*refused};
    if (const Result<> saved = m_store.saveCopyTo(path); !saved)
        return Failure{refusal(saved.error())};
    const int cards = m_store.cardCount();
    CardMessage said = WaysOutRules::savedCopy(QStringLiteral("The %1 %2").arg(counted(cards, "card", "cards"),
                                                                              QLatin1String(cards == 1 ? "was" : "were")),
                                               path, m_store.filePath());
    if (!m_store.preservedCopyPath().isEmpty())
        said.text += QStringLiteral("\r\n\r\nBefore that, what it held was kept as\r\n%1")
                         .arg(native(m_store.preservedCopyPath()));
    close();
    return said;
}

CardMessage CardEditor::leaveQuestion() const
{
    return {QStringLiteral("Leave Kinfolio without saving?\r\n\r\nThe %1 in this window could not be saved: "
                           "every card added and every change made since Kinfolio started will be lost.")
                .arg(counted(m_store.cardCount(), "card", "cards")),
            QStringLiteral("Warning!"), CardMessage::Icon::Exclamation, CardMessage::Yes | CardMessage::No,
            CardMessage::No};
}

void CardEditor::leaveWithoutSaving()
{
    close();
}

} // namespace kinfolio
