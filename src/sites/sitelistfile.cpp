#include "sitelistfile.h"

#include "itemfile.h"
#include "listfileattributes.h"

#include <QDir>

namespace kinfolio {

SiteListFile::SiteListFile(QString path)
    : m_path(std::move(path))
{
}

SiteListFile SiteListFile::in(const QString &directory)
{
    return SiteListFile(QDir(directory).filePath(fileName()));
}

QStringList SiteListFile::load()
{
    setListFileAttributes(m_path, ListFileVisibility::Normal);
    m_entryCount = 0;
    m_pastLastSlot.clear();

    QStringList texts(SlotCount, freeSlot());
    QString text;
    if (!readTextFile(m_path, text))
        return texts;

    ItemReader reader(std::move(text));
    QString entry;
    while (!reader.atEnd() && reader.readItem(entry)) {
        if (m_entryCount < SlotCount)
            texts[m_entryCount] = entry;
        else
            m_pastLastSlot.append(entry);
        ++m_entryCount;
    }
    return texts;
}

int SiteListFile::slotsToWrite(const QStringList &texts) const
{
    const int held = qMin(m_entryCount, SlotCount);
    for (int k = SlotCount; k > held; --k) {
        if (texts.value(k - 1, freeSlot()) != freeSlot())
            return k;
    }
    return held;
}

QString SiteListFile::fileText(const QStringList &texts) const
{
    QString text;
    const int count = slotsToWrite(texts);
    for (int k = 0; k < count; ++k)
        appendItem(text, texts.value(k));
    // Entries past slot 30 exist only when all 30 texts were read, so they
    // always follow slot 30.
    for (const QString &entry : m_pastLastSlot)
        appendItem(text, entry);
    return text;
}

bool SiteListFile::save(const QStringList &texts, QString *error)
{
    setListFileAttributes(m_path, ListFileVisibility::Normal);
    const int count = slotsToWrite(texts);
    QString reason;
    if (!writeFileSafely(m_path, fileText(texts), &reason)) {
        if (error)
            *error = QStringLiteral("The web sites could not be saved to\n%1\n\n%2").arg(m_path, reason);
        return false;
    }
    m_entryCount = count + int(m_pastLastSlot.size());
    setListFileAttributes(m_path, ListFileVisibility::Hidden);
    return true;
}

} // namespace kinfolio
