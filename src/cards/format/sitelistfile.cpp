#include "format/sitelistfile.h"

#include "format/ansitext.h"
#include "format/itemfile.h"
#include "platform/platform.h"
#include "files/safefile.h"

#include <QDir>

namespace kinfolio {

SiteListFile::SiteListFile(QString path)
    : m_path(std::move(path))
{
}

QString SiteListFile::storableAddress(const QString &text)
{
    QString address = AnsiText::makeEncodable(text);
    if (address.contains(u'"'))
        address.replace(u'"', QStringLiteral("%22"));
    return address;
}

SiteListFile SiteListFile::in(const QString &directory)
{
    return SiteListFile(QDir(directory).filePath(fileName()));
}

QStringList SiteListFile::load()
{
    setFileHidden(m_path, false);
    m_entryCount = 0;
    m_pastLastSlot.clear();

    QStringList texts(SlotCount, freeSlot());
    Result<QByteArray> bytes = readRegularFile(m_path);
    if (!bytes)
        return texts;

    ItemReader reader(std::move(*bytes));
    QByteArrayView item;
    while (!reader.atEnd() && reader.readItem(item)) {
        const QString entry = storableAddress(AnsiText::decode(item));
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

QByteArray SiteListFile::fileBytes(const QStringList &texts) const
{
    QByteArray bytes;
    const int count = slotsToWrite(texts);
    for (int k = 0; k < count; ++k)
        appendItem(bytes, AnsiText::encode(storableAddress(texts.value(k))));
    // Entries past slot 30 exist only when all 30 texts were read, so they
    // always follow slot 30.
    for (const QString &entry : m_pastLastSlot)
        appendItem(bytes, AnsiText::encode(entry));
    return bytes;
}

Result<> SiteListFile::save(const QStringList &texts)
{
    setFileHidden(m_path, false);
    const int count = slotsToWrite(texts);
    const Result<> written = saveCopyTo(m_path, texts);
    if (written)
        m_entryCount = count + int(m_pastLastSlot.size());
    setFileHidden(m_path, true);
    return written;
}

Result<> SiteListFile::saveCopyTo(const QString &path, const QStringList &texts) const
{
    if (const Result<> written = writeFileSafely(path, fileBytes(texts)); !written)
        return Failure{QStringLiteral("The web sites could not be saved to\n%1\n\n%2").arg(path, written.error())};
    return {};
}

} // namespace kinfolio
