#include "cardfile.h"

#include "itemfile.h"

namespace kinfolio {

bool readCard(ItemReader &reader, CardFields &card)
{
    for (QString &text : card.texts) {
        if (!reader.readItem(text))
            return false;
    }
    return true;
}

bool readCard(ItemReader &reader, std::array<QStringView, CardFieldCount> &card)
{
    for (QStringView &text : card) {
        if (!reader.readItem(text))
            return false;
    }
    return true;
}

void writeCard(QString &out, const CardFields &card)
{
    for (const QString &text : card.texts)
        appendItem(out, text);
}

} // namespace kinfolio
