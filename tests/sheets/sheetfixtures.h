#pragma once

#include "cardrecord.h"
#include "cards/cardfixtures.h"
#include "cardstore.h"

#include <initializer_list>
#include <utility>
#include <vector>

namespace kinfolio::testing {

// Three generations: Jonas and Ellen (card 1), their son Thomas (card 2) and
// elder daughter Margaret (card 3), Thomas's son Edward (card 4). Card 5 is a
// stranger whose parents' names differ from Thomas's couple in case only.
inline std::vector<CardFields> familyCards()
{
    using F = CardField;
    return {
        makeCard({{F::Name, "Jonas Ashworth"}, {F::BornDate, "3 MAR 1821"}, {F::DiedDate, "9 NOV 1890"},
                  {F::MarriedDate, "14 JUN 1846"}, {F::MarriedPlace, "Bradford"},
                  {F::Father, "William Ashworth"}, {F::Mother, "Mary Holt"}, {F::WifeName, "Ellen Pryce"},
                  {F::WifeBornDate, "about 1825"}, {F::WifeFather, "Owen Pryce"}, {F::WifeMother, "Ann Lloyd"},
                  {F::Notes, QStringLiteral("Caf\u00e9 on the Stra\u00dfe, called \u201dthe mill\u201d.\r\n"
                                            "Sold for \u20ac300, a \u00bd share.")}}),
        makeCard({{F::Name, "Thomas Ashworth"}, {F::BornDate, "8 AUG 1850"}, {F::Father, "Jonas Ashworth"},
                  {F::Mother, "Ellen Pryce"}, {F::WifeName, "Sarah Whitfield"}, {F::WifeFather, "John Whitfield"},
                  {F::WifeMother, "Martha Crabtree"}}),
        makeCard({{F::Name, "George Lister"}, {F::Father, "Robert Lister"}, {F::WifeName, "Margaret Ashworth"},
                  {F::WifeBornDate, "ABT 1848"},
                  {F::WifeDiedDate, "in the war"}, {F::WifeFather, "Jonas Ashworth"},
                  {F::WifeMother, "Ellen Pryce"}, {F::MarriedDate, "2 FEB 1870"}}),
        makeCard({{F::Name, "Edward Ashworth"}, {F::Father, "Thomas Ashworth"}, {F::Mother, "Sarah Whitfield"},
                  {F::WifeName, "Alice Moorhouse"}}),
        makeCard({{F::Name, "Henrik Dahlberg"}, {F::Father, "Thomas Ashworth"}, {F::Mother, "sarah whitfield"},
                  {F::WifeName, QStringLiteral("\u00c5sa Lindqvist")}}),
    };
}

// Writes cards the way the card program saves them (Windows-1252, quoted items).
inline bool writeCardFile(const QString &path, const std::vector<CardFields> &cards)
{
    CardStore store(path);
    for (const CardFields &card : cards)
        store.appendCard(card);
    return store.saveCardFile();
}

} // namespace kinfolio::testing
