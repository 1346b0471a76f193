// Card texts turned into GEDCOM values: dates, names, and lines kept within
// the line length limit.
#include "gedcomlines.h"
#include "gedcomreader.h"
#include "gedcomvalues.h"

#include <QTest>

using namespace kinfolio;

class TestGedcomValues : public QObject
{
    Q_OBJECT
private slots:
    void dates_data();
    void dates();
    void names_data();
    void names();
    void otherProgramsNamesKeepTheirParts_data();
    void otherProgramsNamesKeepTheirParts();
    void longNotesSplitInsideWordsAndReadBack_data();
    void longNotesSplitInsideWordsAndReadBack();
    void notesKeepTheirLinesOnContLines();
    void linesKnowTheirNumbersAndRecords();
    void linesSplitAsOtherProgramsWriteThem_data();
    void linesSplitAsOtherProgramsWriteThem();
    void factsInTheNotesReadBack_data();
    void factsInTheNotesReadBack();
};

void TestGedcomValues::dates_data()
{
    QTest::addColumn<QString>("card");
    QTest::addColumn<QString>("gedcom");

    // Already in GEDCOM's shape: written as it is.
    for (const char *same : {"12 MAR 1850", "MAR 1850", "1850", "ABT 1850", "BEF 1900", "AFT 3 JAN 1801",
                             "EST 1799", "CAL 1800", "BET 1850 AND 1860", "FROM 1850 TO MAY 1861", "FROM 1850",
                             "TO 1850", "29 FEB 1600", "11 FEB 1699/00", "(already a phrase)"})
        QTest::addRow("as is: %s", same) << same << same;
    // Every other date value of GEDCOM 5.5.1, and years as short as readers take them.
    for (const char *same : {"@#DJULIAN@ 29 FEB 1700", "@#DGREGORIAN@ 1 MAR 1699/00", "@#DHEBREW@ 30 ADS 5600",
                             "@#DFRENCH R@ 6 COMP 0011", "BEF @#DJULIAN@ 1700", "44 B.C.", "FROM 50 B.C. TO 20",
                             "INT 1850 (in the  census)", "20", "12 MAR 50", "(in  the   war)"})
        QTest::addRow("as is: %s", same) << same << same;
    QTest::newRow("extra spaces") << "  12   MAR 1850 " << "12 MAR 1850";
    QTest::newRow("extra spaces, phrase kept") << "INT  1850  (a  b)" << "INT 1850 (a  b)";

    // Common forms, converted.
    QTest::newRow("day month year") << "12 March 1850" << "12 MAR 1850";
    QTest::newRow("lower case") << "12 mar 1850" << "12 MAR 1850";
    QTest::newRow("month day, year") << "March 12, 1850" << "12 MAR 1850";
    QTest::newRow("ordinal") << "3rd of Sept. 1850" << "3 SEP 1850";
    QTest::newRow("month year") << "December 1850" << "DEC 1850";
    QTest::newRow("iso") << "1850-03-02" << "2 MAR 1850";
    QTest::newRow("iso month") << "1850-11" << "NOV 1850";
    QTest::newRow("about") << "about 1850" << "ABT 1850";
    QTest::newRow("circa") << "c. 1850" << "ABT 1850";
    QTest::newRow("before") << "before 12 March 1900" << "BEF 12 MAR 1900";
    QTest::newRow("after") << "aft. 1900" << "AFT 1900";
    QTest::newRow("between") << "between 1850 and March 1860" << "BET 1850 AND MAR 1860";
    QTest::newRow("from to") << "from 1850 to 1860" << "FROM 1850 TO 1860";

    // Anything else is a date phrase, so nothing is lost or made up.
    QTest::newRow("words") << "in the war" << "(in the war)";
    QTest::newRow("numeric, day or month first?") << "03/04/1850" << "(03/04/1850)";
    QTest::newRow("no such day") << "31 FEB 1850" << "(31 FEB 1850)";
    QTest::newRow("not a leap year") << "29 February 1900" << "(29 February 1900)";
    QTest::newRow("two-digit year, typed") << "12 March 50" << "(12 March 50)";
    QTest::newRow("text keeps its spaces") << "in  the war" << "(in  the war)";
    QTest::newRow("no such escape") << "@#DMARTIAN@ 1850" << "(@#DMARTIAN@ 1850)";
    QTest::newRow("no such French day") << "@#DFRENCH R@ 7 COMP 0011" << "(@#DFRENCH R@ 7 COMP 0011)";
    QTest::newRow("INT without phrase") << "INT 1850" << "(INT 1850)";
    QTest::newRow("reversed B.C. range") << "BET 20 B.C. AND 50 B.C." << "(BET 20 B.C. AND 50 B.C.)";
    QTest::newRow("qualifier without date") << "about" << "(about)";
    QTest::newRow("between without and") << "between 1850 1860" << "(between 1850 1860)";
    QTest::newRow("bad iso month") << "1850-13-01" << "(1850-13-01)";
    QTest::newRow("reversed range") << "between 1860 and 1850" << "(between 1860 and 1850)";
    QTest::newRow("reversed, as GEDCOM") << "FROM 12 MAR 1850 TO 11 MAR 1850" << "(FROM 12 MAR 1850 TO 11 MAR 1850)";
    QTest::newRow("overlapping range") << "BET MAR 1850 AND 1850" << "BET MAR 1850 AND 1850";
    QTest::newRow("dual year may be later") << "BET 1700 AND 1699/00" << "BET 1700 AND 1699/00";
    QTest::newRow("line break") << "spring\r\n1850" << "(spring 1850)";
    QTest::newRow("tab") << "\t?1850" << "(?1850)";
    QTest::newRow("blank") << "  " << "";
    QTest::newRow("empty") << "" << "";
}

void TestGedcomValues::dates()
{
    QFETCH(QString, card);
    QFETCH(QString, gedcom);
    const QString value = Gedcom::date(card);
    QCOMPARE(value, gedcom);
    if (!value.isEmpty())
        QVERIFY(Gedcom::isGedcomDate(value));
}

void TestGedcomValues::names_data()
{
    QTest::addColumn<QString>("card");
    QTest::addColumn<QString>("gedcom");
    QTest::newRow("given and surname") << "Jonas Ashworth" << "Jonas /Ashworth/";
    QTest::newRow("several given names") << "Mary  Ann Holt" << "Mary  Ann /Holt/";
    QTest::newRow("one word: a given name") << QStringLiteral("\u00c9douard") << QStringLiteral("\u00c9douard");
    QTest::newRow("surname alone") << "/Ashworth/" << "/Ashworth/";
    QTest::newRow("slashes kept") << "Jan /van der Berg/ Jr." << "Jan /van der Berg/ Jr.";
    QTest::newRow("unknown surname") << "Mary Ann //" << "Mary Ann";
    QTest::newRow("nothing but slashes") << "//" << "//";
    // The first two slashes mark the surname, as readers take them; any
    // other slash is a fraction slash, which looks the same.
    QTest::newRow("one slash") << "a/b" << QStringLiteral("a\u2044b");
    QTest::newRow("only a slash") << "/" << QStringLiteral("\u2044");
    QTest::newRow("three slashes") << "Name / with / slashes /" << QStringLiteral("Name / with / slashes \u2044");
    QTest::newRow("two surnames") << "Maria /Cruz/ /Garcia/" << QStringLiteral("Maria /Cruz/ \u2044Garcia\u2044");
    QTest::newRow("outer spaces") << " Jonas Ashworth  " << "Jonas /Ashworth/";
    QTest::newRow("non-ASCII") << QStringLiteral("\u00c5sa L\u00f6fgren") << QStringLiteral("\u00c5sa /L\u00f6fgren/");
    QTest::newRow("line break") << "Jonas\r\nAshworth" << "Jonas /Ashworth/";
    QTest::newRow("blank") << "   " << "";
}

void TestGedcomValues::names()
{
    QFETCH(QString, card);
    QFETCH(QString, gedcom);
    QCOMPARE(Gedcom::personalName(card), gedcom);
    // The way back in gives a card that goes out the same.
    QCOMPARE(Gedcom::personalName(Gedcom::cardName(gedcom)), gedcom);
}

void TestGedcomValues::otherProgramsNamesKeepTheirParts_data()
{
    QTest::addColumn<QString>("gedcom");
    QTest::addColumn<QString>("card");
    QTest::newRow("no slashes, one word") << "LIVING" << "LIVING";
    QTest::newRow("no slashes, several words") << "Mary Ann" << "Mary Ann //";
    QTest::newRow("empty surname") << "Mary //" << "Mary";
    QTest::newRow("surname last") << "Mary Ann /Holt/" << "Mary Ann Holt";
    QTest::newRow("surname first") << "/Holt/ Mary" << "/Holt/ Mary";
    QTest::newRow("a second pair") << "Maria /Cruz/ /Garcia/" << "Maria /Cruz/ /Garcia/";
}

void TestGedcomValues::otherProgramsNamesKeepTheirParts()
{
    QFETCH(QString, gedcom);
    QFETCH(QString, card);
    QCOMPARE(Gedcom::cardName(gedcom), card);
    QVERIFY(Gedcom::nameParts(Gedcom::personalName(card)) == Gedcom::nameParts(gedcom));
}

void TestGedcomValues::longNotesSplitInsideWordsAndReadBack_data()
{
    QTest::addColumn<QString>("value");
    QTest::newRow("one long word") << QString(600, u'x');
    QTest::newRow("words") << QStringLiteral("a few words of a long place name ").repeated(20).trimmed();
    QTest::newRow("one-letter words") << QStringLiteral("a ").repeated(400);
    QTest::newRow("only spaces") << QString(600, u' ');
    QTest::newRow("spaces, then words") << QString(300, u' ') + QStringLiteral("I a ").repeated(100);
    QTest::newRow("two-byte letters") << QString(400, QChar(0xF6));
    QTest::newRow("three-byte signs") << QString(300, QChar(0x20AC));
    QTest::newRow("four-byte characters") << QString::fromUcs4(U"\U0001F333").repeated(200);
    QTest::newRow("at signs") << QStringLiteral("a@b").repeated(150);
    QTest::newRow("fits exactly") << QString(255 - int(qstrlen("1 NOTE ")) - 2, u'y');
}

void TestGedcomValues::longNotesSplitInsideWordsAndReadBack()
{
    QFETCH(QString, value);
    Gedcom::LineWriter w;
    w.line(0, "HEAD");
    w.text(1, "NOTE", value);
    w.line(0, "TRLR");
    Gedcom::GedcomFile file;
    const Result<> read = file.read(w.bytes());
    QVERIFY2(read, qPrintable(read.error()));
    QCOMPARE(file.at(1).value, value);

    // Readers trim the ends of lines, so a split never falls beside a space.
    const QList<QByteArray> lines = w.bytes().split('\n');
    for (int i = 0; i + 1 < lines.size(); ++i) {
        QVERIFY(lines.at(i).size() + 1 <= 255);
        if (lines.at(i + 1).startsWith("2 CONC "))
            QVERIFY2(!lines.at(i).endsWith(" \r") && !lines.at(i + 1).startsWith("2 CONC  "), lines.at(i).constData());
    }
    QCOMPARE(w.bytes().contains("CONC"), value.size() != 255 - 9);
}

void TestGedcomValues::notesKeepTheirLinesOnContLines()
{
    Gedcom::LineWriter w;
    w.line(0, "HEAD");
    const QString note = QStringLiteral("first\r\nsecond\n\r\n  indented\rlast ") + QString(300, u'z');
    w.text(1, "NOTE", note);
    w.line(0, "TRLR");
    QCOMPARE(w.bytes().left(33), QByteArray("0 HEAD\r\n1 NOTE first\r\n2 CONT seco"));
    Gedcom::GedcomFile file;
    const Result<> read = file.read(w.bytes());
    QVERIFY2(read, qPrintable(read.error()));
    QCOMPARE(file.childValue(0, u"NOTE"), "first\nsecond\n\n  indented\nlast " + QString(300, u'z'));
    QVERIFY(w.bytes().contains("\r\n2 CONT\r\n")); // the empty line, without a trailing space
}

void TestGedcomValues::linesKnowTheirNumbersAndRecords()
{
    // Lines are held as places in the text and numbered from a mark every
    // 64 lines: every kind of line end, blank lines and continuations
    // between marks must count, and a record's cross-reference is read from
    // its own line only.
    const char *const ends[] = {"\r\n", "\n", "\r"};
    QByteArray bytes = "0 HEAD\r\n";
    std::vector<int> numbers{1};
    int line = 1;
    for (int n = 0; n < 300; ++n) {
        const QByteArray end = ends[n % 3];
        bytes += "0 @I" + QByteArray::number(n) + "@ INDI" + end + (n % 7 ? "" : end) + "1 NOTE a" + end;
        bytes += n % 5 ? QByteArray() : "2 CONT b" + end;
        const int record = line + 1, note = record + (n % 7 ? 1 : 2);
        numbers.insert(numbers.end(), {record, note});
        line = note + (n % 5 ? 0 : 1);
    }
    bytes += "0 0 @I1@ INDI\n0 TRLR\n";
    numbers.insert(numbers.end(), {line + 1, line + 2});
    Gedcom::GedcomFile file;
    const Result<> read = file.read(bytes);
    QVERIFY2(read, qPrintable(read.error()));
    QCOMPARE(file.lineCount(), qsizetype(numbers.size()));
    for (qsizetype i = 0; i < file.lineCount(); ++i)
        QCOMPARE(file.lineNumber(i), numbers[size_t(i)]);
    QCOMPARE(file.xref(file.record("@I299@")), "@I299@");
    QCOMPARE(file.value(file.record("@I0@") + 1), "a\nb");
    QCOMPARE(file.xref(file.lineCount() - 2), ""); // its tag is 0, its value "@I1@ INDI"
    QCOMPARE(file.record("@I1@"), 3); // the record, not the line that holds "@I1@" as its value
}

void TestGedcomValues::linesSplitAsOtherProgramsWriteThem_data()
{
    // A line that is no GEDCOM line is skipped; one split wrongly would be
    // read as something else, or skipped with the lines under it.
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<bool>("wellFormed");
    QTest::addColumn<int>("level");
    QTest::addColumn<QByteArray>("parts"); // xref|tag|value of a GEDCOM line
    QTest::newRow("plain") << QByteArray("1 NAME John /Smith/") << true << 1 << QByteArray("|NAME|John /Smith/");
    QTest::newRow("indented, tabs") << QByteArray(" \t2\tDATE\t1850") << true << 2 << QByteArray("|DATE|1850");
    QTest::newRow("blanks between parts") << QByteArray("0  @I1@ \t INDI") << true << 0 << QByteArray("@I1@|INDI|");
    QTest::newRow("value keeps its blanks") << QByteArray("1 NOTE   a ") << true << 1 << QByteArray("|NOTE|  a ");
    QTest::newRow("tag of letters") << QByteArray("1 _ÉTAT x") << true << 1 << QByteArray("|_ÉTAT|x");
    QTest::newRow("three digits") << QByteArray("100 NAME A") << false << -1 << QByteArray();
    QTest::newRow("no blank after the level") << QByteArray("1NAME A") << false << 1 << QByteArray();
    QTest::newRow("xref of two @") << QByteArray("0 @I@1@ INDI") << false << 0 << QByteArray();
    QTest::newRow("tag of a sign") << QByteArray("1 NAME: A") << false << 1 << QByteArray();
}

void TestGedcomValues::linesSplitAsOtherProgramsWriteThem()
{
    QFETCH(QByteArray, line);
    const Gedcom::LineParts parts = Gedcom::splitLine(line);
    QVERIFY(!parts.blank);
    QTEST(parts.wellFormed, "wellFormed");
    QTEST(parts.level, "level");
    if (parts.wellFormed)
        QTEST(parts.xref.toByteArray() + '|' + parts.tag.toByteArray() + '|' + parts.value.toByteArray(), "parts");
    QVERIFY(Gedcom::splitLine(" \t ").blank);
}

void TestGedcomValues::factsInTheNotesReadBack_data()
{
    QTest::addColumn<QString>("father");
    QTest::addColumn<QString>("mother");
    QTest::addColumn<QString>("fatherRelation");
    QTest::addColumn<QString>("motherRelation");
    QTest::addColumn<QString>("line");
    QTest::newRow("adopted") << "Carl Holm" << "Dora Holm" << "adopted" << "adopted"
                             << "Eva Holm was adopted by Carl Holm and Dora Holm.";
    QTest::newRow("fostered by one") << "" << "Dora Holm" << "" << "foster" << "Eva Holm was fostered by Dora Holm.";
    QTest::newRow("sealed") << "Carl Holm" << "" << "sealing" << "" << "Eva Holm was sealed to Carl Holm.";
    QTest::newRow("stepchild") << "Carl (Kalle) Holm" << "Dora Holm" << "stepchild" << "stepchild"
                               << "Eva Holm is a stepchild of Carl (Kalle) Holm and Dora Holm.";
    QTest::newRow("a word of the file") << "Carl Holm" << "Dora Holm" << "Guardian" << "Guardian"
                                        << "Eva Holm is a child (Guardian) of Carl Holm and Dora Holm.";
    QTest::newRow("the two differ") << "Carl Holm" << "Dora Holm" << "adopted" << ""
                                    << "Eva Holm is a child of Carl Holm (adopted) and Dora Holm (by birth).";
}

void TestGedcomValues::factsInTheNotesReadBack()
{
    QFETCH(QString, father);
    QFETCH(QString, mother);
    QFETCH(QString, fatherRelation);
    QFETCH(QString, motherRelation);
    QFETCH(QString, line);
    QCOMPARE(Gedcom::parentsLine("Eva Holm", {father, mother, fatherRelation, motherRelation}), line);
    // Read back, it gives the same line: the export links the same family.
    Gedcom::ParentsLine read;
    QVERIFY(Gedcom::readParentsLine(line, "Eva Holm", read));
    QCOMPARE(Gedcom::parentsLine("Eva Holm", read), line);
    QVERIFY(!Gedcom::readParentsLine(line, "Eva", read) && !Gedcom::readParentsLine(line, "Eva Holm Jr.", read));
    Gedcom::Sex sex = Gedcom::Sex::Male;
    QVERIFY(!Gedcom::readSexLine(line, "Eva Holm", sex));
    for (Gedcom::Sex s : {Gedcom::Sex::Male, Gedcom::Sex::Female, Gedcom::Sex::Unknown}) {
        QVERIFY(Gedcom::readSexLine(Gedcom::sexLine("The wife", s), "The wife", sex) && sex == s);
        QVERIFY(!Gedcom::readParentsLine(Gedcom::sexLine("The wife", s), "The wife", read));
    }
}

QTEST_GUILESS_MAIN(TestGedcomValues)
#include "test_gedcomvalues.moc"
