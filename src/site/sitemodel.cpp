#include "sitemodel.h"

#include "family/cardtext.h"
#include "soundslike.h"

#include <QHash>

#include <algorithm>
#include <tuple>

namespace kinfolio::Site {

using CardText::printedLine;

namespace {

// The first year of a date, or 0 when it holds none.
int yearIn(const QString &date)
{
    const int year = CardText::yearNumber(date);
    return year < 10000 ? year : 0;
}

QString folded(const QString &text)
{
    return SoundsLike::foldedWords(text).join(u' ');
}

} // namespace

bool isLiving(const CardFields &card, Spouse spouse, int thisYear)
{
    const SpouseFields &f = spouseFields(spouse);
    if (!isBlank(card[f.diedDate]))
        return false;
    const int born = yearIn(card[f.bornDate]);
    if (born > 0)
        return born > thisYear - 100;
    if (!isBlank(card[f.bornDate]))
        return false;
    const int married = yearIn(card[CardField::MarriedDate]);
    return married > thisYear - 100;
}

QString SiteModel::surnameOf(const QString &name)
{
    const qsizetype slash = name.indexOf(u'/');
    const qsizetype closing = slash < 0 ? -1 : name.indexOf(u'/', slash + 1);
    if (closing > slash)
        return name.mid(slash + 1, closing - slash - 1).trimmed();
    const QStringList words = name.split(u' ', Qt::SkipEmptyParts);
    return words.size() > 1 ? words.back() : QString();
}

SiteModel::SiteModel(const std::vector<CardFields> &cards, int thisYear)
    : m_cards(cards)
    , m_links(cards)
    , m_thisYear(thisYear)
{
    const int cardCount = int(cards.size());
    m_people.resize(size_t(m_links.personCount()));
    for (int card = 0; card < cardCount; ++card) {
        for (Spouse spouse : {Spouse::Husband, Spouse::Wife}) {
            const int p = m_links.person(card, spouse);
            if (p < 0)
                continue;
            Person &person = m_people[size_t(p)];
            const SpouseFields &f = spouseFields(spouse);
            if (person.cards.empty()) {
                person.name = printedLine(cards[size_t(card)][f.name]);
                person.bornDate = cards[size_t(card)][f.bornDate];
                person.diedDate = cards[size_t(card)][f.diedDate];
            }
            person.cards.push_back(card);
            person.living = person.living || isLiving(cards[size_t(card)], spouse, thisYear);
        }
    }
    // Fathers and mothers no card holds: one person each for all who name them.
    std::vector<int> namedFirst(size_t(m_links.namedParentsCount()) * 2, -1);
    for (int card = 0; card < cardCount; ++card) {
        for (Spouse spouse : {Spouse::Husband, Spouse::Wife}) {
            const int couple = m_links.namedParents(card, spouse);
            if (couple < 0)
                continue;
            const SpouseFields &f = spouseFields(spouse);
            for (int side : {0, 1}) {
                const QString name = printedLine(cards[size_t(card)][side == 0 ? f.father : f.mother]);
                int &slot = namedFirst[size_t(couple * 2 + side)];
                if (name.isEmpty() || slot >= 0)
                    continue;
                slot = int(m_people.size());
                Person person;
                person.name = name;
                person.namedOn = card;
                m_people.push_back(std::move(person));
            }
        }
    }

    // The surnames, each person under theirs; the folded keys group
    // "Müller" with "MULLER".
    std::vector<QString> nameKeys(m_people.size());
    QHash<QString, int> surnameIndex;
    for (size_t p = 0; p < m_people.size(); ++p) {
        Person &person = m_people[p];
        person.surname = surnameOf(person.name);
        nameKeys[p] = folded(person.name);
        const QString key = folded(person.surname);
        if (key.isEmpty()) {
            m_withoutSurname.push_back(int(p));
            continue;
        }
        auto it = surnameIndex.find(key);
        if (it == surnameIndex.end()) {
            Surname surname;
            surname.name = person.surname;
            surname.key = key;
            surname.letter = key.left(1).toUpper();
            if (surname.letter.front().isHighSurrogate())
                surname.letter = key.left(2);
            it = surnameIndex.insert(key, int(m_surnames.size()));
            m_surnames.push_back(std::move(surname));
        }
        m_surnames[size_t(*it)].people.push_back(int(p));
    }
    const auto byName = [&](int a, int b) {
        return std::tie(nameKeys[size_t(a)], a) < std::tie(nameKeys[size_t(b)], b);
    };
    for (Surname &surname : m_surnames)
        std::sort(surname.people.begin(), surname.people.end(), byName);
    std::sort(m_withoutSurname.begin(), m_withoutSurname.end(), byName);
    std::sort(m_surnames.begin(), m_surnames.end(),
              [](const Surname &a, const Surname &b) { return a.key < b.key; });
}

bool SiteModel::living(int card, Spouse spouse) const
{
    const int p = m_links.person(card, spouse);
    return p >= 0 ? m_people[size_t(p)].living : isLiving(m_cards[size_t(card)], spouse, m_thisYear);
}

} // namespace kinfolio::Site
