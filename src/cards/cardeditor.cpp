#include "cardeditor.h"

#include "safefile.h"

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

QString counted(int n, const char *one, const char *many)
{
    return QStringLiteral("%1 %2").arg(n).arg(QLatin1String(n == 1 ? one : many));
}

} // namespace

CardEditor::CardEditor(const QString &cardFilePath)
    : m_store(cardFilePath)
    , m_lock(cardFilePath)
    , m_journal(cardFilePath)
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

std::optional<CardMessage> CardEditor::lockRefusal()
{
    // Two programs on one card file would each save only their own cards,
    // and the last to leave would overwrite the other's.
    switch (m_lock.tryLock()) {
    case CardFileLock::Result::Locked:
    case CardFileLock::Result::NotPossible:
        return std::nullopt;
    case CardFileLock::Result::HeldElsewhere:
        return refusal(QStringLiteral("Kinfolio is already open on its card file in\r\n%1\r\n\r\n"
                                      "Only one Kinfolio at a time can keep its cards there.")
                           .arg(m_lock.folder()));
    case CardFileLock::Result::HeldByAnotherComputer:
        return refusal(QStringLiteral("Kinfolio is already open on its card file in\r\n%1\r\non the computer %2, "
                                      "which holds the lock file\r\n%3\r\n\r\nOnly one Kinfolio at a time can "
                                      "keep its cards there. If Kinfolio is not open on %2 (it ended there without "
                                      "Exit, or that computer is gone), delete the lock file and start Kinfolio "
                                      "again.")
                           .arg(m_lock.folder(), m_lock.holderComputer(), native(m_lock.lockFilePath())));
    }
    return std::nullopt;
}

std::optional<CardMessage> CardEditor::recoveryReport(const CardJournal::Recovery &recovery, const QString &journal)
{
    using Outcome = CardJournal::Recovery::Outcome;
    const QString lastTime = QStringLiteral("Kinfolio did not end through Exit last time.");
    switch (recovery.outcome) {
    case Outcome::Nothing:
        return std::nullopt;
    case Outcome::Replayed:
        return report(QStringLiteral("%1 %2 made then (cards added, updated or deleted) %3 recovered from its "
                                     "journal\r\n%4\r\n\r\nThey reach the card file when you press Exit.")
                          .arg(lastTime, counted(recovery.changes, "change", "changes"),
                               QLatin1String(recovery.changes == 1 ? "was" : "were"), native(journal)));
    case Outcome::KeptAside:
    case Outcome::NotKept:
        return warning(QStringLiteral("%1 The changes made then are in its journal, but another program has "
                                      "written the card file since, so they were not applied to its cards. "
                                      "They are kept in\r\n%2")
                           .arg(lastTime, native(recovery.outcome == Outcome::KeptAside ? recovery.keptAs : journal)));
    }
    return std::nullopt;
}

CardView CardEditor::open()
{
    CardView view;
    if (const std::optional<CardMessage> refused = lockRefusal()) {
        view.message = refused;
        view.then = CardView::Then::EndProgram;
        return view;
    }

    const bool whole = m_store.loadCardFile();
    const CardJournal::Recovery recovery = m_journal.recover(m_store);
    const std::optional<CardMessage> recovered = recoveryReport(recovery, m_journal.path());
    // A load that stopped early shows nothing, unless the journal brought
    // back cards to show.
    if (whole || recovery.outcome == CardJournal::Recovery::Outcome::Replayed) {
        if (m_store.cardCount() > 0) {
            view = showStoredCard(m_store.currentCard());
            view.recordTotal = number(m_store.cardCount());
        }
        view.centre = true;
    }
    view.message = recovered;
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

void CardEditor::journal(CardJournal::Change change, int position, const QByteArray &card, CardView &view)
{
    if (m_journal.record(change, position, card, m_store) || m_journalWarned)
        return;
    // Once: the change itself has worked, and every later one would say the same.
    m_journalWarned = true;
    view.warning = warning(QStringLiteral("Kinfolio could not keep this change in its journal\r\n%1\r\n%2\r\n\r\n"
                                          "The change is kept in memory and reaches the card file when you press "
                                          "Exit, but a crash before then would lose it. Until the journal can be "
                                          "written, the same holds for every change.")
                               .arg(native(m_journal.path()), m_journal.errorString()));
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
    journal(CardJournal::Change::Add, m_store.currentCard(), m_store.cardBytes(m_store.currentCard()), view);
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
    journal(CardJournal::Change::Update, m_store.currentCard(), m_store.cardBytes(m_store.currentCard()), view);
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
    const int position = m_store.currentCard();
    const QByteArray removed = m_store.cardBytes(position);
    m_store.removeCard();
    CardView journalled;
    journal(CardJournal::Change::Delete, position, removed, journalled);
    if (m_store.cardCount() == 0) {
        // The banner keeps what it showed.
        view.boxes = CardFields{};
        m_shown = Shown::Nothing;
    } else {
        view = showStoredCard(m_store.currentCard());
        view.recordTotal = number(m_store.cardCount());
    }
    view.warning = journalled.warning;
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
            m_store.setCurrentCard(qint16(p));
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
    QByteArray bytes;
    CardStore kept;
    if (readRegularFile(copy, bytes))
        kept.readCards(bytes);
    return report(QStringLiteral("%1 held cards that Kinfolio had not read: another program wrote it while "
                                 "Kinfolio was open, or Kinfolio could not read it whole. What it held, %2, is "
                                 "kept as\r\n%3\r\n\r\nKinfolio saved this window's cards (%4) to %1.")
                      .arg(native(m_store.filePath()), counted(kept.cardCount(), "card", "cards"), native(copy),
                           counted(m_store.cardCount(), "card", "cards")));
}

bool CardEditor::saveCards()
{
    return m_store.saveCardFile([this](const QByteArray &bytes) { m_journal.recordSaving(bytes, m_store); });
}

void CardEditor::close()
{
    m_closed = true;
    m_journal.remove();
}

CardView CardEditor::exit()
{
    CardView view;
    if (!m_store.hasCardsToSave()) {
        close();
        view.then = CardView::Then::EndProgram;
        return view;
    }
    if (!saveCards()) {
        // Nothing is lost: the window and every card stay. The user can
        // remove the cause and press Exit again, or take one of the ways out.
        view.message = WaysOutRules::failedExit(m_store.errorString(), QStringLiteral("the cards"));
        view.offersWaysOut = true;
        return view;
    }
    close();
    view.message = keptAsideReport();
    view.then = CardView::Then::CloseWindow;
    return view;
}

bool CardEditor::saveForEnd()
{
    if (m_closed || (m_store.hasCardsToSave() && !saveCards()))
        return m_closed;
    // The window may go on (the end of the session was cancelled): later
    // changes start a new journal from the cards just saved.
    m_journal.remove();
    return true;
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
    return WaysOutRules::copyRefusal(path, m_store.filePath(), {m_journal.path(), m_lock.lockFilePath()});
}

bool CardEditor::saveCopy(const QString &path, CardMessage *said)
{
    if (const std::optional<CardMessage> refused = copyRefusal(path)) {
        *said = *refused;
        return false;
    }
    if (!m_store.saveCopyTo(path)) {
        *said = refusal(m_store.errorString());
        return false;
    }
    const int cards = m_store.cardCount();
    *said = WaysOutRules::savedCopy(QStringLiteral("The %1 %2").arg(counted(cards, "card", "cards"),
                                                                   QLatin1String(cards == 1 ? "was" : "were")),
                                    path, m_store.filePath());
    if (!m_store.preservedCopyPath().isEmpty())
        said->text += QStringLiteral("\r\n\r\nBefore that, what it held was kept as\r\n%1")
                          .arg(native(m_store.preservedCopyPath()));
    close();
    return true;
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
