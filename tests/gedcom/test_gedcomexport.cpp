// Cards to GEDCOM: the mapping, the links between cards, the exact bytes of a
// reference export, and the card files that must not export at all.
#include "gedcomexport.h"
#include "gedcomfixtures.h"
#include "gedcomreader.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using namespace kinfolio;
using namespace kinfolio::testing;
using F = CardField;

namespace {

WrittenGedcom exportCards(const std::vector<CardFields> &cards)
{
    return WrittenGedcom(Gedcom::fromCards(cards));
}

} // namespace

class TestGedcomExport : public QObject
{
    Q_OBJECT
private slots:
    void referenceCardFileExportsByteForByte();
    void emptyCardFileGivesAFileWithoutFamilies();
    void emptyFieldsAreLeftOut();
    void sampleFamilyIsLinkedWithoutDuplicates();
    void onlyAnExactCoupleOfOneOtherCardIsLinked_data();
    void onlyAnExactCoupleOfOneOtherCardIsLinked();
    void hostileCardsGiveValidGedcomAndWarnings();
    void unreadableCardFilesExportNothing_data();
    void unreadableCardFilesExportNothing();
    void outputThatCannotBeWrittenIsReported();
};

void TestGedcomExport::referenceCardFileExportsByteForByte()
{
    // Card file bytes in Windows-1252: 0x80 is the euro sign there, not a
    // control character as in Latin-1.
    const QByteArray cardFile =
        "\"Jonas Ashworth\"\r\n\"3 March 1821\"\r\n\"Leeds\"\r\n\"14 JUN 1846\"\r\n\"Bradford\"\r\n\"\"\r\n\"\"\r\n"
        "\"William Ashworth\"\r\n\"\"\r\n\"Ellen Pryce\"\r\n\"abt 1825\"\r\n\"Wrexham\"\r\n\"winter 1899\"\r\n"
        "\"Leeds\"\r\n\"\"\r\n\"\"\r\n\"Weaver.\r\nPaid 5 \x80 @ week.\"\r\n"
        "\"Thomas Ashworth\"\r\n\"8 AUG 1850\"\r\n\"\"\r\n\"\"\r\n\"\"\r\n\"\"\r\n\"\"\r\n"
        "\"Jonas Ashworth\"\r\n\"Ellen Pryce\"\r\n\"\xC5sa Berg\"\r\n\"\"\r\n\"V\xE4xj\xF6\"\r\n\"\"\r\n\"\"\r\n"
        "\"\"\r\n\"\"\r\n\"\"\r\n"
        "\"\"\r\n\"\"\r\n\"\"\r\n\"\"\r\n\"\"\r\n\"\"\r\n\"\"\r\n\"\"\r\n\"\"\r\n\"Hannah Cole\"\r\n"
        "\"\"\r\n\"\"\r\n\"\"\r\n\"\"\r\n\"\"\r\n\"\"\r\n\"\"\r\n";
    QByteArray expected = QByteArrayLiteral(u8R"GED(0 HEAD
1 SOUR kinfolio-gedcom
2 VERS )GED" KINFOLIO_GEDCOM_VERSION u8R"GED(
2 NAME Kinfolio
1 SUBM @U1@
1 GEDC
2 VERS 5.5.1
2 FORM LINEAGE-LINKED
1 CHAR UTF-8
0 @U1@ SUBM
1 NAME Kinfolio user
0 @I1@ INDI
1 NAME Jonas /Ashworth/
1 SEX M
1 BIRT
2 DATE 3 MAR 1821
2 PLAC Leeds
1 FAMC @F3@
1 FAMS @F1@
0 @I2@ INDI
1 NAME Ellen /Pryce/
1 SEX F
1 BIRT
2 DATE ABT 1825
2 PLAC Wrexham
1 DEAT
2 DATE (winter 1899)
2 PLAC Leeds
1 FAMS @F1@
0 @I3@ INDI
1 NAME Thomas /Ashworth/
1 SEX M
1 BIRT
2 DATE 8 AUG 1850
1 FAMC @F1@
1 FAMS @F2@
0 @I4@ INDI
1 NAME Åsa /Berg/
1 SEX F
1 BIRT
2 PLAC Växjö
1 FAMS @F2@
0 @I5@ INDI
1 NAME Hannah /Cole/
1 SEX F
0 @I6@ INDI
1 NAME William /Ashworth/
1 SEX M
1 FAMS @F3@
0 @F1@ FAM
1 HUSB @I1@
1 WIFE @I2@
1 CHIL @I3@
1 MARR
2 DATE 14 JUN 1846
2 PLAC Bradford
1 NOTE Weaver.
2 CONT Paid 5 € @@ week.
0 @F2@ FAM
1 HUSB @I3@
1 WIFE @I4@
0 @F3@ FAM
1 HUSB @I6@
1 CHIL @I1@
0 TRLR
)GED");
    expected.replace("\n", "\r\n");

    QTemporaryDir dir;
    const QString in = dir.filePath("Kinfolio.dat"), out = dir.filePath("family.ged");
    writeBytes(in, cardFile);
    const Result<Gedcom::ExportCounts> counts = Gedcom::exportCardFile(in, out);
    QVERIFY2(counts, qPrintable(counts.error()));
    QCOMPARE(readBytes(out), expected);
    QCOMPARE(counts->individuals, 6);
    QCOMPARE(counts->families, 3); // Hannah Cole alone
    QCOMPARE(readBytes(in), cardFile); // only read
}

void TestGedcomExport::emptyCardFileGivesAFileWithoutFamilies()
{
    QTemporaryDir dir;
    const QString in = dir.filePath("Kinfolio.dat"), out = dir.filePath("family.ged");
    writeBytes(in, QByteArray());
    const Result<Gedcom::ExportCounts> exported = Gedcom::exportCardFile(in, out);
    QVERIFY2(exported, qPrintable(exported.error()));
    const WrittenGedcom file(readBytes(out));
    QVERIFY2(file.problem.isEmpty(), qPrintable(file.problem));
    QCOMPARE(file.recordTags(), QStringList({"HEAD", "SUBM", "TRLR"}));
    QCOMPARE(file.header().childValue(u"GEDC", u"VERS"), "5.5.1");
    QCOMPARE(file.header().childValue(u"GEDC", u"FORM"), "LINEAGE-LINKED");
    QCOMPARE(file.header().childValue(u"CHAR"), "UTF-8");
    QCOMPARE(file.header().childValue(u"SUBM"), file.all("SUBM").front().xref());
}

void TestGedcomExport::emptyFieldsAreLeftOut()
{
    const QString hannahsNotes = QStringLiteral("Parents unknown; searched the parish registers of ").repeated(8);
    const WrittenGedcom file = exportCards({
        makeCard({{F::Name, "Only Husband"}, {F::BornPlace, "  "}, {F::Father, " "}, {F::Notes, "\r\n "}}),
        CardFields{}, // nothing to export
        makeCard({{F::MarriedDate, "1900"}}),
        // Nameless, but known to be somebody's child.
        makeCard({{F::BornDate, "1870"}, {F::Father, "Some Father"}, {F::WifeName, "Known Wife"}}),
        // Only a wife and notes.
        makeCard({{F::WifeName, "Hannah Cole"}, {F::Notes, hannahsNotes}}),
    });
    QVERIFY2(file.problem.isEmpty(), qPrintable(file.problem));
    QCOMPARE(file.all("FAM").size(), size_t(3));
    QCOMPARE(file.all("INDI").size(), size_t(5));

    // One person and no marriage: that person alone, without a family.
    const auto husband = file.person("Only /Husband/");
    QCOMPARE(husband.childTags(), QStringList({"NAME", "SEX"}));
    const auto hannah = file.person("Hannah /Cole/");
    QCOMPARE(hannah.childValue(u"SEX"), "F");
    QVERIFY(!hannah.child(u"FAMS"));
    QCOMPARE(hannah.childValue(u"NOTE"), hannahsNotes); // split with CONC, read back whole

    const auto marriageOnly = file.record("@F1@");
    QCOMPARE(marriageOnly.childTags(), QStringList{"MARR"});
    QCOMPARE(marriageOnly.childValue(u"MARR", u"DATE"), "1900");

    const auto wife = file.person("Known /Wife/");
    const auto nameless = file.record(file.record(wife.childValue(u"FAMS")).childValue(u"HUSB"));
    QVERIFY(nameless && !nameless.child(u"NAME"));
    QCOMPARE(nameless.childValue(u"BIRT", u"DATE"), "1870");
    QCOMPARE(file.nameOf(file.parentsOf(nameless).childValue(u"HUSB")), "Some /Father/");
}

void TestGedcomExport::sampleFamilyIsLinkedWithoutDuplicates()
{
    Gedcom::ExportCounts counts;
    const QByteArray bytes = Gedcom::fromCards(sampleFamily(), &counts);
    const WrittenGedcom file(bytes);
    QVERIFY2(file.problem.isEmpty(), qPrintable(file.problem));
    QCOMPARE(int(file.all("INDI").size()), sampleFamilyIndividuals);
    QCOMPARE(int(file.all("FAM").size()), sampleFamilyFamilies);
    QCOMPARE(counts.individuals, sampleFamilyIndividuals);
    QCOMPARE(counts.families, sampleFamilyFamilies);

    // Each person once (person() is none for a duplicate), linked upwards
    // over four generations, on the husband's side and on the wife's.
    const auto arthur = file.person("Arthur /Ashworth/"), edward = file.person("Edward /Ashworth/");
    const auto thomas = file.person("Thomas /Ashworth/"), jonas = file.person("Jonas /Ashworth/");
    const auto ellen = file.person("Ellen /Pryce/"), elsa = file.person("Elsa /Dahlberg/");
    QVERIFY(arthur && edward && thomas && jonas && ellen && elsa && file.person("Margaret /Ashworth/"));
    QCOMPARE(file.parentsOf(arthur).childValue(u"HUSB"), edward.xref());
    QCOMPARE(file.parentsOf(arthur).childValue(u"WIFE"), elsa.xref());
    QCOMPARE(file.parentsOf(edward).childValue(u"HUSB"), thomas.xref());
    QCOMPARE(file.parentsOf(edward).childValue(u"WIFE"), file.person("Sarah /Whitfield/").xref());
    QCOMPARE(file.parentsOf(thomas).xref(), jonas.childValue(u"FAMS"));
    QCOMPARE(file.parentsOf(thomas).childValue(u"WIFE"), ellen.xref());
    QCOMPARE(file.nameOf(file.parentsOf(elsa).childValue(u"HUSB")), "Henrik /Dahlberg/");
    QCOMPARE(file.nameOf(file.parentsOf(jonas).childValue(u"HUSB")), "William /Ashworth/");
    QCOMPARE(file.nameOf(file.parentsOf(ellen).childValue(u"WIFE")), "Ann /Lloyd/");
    QCOMPARE(file.nameOf(file.parentsOf(file.person("Sarah /Whitfield/")).childValue(u"HUSB")),
             "John /Whitfield/");

    // Brother and sister on two cards, one as husband, one as wife.
    QStringList children;
    for (const QString &c : file.parentsOf(thomas).childValues(u"CHIL"))
        children << file.nameOf(c);
    QCOMPARE(children, QStringList({"Thomas /Ashworth/", "Margaret /Ashworth/"}));

    // A father without a mother still gets a parents' family.
    const auto george = file.person("George /Lister/");
    QCOMPARE(file.nameOf(file.parentsOf(george).childValue(u"HUSB")), "Robert /Lister/");
    QVERIFY(!file.parentsOf(george).child(u"WIFE"));

    QCOMPARE(jonas.childValue(u"SEX"), "M");
    QCOMPARE(file.record(jonas.childValue(u"FAMS")).childValue(u"MARR", u"DATE"), "14 JUN 1846");
    QCOMPARE(file.record(jonas.childValue(u"FAMS")).childValue(u"NOTE"),
             QString(sampleFamily()[0][F::Notes]).replace("\r\n", "\n"));
    QCOMPARE(edward.childValue(u"BIRT", u"DATE"), "ABT 1878");
    QCOMPARE(edward.childValue(u"DEAT", u"PLAC"), "in the war");
    QCOMPARE(file.record(edward.childValue(u"FAMS")).childValue(u"MARR", u"DATE"), "JUN 1902");
    QCOMPARE(file.person(QStringLiteral("Henrik /Dahlberg/")).childValue(u"BIRT", u"PLAC"),
             QStringLiteral("V\u00e4xj\u00f6, Sweden"));

    QCOMPARE(Gedcom::fromCards(sampleFamily()), bytes); // deterministic
}

void TestGedcomExport::onlyAnExactCoupleOfOneOtherCardIsLinked_data()
{
    QTest::addColumn<std::vector<CardFields>>("others");
    QTest::addColumn<QString>("father");
    QTest::addColumn<QString>("mother");
    QTest::addColumn<int>("individuals");
    QTest::addColumn<int>("families");

    const CardFields couple = makeCard({{F::Name, "Jonas Ashworth"}, {F::WifeName, "Ellen Pryce"}});
    const std::vector<CardFields> one{couple};
    QTest::newRow("exact names") << one << "Jonas Ashworth" << "Ellen Pryce" << 3 << 1;
    QTest::newRow("case differs") << one << "Jonas ashworth" << "Ellen Pryce" << 5 << 2;
    QTest::newRow("trailing space") << one << "Jonas Ashworth " << "Ellen Pryce" << 5 << 2;
    QTest::newRow("swapped") << one << "Ellen Pryce" << "Jonas Ashworth" << 5 << 2;
    QTest::newRow("father only") << one << "Jonas Ashworth" << "" << 4 << 2;
    QTest::newRow("father only, card of him alone")
        << std::vector<CardFields>{makeCard({{F::Name, "Jonas Ashworth"}})} << "Jonas Ashworth" << "" << 2 << 1;
    // Two cards of one couple's names, with nothing else, are one couple
    // twice; the child's parents are neither, but a family of the child's own.
    QTest::newRow("two cards of that couple")
        << std::vector<CardFields>{couple, couple} << "Jonas Ashworth" << "Ellen Pryce" << 5 << 3;
    // Brothers whose parents have no card of their own: one family of both.
    QTest::newRow("no card of the parents")
        << std::vector<CardFields>{makeCard({{F::Name, "Brother Dahlberg"}, {F::Father, "Anders Dahlberg"},
                                             {F::Mother, "Brita Nilsdotter"}})}
        << "Anders Dahlberg" << "Brita Nilsdotter" << 4 << 1;
}

void TestGedcomExport::onlyAnExactCoupleOfOneOtherCardIsLinked()
{
    QFETCH(std::vector<CardFields>, others);
    QFETCH(QString, father);
    QFETCH(QString, mother);
    QFETCH(int, individuals);
    QFETCH(int, families);

    std::vector<CardFields> cards = others;
    cards.push_back(makeCard({{F::Name, "Child Person"}, {F::Father, father}, {F::Mother, mother}}));
    const WrittenGedcom file = exportCards(cards);
    QVERIFY2(file.problem.isEmpty(), qPrintable(file.problem));
    QVERIFY(file.parentsOf(file.person("Child /Person/")));
    QCOMPARE(int(file.all("INDI").size()), individuals);
    QCOMPARE(int(file.all("FAM").size()), families);
}

void TestGedcomExport::hostileCardsGiveValidGedcomAndWarnings()
{
    Gedcom::ExportCounts counts;
    const QByteArray bytes = Gedcom::fromCards(hostileCards(), &counts);
    const WrittenGedcom file(bytes);
    QVERIFY2(file.problem.isEmpty(), qPrintable(file.problem));

    // Limited values fit (CONC would make them longer in the reader), with
    // the whole text in a note beside them; a NAME marks one surname at most.
    const Gedcom::GedcomFile &read = file.read();
    QStringList notes;
    for (qsizetype i = 0; i < read.lineCount(); ++i) {
        const Gedcom::GedcomLine l = read.at(i);
        const int limit = l.tag == "DATE" ? 35 : l.tag == "NAME" || l.tag == "PLAC" ? 120 : -1;
        QVERIFY2(limit < 0 || l.value.toUcs4().size() <= limit, qPrintable(l.value));
        QVERIFY2(l.tag != "NAME" || l.value.count(u'/') % 2 == 0, qPrintable(l.value));
        if (l.tag == "NOTE")
            notes << (l.pointer ? read.at(read.record(l.value)).value : l.value);
    }
    for (const QString &whole : {QStringLiteral("Mary /") + QString(130, u'L') + "/", hostileCards()[2][F::BornPlace],
                                 QStringLiteral("Given ").repeated(30) + "/Last/",
                                 QStringLiteral("(in the great war of the eighteen hundreds)"),
                                 QStringLiteral("BET 29 SEP 1699/00 AND 30 SEP 1700/01")})
        QVERIFY2(notes.contains(whole), qPrintable(whole));

    QVERIFY(file.person(QStringLiteral("a\u2044b")));
    QVERIFY(file.person(QStringLiteral("Name / with / slashes \u2044")));
    // A note that begins with '@' is a record of its own.
    const auto first = file.record(file.person(QStringLiteral("a\u2044b")).childValue(u"FAMS"));
    QCOMPARE(file.record(first.childValue(u"NOTE")).value(), "@ at @@ sign");
    QCOMPARE(file.record(first.childValue(u"NOTE")).tag(), "NOTE");

    const auto reversed = file.person("Reversed");
    QCOMPARE(reversed.childValue(u"BIRT", u"DATE"), "(between 1860 and 1850)");
    QCOMPARE(reversed.childValue(u"DEAT", u"DATE"), "(FROM 1900 TO 1899)");
    QCOMPARE(file.record(reversed.childValue(u"FAMS")).childValue(u"MARR", u"DATE"), "BET MAR 1850 AND 1850");
    const QString warnings = counts.warnings.join(u'\n');
    for (const char *w : {"card 4: the husband's birth date is a range that ends before it begins",
                          "card 4: the husband's death date is a range",
                          "card 3: the husband's birth place is longer than GEDCOM allows",
                          "card 6: the husband's parents are the couple of card 5"})
        QVERIFY2(warnings.contains(w), qPrintable(warnings));
    QCOMPARE(counts.warnings.size(), 8);

    // The loop is cut where it closes: Cain's parents are not Adam's card
    // (@F5@) but a family of their own, so Adam is there a second time.
    const auto cain = file.person("Cain /Loop/");
    QVERIFY(cain && !file.person("Adam /Loop/"));
    QVERIFY(file.parentsOf(cain).xref() != "@F5@");
    QCOMPARE(file.nameOf(file.parentsOf(cain).childValue(u"HUSB")), "Adam /Loop/");
}

void TestGedcomExport::unreadableCardFilesExportNothing_data()
{
    QTest::addColumn<QString>("cardFile");
    QTest::addColumn<QString>("message");
    QTest::newRow("missing") << "absent.dat" << "does not exist";
    QTest::newRow("folder") << "folder" << "is a folder";
    QTest::newRow("cut short inside a card") << "cut.dat" << "is damaged: card 3 is incomplete";
    QTest::newRow("quote never closed") << "open.dat" << "is damaged: card 1 is incomplete";
}

void TestGedcomExport::unreadableCardFilesExportNothing()
{
    QFETCH(QString, cardFile);
    QFETCH(QString, message);
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir("folder"));
    const QByteArray full = cardFileBytes(sampleFamily());
    writeBytes(dir.filePath("cut.dat"), full.left(full.indexOf("\"Thomas Ashworth\"") + 60));
    writeBytes(dir.filePath("open.dat"), "\"Jonas\r\n\"1850\r\n\"Leeds");

    // An earlier export stays as it was.
    const QString out = dir.filePath("family.ged");
    writeBytes(out, "earlier export");
    const QStringList before = QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);

    const Result<Gedcom::ExportCounts> exported = Gedcom::exportCardFile(dir.filePath(cardFile), out);
    const QString error = exported.error();
    QVERIFY(!exported);
    QVERIFY2(error.contains(message) && error.contains(cardFile), qPrintable(error));
    QCOMPARE(readBytes(out), QByteArray("earlier export"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), before);
}

void TestGedcomExport::outputThatCannotBeWrittenIsReported()
{
    QTemporaryDir dir;
    const QString in = dir.filePath("Kinfolio.dat");
    writeCardFile(in, sampleFamily());
    const QByteArray cards = readBytes(in);

    const Result<Gedcom::ExportCounts> noFolder = Gedcom::exportCardFile(in, dir.filePath("missing/family.ged"));
    QVERIFY(!noFolder);
    QVERIFY2(noFolder.error().contains("missing/family.ged could not be written"), qPrintable(noFolder.error()));

    // The card file named as the output, by another spelling of its path.
    const Result<Gedcom::ExportCounts> itself = Gedcom::exportCardFile(in, dir.path() + "/./Kinfolio.dat");
    QVERIFY(!itself);
    QVERIFY2(itself.error().contains("is the card file itself"), qPrintable(itself.error()));
    QCOMPARE(readBytes(in), cards);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList({"Kinfolio.dat"}));
}

QTEST_GUILESS_MAIN(TestGedcomExport)
#include "test_gedcomexport.moc"
