#pragma once

#include "family/cardlinks.h"
#include "format/cardrecord.h"

#include <QString>

#include <vector>

// What the family web site tells of the cards, before any page is made:
// who is living, the people and the cards each stands on, and the surnames.
// The links between cards are CardLinks', so the site joins cards exactly as
// the sheets and the GEDCOM export do.
namespace kinfolio::Site {

// How much the site shows of the living: their name alone (Hide), their
// name and the word "Living" (Names), or everything (Show).
enum class Living { Hide, Names, Show };

// Living, as genealogists publish: no death and a birth less than 100 years
// before `thisYear`, or no dates at all on a card whose marriage is that
// recent. A year is the first a date holds ("c. 1930", "bef. 1930" count).
bool isLiving(const CardFields &card, Spouse spouse, int thisYear);

// A person of the site: the husband or the wife of a card (the same person
// on several cards once), or somebody a card names only as a father or
// mother.
struct Person
{
    QString name;         // on one line, as the card writes it
    QString surname;      // its last word, or what stands between slashes; may be empty
    QString bornDate, diedDate;
    bool living = false;
    std::vector<int> cards; // the cards they are the husband or the wife on
    int namedOn = -1;       // for a father or mother without a card: the first card naming them
};

struct Surname
{
    QString name;               // as first written
    QString key;                // folded, for sorting and grouping
    QString letter;             // the index's heading it stands under: A, B … or a letter of another script
    std::vector<int> people;    // sorted by name
};

class SiteModel
{
public:
    // `cards` as read, each text already in NFC.
    SiteModel(const std::vector<CardFields> &cards, int thisYear);

    const std::vector<CardFields> &cards() const { return m_cards; }
    const CardLinks &links() const { return m_links; }
    int thisYear() const { return m_thisYear; }

    // Whether the husband or the wife of a card is living: as isLiving, and
    // for a person on several cards, living on any of them.
    bool living(int card, Spouse spouse) const;

    const std::vector<Person> &people() const { return m_people; }
    // How many of the people stand on cards (the rest are only named as parents).
    int peopleOnCards() const { return m_links.personCount(); }
    // Sorted by their folded names.
    const std::vector<Surname> &surnames() const { return m_surnames; }
    // The people without a surname, sorted by name.
    const std::vector<int> &withoutSurname() const { return m_withoutSurname; }

    // The surname a name holds: what stands between its first two slashes,
    // or else its last word of several; empty for one word.
    static QString surnameOf(const QString &name);

private:
    const std::vector<CardFields> &m_cards;
    CardLinks m_links;
    int m_thisYear;
    std::vector<Person> m_people;
    std::vector<Surname> m_surnames;
    std::vector<int> m_withoutSurname;
};

} // namespace kinfolio::Site
