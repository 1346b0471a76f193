// What the printed pages hold, without painting: the children of each sheet,
// the ancestors of a chart, the years in its boxes, and how a long sheet
// goes on over pages.
#include "cardfiles.h"
#include "family/cardtext.h"
#include "sheetlayout.h"

#include <QTest>

using namespace kinfolio;
using namespace kinfolio::Sheets;
using namespace kinfolio::testing;

namespace {

// Every character 6 points wide: pages and lines can be counted by hand.
const TextWidth sixPoints = [](const QString &s) { return 6.0 * double(s.size()); };

// The sample family, and a stranger whose parents' names differ from
// Thomas's couple in case only.
std::vector<CardFields> familyAndStranger()
{
    std::vector<CardFields> cards = sampleFamily();
    cards.push_back(makeCard({{CardField::Name, "Nils Berg"}, {CardField::Father, "Thomas Ashworth"},
                              {CardField::Mother, "sarah whitfield"}}));
    return cards;
}

} // namespace

class TestSheetLayout : public QObject
{
    Q_OBJECT
private slots:
    void childrenAreOnTheirParentsSheetAndNowhereElse();
    void namesAreShownWithoutTheirSurnameMarks();
    void chartReachesTheGreatGrandparentsAsFarAsTheCardsGo();
    void chartYears_data();
    void chartYears();
    void longSheetGoesOnOverPagesWithNothingLost();
};

void TestSheetLayout::childrenAreOnTheirParentsSheetAndNowhereElse()
{
    const std::vector<CardFields> cards = familyAndStranger();
    const CardLinks links(cards);
    // Margaret, on a later card, was born first. Children stand on the
    // husband's side or on the wife's; the stranger is nobody's.
    const QList<QStringList> expected = {{"Margaret Ashworth", "Thomas Ashworth"},
                                         {"Sarah Whitfield"},
                                         {"Edward Ashworth"},
                                         {"Elsa Dahlberg"},
                                         {},
                                         {"Arthur Ashworth"},
                                         {},
                                         {},
                                         {}};
    QCOMPARE(int(cards.size()), int(expected.size()));
    for (int c = 0; c < int(cards.size()); ++c) {
        QStringList names;
        for (const Child &child : familySheet(cards, links, c).children)
            names << child.name;
        QCOMPARE(names, expected[c]);
    }
    const FamilySheet jonas = familySheet(cards, links, 0);
    const Child &margaret = jonas.children[0];
    QCOMPARE(margaret.card, 4);
    QVERIFY(margaret.side == Spouse::Wife);
    QCOMPARE(margaret.spouse, QStringLiteral("George Lister"));
    QCOMPARE(margaret.bornDate, QStringLiteral("15 SEP 1848"));
    QCOMPARE(margaret.marriedDate, QStringLiteral("2 FEB 1870"));
    const FamilySheet henrik = familySheet(cards, links, 3);
    const Child &elsa = henrik.children[0];
    QVERIFY(elsa.side == Spouse::Wife);
    QCOMPARE(elsa.diedDate + ", " + elsa.diedPlace, QStringLiteral("1958, Leeds"));
    QCOMPARE(familySheet(cards, links, 2).husband.parentsCard, 0);
    QCOMPARE(jonas.husband.parentsCard, -1);
    QCOMPARE(jonas.husband.father, QStringLiteral("William Ashworth"));

    // Thomas married again: one son on his parents' sheet, shown by his first
    // card; and a second card of Jonas's couple leaves them no children.
    std::vector<CardFields> more = cards;
    CardFields again = cards[2];
    again[CardField::WifeName] = QStringLiteral("Ann Kemp");
    more.push_back(again);
    QCOMPARE(familySheet(more, CardLinks(more), 0).children.size(), size_t(2));
    more.push_back(cards[0]);
    QVERIFY(familySheet(more, CardLinks(more), 0).children.empty());
}

void TestSheetLayout::namesAreShownWithoutTheirSurnameMarks()
{
    // The card keeps the slashes of a surname of several words; a reader
    // sees the name without them. A slash inside a word is part of it.
    const std::vector<CardFields> cards = {
        makeCard({{CardField::Name, "Jan /van der Berg/ Jr."}, {CardField::WifeName, "Mary Ann //"}}),
        makeCard({{CardField::Name, "a/b  /Holt/"}, {CardField::Father, "Jan /van der Berg/ Jr."},
                  {CardField::Mother, "Mary Ann //"}, {CardField::WifeName, "Beile /Hochman/ /Elizafan/"}})};
    const CardLinks links(cards);
    const FamilySheet parents = familySheet(cards, links, 0);
    QCOMPARE(parents.husband.name, "Jan van der Berg Jr.");
    QCOMPARE(parents.wife.name, "Mary Ann");
    QCOMPARE(parents.children.at(0).name, "a/b Holt");
    QCOMPARE(parents.children.at(0).spouse, "Beile Hochman Elizafan");
    const PedigreeChart chart = pedigreeChart(cards, links, 1);
    QCOMPARE(chart.husband[2].name, "Jan van der Berg Jr.");
    QCOMPARE(chart.husband[3].name, "Mary Ann");
}

void TestSheetLayout::chartReachesTheGreatGrandparentsAsFarAsTheCardsGo()
{
    const std::vector<CardFields> cards = sampleFamily();
    const PedigreeChart chart = pedigreeChart(cards, CardLinks(cards), 5);
    // Edward's line by the genealogists' numbers; John Whitfield's card names
    // no parents, so 12 to 15 stay empty. His wife Elsa's branch reaches her
    // grandparents, whom no card links further.
    const QStringList husband = {"",           "Edward Ashworth",  "Thomas Ashworth", "Sarah Whitfield",
                                 "Jonas Ashworth", "Ellen Pryce",  "John Whitfield",  "Martha Crabtree",
                                 "William Ashworth", "Mary Holt",  "Owen Pryce",      "Ann Lloyd",
                                 "",           "",                 "",                ""};
    const QStringList wife = {"",     "Elsa Dahlberg",   "Henrik Dahlberg", "Karin Lindqvist", "Anders Dahlberg",
                              "Brita Nilsdotter", "Per Lindqvist", "Ingrid Olsdotter", "", "", "", "", "", "", "", ""};
    for (int n = 1; n < ChartSlots; ++n) {
        QCOMPARE(chart.husband[size_t(n)].name, husband[n]);
        QCOMPARE(chart.wife[size_t(n)].name, wife[n]);
    }
    QCOMPARE(chart.husband[4].card, 0);
    QCOMPARE(chart.husband[4].lifespan, QStringLiteral("1821 \u2013 1890"));
    QCOMPARE(chart.husband[3].lifespan, QStringLiteral("1853 \u2013 1934"));
    QCOMPARE(chart.husband[6].card, 1);
    QCOMPARE(chart.husband[8].card, -1);
    QCOMPARE(chart.husband[8].namedOn, 0);
    QCOMPARE(chart.wife[2].lifespan, QStringLiteral("c. 1848 \u2013 1915"));
}

void TestSheetLayout::chartYears_data()
{
    QTest::addColumn<QString>("born");
    QTest::addColumn<QString>("died");
    QTest::addColumn<QString>("shown");
    QTest::newRow("both years") << "3 MAR 1821" << "1890-11-09" << "1821 \u2013 1890";
    QTest::newRow("numeric date, dual year") << "03/04/1699/00" << "" << "b. 1699";
    QTest::newRow("rough dates say so") << "abt. 1825" << "bef 1900" << "c. 1825 \u2013 bef. 1900";
    QTest::newRow("no year: kept as written") << "" << " in  the war " << "d. in the war";
    QTest::newRow("nothing") << " " << "" << "";
}

void TestSheetLayout::chartYears()
{
    QFETCH(QString, born);
    QFETCH(QString, died);
    QFETCH(QString, shown);
    QCOMPARE(CardText::lifespan(born, died), shown);
}

void TestSheetLayout::longSheetGoesOnOverPagesWithNothingLost()
{
    FamilySheet sheet;
    sheet.children.resize(20);
    QStringList paragraphs;
    for (int i = 0; i < 90; ++i)
        paragraphs << QStringLiteral("Note %1: searched the registers of St. Mary without a result.").arg(i);
    // Runs without a space: one far longer than a page, then letters of two
    // characters each (an accent, beyond 16 bits) after one of one.
    paragraphs << QString() << QString(300, u'X') << QString(100000, u'W')
               << u'x' + QStringLiteral("e\u0301").repeated(300)
               << u'x' + QString::fromUcs4(U"\U00013000").repeated(300) << QStringLiteral("\tthe end");
    sheet.notes = paragraphs.join(QStringLiteral("\r\n"));

    for (Paper paper : {Paper::A4, Paper::Letter}) {
        const PageFrame frame = PageFrame::of(paper);
        const double width = frame.body.width() - 2 * SheetMetrics::NoteIndent;
        const double bottom = frame.body.bottom() - SheetMetrics::FooterHeight;
        const std::vector<SheetPage> pages = layOutSheet(sheet, frame, sixPoints);
        QVERIFY(pages.size() >= 3);
        QCOMPARE(pages[0].sections[0].kind, SheetSection::Couple);

        int nextChild = 0;
        QStringList lines;
        for (const SheetPage &page : pages) {
            for (const SheetSection &s : page.sections) {
                double height = SheetMetrics::HeadingHeight;
                if (s.kind == SheetSection::Children) {
                    QCOMPARE(s.firstChild, nextChild);
                    QCOMPARE(s.continued, nextChild > 0);
                    nextChild += s.childCount;
                    height += s.childCount * SheetMetrics::ChildRows * SheetMetrics::ChildRowHeight;
                } else if (s.kind == SheetSection::Notes) {
                    QCOMPARE(s.continued, !lines.isEmpty());
                    QVERIFY(!s.lines.isEmpty());
                    lines << s.lines;
                    height += s.lines.size() * SheetMetrics::NoteLineHeight;
                } else {
                    continue;
                }
                QVERIFY2(s.top + height <= bottom, qPrintable(QStringLiteral("section at %1").arg(s.top)));
            }
        }
        QCOMPARE(nextChild, 20);
        // Every line fits, and no character of the notes is lost on the way.
        for (const QString &line : lines) {
            QVERIFY2(sixPoints(line) <= width, qPrintable(line));
            QVERIFY(line.isEmpty() || !(line.front().isMark() || line.front().isLowSurrogate()));
        }
        QCOMPARE(lines.join(QString()).remove(u' '), QString(sheet.notes).remove(QRegularExpression("\\s")));
        QVERIFY(lines.contains(QString()));
    }
}

QTEST_GUILESS_MAIN(TestSheetLayout)
#include "test_sheetlayout.moc"
