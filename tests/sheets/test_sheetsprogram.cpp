// The kinfolio-sheets program as a user runs it: the PDF it writes, read back
// with poppler-utils (pages, paper, embedded fonts, text), its options, and
// the failures that leave the output alone.
#include "cardfiles.h"
#include "programs.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTest>

using namespace kinfolio;
using namespace kinfolio::testing;

namespace {

ProgramRun sheets(const QStringList &arguments, long fileSizeLimit = 0)
{
    RunSettings settings;
    settings.fileSizeLimit = fileSizeLimit;
    return runProgram(QStringLiteral(KINFOLIO_SHEETS_PROGRAM), arguments, settings);
}

// The text of one page, or of all pages when `page` is 0.
QString pdfText(const QString &pdf, int page = 0)
{
    QStringList args;
    if (page > 0)
        args << "-f" << QString::number(page) << "-l" << QString::number(page);
    return runProgram("pdftotext", args << pdf << "-").out;
}

} // namespace

class TestSheetsProgram : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void printsEverySheetAndChartWithEmbeddedFonts();
    void oneCardOnLetterPaper();
    void namesOfEveryScriptPrintInSubsetsOfTheirFonts();
    void failuresExplainOnStderrAndLeaveOutputAlone_data();
    void failuresExplainOnStderrAndLeaveOutputAlone();
};

void TestSheetsProgram::initTestCase()
{
    for (const char *tool : {"pdftotext", "pdffonts", "pdfinfo"}) {
        if (QStandardPaths::findExecutable(tool).isEmpty())
            QSKIP("the PDF is read back with poppler-utils (apt-get install poppler-utils)");
    }
}

void TestSheetsProgram::printsEverySheetAndChartWithEmbeddedFonts()
{
    QTemporaryDir dir;
    const QString in = dir.filePath("Kinfolio.dat"), out = dir.filePath("family.pdf");
    writeCardFile(in, sampleFamily());
    writeBytes(out, "%PDF-1.4 an earlier print, replaced");

    const ProgramRun r = sheets({in, out});
    QCOMPARE(r.err, QString());
    QCOMPARE(r.exitCode, 0);
    QCOMPARE(r.out, QStringLiteral("Wrote %1: 8 family group sheets and 8 pedigree charts, 16 pages.\n").arg(out));
    const QString info = runProgram("pdfinfo", {out}).out;
    QVERIFY2(info.contains(QRegularExpression("Pages: +16\n")) && info.contains("(A4)"), qPrintable(info));

    // Both families, embedded, and no other font.
    QStringList fonts = runProgram("pdffonts", {out}).out.split(u'\n', Qt::SkipEmptyParts).mid(2);
    QStringList families;
    for (const QString &row : fonts) {
        const QStringList columns = row.simplified().split(u' ');
        QVERIFY2(columns.size() > 5 && columns[columns.size() - 5] == "yes", qPrintable(row)); // emb
        families << columns[0].section(u'-', 0, 0);
    }
    families.removeDuplicates();
    families.sort();
    QCOMPARE(families, QStringList({"LiberationSans", "LiberationSerif"}));

    // Each card is a sheet, then a chart: Jonas's sheet holds his children,
    // Edward's the Windows-1252 notes, and his chart his great-grandparents.
    const QString jonas = pdfText(out, 1).simplified();
    for (const char *text : {"Family Group Sheet", "Card 1 of 8", "Thomas Ashworth", "Margaret Ashworth",
                             "George Lister", "buried at St. Peter\u2019s, Leeds.", "Page 1 of 16"})
        QVERIFY2(jonas.contains(QString::fromUtf8(text)), qPrintable(text + (" in: " + jonas)));
    QVERIFY(!jonas.contains("Edward"));
    const QString edward = pdfText(out, 11).simplified();
    for (const char *text : {"Card 6 of 8", "the K\u00f6nigstra\u00dfe; called \u201dElsie\u201d at home.",
                             "a \u00bd share", "valued at \u20ac300"})
        QVERIFY2(edward.contains(QString::fromUtf8(text)), qPrintable(text + (" in: " + edward)));
    const QString edwardChart = pdfText(out, 12).simplified();
    for (const char *text : {"Pedigree Chart", "Card 6 of 8", "Thomas Ashworth", "Jonas Ashworth",
                             "1821 \u2013 1890", "William Ashworth", "Mary Holt", "Owen Pryce", "Ann Lloyd"})
        QVERIFY2(edwardChart.contains(QString::fromUtf8(text)), qPrintable(text + (" in: " + edwardChart)));
    QVERIFY(pdfText(out, 9).contains("No other card names this couple as parents."));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList({"family.pdf", "Kinfolio.dat"}));
}

void TestSheetsProgram::oneCardOnLetterPaper()
{
    QTemporaryDir dir;
    const QString in = dir.filePath("Kinfolio.dat"), out = dir.filePath("edward.pdf");
    writeCardFile(in, sampleFamily());
    const ProgramRun r = sheets({in, out, "--card", "6", "--paper", "Letter"});
    QCOMPARE(r.exitCode, 0);
    QCOMPARE(r.out, QStringLiteral("Wrote %1: 1 family group sheet and 1 pedigree chart, 2 pages.\n").arg(out));
    const QString info = runProgram("pdfinfo", {out}).out;
    QVERIFY2(info.contains(QRegularExpression("Pages: +2\n")) && info.contains("612 x 792"), qPrintable(info));
    const QString text = pdfText(out);
    QVERIFY(text.contains("Card 6 of 8") && text.contains("Edward Ashworth") && !text.contains("Card 5 of 8"));
}

void TestSheetsProgram::namesOfEveryScriptPrintInSubsetsOfTheirFonts()
{
    using F = CardField;
    QTemporaryDir dir;
    const QString in = dir.filePath("Kinfolio.dat"), out = dir.filePath("scripts.pdf");
    const QString hebrew = "\u05de\u05e9\u05d4 \u05db\u05d4\u05df", polish = "\u0141ukasz Wr\u00f3bel";
    writeCardFile(in, std::vector{makeCard({{F::Name, polish}, {F::WifeName, hebrew}, {F::Father, "\u738b\u5efa\u56fd"},
                                            {F::WifeFather, "\u0641\u0627\u0637\u0645\u0629"}})});
    QCOMPARE(sheets({in, out}).exitCode, 0);
    const QString fonts = runProgram("pdffonts", {out}).out;
    for (const char *font : {"NotoSerifHebrew-Regular", "NotoNaskhArabic-Regular", "NotoSerifCJKsc-Regular"})
        QVERIFY2(fonts.contains(QRegularExpression(QStringLiteral("%1 .* yes ").arg(font))), qPrintable(fonts));
    // Whole, the CJK font alone would take megabytes.
    QVERIFY2(QFileInfo(out).size() < 300 * 1024, qPrintable(QString::number(QFileInfo(out).size())));
    // Read back in the order written: the Hebrew was drawn right to left.
    const QString text = pdfText(out);
    QVERIFY2(text.contains(polish) && text.contains(hebrew), qPrintable(text));
}

void TestSheetsProgram::failuresExplainOnStderrAndLeaveOutputAlone_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<long>("fileSizeLimit");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("message");
    // DIR stands for the test's folder, which holds a card file Kinfolio.dat,
    // a damaged card file cut.dat, an empty one empty.dat and an earlier
    // print family.pdf.
    const QString in = "DIR/Kinfolio.dat", out = "DIR/family.pdf";
    QTest::newRow("no arguments") << QStringList() << 0L << 2 << "expected a card file and a PDF file";
    QTest::newRow("unknown option") << QStringList{"--frobnicate", in, out} << 0L << 2
                                    << "Unknown option 'frobnicate'";
    QTest::newRow("unknown paper") << QStringList{in, out, "--paper", "a3"} << 0L << 2
                                   << "--paper must be a4 or letter, not 'a3'";
    QTest::newRow("card zero") << QStringList{in, out, "--card", "0"} << 0L << 2 << "--card needs a card number";
    QTest::newRow("card no number") << QStringList{in, out, "--card", "x"} << 0L << 2 << "not 'x'";
    QTest::newRow("card not held") << QStringList{in, out, "--card", "9"} << 0L << 1
                                   << "the card file DIR/Kinfolio.dat holds 8 cards: there is no card 9";
    QTest::newRow("missing card file") << QStringList{"DIR/absent.dat", out} << 0L << 1
                                       << "the card file DIR/absent.dat does not exist";
    QTest::newRow("damaged card file") << QStringList{"DIR/cut.dat", out} << 0L << 1
                                       << "the card file DIR/cut.dat is damaged: card 3 is incomplete";
    QTest::newRow("empty card file") << QStringList{"DIR/empty.dat", out} << 0L << 1
                                     << "holds no cards: there is nothing to print";
    QTest::newRow("output folder missing") << QStringList{in, "DIR/nowhere/family.pdf"} << 0L << 1
                                           << "DIR/nowhere/family.pdf could not be written";
    QTest::newRow("output is a folder") << QStringList{in, "DIR"} << 0L << 1 << "DIR could not be written";
    QTest::newRow("output is the card file") << QStringList{in, in} << 0L << 1 << "is the card file itself";
    QTest::newRow("disk full halfway") << QStringList{in, out} << 20000L << 1 << "DIR/family.pdf could not be written";
}

void TestSheetsProgram::failuresExplainOnStderrAndLeaveOutputAlone()
{
    QFETCH(QStringList, arguments);
    QFETCH(long, fileSizeLimit);
    QFETCH(int, exitCode);
    QFETCH(QString, message);
    QTemporaryDir dir;
    writeCardFile(dir.filePath("Kinfolio.dat"), sampleFamily());
    const QByteArray cards = readBytes(dir.filePath("Kinfolio.dat"));
    writeBytes(dir.filePath("cut.dat"), cards.left(cards.size() / 3));
    writeBytes(dir.filePath("empty.dat"), QByteArray());
    writeBytes(dir.filePath("family.pdf"), "%PDF-1.4 earlier print");
    arguments.replaceInStrings("DIR", dir.path());

    const ProgramRun r = sheets(arguments, fileSizeLimit);
    QCOMPARE(r.exitCode, exitCode);
    QCOMPARE(r.out, QString());
    QVERIFY2(r.err.startsWith("kinfolio-sheets: ") && r.err.contains(message.replace("DIR", dir.path())),
             qPrintable(r.err));
    QCOMPARE(readBytes(dir.filePath("family.pdf")), QByteArray("%PDF-1.4 earlier print"));
    QCOMPARE(readBytes(dir.filePath("Kinfolio.dat")), cards);
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
             QStringList({"cut.dat", "empty.dat", "family.pdf", "Kinfolio.dat"}));
}

QTEST_GUILESS_MAIN(TestSheetsProgram)
#include "test_sheetsprogram.moc"
