#pragma once

#include "base/result.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace kinfolio {

// The user's site list file, WebSites.dat: one quoted entry per line in the
// card file's item syntax and code page. Entry k belongs to slot k of the
// site window; the slots themselves live in the window's boxes.
class SiteListFile
{
public:
    static constexpr int SlotCount = 30;
    // The text of a free slot, and of every box when the window opens.
    static QString freeSlot() { return QStringLiteral("http://"); }
    static QString fileName() { return QStringLiteral("WebSites.dat"); }

    // What an address becomes on its way in, typed, pasted or read: a
    // character the file cannot hold becomes '?', and a double quote, which
    // would end the entry early, becomes %22, what a browser sends for it
    // anyway.
    static QString storableAddress(const QString &text);

    explicit SiteListFile(QString path);
    // The list file in `directory`.
    static SiteListFile in(const QString &directory);

    const QString &path() const { return m_path; }

    // Reads the file and returns the texts of slots 1 to 30: entry k for the
    // first entries, "http://" for the rest. Entries past the 30th have no
    // box; they are kept and written back after slot 30. A missing or
    // unreadable file is an empty list.
    QStringList load();

    // Entries the file held at the last load or save, those past slot 30 included.
    int entryCount() const { return m_entryCount; }
    const QStringList &entriesPastLastSlot() const { return m_pastLastSlot; }

    // How many slots a save writes: every slot the file already held, and
    // beyond those every slot up to the last one that is not free, so that
    // nothing the user typed is dropped.
    int slotsToWrite(const QStringList &texts) const;

    // The file's contents for `texts`, the 30 slot texts.
    QByteArray fileBytes(const QStringList &texts) const;

    // Replaces the file atomically with fileBytes(texts). On failure the old
    // file stays as it was, and the failure's message names the file.
    Result<> save(const QStringList &texts);
    // Writes the same contents to another file, for when the list file
    // cannot be written; the list file stays as it is.
    Result<> saveCopyTo(const QString &path, const QStringList &texts) const;

private:
    QString m_path;
    int m_entryCount = 0;
    QStringList m_pastLastSlot;
};

} // namespace kinfolio
