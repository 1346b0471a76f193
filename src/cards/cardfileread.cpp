#include "cardfileread.h"

#include "cardstore.h"

#include <QFileInfo>

namespace kinfolio {

bool readCardFile(const QString &path, std::vector<CardFields> &cards, QString *error)
{
    cards.clear();
    // The card program's own load, so a file it would not read whole is not
    // read here either.
    CardStore store(path);
    if (store.loadCardFile()) {
        cards.reserve(size_t(store.cardCount()));
        for (int i = 0; i < store.cardCount(); ++i)
            cards.push_back(store.fields(i));
        return true;
    }
    QString reason;
    switch (store.loadResult()) {
    case CardStore::LoadResult::Loaded:
    case CardStore::LoadResult::Missing:
        reason = QStringLiteral("the card file %1 does not exist").arg(path);
        break;
    case CardStore::LoadResult::Unreadable:
        reason = QFileInfo(path).isDir() ? QStringLiteral("%1 is a folder, not a card file").arg(path)
                                         : QStringLiteral("the card file %1 could not be read: %2")
                                               .arg(path, store.errorString());
        break;
    case CardStore::LoadResult::CutShort:
        reason = QStringLiteral("the card file %1 is damaged: card %2 is incomplete, the file ends inside it")
                     .arg(path)
                     .arg(store.cardCount() + 1);
        break;
    case CardStore::LoadResult::TooManyCards:
        reason = QStringLiteral("the card file %1 holds more than %2 cards").arg(path).arg(CardStore::MaxCards);
        break;
    }
    if (error)
        *error = reason;
    return false;
}

} // namespace kinfolio
