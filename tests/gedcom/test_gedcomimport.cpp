// GEDCOM to cards: the way back from the export, a file Gramps wrote,
// character sets, damaged and hostile files, and a large tree.
#include "gedcomexport.h"
#include "gedcomfixtures.h"
#include "gedcomimport.h"
#include "gedcomreader.h"
#include "gedcomvalues.h"
#include "family/cardtext.h"

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
    if (const Result<> read = file.read(bytes); !read) {
        *error = read.error();
        return {};
    }
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
    void mendsComeInAndGoBackOut_data();
    void mendsComeInAndGoBackOut();
    void damagedAndHostileFiles_data();
    void damagedAndHostileFiles();
    void nobodyIsDroppedWithoutAWord();
    void largeTreeImportsQuickly();
};

void TestGedcomImport::exportedCardsComeBackAndExportTheSame_data()
{
    QTest::addColumn<std::vector<CardFields>>("cards");
    QTest::addColumn<bool>("sameButDates"); // the cards come back with only the dates converted
    QTest::newRow("sample family") << sampleFamily() << true;
    QTest::newRow("people known only in part")
        << std::vector<CardFields>{makeCard({{F::MarriedDate, "1900"}, {F::Notes, "\r\nfirst line empty"}}),
                                   makeCard({{F::BornDate, "1870"}, {F::Father, "Some Father"},
                                             {F::WifeName, "Known Wife"}, {F::WifeMother, "Her Mother"}}),
                                   makeCard({{F::Name, "Jan /van der Berg/"}, {F::WifeName, "Mary Ann //"}})}
        << true;
    QTest::newRow("hostile cards") << hostileCards() << false;
    for (quint32 seed = 1; seed <= 25; ++seed)
        QTest::addRow("generated %u", seed) << generatedCards(seed) << false;
}

void TestGedcomImport::exportedCardsComeBackAndExportTheSame()
{
    QFETCH(std::vector<CardFields>, cards);
    QFETCH(bool, sameButDates);
    const QByteArray exported = Gedcom::fromCards(cards);
    QString error;
    Gedcom::ImportCounts counts;
    std::vector<CardFields> imported = importBytes(exported, &counts, &error);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    QCOMPARE(Gedcom::fromCards(imported), exported);
    if (!sameButDates)
        return;
    QVERIFY2(counts.warnings.isEmpty(), qPrintable(counts.warnings.join('\n')));
    // Cards of a person alone come back after those of families.
    for (CardFields &card : cards) {
        for (F f : {F::BornDate, F::MarriedDate, F::DiedDate, F::WifeBornDate, F::WifeDiedDate})
            card[f] = Gedcom::date(card[f]);
    }
    const auto order = [](const CardFields &a, const CardFields &b) { return a.texts < b.texts; };
    std::sort(cards.begin(), cards.end(), order);
    std::sort(imported.begin(), imported.end(), order);
    QCOMPARE(imported.size(), cards.size());
    for (size_t i = 0; i < cards.size(); ++i) {
        for (int f = 0; f < CardFieldCount; ++f)
            QCOMPARE(imported[i][f], cards[i][f]);
    }
}

void TestGedcomImport::grampsSampleBecomesCardsWithEverybodyNamed()
{
    const QString sample = QStringLiteral("/usr/share/doc/gramps/example/gedcom/sample.ged");
    if (!QFile::exists(sample))
        QSKIP("Gramps' sample file is missing (Debian package gramps)");
    Gedcom::GedcomFile file;
    const Result<> read = file.read(readBytes(sample));
    QVERIFY2(read, qPrintable(read.error()));
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
    for (qsizetype i = 0; i < file.lineCount(); i = file.end(i)) {
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

void TestGedcomImport::mendsComeInAndGoBackOut_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("fields"); // "card:Field name=text" of the cards made
    QTest::addColumn<QString>("warning");
    QTest::addColumn<QStringList>("lines"); // of the export of those cards
    QTest::addColumn<int>("individuals");
    QTest::addColumn<int>("families");

    // Character sets: every letter comes in, whatever the file says it is in.
    const QByteArray asa = "0 @I1@ INDI\r\n1 NAME \xC3\x85sa /L\xC3\xB6" "f/\r\n";
    const QStringList asaCard{QStringLiteral("1:Husband=\u00c5sa L\u00f6f")};
    const QStringList asaLine{QStringLiteral("1 NAME \u00c5sa /L\u00f6f/")};
    const QString text = QString::fromUtf8(gedcom(asa, "UNICODE"));
    const QList<std::pair<const char *, QByteArray>> sets = {
        {"UTF-8", gedcom(asa)},
        {"UTF-8, byte-order mark", "\xEF\xBB\xBF" + gedcom(asa)},
        {"UNICODE", "\xFF\xFE" + QByteArray(reinterpret_cast<const char *>(text.utf16()), text.size() * 2)},
        {"ANSI", gedcom("0 @I1@ INDI\r\n1 NAME \xC5sa /L\xF6" "f/\r\n", "ANSI")},
        {"ANSEL", gedcom("0 @I1@ INDI\r\n1 NAME \xEA" "Asa /L\xE8of/\r\n", "ANSEL")},
        {"IBMPC", gedcom("0 @I1@ INDI\r\n1 NAME \x8Fsa /L\x94" "f/\r\n", "IBMPC")},
        {"by name", gedcom("0 @I1@ INDI\r\n1 NAME \xC5sa /L\xF6" "f/\r\n", "ISO-8859-15")}};
    for (const auto &[name, bytes] : sets)
        QTest::addRow("character set: %s", name) << bytes << asaCard << QString() << asaLine << 1 << 0;
    for (const char *set : {"ANSI", "ANSEL", "ASCII"})
        QTest::addRow("character set: %s that is UTF-8", set)
            << gedcom(asa, set) << asaCard << "the letters beyond ASCII are all UTF-8" << asaLine << 1 << 0;
    QTest::newRow("character set: beyond Windows-1252")
        << gedcom("0 @I1@ INDI\r\n1 NAME \xC5\x81ucja /\xCE\xA9\xF0\x9F\x8C\xB3/\r\n")
        << QStringList{QStringLiteral("1:Husband=\u0141ucja \u03a9\U0001F333")} << QString()
        << QStringList{QStringLiteral("1 NAME \u0141ucja /\u03a9\U0001F333/")} << 1 << 0;

    // People and couples once, however many cards show them.
    const QByteArray parents = "0 @I1@ INDI\r\n1 NAME Anders /Berg/\r\n0 @I2@ INDI\r\n1 NAME Brita /Ek/\r\n1 SEX F\r\n"
                               "0 @F1@ FAM\r\n1 HUSB @I1@\r\n1 WIFE @I2@\r\n";
    QTest::newRow("parents of several cards")
        << gedcom(parents + "1 CHIL @I3@\r\n1 CHIL @I4@\r\n0 @I3@ INDI\r\n1 NAME Erik /Berg/\r\n1 FAMC @F1@\r\n"
                            "0 @I4@ INDI\r\n1 NAME Karin /Berg/\r\n1 SEX F\r\n1 FAMC @F1@\r\n")
        << QStringList{"1:Husband's Father=Anders Berg", "2:Wife's Mother=Brita Ek"} << QString()
        << QStringList{"1 CHIL @I1@", "1 CHIL @I2@"} << 4 << 1;
    QTest::newRow("a person on several cards")
        << gedcom(parents + "1 MARR\r\n2 DATE 1850\r\n0 @I3@ INDI\r\n1 NAME Ida /Ek/\r\n1 SEX F\r\n"
                            "0 @F2@ FAM\r\n1 HUSB @I1@\r\n1 WIFE @I3@\r\n1 MARR\r\n2 DATE 1860\r\n")
        << QStringList{"1:Husband=Anders Berg", "2:Husband=Anders Berg"} << QString()
        << QStringList{"1 FAMS @F2@"} << 3 << 2;
    QTest::newRow("a person alone")
        << gedcom("0 @I1@ INDI\r\n1 NAME Hannah /Cole/\r\n1 SEX F\r\n1 NOTE Never married.\r\n")
        << QStringList{"1:Wife's Name=Hannah Cole", "1:Notes=Never married."} << QString()
        << QStringList{"1 NOTE Never married."} << 1 << 0;
    // Two couples of the same names: each keeps a card, and no child goes to the other.
    QTest::newRow("same-named couples")
        << gedcom(parents + "1 CHIL @I5@\r\n0 @I3@ INDI\r\n1 NAME Anders /Berg/\r\n0 @I4@ INDI\r\n1 NAME Brita /Ek/\r\n"
                            "1 SEX F\r\n0 @F2@ FAM\r\n1 HUSB @I3@\r\n1 WIFE @I4@\r\n1 MARR\r\n2 DATE 1880\r\n"
                            "0 @I5@ INDI\r\n1 NAME Tom /Berg/\r\n1 FAMC @F1@\r\n")
        << QStringList{"1:Husband=Anders Berg", "2:Married Date=1880", "3:Husband's Father=Anders Berg"}
        << "the family @F1@ (Anders Berg and Brita Ek) has the names of another couple"
        << QStringList{"0 @F3@ FAM", "1 CHIL @I3@"} << 5 << 3;

    // Names keep their parts; dates stay dates.
    QTest::newRow("names")
        << gedcom(QStringLiteral("0 @I1@ INDI\r\n1 NAME \u00c9douard\r\n0 @I2@ INDI\r\n1 NAME Mary Ann\r\n"
                                 "0 @I3@ INDI\r\n1 NAME Maria /Cruz/ /Garcia/\r\n").toUtf8())
        << QStringList{QStringLiteral("1:Husband=\u00c9douard"), "2:Husband=Mary Ann //",
                       "3:Husband=Maria /Cruz/ /Garcia/"}
        << QString()
        << QStringList{QStringLiteral("1 NAME \u00c9douard"), "1 NAME Mary Ann",
                       QStringLiteral("1 NAME Maria /Cruz/ \u2044Garcia\u2044")}
        << 3 << 0;
    QTest::newRow("dates")
        << gedcom("0 @I1@ INDI\r\n1 NAME A\r\n1 BIRT\r\n2 DATE @#DJULIAN@ 1 MAR 1699/00\r\n1 DEAT\r\n"
                  "2 DATE INT 1750 (in the  register)\r\n0 @I2@ INDI\r\n1 NAME B\r\n1 BIRT\r\n2 DATE (in  the war)\r\n"
                  "1 DEAT\r\n2 DATE @#DFRENCH R@ 1 VEND 0010\r\n")
        << QStringList{"1:Husband's BirthDate=@#DJULIAN@ 1 MAR 1699/00", "2:Husband's BirthDate=(in  the war)"}
        << QString()
        << QStringList{"2 DATE @#DJULIAN@ 1 MAR 1699/00", "2 DATE INT 1750 (in the  register)",
                       "2 DATE (in  the war)", "2 DATE @#DFRENCH R@ 1 VEND 0010"}
        << 2 << 0;
    QTest::newRow("dates of GEDCOM 7")
        << gedcom("0 @I1@ INDI\r\n1 NAME A\r\n1 BIRT\r\n2 DATE JULIAN 1401\r\n1 DEAT\r\n2 DATE BET JULIAN 1450 AND "
                  "HEBREW 5210\r\n0 @I2@ INDI\r\n1 BIRT\r\n2 DATE\r\n3 PHRASE in the war\r\n")
        << QStringList{"1:Husband's BirthDate=@#DJULIAN@ 1401",
                       "1:Husband's Death Date=BET @#DJULIAN@ 1450 AND @#DHEBREW@ 5210",
                       "2:Husband's BirthDate=(in the war)"}
        << QString() << QStringList{"2 DATE @#DJULIAN@ 1401", "2 DATE (in the war)"} << 2 << 0;
    QTest::newRow("a straight quote")
        << gedcom("0 @I1@ INDI\r\n1 NAME \"Bobka\" /Hochman/\r\n")
        << QStringList{"1:Husband=\"Bobka\" Hochman"} << QString() << QStringList{"1 NAME \"Bobka\" /Hochman/"} << 1
        << 0;
    QTest::newRow("two men")
        << gedcom("0 @I1@ INDI\r\n1 NAME Tom /Berg/\r\n1 SEX M\r\n0 @I2@ INDI\r\n1 NAME Leo /Lind/\r\n1 SEX M\r\n"
                  "0 @I3@ INDI\r\n1 NAME Sam /Lind/\r\n1 SEX U\r\n1 NOTE A note.\r\n0 @F1@ FAM\r\n1 HUSB @I1@\r\n"
                  "1 WIFE @I2@\r\n1 MARR\r\n2 DATE 2015\r\n")
        << QStringList{"1:Notes=Leo Lind is a man.", "2:Notes=The sex of Sam Lind is not known.\r\n\r\nA note."}
        << QString() << QStringList{"1 SEX M\r\n1 FAMS @F1@", "1 SEX U\r\n1 NOTE A note."} << 3 << 1;
    QTest::newRow("a person written twice")
        << gedcom(parents + "1 CHIL @I3@\r\n0 @I3@ INDI\r\n1 NAME Erik /Berg/\r\n1 BIRT\r\n2 DATE 1850\r\n"
                            "0 @I3@ INDI\r\n1 FAMC @F1@\r\n")
        << QStringList{"1:Husband=Erik Berg", "1:Husband's Father=Anders Berg"}
        << "line 18: a second record @I3@ (the first is on line 14); what it holds is read as part of the first"
        << QStringList{"1 CHIL @I1@"} << 3 << 1;

    // Adoption is not birth: the card's parents are the family of birth.
    const QByteArray twoFamilies = parents + "0 @I3@ INDI\r\n1 NAME Carl /Holm/\r\n0 @I4@ INDI\r\n1 NAME Dora /Holm/\r\n"
                                             "1 SEX F\r\n0 @F2@ FAM\r\n1 HUSB @I3@\r\n1 WIFE @I4@\r\n";
    QTest::newRow("adopted (PEDI)")
        << gedcom(twoFamilies + "0 @I5@ INDI\r\n1 NAME Tom /Berg/\r\n1 FAMC @F2@\r\n2 PEDI adopted\r\n"
                                "1 FAMC @F1@\r\n2 PEDI birth\r\n")
        << QStringList{"2:Husband's Father=Anders Berg", "2:Notes=Tom Berg was adopted by Carl Holm and Dora Holm."}
        << QString() << QStringList{"1 FAMC @F2@\r\n1 FAMC @F1@\r\n2 PEDI adopted"} << 5 << 2;
    QTest::newRow("adopted by the husband (ADOP)")
        << gedcom(twoFamilies + "0 @I5@ INDI\r\n1 NAME Tom /Berg/\r\n1 ADOP\r\n2 FAMC @F2@\r\n3 ADOP HUSB\r\n"
                                "1 FAMC @F2@\r\n")
        << QStringList{"3:Husband's Father=",
                       "3:Notes=Tom Berg is a child of Carl Holm (adopted) and Dora Holm (by birth)."}
        << QString() << QStringList{"1 CHIL @I5@\r\n2 _FREL adopted\r\n2 _MREL Birth"} << 5 << 2;
    QTest::newRow("fostered (_FREL, _MREL)")
        << gedcom(twoFamilies + "1 CHIL @I5@\r\n2 _FREL Foster\r\n2 _MREL Foster\r\n0 @I5@ INDI\r\n"
                                "1 NAME Tom /Berg/\r\n")
        << QStringList{"3:Notes=Tom Berg was fostered by Carl Holm and Dora Holm."} << QString()
        << QStringList{"2 PEDI foster"} << 5 << 2;
    QTest::newRow("relation unknown (_FREL Unknown)")
        << gedcom(parents + "1 CHIL @I5@\r\n2 _FREL Unknown\r\n2 _MREL Unknown\r\n0 @I5@ INDI\r\n1 NAME Tom /Berg/\r\n")
        << QStringList{"1:Husband's Father=Anders Berg", "1:Husband's Mother=Brita Ek", "1:Notes="} << QString()
        << QStringList{"1 CHIL @I1@"} << 3 << 1;
}

void TestGedcomImport::mendsComeInAndGoBackOut()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, fields);
    QFETCH(QString, warning);
    QFETCH(QStringList, lines);
    QFETCH(int, individuals);
    QFETCH(int, families);
    Gedcom::ImportCounts counts;
    QString error;
    const std::vector<CardFields> cards = importBytes(bytes, &counts, &error);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    QVERIFY2(counts.warnings.join('\n').contains(warning), qPrintable(counts.warnings.join('\n')));
    for (const QString &f : fields) {
        const size_t card = size_t(f.section(':', 0, 0).toInt() - 1);
        const QString name = f.section(':', 1).section('=', 0, 0);
        const int field = name == "Notes" ? int(F::Notes) : int(CardText::fieldNames().indexOf(name));
        QVERIFY2(card < cards.size() && field >= 0, qPrintable(f));
        QCOMPARE(cards[card][field], f.section('=', 1));
    }

    Gedcom::ExportCounts exported;
    const QByteArray out = Gedcom::fromCards(cards, &exported);
    for (const QString &line : lines)
        QVERIFY2(out.contains("\r\n" + line.toUtf8() + "\r\n"), qPrintable(line));
    QCOMPARE(exported.individuals, individuals);
    QCOMPARE(exported.families, families);
    QCOMPARE(Gedcom::fromCards(importBytes(out, nullptr, &error)), out);
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
    QTest::newRow("unknown character set") << gedcom("0 @I1@ INDI\r\n1 NAME A\r\n", "KLINGON")
                                           << "character set (CHAR KLINGON) is not one the import knows" << 0;
    // Odd line shapes are read past, each with a warning that names its line.
    QTest::newRow("cut short") << gedcom("0 @I1@ INDI\r\n1 NAME A /B/\r\n").chopped(8)
                               << "line 6: the file ends without the trailer line 0 TRLR" << 1;
    QTest::newRow("level skipped") << gedcom("0 @I1@ INDI\r\n2 NAME A\r\n")
                                   << "line 6 is at level 2 under a line of level 0; it is read at level 1" << 1;
    QTest::newRow("continuation too deep")
        << gedcom("0 @I1@ INDI\r\n1 NAME A\r\n1 NOTE a\r\n2 CONT b\r\n3 CONT c\r\n")
        << "line 9 is at level 3 under a line of level 2; it is read as continuing the text above" << 1;
    QTest::newRow("event detail without its event")
        << gedcom("0 @I1@ INDI\r\n1 NAME A\r\n0 @F1@ FAM\r\n2 PLAC Leeds\r\n1 HUSB @I1@\r\n1 MARR\r\n2 DATE 1850\r\n")
        << "line 8 is at level 2 under a line of level 0; it is read at level 1" << 1;
    QTest::newRow("line without level") << gedcom("0 @I1@ INDI\r\n1 NAME A\r\nstray text\r\n")
                                        << "line 7 is not a GEDCOM line, and is skipped: \"stray text\"" << 1;
    QTest::newRow("record without its @")
        << gedcom("0 @I1@ INDI\r\n1 NAME A\r\n0 @I2 INDI\r\n1 NAME B\r\n")
        << "line 7 is not a GEDCOM line, and is skipped with the lines under it: \"0 @I2 INDI\"" << 1;
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
    const QString said = counts.warnings.join('\n') + error;
    QVERIFY2(said.contains(message) && (cards || !error.isEmpty()), qPrintable(said));
}

void TestGedcomImport::nobodyIsDroppedWithoutAWord()
{
    const QByteArray bytes = gedcom(
        "0 @I1@ INDI\r\n1 NAME Ole /Dahl/\r\n0 @I2@ INDI\r\n1 NAME Kari /Dahl/\r\n1 SEX F\r\n0 @F1@ FAM\r\n"
        "1 CHIL @I1@\r\n1 CHIL @I2@\r\n0 @I3@ INDI\r\n1 SEX M\r\n0 @F2@ FAM\r\n0 @I4@ INDI\r\n1 NAME Ane /Moe/\r\n"
        "1 SEX F\r\n1 BIRT\r\n2 DATE 1800\r\n0 @I5@ INDI\r\n1 NAME Jon /Moe/\r\n0 @F3@ FAM\r\n1 HUSB @I4@\r\n"
        "1 CHIL @I5@\r\n");
    Gedcom::ImportCounts counts;
    QString error;
    const std::vector<CardFields> cards = importBytes(bytes, &counts, &error);
    // Children of no named parent name each other; what no card shows is named.
    QCOMPARE(counts.noParents, QStringList{"@F1@"});
    QCOMPARE(counts.notOnCards, QStringList({"@F2@", "@I3@"}));
    QCOMPARE((*cardOf(cards, F::Name, "Ole Dahl"))[F::Notes],
             "A child of the family @F1@, which names no parents; brothers and sisters: Kari Dahl.");
    // A mother alone, written as HUSB, is her son's mother and on her side of her card.
    QCOMPARE((*cardOf(cards, F::Name, "Jon Moe"))[F::Mother], "Ane Moe");
    QCOMPARE((*cardOf(cards, F::WifeName, "Ane Moe"))[F::Notes], "");
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
    const Result<Gedcom::ImportCounts> imported =
        Gedcom::importGedcomFile(dir.filePath("tree.ged"), dir.filePath("Kinfolio.dat"), false);
    QVERIFY2(imported, qPrintable(imported.error()));
    const Gedcom::ImportCounts &counts = *imported;
    const qint64 ms = timer.elapsed();
    qInfo("%d people, %d families: %d cards in %lld ms", counts.people, counts.families,
          counts.familyCards + counts.personCards, ms);
    QVERIFY2(counts.warnings.isEmpty(), qPrintable(counts.warnings.join('\n')));
    QCOMPARE(counts.familyCards + counts.personCards, 4000);
    QVERIFY2(ms < 5000, "far slower than the well-under-a-second the import is meant for");
}

QTEST_GUILESS_MAIN(TestGedcomImport)
#include "test_gedcomimport.moc"
