#include "cardstore.h"

#include "cardfile.h"
#include "itemfile.h"

#include <QFile>
#include <QFileInfo>

namespace kinfolio {

CardStore::CardStore(QString filePath)
    : m_filePath(std::move(filePath))
{
}

CardRecord CardStore::card(int position) const
{
    CardRecord record;
    static_cast<CardFields &>(record) = m_cards[size_t(position)];
    record.RecordNumber = QString::number(position + 1);
    return record;
}

bool CardStore::LoadCardFile()
{
    m_currentCard = 0;
    m_cards.clear();
    m_fileNotFullyRead = false;

    QString text;
    if (!readTextFile(m_filePath, text)) {
        // A file that exists but cannot be read still holds cards we never saw.
        m_fileNotFullyRead = QFileInfo::exists(m_filePath);
        return false;
    }

    ItemReader reader(std::move(text));
    while (!reader.atEnd()) {
        CardFields fields;
        if (isFull() || !readCard(reader, fields)) {
            m_fileNotFullyRead = true;
            return false;
        }
        m_cards.push_back(std::move(fields));
    }
    m_currentCard = qint16(m_cards.size() - 1);
    return true;
}

bool CardStore::SaveCardFile()
{
    m_error.clear();
    if (m_cards.empty())
        return true;

    if (m_fileNotFullyRead && QFileInfo::exists(m_filePath) && !preserveUnreadFile())
        return false;

    QString text;
    text.reserve(qsizetype(m_cards.size()) * CardFieldCount * 16);
    for (const CardFields &fields : m_cards)
        writeCard(text, fields);

    QString reason;
    if (!writeFileSafely(m_filePath, text, &reason)) {
        m_error = QStringLiteral("The cards could not be saved to\n%1\n\n%2").arg(m_filePath, reason);
        return false;
    }
    m_fileNotFullyRead = false;
    return true;
}

bool CardStore::preserveUnreadFile()
{
    // QFile::copy never overwrites, so an earlier copy is never lost either.
    for (int n = 1; n < 10000; ++n) {
        const QString copyPath = QStringLiteral("%1.unread-%2").arg(m_filePath).arg(n);
        if (QFileInfo::exists(copyPath))
            continue;
        QFile source(m_filePath);
        if (source.copy(copyPath)) {
            m_preservedCopy = copyPath;
            m_fileNotFullyRead = false;
            return true;
        }
        m_error = QStringLiteral("Part of %1 could not be read, and no copy of it could be kept "
                                 "before saving, so it was not replaced.\n\n%2")
                      .arg(m_filePath, source.errorString());
        return false;
    }
    m_error = QStringLiteral("No free name was left for a copy of %1, so it was not replaced.").arg(m_filePath);
    return false;
}

bool CardStore::AppendCard(const CardFields &fields)
{
    if (isFull())
        return false;
    m_cards.push_back(fields);
    m_currentCard = qint16(m_cards.size() - 1);
    return true;
}

void CardStore::ReplaceCard(const CardFields &fields)
{
    if (m_currentCard < 0 || size_t(m_currentCard) >= m_cards.size())
        return;
    m_cards[size_t(m_currentCard)] = fields;
}

void CardStore::RemoveCard()
{
    if (m_cards.empty())
        return;
    if (m_cards.size() == 1) {
        m_cards.clear();
        m_currentCard = 0;
        return;
    }
    if (m_currentCard < 0 || size_t(m_currentCard) >= m_cards.size())
        return;
    // The cards after the gap move up one place; record numbers are derived
    // from positions, so each card takes the number of its new position.
    m_cards.erase(m_cards.begin() + m_currentCard);
    m_currentCard = qint16(m_currentCard % qint16(m_cards.size()));
}

} // namespace kinfolio
