// The kinfolio-gedcom program as a user runs it: arguments, help, messages on
// stderr, exit status, and no half-written output.
#include "commands/cardeditor.h"
#include "session/cardfilelock.h"
#include "gedcomfixtures.h"
#include "programs.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using namespace kinfolio;
using namespace kinfolio::testing;

namespace {

ProgramRun gedcom(const QStringList &arguments)
{
    return runProgram(QStringLiteral(KINFOLIO_GEDCOM_PROGRAM), arguments);
}

} // namespace

class TestGedcomProgram : public QObject
{
    Q_OBJECT
private slots:
    void exportsAndSaysWhatItWrote();
    void helpExplainsTheProgram();
    void failuresExplainOnStderrAndLeaveOutputAlone_data();
    void failuresExplainOnStderrAndLeaveOutputAlone();
    void importWritesCardsAndSaysWhatTheyCannotHold();
    void refusalsWriteNothing_data();
    void refusalsWriteNothing();
};

namespace {

// A family with a child in no family, a christening and a source, which no
// card holds, and a name outside the card file's code page.
const QByteArray smallGedcom = "0 HEAD\r\n1 CHAR UTF-8\r\n"
                               "0 @I1@ INDI\r\n1 NAME Jonas /Ashworth/\r\n1 CHR\r\n2 DATE 1821\r\n"
                               "0 @I2@ INDI\r\n1 NAME \xCE\xA9lla /Pryce/\r\n1 SEX F\r\n"
                               "0 @I3@ INDI\r\n1 NAME Thomas /Ashworth/\r\n1 FAMC @F1@\r\n1 SOUR @S1@\r\n"
                               "0 @F1@ FAM\r\n1 HUSB @I1@\r\n1 WIFE @I2@\r\n1 CHIL @I3@\r\n1 MARR\r\n2 DATE 1846\r\n"
                               "0 @S1@ SOUR\r\n1 TITL Parish register\r\n0 TRLR\r\n";

// Seventeen lines: the card program's reader would take it for one card.
const QByteArray cardSizedGedcom = "0 HEAD\r\n" + QByteArray("1 NOTE x\r\n").repeated(15) + "0 TRLR\r\n";

} // namespace

void TestGedcomProgram::exportsAndSaysWhatItWrote()
{
    QTemporaryDir dir;
    const QString in = dir.filePath("Kinfolio.dat"), out = dir.filePath("family.ged");
    writeCardFile(in, sampleFamily());
    writeBytes(out, "0 HEAD\r\n1 NOTE an earlier export, replaced\r\n");

    const ProgramRun r = gedcom({in, out});
    QCOMPARE(r.exitCode, 0);
    QCOMPARE(r.err, QString());
    QCOMPARE(r.out, QStringLiteral("Wrote %1: %2 individuals, %3 families.\n")
                        .arg(out)
                        .arg(sampleFamilyIndividuals)
                        .arg(sampleFamilyFamilies));
    const WrittenGedcom file(readBytes(out));
    QVERIFY2(file.problem.isEmpty(), qPrintable(file.problem));
    QCOMPARE(int(file.all("INDI").size()), sampleFamilyIndividuals);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList({"family.ged", "Kinfolio.dat"}));
}

void TestGedcomProgram::helpExplainsTheProgram()
{
    const ProgramRun r = gedcom({"--help"});
    QCOMPARE(r.exitCode, 0);
    for (const char *part : {"CARDFILE GEDCOMFILE", "GEDCOM 5.5.1", "Exit status"})
        QVERIFY2(r.out.contains(part), qPrintable(r.out));
}

void TestGedcomProgram::failuresExplainOnStderrAndLeaveOutputAlone_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("message");
    // DIR stands for the test's folder, which holds a card file Kinfolio.dat,
    // a damaged card file cut.dat and an earlier export family.ged.
    QTest::newRow("no arguments") << QStringList() << 2 << "expected a card file and a GEDCOM file";
    QTest::newRow("one argument") << QStringList{"DIR/Kinfolio.dat"} << 2 << "Try 'kinfolio-gedcom --help'";
    QTest::newRow("three arguments") << QStringList{"DIR/Kinfolio.dat", "DIR/family.ged", "x"} << 2
                                     << "expected a card file";
    QTest::newRow("unknown option") << QStringList{"--frobnicate", "DIR/Kinfolio.dat", "DIR/family.ged"} << 2
                                    << "Unknown option 'frobnicate'";
    QTest::newRow("missing card file") << QStringList{"DIR/absent.dat", "DIR/family.ged"} << 1
                                       << "the card file DIR/absent.dat does not exist";
    QTest::newRow("damaged card file") << QStringList{"DIR/cut.dat", "DIR/family.ged"} << 1
                                       << "the card file DIR/cut.dat is damaged: card 1 is incomplete";
    QTest::newRow("card file is a named pipe") << QStringList{"DIR/pipe.dat", "DIR/family.ged"} << 1
                                               << "DIR/pipe.dat could not be read: Not a regular file";
    QTest::newRow("output folder missing") << QStringList{"DIR/Kinfolio.dat", "DIR/nowhere/family.ged"} << 1
                                           << "DIR/nowhere/family.ged could not be written";
    QTest::newRow("output is the card file") << QStringList{"DIR/Kinfolio.dat", "DIR/Kinfolio.dat"} << 1
                                             << "is the card file itself";
}

void TestGedcomProgram::failuresExplainOnStderrAndLeaveOutputAlone()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, message);
    QTemporaryDir dir;
    writeCardFile(dir.filePath("Kinfolio.dat"), sampleFamily());
    const QByteArray cards = readBytes(dir.filePath("Kinfolio.dat"));
    writeBytes(dir.filePath("cut.dat"), cards.left(cards.size() / 10));
    writeBytes(dir.filePath("family.ged"), "0 HEAD\r\nearlier export");
    // Opening a named pipe for reading waits for a writer that never comes.
    QCOMPARE(mkfifo(QFile::encodeName(dir.filePath("pipe.dat")).constData(), 0600), 0);
    arguments.replaceInStrings("DIR", dir.path());

    const ProgramRun r = gedcom(arguments);
    QCOMPARE(r.exitCode, exitCode);
    QCOMPARE(r.out, QString());
    QVERIFY2(r.err.startsWith("kinfolio-gedcom: ") && r.err.contains(message.replace("DIR", dir.path())),
             qPrintable(r.err));
    QCOMPARE(readBytes(dir.filePath("family.ged")), QByteArray("0 HEAD\r\nearlier export"));
    QCOMPARE(readBytes(dir.filePath("Kinfolio.dat")), cards);
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot),
             QStringList({"cut.dat", "family.ged", "Kinfolio.dat", "pipe.dat"}));
}

void TestGedcomProgram::importWritesCardsAndSaysWhatTheyCannotHold()
{
    QTemporaryDir dir;
    const QString ged = dir.filePath("family.ged"), cards = dir.filePath("new.dat");
    writeBytes(ged, smallGedcom);
    ProgramRun r = gedcom({"--import", ged, cards});
    QCOMPARE(r.err, QString());
    QCOMPARE(r.exitCode, 0);
    QCOMPARE(r.out, QStringLiteral("Read %1 (UTF-8): 3 people, 1 family.\n"
                                   "Wrote %2: 2 cards: 1 for families, 1 for people in no family.\n"
                                   "Not on the cards, by tag: CHR 1, SOUR 1; records: SOUR 1.\n")
                        .arg(ged, cards));
    CardStore store(cards);
    QVERIFY(store.loadCardFile());
    QCOMPARE(store.cardCount(), 2);
    QCOMPARE(store.text(0, CardField::WifeName), QStringLiteral("\u03a9lla Pryce"));
    QCOMPARE(store.text(1, CardField::Father), "Jonas Ashworth");

    // A card window that crashed after adding a card: the import takes its
    // journal and the import's cards go after the recovered one.
    {
        CardEditor crashed(cards);
        crashed.open();
        CardFields card;
        card[CardField::Name] = QStringLiteral("Recovered");
        crashed.add(card);
    }
    r = gedcom({"--import", "--append", ged, cards});
    QCOMPARE(r.exitCode, 0);
    QVERIFY2(r.out.contains(QStringLiteral("Wrote %1: 2 cards after its 3 (5 in all)").arg(cards)), qPrintable(r.out));
    QVERIFY(r.out.contains(QStringLiteral("Its cards include 1 change of a Kinfolio session that did not end through Exit")));
    QVERIFY(store.loadCardFile());
    QCOMPARE(store.cardCount(), 5);
    QCOMPARE(store.text(2, CardField::Name), QStringLiteral("Recovered"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList({"family.ged", "new.dat"})); // lock and journal gone

    // Past the twentieth warning the screen gives a count; --warnings keeps
    // them all, one a line. A pipe gets no progress line.
    QByteArray links;
    for (int i = 1; i <= 25; ++i)
        links += "1 HUSB @X" + QByteArray::number(i) + "@\r\n";
    writeBytes(ged, "0 HEAD\r\n1 CHAR UTF-8\r\n0 @F1@ FAM\r\n" + links + "1 MARR\r\n2 DATE 1850\r\n0 TRLR\r\n");
    const QString warnings = dir.filePath("warnings.txt");
    r = gedcom({"--import", "--warnings", warnings, ged, dir.filePath("more.dat")});
    QCOMPARE(r.exitCode, 0);
    QVERIFY2(r.err.endsWith(QStringLiteral("warning: and 5 more warnings, in %1\n").arg(warnings)), qPrintable(r.err));
    QVERIFY(!r.err.contains(u'\r'));
    const QList<QByteArray> all = readBytes(warnings).split('\n');
    QCOMPARE(all.size(), 26);
    QCOMPARE(all.at(24), "line 28: HUSB @X25@ links to no person in the file; the link is left out");
    r = gedcom({"--import", ged, dir.filePath("again.dat")});
    QVERIFY2(r.err.endsWith("and 5 more warnings; --warnings FILE writes them all to FILE\n"), qPrintable(r.err));
}

void TestGedcomProgram::refusalsWriteNothing_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("situation");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("message");
    // DIR holds the card files Kinfolio.dat (8 cards) and other.dat,
    // empty.dat, family.ged, hostile.ged, slip.ged of 17 lines, cut.dat and
    // family.pdf.
    // Rows whose situation is "sheets" run kinfolio-sheets.
    const QStringList into{"--import", "DIR/family.ged", "DIR/Kinfolio.dat"};
    QTest::newRow("card file holds cards") << into << "" << 1
                                           << "DIR/Kinfolio.dat already holds 8 cards, and the import never "
                                              "overwrites cards; add --append";
    QTest::newRow("card program open on it") << QStringList{"--import", "--append", "DIR/family.ged", "DIR/Kinfolio.dat"}
                                             << "locked" << 1 << "Kinfolio is already open on its card file in\nDIR\n";
    QTest::newRow("too many cards") << QStringList{"--import", "--append", "DIR/family.ged", "DIR/Kinfolio.dat"}
                                    << "full" << 1 << "more than the 32767 a card file holds; nothing was written";
    QTest::newRow("damaged card file to import") << QStringList{"--import", "DIR/cut.dat", "DIR/new.dat"} << "" << 1
                                                 << "the card file DIR/cut.dat is damaged";
    QTest::newRow("control characters shown escaped")
        << QStringList{"--import", "DIR/hostile.ged", "DIR/new.dat"} << "" << 1
        << "its first line \"\\x1b]0;owned\\x07\\x9b2J\" is not the header";
    QTest::newRow("damaged card file") << QStringList{"--import", "--append", "DIR/family.ged", "DIR/cut.dat"} << ""
                                       << 1 << "the card file DIR/cut.dat is damaged";
    QTest::newRow("card file is the GEDCOM file") << QStringList{"--import", "DIR/family.ged", "DIR/family.ged"}
                                                  << "" << 1 << "is the GEDCOM file itself";
    QTest::newRow("warnings onto the card file")
        << QStringList{"--import", "--warnings", "DIR/Kinfolio.dat", "DIR/family.ged", "DIR/new.dat"} << "" << 1
        << "DIR/Kinfolio.dat is a card file, so it is left as it is: name a new file for --warnings";
    QTest::newRow("warnings onto a PDF")
        << QStringList{"--import", "--warnings", "DIR/family.pdf", "DIR/family.ged", "DIR/new.dat"} << "" << 1
        << "family.pdf is a PDF file";
    QTest::newRow("append without import") << QStringList{"--append", "DIR/Kinfolio.dat", "DIR/x.ged"} << "" << 2
                                           << "--append goes with --import";
    QTest::newRow("import one file") << QStringList{"--import", "DIR/family.ged"} << "" << 2
                                     << "expected a GEDCOM file to read and a card file to write";
    const QString intoCards = "DIR/slip.ged is a GEDCOM file, not a card file. To bring it into cards: "
                              "kinfolio-gedcom --import DIR/slip.ged Kinfolio.dat";
    QTest::newRow("export, the import's order") << QStringList{"DIR/slip.ged", "DIR/Kinfolio.dat"} << "" << 1
                                                << intoCards;
    QTest::newRow("sheets, the import's order") << QStringList{"DIR/slip.ged", "DIR/Kinfolio.dat"} << "sheets" << 1
                                                << intoCards;
    QTest::newRow("sheets onto cards") << QStringList{"DIR/other.dat", "DIR/Kinfolio.dat"} << "sheets" << 1
                                       << "DIR/Kinfolio.dat is a card file, not a PDF file, and cards are never";
    QTest::newRow("sheets onto an empty card file") << QStringList{"DIR/other.dat", "DIR/empty.dat"} << "sheets" << 1
                                                    << "DIR/empty.dat is an empty card file";
    QTest::newRow("sheets from a PDF") << QStringList{"DIR/family.pdf", "DIR/Kinfolio.dat"} << "sheets" << 1
                                       << "DIR/family.pdf is a PDF file, not a card file. Name the card file first";
    QTest::newRow("export onto a PDF") << QStringList{"DIR/Kinfolio.dat", "DIR/family.pdf"} << "" << 1
                                       << "DIR/family.pdf is a PDF file, not a GEDCOM file, so it is left as it is";
    QTest::newRow("import onto a PDF") << QStringList{"--import", "--append", "DIR/family.ged", "DIR/family.pdf"}
                                       << "" << 1 << "DIR/family.pdf is a PDF file, not a card file";
}

void TestGedcomProgram::refusalsWriteNothing()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, situation);
    QFETCH(int, exitCode);
    QFETCH(QString, message);
    QTemporaryDir dir;
    std::vector<CardFields> cards = sampleFamily();
    if (situation == "full")
        cards.resize(CardStore::MaxCards - 1, makeCard({{CardField::Name, "Somebody"}}));
    writeCardFile(dir.filePath("Kinfolio.dat"), cards);
    const QByteArray cardBytes = readBytes(dir.filePath("Kinfolio.dat"));
    writeBytes(dir.filePath("cut.dat"), cardBytes.left(100));
    writeBytes(dir.filePath("family.ged"), smallGedcom);
    // A title for the terminal's window, and a C1 sequence that clears it.
    writeBytes(dir.filePath("hostile.ged"), "\x1b]0;owned\x07\xc2\x9b" "2J\r\n0 HEAD\r\n");
    writeCardFile(dir.filePath("other.dat"), std::vector{makeCard({{CardField::Name, "Somebody"}})});
    writeBytes(dir.filePath("slip.ged"), cardSizedGedcom);
    writeBytes(dir.filePath("family.pdf"), "%PDF-1.4\n");
    writeBytes(dir.filePath("empty.dat"), QByteArray());
    CardFileLock lock(dir.filePath("Kinfolio.dat"));
    if (situation == "locked")
        QCOMPARE(lock.tryLock(), CardFileLock::Outcome::Locked);
    const QStringList before = QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    arguments.replaceInStrings("DIR", dir.path());

    const QString program = situation == "sheets" ? KINFOLIO_SHEETS_PROGRAM : KINFOLIO_GEDCOM_PROGRAM;
    const ProgramRun r = runProgram(program, arguments);
    QCOMPARE(r.exitCode, exitCode);
    QCOMPARE(r.out, QString());
    QVERIFY2(r.err.startsWith(QFileInfo(program).fileName() + ": ")
                 && r.err.contains(message.replace("DIR", dir.path())),
             qPrintable(r.err));
    QCOMPARE(readBytes(dir.filePath("Kinfolio.dat")), cardBytes);
    QCOMPARE(readBytes(dir.filePath("family.pdf")), QByteArray("%PDF-1.4\n"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), before);
}

QTEST_GUILESS_MAIN(TestGedcomProgram)
#include "test_gedcomprogram.moc"
