#include "session/cardfilesession.h"

#include "platform/platform.h"
#include "files/safefile.h"
#include "format/wording.h"

#include <QDir>

#include <filesystem>

namespace kinfolio {

namespace {

QString native(const QString &path)
{
    return QDir::toNativeSeparators(path);
}


std::optional<QString> lockRefusal(const CardFileLock &lock, CardFileLock::Outcome result)
{
    switch (result) {
    case CardFileLock::Outcome::Locked:
    case CardFileLock::Outcome::ReadOnlyFolder:
        break;
    case CardFileLock::Outcome::HeldElsewhere:
        return QStringLiteral("Kinfolio is already open on its card file in\n%1\n\nOnly one Kinfolio at a time can "
                              "keep its cards there. It holds the lock file\n%2")
            .arg(lock.folder(), native(lock.lockFilePath()));
    case CardFileLock::Outcome::HeldByAnotherComputer:
        return QStringLiteral("Kinfolio is already open on its card file in\n%1\non the computer %2, which holds "
                              "the lock file\n%3\n\nOnly one Kinfolio at a time can keep its cards there. If "
                              "Kinfolio is not open on %2 (it ended there without Exit, or that computer is gone), "
                              "delete the lock file and start Kinfolio again.")
            .arg(lock.folder(), lock.holderComputer(), native(lock.lockFilePath()));
    case CardFileLock::Outcome::NotPossible:
        return QStringLiteral("Kinfolio cannot take the lock file of its card file\n%1\n%2.\n\nWithout it, two "
                              "programs could change the cards at once, and one would lose the other's changes, "
                              "so the cards are not opened for changes. Remove the cause and try again.")
            .arg(native(lock.lockFilePath()), lock.reason());
    }
    return std::nullopt;
}

} // namespace

CardFileSession::CardFileSession(const QString &cardFilePath)
    : m_store(cardFilePath)
    , m_lock(cardFilePath)
    , m_journal(cardFilePath)
{
}

Result<CardFileSession::Opening> CardFileSession::open(Access access)
{
    Opening opening;
    const QString cardFile = resolvedFilePath(m_store.filePath());
    if (access == Access::Edit) {
        const CardFileLock::Outcome locked = m_lock.tryLock();
        std::optional<QString> refusal = lockRefusal(m_lock, locked);
        opening.readOnly = locked == CardFileLock::Outcome::ReadOnlyFolder;
        // The lock sits beside one name of the file: under another name (a
        // hard link) a second program would not meet it.
        std::error_code noLinks;
        const auto names = std::filesystem::hard_link_count(nativePath(cardFile), noLinks);
        if (!refusal && !noLinks && names > 1)
            refusal = QStringLiteral("The card file\n%1\nhas %2 names on the disk (hard links), so a second "
                                     "Kinfolio could open it under another name without meeting its lock.\n\n"
                                     "Give it a name of its own: copy it to a new file, put the copy in its "
                                     "place, and try again.")
                          .arg(native(cardFile))
                          .arg(names);
        if (refusal) {
            m_lock.unlock();
            return Failure{*refusal};
        }
        if (m_lock.isLocked()) {
            removeLeftoverTemporaryFiles(cardFile);
            removeLeftoverTemporaryFiles(m_journal.path());
        }
    }
    opening.loaded = m_store.loadCardFile();
    opening.recovery = access == Access::Edit && m_lock.isLocked() ? m_journal.recover(m_store)
                                                                   : m_journal.replayToRead(m_store);
    return opening;
}

Result<> CardFileSession::record(CardJournal::Change change, int position, const QByteArray &before,
                                 const QByteArray &after)
{
    return m_journal.record(change, position, before, after, m_store);
}

Result<> CardFileSession::save()
{
    // A save the journal could not announce still goes ahead: should the
    // program end before the journal goes, the next start finds a card file
    // newer than its journal and keeps the journal's changes aside rather
    // than apply them twice.
    return m_store.saveCardFile([this](const QByteArray &bytes) { static_cast<void>(m_journal.recordSaving(bytes)); });
}

void CardFileSession::end()
{
    m_journal.remove();
}

QString recoveryText(const CardJournal::Recovery &r, const QString &journal)
{
    if (!r.found())
        return {};
    QString text = QStringLiteral("Kinfolio did not end through Exit last time.");
    if (r.replayed > 0)
        text += QStringLiteral(" %1 made then (cards added, updated or deleted) %2 recovered from its journal\n%3\n\n"
                               "They reach the card file when you press Exit.")
                    .arg(counted(r.replayed, "change", "changes"), QLatin1String(r.replayed == 1 ? "was" : "were"),
                         native(journal));
    if (!r.complete()) {
        QString lost;
        if (r.unknownJournal)
            lost = QStringLiteral("Its journal\n%1\nis not one this version of Kinfolio can read, so the changes "
                                  "made then were not applied to the cards.")
                       .arg(native(journal));
        else if (r.cardFileChanged)
            lost = QStringLiteral("%1 made then %2 not applied to the cards: another program has written the card "
                                  "file since.")
                       .arg(counted(r.notApplied, "change", "changes"),
                            QLatin1String(r.notApplied == 1 ? "was" : "were"));
        else if (r.unreadable > 0)
            lost = QStringLiteral("Its journal is damaged: %1 could not be read, so the %2 after %3 %4 not applied "
                                  "either.")
                       .arg(counted(r.unreadable, "change", "changes"), counted(r.notApplied, "change", "changes"),
                            QLatin1String(r.unreadable == 1 ? "it" : "them"),
                            QLatin1String(r.notApplied == 1 ? "was" : "were"));
        else
            lost = QStringLiteral("%1 made then did not fit the cards, so %2 not applied.")
                       .arg(counted(r.notApplied, "change", "changes"),
                            QLatin1String(r.notApplied == 1 ? "it was" : "they were"));
        if (r.unreadable > 0 && r.cardFileChanged)
            lost += QStringLiteral(" %1 of its changes could not be read.").arg(r.unreadable);
        QString kept;
        if (!r.keptCards.isEmpty())
            kept += QStringLiteral("\n\nThe cards those changes added or changed are kept as the card file\n%1\n"
                                   "Kinfolio's read-me says how to print them or add them to yours.")
                        .arg(native(r.keptCards));
        if (!r.keptJournal.isEmpty())
            kept += QStringLiteral("\n\nThe journal itself is kept as\n%1").arg(native(r.keptJournal));
        else
            kept += QStringLiteral("\n\nThe journal stays where it is, and Kinfolio does not write over it: %1")
                        .arg(r.keepFailure);
        text += (r.replayed > 0 ? QStringLiteral("\n\n") : QStringLiteral(" ")) + lost + kept;
    }
    return text;
}

} // namespace kinfolio
