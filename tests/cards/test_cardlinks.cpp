// The family rule the export, the sheets and the site share: which cards are
// whose parents, who is one person, and which links a loop leaves out.
#include "family/cardlinks.h"

#include <QTest>

using namespace kinfolio;

namespace {

// "husband;his father;his mother;wife": the fields a link is made of.
std::vector<CardFields> cardsOf(const QStringList &lines)
{
    std::vector<CardFields> cards;
    for (const QString &line : lines) {
        const QStringList f = line.split(u';');
        CardFields card;
        card[CardField::Name] = f.value(0);
        card[CardField::Father] = f.value(1);
        card[CardField::Mother] = f.value(2);
        card[CardField::WifeName] = f.value(3);
        cards.push_back(card);
    }
    return cards;
}

} // namespace

class TestCardLinks : public QObject
{
    Q_OBJECT
private slots:
    void linksFollowExactNamesAndNothingWeaker_data()
    {
        QTest::addColumn<QStringList>("cards");
        QTest::addColumn<QList<int>>("parents"); // each husband's parents' card, or -1
        QTest::addColumn<QList<int>>("named");   // each husband's parents no card holds, or -1
        QTest::addColumn<int>("people");
        QTest::addColumn<int>("leftOut");
        QTest::newRow("the couple of another card") << QStringList{"John;;;Mary", "Tom;John;Mary;Ann"}
                                                    << QList<int>{-1, 0} << QList<int>{-1, -1} << 4 << 0;
        QTest::newRow("a card naming its own couple") << QStringList{"Tom;Tom;Ann;Ann"} << QList<int>{-1}
                                                      << QList<int>{-1} << 2 << 0;
        QTest::newRow("two cards of the couple: neither")
            << QStringList{"John;;;Mary", "John;;;Mary", "Tom;John;Mary;Ann"} << QList<int>{-1, -1, -1}
            << QList<int>{-1, -1, -1} << 4 << 0;
        QTest::newRow("names no card holds: one couple for all")
            << QStringList{"Tom;John;Mary;Ann", "Sam;John;Mary;Eve"} << QList<int>{-1, -1} << QList<int>{0, 0} << 4
            << 0;
        QTest::newRow("a name that differs by a letter") << QStringList{"John;;;Mary", "Tom;Jon;Mary;Ann"}
                                                         << QList<int>{-1, -1} << QList<int>{-1, 0} << 4 << 0;
        QTest::newRow("a loop: the link met last is left out")
            << QStringList{"A;B;Bw;Aw", "B;A;Aw;Bw"} << QList<int>{1, -1} << QList<int>{-1, -1} << 4 << 1;
    }
    void linksFollowExactNamesAndNothingWeaker()
    {
        QFETCH(QStringList, cards);
        QFETCH(QList<int>, parents);
        QFETCH(QList<int>, named);
        QFETCH(int, people);
        QFETCH(int, leftOut);
        const CardLinks links(cardsOf(cards));
        QList<int> parentsFound, namedFound;
        for (int card = 0; card < cards.size(); ++card) {
            parentsFound << links.parentsCard(card, Spouse::Husband);
            namedFound << links.namedParents(card, Spouse::Husband);
        }
        QCOMPARE(parentsFound, parents);
        QCOMPARE(namedFound, named);
        QCOMPARE(links.personCount(), people);
        QCOMPARE(int(links.leftOut().size()), leftOut);
        // A child is listed under the parents' card once, at its first place.
        for (int card = 0; card < cards.size(); ++card) {
            if (parents[card] >= 0)
                QCOMPARE(links.children(parents[card]).front().card, card);
        }
    }
};

QTEST_GUILESS_MAIN(TestCardLinks)
#include "test_cardlinks.moc"
