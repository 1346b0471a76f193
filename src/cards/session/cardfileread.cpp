#include "session/cardfileread.h"

#include "session/cardfilesession.h"
#include "format/filekind.h"
#include "format/wording.h"

#include <QFileInfo>

namespace kinfolio {


QString cardFileProblem(const CardStore &store, const Result<> &loaded)
{
    const QString &path = store.filePath();
    switch (store.loadResult()) {
    case CardStore::LoadResult::Loaded:
    case CardStore::LoadResult::Missing:
        break;
    case CardStore::LoadResult::Unreadable:
        return QFileInfo(path).isDir() ? QStringLiteral("%1 is a folder, not a card file").arg(path)
                                       : QStringLiteral("the card file %1 could not be read: %2")
                                             .arg(path, loaded.error());
    case CardStore::LoadResult::CutShort:
        return QStringLiteral("the card file %1 is damaged: card %2 is incomplete, the file ends inside it")
            .arg(path)
            .arg(store.cardCount() + 1);
    case CardStore::LoadResult::TooManyCards:
        return QStringLiteral("the card file %1 holds more than %2 cards").arg(path).arg(CardStore::MaxCards);
    }
    return QStringLiteral("the card file %1 does not exist").arg(path);
}

Result<CardFileContents> readCardFile(const QString &path)
{
    // The card program reads any text as items, so a GEDCOM file or a PDF
    // named in the card file's place might read as cards: the tool would
    // then write its output over the file meant as the card file.
    if (const std::optional<QString> slip = notCardFileReason(path, fileKind(path)))
        return Failure{*slip};
    // The card program's own load, so a file it would not read whole (a card
    // cut short, more cards than it holds) is not read here either.
    CardFileSession session(path);
    const Result<CardFileSession::Opening> opening = session.open(CardFileSession::Access::Read);
    if (!opening)
        return Failure{opening.error()};
    const CardStore &store = session.store();
    if (!opening->loaded)
        return Failure{cardFileProblem(store, opening->loaded)};
    CardFileContents read;
    const CardJournal::Recovery &r = opening->recovery;
    if (r.replayed > 0)
        read.notes << QStringLiteral("%1 holds %2 not yet saved to it (Kinfolio is open on it, or did not end "
                                     "through Exit); they are read from its journal %3, which stays as it is")
                          .arg(path, counted(r.replayed, "change", "changes"), session.journal().path());
    if (!r.complete())
        read.notes << QStringLiteral("the journal %1 holds changes that cannot be applied to %2; start Kinfolio on "
                                     "the card file to keep them as a card file of their own")
                          .arg(session.journal().path(), path);
    read.cards.reserve(size_t(store.cardCount()));
    for (int i = 0; i < store.cardCount(); ++i)
        read.cards.push_back(store.fields(i));
    return read;
}

} // namespace kinfolio
