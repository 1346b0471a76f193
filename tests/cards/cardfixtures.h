#pragma once

#include "cardrecord.h"
#include "filebytes.h"

#include <QByteArray>
#include <QFile>
#include <QString>

#include <initializer_list>
#include <utility>

namespace kinfolio::testing {

// A card whose every field names its card and field, so a field that lands in
// the wrong place or card shows at once.
inline CardFields labelledCard(const QString &tag)
{
    CardFields card;
    for (int i = 0; i < CardFieldCount; ++i)
        card[i] = QStringLiteral("%1-f%2").arg(tag).arg(i + 1);
    return card;
}

// A card of the fields given; the others empty.
inline CardFields makeCard(std::initializer_list<std::pair<CardField, QString>> fields)
{
    CardFields card;
    for (const auto &[field, text] : fields)
        card[field] = text;
    return card;
}

// The bytes the card file holds for `card`.
inline QByteArray cardBytes(const CardFields &card)
{
    QByteArray out;
    for (const QString &text : card.texts)
        out += '"' + text.toLatin1() + "\"\r\n";
    return out;
}

} // namespace kinfolio::testing
