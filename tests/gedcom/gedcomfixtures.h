#pragma once

#include "cardrecord.h"
#include "cards/cardfixtures.h"
#include "cardstore.h"
#include "cardtext.h"
#include "filebytes.h"

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QRandomGenerator>
#include <QString>
#include <QStringDecoder>
#include <QStringList>

#include <initializer_list>
#include <memory>
#include <utility>
#include <vector>

namespace kinfolio::testing {

// Writes cards the way the card program saves them (Windows-1252, quoted items).
inline bool writeCardFile(const QString &path, const std::vector<CardFields> &cards)
{
    CardStore store(path);
    for (const CardFields &card : cards)
        store.appendCard(card);
    return store.saveCardFile();
}

// Three generations of one family, a sibling on the wife's side, a card with
// only a wife's name, a father without a mother and names outside ASCII.
inline std::vector<CardFields> threeGenerationCards()
{
    using F = CardField;
    return {
        makeCard({{F::Name, "Jonas Ashworth"}, {F::BornDate, "3 MAR 1821"}, {F::BornPlace, "Leeds, Yorkshire"},
                  {F::MarriedDate, "14 June 1846"}, {F::MarriedPlace, "Bradford"}, {F::DiedDate, "9 NOV 1890"},
                  {F::Father, "William Ashworth"}, {F::Mother, "Mary Holt"}, {F::WifeName, "Ellen Pryce"},
                  {F::WifeBornDate, "January 22, 1825"}, {F::WifeFather, "Owen Pryce"}, {F::WifeMother, "Ann Lloyd"},
                  {F::Notes, "Weaver at the Bank Mills.\r\nSeven children, five survived."}}),
        makeCard({{F::Name, "Thomas Ashworth"}, {F::BornDate, "8 AUG 1850"}, {F::MarriedDate, "1 MAY 1875"},
                  {F::Father, "Jonas Ashworth"}, {F::Mother, "Ellen Pryce"}, {F::WifeName, "Sarah Whitfield"},
                  {F::WifeFather, "John Whitfield"}, {F::WifeMother, "Martha Crabtree"}}),
        makeCard({{F::Name, "Edward Ashworth"}, {F::BornDate, "about 1878"}, {F::MarriedDate, "June 1902"},
                  {F::DiedDate, "in the war"}, {F::Father, "Thomas Ashworth"}, {F::Mother, "Sarah Whitfield"},
                  {F::WifeName, "Alice Moorhouse"}}),
        makeCard({{F::Name, "George Lister"}, {F::Father, "Robert Lister"}, {F::WifeName, "Margaret Ashworth"},
                  {F::WifeFather, "Jonas Ashworth"}, {F::WifeMother, "Ellen Pryce"}}),
        makeCard({{F::WifeName, "Hannah Cole"},
                  {F::Notes, QStringLiteral("Parents unknown; searched the parish registers of ").repeated(8)}}),
        makeCard({{F::Name, QStringLiteral("Henrik Dahlberg")}, {F::BornPlace, QStringLiteral("V\u00e4xj\u00f6, Sweden")},
                  {F::WifeName, QStringLiteral("\u00c5sa Lindqvist")}}),
    };
}
constexpr int threeGenerationIndividuals = 18;
constexpr int threeGenerationFamilies = 9;

// Cards that once gave invalid or lossy GEDCOM: slashes that mark no
// surname, values longer than GEDCOM allows, notes of one-letter words or
// spaces, notes that begin with '@', reversed ranges, and two cards each the
// other's parents.
inline std::vector<CardFields> hostileCards()
{
    using F = CardField;
    return {
        makeCard({{F::Name, "a/b"}, {F::WifeName, "/"}, {F::Notes, "@ at @@ sign"}}),
        makeCard({{F::Name, "Name / with / slashes /"}, {F::WifeName, "Mary /" + QString(130, u'L') + "/"},
                  {F::Notes, "@N1@"}}),
        makeCard({{F::Name, QStringLiteral("Given ").repeated(30) + "Last"},
                  {F::BornDate, "in the great war of the eighteen hundreds"},
                  {F::BornPlace, QString(130, QChar(0x20AC))},
                  {F::MarriedDate, "between 29 September 1699/00 and 30 September 1700/01"},
                  {F::Notes, QStringLiteral("a ").repeated(300) + QString(600, u' ') + "end"}}),
        makeCard({{F::Name, "Reversed"}, {F::BornDate, "between 1860 and 1850"}, {F::DiedDate, "FROM 1900 TO 1899"},
                  {F::MarriedDate, "BET MAR 1850 AND 1850"}}),
        makeCard({{F::Name, "Adam Loop"}, {F::WifeName, "Eve Loop"}, {F::Father, "Cain Loop"}, {F::Mother, "Awan Loop"}}),
        makeCard({{F::Name, "Cain Loop"}, {F::WifeName, "Awan Loop"}, {F::Father, "Adam Loop"}, {F::Mother, "Eve Loop"}}),
    };
}

// Cards at random from values that have broken the round trip: names with
// and without slashes, in other scripts, with C1 control characters and runs
// of spaces; dates of every kind; children of earlier couples, and the same
// person on several cards.
inline std::vector<CardFields> generatedCards(quint32 seed, int count = 40)
{
    QRandomGenerator random(seed);
    const QStringList names = {"Jonas Ashworth", "Mary Ann Holt", QStringLiteral("\u00c9douard"), "Mary //",
                               "Jan /van der Berg/ Jr.", "Maria /Cruz/ /Garcia/", "a/b", "  Ewa   Nowak ",
                               QStringLiteral("\u0141ucja Wa\u0142\u0119sa"), QStringLiteral("\u0410\u043d\u043d\u0430"),
                               QStringLiteral("Karl\u0085Berg"), QStringLiteral("Olof \u0081Berg"), ""};
    const QStringList dates = {"12 MAR 1850", "about 1850", "@#DJULIAN@ 1 MAR 1699/00", "INT 1850 (in  the census)",
                               "in  the   war", "(a  phrase)", "between 1860 and 1850", "12 March 50",
                               QStringLiteral("\u0085 1850"), "", ""};
    const QStringList places = {"Leeds,  Yorkshire", QStringLiteral("\u0141\u00f3d\u017a"), QStringLiteral("a\u0085b"), ""};
    const QStringList notes = {"", "Line one\r\nline two", "  spaced   note  ", "@ at sign", QStringLiteral("x\u0081y\u0085"),
                               QStringLiteral("\u0011\u0085")};
    const auto pick = [&random](const QStringList &from) { return from.at(int(random.bounded(from.size()))); };
    std::vector<CardFields> cards;
    for (int i = 0; i < count; ++i) {
        CardFields card;
        for (int f = 0; f < CardFieldCount; ++f) {
            const QString label = CardText::fieldInWords(CardField(f));
            card[f] = pick(label.endsWith("date") ? dates : label.endsWith("place") ? places
                           : f == int(CardField::Notes)   ? notes
                                                          : names);
        }
        const CardFields earlier = cards.empty() ? card : cards[random.bounded(quint32(cards.size()))];
        if (random.bounded(2)) {
            card[CardField::WifeFather] = earlier[CardField::Name];
            card[CardField::WifeMother] = earlier[CardField::WifeName];
        }
        if (random.bounded(4) == 0)
            CardText::setSpouseFacts(card, Spouse::Husband, CardText::spouseFacts(earlier, Spouse::Husband));
        cards.push_back(card);
    }
    return cards;
}

// A GEDCOM file read back into records, with CONC and CONT lines joined into
// the values they continue and '@@' turned back into '@'.
struct GedNode
{
    int level = 0;
    QString xref;
    QString tag;
    QString value;
    std::vector<GedNode> children;

    const GedNode *child(const QString &t) const
    {
        for (const GedNode &c : children) {
            if (c.tag == t)
                return &c;
        }
        return nullptr;
    }
    QString childValue(const QString &t) const
    {
        const GedNode *c = child(t);
        return c ? c->value : QStringLiteral("<none>");
    }
    QString childValue(const QString &t, const QString &sub) const
    {
        const GedNode *c = child(t);
        return c ? c->childValue(sub) : QStringLiteral("<none>");
    }
    QStringList childValues(const QString &t) const
    {
        QStringList out;
        for (const GedNode &c : children) {
            if (c.tag == t)
                out.append(c.value);
        }
        return out;
    }
};

struct GedFile
{
    std::vector<GedNode> records;
    QString problem; // empty when every line was well formed

    std::vector<const GedNode *> all(const QString &tag) const
    {
        std::vector<const GedNode *> out;
        for (const GedNode &r : records) {
            if (r.tag == tag)
                out.push_back(&r);
        }
        return out;
    }
    const GedNode *byId(const QString &xref) const
    {
        for (const GedNode &r : records) {
            if (r.xref == xref)
                return &r;
        }
        return nullptr;
    }
    // The individual with this NAME value; null when none or several.
    const GedNode *person(const QString &gedcomName) const
    {
        const GedNode *found = nullptr;
        for (const GedNode *r : all(QStringLiteral("INDI"))) {
            if (r->childValue(QStringLiteral("NAME")) == gedcomName) {
                if (found)
                    return nullptr;
                found = r;
            }
        }
        return found;
    }
};

inline GedFile parseGedcom(const QByteArray &bytes)
{
    GedFile file;
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString text = utf8.decode(bytes);
    if (utf8.hasError()) {
        file.problem = QStringLiteral("not valid UTF-8");
        return file;
    }
    if (!text.endsWith(QStringLiteral("\r\n"))) {
        file.problem = QStringLiteral("does not end with CR LF");
        return file;
    }
    QStringList lines = text.split(QStringLiteral("\r\n"));
    lines.removeLast();
    std::vector<GedNode *> stack;
    for (const QString &line : lines) {
        if (line.contains(u'\r') || line.contains(u'\n') || line.toUtf8().size() + 2 > 255) {
            file.problem = QStringLiteral("bad line: ") + line;
            return file;
        }
        GedNode node;
        const qsizetype sp = line.indexOf(u' ');
        node.level = line.left(sp).toInt();
        QString rest = line.mid(sp + 1);
        if (rest.startsWith(u'@')) {
            const qsizetype end = rest.indexOf(u' ');
            node.xref = rest.left(end);
            rest = rest.mid(end + 1);
        }
        const qsizetype tagEnd = rest.indexOf(u' ');
        node.tag = tagEnd < 0 ? rest : rest.left(tagEnd);
        node.value = tagEnd < 0 ? QString() : rest.mid(tagEnd + 1);
        if (!(node.value.startsWith(u'@') && node.value.endsWith(u'@') && !node.value.contains(QStringLiteral("@@"))))
            node.value.replace(QStringLiteral("@@"), QStringLiteral("@"));
        if (sp <= 0 || node.tag.isEmpty() || node.level > int(stack.size())) {
            file.problem = QStringLiteral("bad line: ") + line;
            return file;
        }
        stack.resize(size_t(node.level));
        if (node.level > 0 && (node.tag == QLatin1String("CONC") || node.tag == QLatin1String("CONT"))) {
            GedNode *owner = stack.back();
            owner->value += (node.tag == QLatin1String("CONT") ? QStringLiteral("\n") : QString()) + node.value;
            stack.push_back(owner); // keeps the level count; nothing nests under CONC/CONT
            continue;
        }
        std::vector<GedNode> &siblings = node.level == 0 ? file.records : stack.back()->children;
        siblings.push_back(std::move(node));
        stack.push_back(&siblings.back());
    }
    return file;
}

} // namespace kinfolio::testing
