#include "commands/sitelisteditor.h"

#include "files/safefile.h"
#include "format/cardstore.h"
#include "platform/platform.h"
#include "session/cardfilelock.h"
#include "session/cardjournal.h"

#include <QDir>

namespace kinfolio {

namespace {
const auto refusal = CardMessage::refusal;
} // namespace

SiteListEditor::SiteListEditor(const QString &programDirectory)
    : m_file(SiteListFile::in(programDirectory))
    , m_cardFile(QDir(programDirectory).filePath(CardStore::fileName()))
{
}

QStringList SiteListEditor::load()
{
    // The list is saved only by the card program, which holds the card
    // file's lock while this window is open: what a killed save left is its own.
    removeLeftoverTemporaryFiles(m_file.path());
    return m_file.load();
}

std::optional<CardMessage> SiteListEditor::goRefusal(const QString &text)
{
    if (text == SiteListFile::freeSlot() || !isOpenableAddress(text))
        return refusal(QStringLiteral("Please enter a valid URL"));
    return std::nullopt;
}

CardMessage SiteListEditor::save(const QStringList &texts)
{
    if (const Result<> saved = m_file.save(texts); !saved)
        return refusal(saved.error());
    return CardMessage::report(QStringLiteral("Entry has been added."));
}

std::optional<CardMessage> SiteListEditor::exit(const QStringList &texts)
{
    const Result<> saved = m_file.save(texts);
    if (saved)
        return std::nullopt;
    m_unsaved = texts;
    return WaysOutRules::failedExit(saved.error(), QStringLiteral("the addresses"));
}

Result<> SiteListEditor::saveForEnd(const QStringList &texts)
{
    return m_file.save(texts);
}

Result<QString> SiteListEditor::keepCopyForEnd(const QStringList &texts)
{
    const QString copy = proposedCopyPath();
    if (const Result<> saved = m_file.saveCopyTo(copy, texts); !saved)
        return Failure{saved.error()};
    return copy;
}

QString SiteListEditor::saveAsTitle() const
{
    return QStringLiteral("Save the web sites as");
}

QString SiteListEditor::proposedCopyPath() const
{
    return WaysOutRules::proposedCopyPath(m_file.path());
}

std::optional<CardMessage> SiteListEditor::copyRefusal(const QString &path) const
{
    // The lock and the journal as they name themselves: beside the card file
    // itself when its name is a link.
    return WaysOutRules::copyRefusal(path, m_file.path(),
                                     {m_cardFile, CardJournal(m_cardFile).path(), CardFileLock(m_cardFile).lockFilePath()});
}

Result<CardMessage, CardMessage> SiteListEditor::saveCopy(const QString &path)
{
    if (const std::optional<CardMessage> refused = copyRefusal(path))
        return Failure{*refused};
    if (const Result<> saved = m_file.saveCopyTo(path, m_unsaved); !saved)
        return Failure{refusal(saved.error())};
    return WaysOutRules::savedCopy(QStringLiteral("The web sites were"), path, m_file.path());
}

CardMessage SiteListEditor::leaveQuestion() const
{
    return {QStringLiteral("Leave the web sites without saving?\r\n\r\nThe changes made to the 30 addresses since "
                           "the list was opened will be lost."),
            QStringLiteral("Warning!"), CardMessage::Icon::Exclamation, CardMessage::Yes | CardMessage::No,
            CardMessage::No};
}

} // namespace kinfolio
