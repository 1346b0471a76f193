#pragma once

#include "sitemodel.h"

#include <QByteArray>
#include <QString>

#include <vector>

// The pages of the family web site as bytes: HTML in UTF-8, every card text
// escaped and every name set in its own direction, with the search index
// the pages' script reads. Nothing here touches a file.
namespace kinfolio::Site {

struct SiteOptions
{
    QString title;       // the site's title, on every page
    Living living = Living::Hide;
    QString madeFrom;    // the card file's name, for the pages' foot
};

class SitePages
{
public:
    SitePages(const SiteModel &model, const SiteOptions &options);

    // Where each page stands in the site's folder.
    static QString cardPath(int card);
    static QString surnamePath(int surname);
    static QString peoplePath(int letter);

    QByteArray indexPage() const;
    QByteArray cardPage(int card) const;
    QByteArray surnamePage(int surname) const;
    // One page of people per heading of the surnames (A, B …), and one
    // last for those without a surname when there are any.
    int peoplePageCount() const;
    QByteArray peoplePage(int letter) const;
    // A script that sets the names the search looks through: it is read as
    // a script because a page opened from a file may not fetch another.
    QByteArray searchIndex() const;

private:
    struct Letter
    {
        QString heading;
        std::vector<int> surnames;
    };

    // A whole page around `main`: its title (HTML, empty for the site's
    // own), the header with the search, and the foot.
    QString page(int depth, const QString &title, const QString &main) const;
    QString personFacts(int card, Spouse spouse, int depth) const;
    QString personLine(int person, int depth) const;
    QString pedigree(int card, Spouse spouse) const;
    QString letterNav(int depth, int current) const;
    bool shown(bool living) const { return !living || m_options.living == Living::Show; }

    const SiteModel &m_model;
    SiteOptions m_options;
    std::vector<Letter> m_letters;
};

} // namespace kinfolio::Site
