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

CardStore::PackedCard CardStore::PackedCard::pack(const std::array<QStringView, CardFieldCount> &fields)
{
    PackedCard card;
    qsizetype total = 0;
    for (QStringView text : fields)
        total += text.size();
    if (total > 0)
        card.texts.reserve(total);
    for (size_t i = 0; i < fields.size(); ++i) {
        card.texts.append(fields[i]);
        card.ends[i] = card.texts.size();
    }
    return card;
}

CardStore::PackedCard CardStore::PackedCard::pack(const CardFields &fields)
{
    std::array<QStringView, CardFieldCount> views;
    for (size_t i = 0; i < views.size(); ++i)
        views[i] = fields.texts[i];
    return pack(views);
}

QStringView CardStore::PackedCard::text(int field) const
{
    const qsizetype start = field == 0 ? 0 : ends[size_t(field - 1)];
    return QStringView(texts).mid(start, ends[size_t(field)] - start);
}

CardRecord CardStore::card(int position) const
{
    CardRecord record;
    static_cast<CardFields &>(record) = fields(position);
    record.RecordNumber = QString::number(position + 1);
    return record;
}

CardFields CardStore::fields(int position) const
{
    const PackedCard &packed = m_cards[size_t(position)];
    CardFields fields;
    for (int i = 0; i < CardFieldCount; ++i)
        fields[i] = packed.text(i).toString();
    return fields;
}

QString CardStore::text(int position, CardField field) const
{
    return m_cards[size_t(position)].text(int(field)).toString();
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
    // Views into the reader's text: each card is copied once, into its packed form.
    std::array<QStringView, CardFieldCount> fields;
    while (!reader.atEnd()) {
        if (isFull() || !readCard(reader, fields)) {
            m_fileNotFullyRead = true;
            return false;
        }
        m_cards.push_back(PackedCard::pack(fields));
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

    // Each item adds its two quotes and CR LF to the text.
    qsizetype size = 0;
    for (const PackedCard &card : m_cards)
        size += card.texts.size() + CardFieldCount * 4;
    QString text;
    text.reserve(size);
    for (const PackedCard &card : m_cards) {
        for (int i = 0; i < CardFieldCount; ++i)
            appendItem(text, card.text(i));
    }

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
    m_cards.push_back(PackedCard::pack(fields));
    m_currentCard = qint16(m_cards.size() - 1);
    return true;
}

void CardStore::ReplaceCard(const CardFields &fields)
{
    if (m_currentCard < 0 || size_t(m_currentCard) >= m_cards.size())
        return;
    m_cards[size_t(m_currentCard)] = PackedCard::pack(fields);
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
