// GEDCOM to cards: the way back from the export, a file Gramps wrote,
// character sets, damaged and hostile files, and a large tree.
#include "gedcomexport.h"
#include "gedcomfixtures.h"
#include "gedcomimport.h"
#include "gedcomreader.h"
#include "gedcomvalues.h"

#include <QElapsedTimer>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

using namespace kinfolio;
using namespace kinfolio::testing;
using F = CardField;

namespace {

QByteArray gedcom(const QByteArray &records, const QByteArray &charset = "UTF-8")
{
    return "0 HEAD\r\n1 GEDC\r\n2 VERS 5.5.1\r\n1 CHAR " + charset + "\r\n" + records + "0 TRLR\r\n";
}

std::vector<CardFields> importBytes(const QByteArray &bytes, Gedcom::ImportCounts *counts, QString *error)
{
    Gedcom::GedcomFile file;
    if (!file.read(bytes, error))
        return {};
    return Gedcom::toCards(file, counts);
}

const CardFields *cardOf(const std::vector<CardFields> &cards, F field, const QString &value)
{
    for (const CardFields &card : cards) {
        if (card[field] == value)
            return &card;
    }
    return nullptr;
}

} // namespace

class TestGedcomImport : public QObject
{
    Q_OBJECT
private slots:
    void exportedCardsComeBackAndExportTheSame_data();
    void exportedCardsComeBackAndExportTheSame();
    void grampsSampleBecomesCardsWithEverybodyNamed();
    void characterSets_data();
    void characterSets();
    void damagedAndHostileFiles_data();
    void damagedAndHostileFiles();
    void largeTreeImportsQuickly();
};

void TestGedcomImport::exportedCardsComeBackAndExportTheSame_data()
{
    QTest::addColumn<std::vector<CardFields>>("cards");
    QTest::addColumn<bool>("sameButDates"); // the cards come back with only the dates converted
    QTest::newRow("three generations") << threeGenerationCards() << true;
    QTest::newRow("people known only in part")
        << std::vector<CardFields>{makeCard({{F::MarriedDate, "1900"}, {F::Notes, "\r\nfirst line empty"}}),
                                   makeCard({{F::BornDate, "1870"}, {F::Father, "Some Father"},
                                             {F::WifeName, "Known Wife"}, {F::WifeMother, "Her Mother"}}),
                                   makeCard({{F::Name, "Jan /van der Berg/"}, {F::WifeName, "Mary //"}})}
        << true;
    QTest::newRow("hostile cards") << hostileCards() << false;
}

void TestGedcomImport::exportedCardsComeBackAndExportTheSame()
{
    QFETCH(std::vector<CardFields>, cards);
    QFETCH(bool, sameButDates);
    const QByteArray exported = Gedcom::fromCards(cards);
    QString error;
    Gedcom::ImportCounts counts;
    const std::vector<CardFields> imported = importBytes(exported, &counts, &error);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    QVERIFY2(counts.warnings.isEmpty(), qPrintable(counts.warnings.join('\n')));
    QCOMPARE(imported.size(), cards.size());
    QCOMPARE(counts.personCards, 0);
    QCOMPARE(Gedcom::fromCards(imported), exported);
    if (!sameButDates)
        return;
    for (size_t i = 0; i < cards.size(); ++i) {
        for (F f : {F::BornDate, F::MarriedDate, F::DiedDate, F::WifeBornDate, F::WifeDiedDate})
            cards[i][f] = Gedcom::date(cards[i][f]);
        for (int f = 0; f < CardFieldCount; ++f)
            QVERIFY2(imported[i][f] == cards[i][f], qPrintable(QStringLiteral("card %1 field %2: %3")
                                                                   .arg(i + 1)
                                                                   .arg(f)
                                                                   .arg(imported[i][f])));
    }
}

void TestGedcomImport::grampsSampleBecomesCardsWithEverybodyNamed()
{
    const QString sample = QStringLiteral("/usr/share/doc/gramps/example/gedcom/sample.ged");
    if (!QFile::exists(sample))
        QSKIP("Gramps' sample file is missing (Debian package gramps)");
    Gedcom::GedcomFile file;
    QString error;
    QVERIFY2(file.read(readBytes(sample), &error), qPrintable(error));
    Gedcom::ImportCounts counts;
    const std::vector<CardFields> cards = Gedcom::toCards(file, &counts);
    QVERIFY2(counts.warnings.isEmpty(), qPrintable(counts.warnings.join('\n')));
    QCOMPARE(QList<int>({counts.people, counts.families, counts.familyCards, counts.personCards, int(cards.size())}),
             QList<int>({42, 15, 15, 13, 28}));
    QCOMPARE(counts.leftOut.value("SOUR"), 3); // citations, besides the 4 source records

    // Every person named in the file is on a card, as a spouse or a parent.
    QSet<QString> named;
    for (const CardFields &card : cards) {
        for (F f : {F::Name, F::Father, F::Mother, F::WifeName, F::WifeFather, F::WifeMother})
            named.insert(card[f]);
    }
    for (qsizetype i = 0; i < qsizetype(file.lines().size()); i = file.at(i).end) {
        const QString name = file.childValue(i, u"NAME");
        if (file.at(i).tag == "INDI")
            QVERIFY2(named.contains(QString(name).remove('/')) || named.contains(name), qPrintable(name));
    }

    // The surname is not the last word: the slashes stay, so an export keeps it.
    const CardFields *gustaf = cardOf(cards, F::Name, "Gustaf /Smith/ Sr.");
    QVERIFY(gustaf);
    QCOMPARE((*gustaf)[F::WifeBornPlace], QStringLiteral("L\u00f6derup, Malm\u00f6hus L\u00e4n, Sweden"));
    QCOMPARE((*gustaf)[F::MarriedDate] + ", " + (*gustaf)[F::Father], "27 NOV 1885, Martin Smith");
    // A note by reference, continued inside a word, under the name of whose it is.
    const CardFields *martin = cardOf(cards, F::WifeName, "Kerstina Hansdotter");
    QVERIFY((*martin)[F::Notes].startsWith("Martin Smith:\r\nBIOGRAPHY\r\nMartin was listed as being a Husman, "
                                           "(owning a house as opposed to a farm) in the house"));
    // A person in no family has a card of their own, as wife when female.
    QCOMPARE((*cardOf(cards, F::Name, "Keith Lloyd Smith"))[F::Father], "Lloyd Smith");
    QCOMPARE((*cardOf(cards, F::WifeName, "Amber Marie Smith"))[F::WifeMother], "Janice Ann Adams");
}

void TestGedcomImport::characterSets_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("name"); // the card's name, or the error
    QTest::addColumn<int>("replaced");
    const QByteArray utf8 = "0 @I1@ INDI\r\n1 NAME \xC3\x85sa /L\xC3\xB6" "f/\r\n";
    const QString asa = QStringLiteral("\u00c5sa L\u00f6f");
    QTest::newRow("UTF-8") << gedcom(utf8) << asa << 0;
    QTest::newRow("UTF-8, byte-order mark") << "\xEF\xBB\xBF" + gedcom(utf8) << asa << 0;
    QTest::newRow("ASCII that is UTF-8") << gedcom(utf8, "ASCII") << asa << 0;
    QTest::newRow("ANSI") << gedcom("0 @I1@ INDI\r\n1 NAME \xC5sa /L\xF6" "f/\r\n", "ANSI") << asa << 0;
    QTest::newRow("ANSEL diacritics") << gedcom("0 @I1@ INDI\r\n1 NAME \xEA" "Asa /L\xE8of/\r\n", "ANSEL") << asa << 0;
    QTest::newRow("ANSEL letters") << gedcom("0 @I1@ INDI\r\n1 NAME \xA2ster /\xB1\xB5/\r\n", "ANSEL")
                                   << QStringLiteral("\u00d8ster \u0142\u00e6") << 0;
    const QString text = QString::fromUtf8(gedcom(utf8, "UNICODE"));
    QTest::newRow("UNICODE") << "\xFF\xFE" + QByteArray(reinterpret_cast<const char *>(text.utf16()), text.size() * 2)
                             << asa << 0;
    QTest::newRow("outside the code page") << gedcom("0 @I1@ INDI\r\n1 NAME \xCE\xA9mega \xF0\x9F\x8C\xB3 /Z/\r\n")
                                           << QString::fromUtf8("\u03a9mega \U0001F333 Z") << 0;
    QTest::newRow("unknown") << gedcom(utf8, "IBMPC") << "character set (CHAR IBMPC) is not one the import reads" << 0;
}

void TestGedcomImport::characterSets()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, name);
    QFETCH(int, replaced);
    Gedcom::ImportCounts counts;
    QString error;
    const std::vector<CardFields> cards = importBytes(bytes, &counts, &error);
    QCOMPARE(cards.empty() ? error.left(name.size() + 4).mid(4) : cards.at(0)[F::Name], name);
    QCOMPARE(counts.replaced, replaced);
}

void TestGedcomImport::damagedAndHostileFiles_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("message"); // the error, or a warning when cards are made
    QTest::addColumn<int>("cards");
    const QByteArray adamAndCain = "0 @I1@ INDI\r\n1 NAME Adam\r\n1 FAMC @F1@\r\n0 @I2@ INDI\r\n1 NAME Cain\r\n"
                                   "1 FAMC @F2@\r\n0 @F1@ FAM\r\n1 HUSB @I2@\r\n1 CHIL @I1@\r\n"
                                   "0 @F2@ FAM\r\n1 HUSB @I1@\r\n1 CHIL @I2@\r\n";
    QTest::newRow("not GEDCOM") << QByteArray("Dear cousin,\r\nthe tree is attached.\r\n")
                                << "not a GEDCOM file: its first line \"Dear cousin,\"" << 0;
    QTest::newRow("empty") << QByteArray() << "not a GEDCOM file: it is empty" << 0;
    QTest::newRow("cut short") << gedcom("0 @I1@ INDI\r\n1 NAME A /B/\r\n").chopped(8)
                               << "cut short: it ends at line 6 without the trailer line 0 TRLR" << 0;
    QTest::newRow("level skipped") << gedcom("0 @I1@ INDI\r\n2 NAME A\r\n") << "level 2 under a line of level 0" << 0;
    QTest::newRow("line without level") << gedcom("0 @I1@ INDI\r\nNAME A\r\n") << "line 6 is not a GEDCOM line" << 0;
    QTest::newRow("link to nobody") << gedcom("0 @F1@ FAM\r\n1 HUSB @I9@\r\n1 MARR\r\n2 DATE 1850\r\n")
                                    << "line 6: HUSB @I9@ links to no person in the file" << 1;
    QTest::newRow("note not in the file") << gedcom("0 @I1@ INDI\r\n1 NAME A\r\n1 NOTE @N9@\r\n")
                                          << "line 7: the note @N9@ is not in the file" << 1;
    QTest::newRow("own ancestor") << gedcom(adamAndCain) << "Adam (@I1@) is his or her own ancestor" << 2;
    QTest::newRow("second husband") << gedcom("0 @I1@ INDI\r\n1 NAME A\r\n0 @I2@ INDI\r\n1 NAME B\r\n"
                                              "0 @F1@ FAM\r\n1 HUSB @I1@\r\n1 HUSB @I2@\r\n")
                                    << "the family @F1@ has a second husband" << 2; // B on a card of his own
    QTest::newRow("a line of a million characters")
        << gedcom("0 @I1@ INDI\r\n1 NAME A\r\n1 NOTE " + QByteArray(1000000, 'x') + "\r\n") << "" << 1;
    QTest::newRow("text after the trailer") << gedcom("0 @I1@ INDI\r\n1 NAME A\r\n") + "0 @I2@ INDI\r\n"
                                            << "the text after the trailer line 0 TRLR (line 7) is ignored" << 1;
}

void TestGedcomImport::damagedAndHostileFiles()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, message);
    QFETCH(int, cards);
    Gedcom::ImportCounts counts;
    QString error;
    QCOMPARE(int(importBytes(bytes, &counts, &error).size()), cards);
    const QString said = cards ? counts.warnings.join('\n') : error;
    QVERIFY2(said.contains(message) && (cards || !message.isEmpty()), qPrintable(said));
}

void TestGedcomImport::largeTreeImportsQuickly()
{
    // Family f: a husband who is a child of family f / 2, a wife, and a
    // daughter in no family. 2000 families, 6000 people.
    QByteArray records;
    for (int f = 1; f <= 2000; ++f) {
        const QByteArray n = QByteArray::number(f), facts = "1 BIRT\r\n2 DATE 12 MAR 1850\r\n2 PLAC Leeds, Yorkshire\r\n"
                                                           "1 NOTE A note\r\n2 CONT on two lines.\r\n";
        records += "0 @H" + n + "@ INDI\r\n1 NAME Henry" + n + " /Holt/\r\n" + facts + "1 FAMC @F"
                   + QByteArray::number(f / 2) + "@\r\n0 @W" + n + "@ INDI\r\n1 NAME Mary /Lee" + n + "/\r\n" + facts
                   + "0 @D" + n + "@ INDI\r\n1 NAME Ann" + n + " /Holt/\r\n1 SEX F\r\n" + facts + "0 @F" + n
                   + "@ FAM\r\n1 HUSB @H" + n + "@\r\n1 WIFE @W" + n + "@\r\n1 CHIL @D" + n
                   + "@\r\n1 MARR\r\n2 DATE 1875\r\n";
    }
    QTemporaryDir dir;
    writeBytes(dir.filePath("tree.ged"), gedcom(records.replace("1 FAMC @F0@\r\n", "")));

    QElapsedTimer timer;
    timer.start();
    QString error;
    Gedcom::ImportCounts counts;
    QVERIFY2(Gedcom::importGedcomFile(dir.filePath("tree.ged"), dir.filePath("Kinfolio.dat"), false, &error, &counts),
             qPrintable(error));
    const qint64 ms = timer.elapsed();
    qInfo("%d people, %d families: %d cards in %lld ms", counts.people, counts.families,
          counts.familyCards + counts.personCards, ms);
    QVERIFY2(counts.warnings.isEmpty(), qPrintable(counts.warnings.join('\n')));
    QCOMPARE(counts.familyCards + counts.personCards, 4000);
    QVERIFY2(ms < 5000, "far slower than the well-under-a-second the import is meant for");
}

QTEST_GUILESS_MAIN(TestGedcomImport)
#include "test_gedcomimport.moc"
