// The kinfolio-gedcom program as a user runs it: arguments, help, messages on
// stderr, exit status, and no half-written output.
#include "gedcomfixtures.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace kinfolio;
using namespace kinfolio::testing;

namespace {

struct Run
{
    int exitCode = -1;
    QString out;
    QString err;
};

Run runProgram(const QStringList &arguments)
{
    QProcess p;
    p.start(QStringLiteral(KINFOLIO_GEDCOM_PROGRAM), arguments);
    Run r;
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit)
        return r;
    r.exitCode = p.exitCode();
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
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
};

void TestGedcomProgram::exportsAndSaysWhatItWrote()
{
    QTemporaryDir dir;
    const QString in = dir.filePath("Kinfolio.dat"), out = dir.filePath("family.ged");
    QVERIFY(writeCardFile(in, threeGenerationCards()));
    writeBytes(out, "an earlier export, replaced");

    const Run r = runProgram({in, out});
    QCOMPARE(r.exitCode, 0);
    QCOMPARE(r.err, QString());
    QCOMPARE(r.out, QStringLiteral("Wrote %1: %2 individuals, %3 families.\n")
                        .arg(out)
                        .arg(threeGenerationIndividuals)
                        .arg(threeGenerationFamilies));
    const GedFile file = parseGedcom(readBytes(out));
    QVERIFY2(file.problem.isEmpty(), qPrintable(file.problem));
    QCOMPARE(int(file.all("INDI").size()), threeGenerationIndividuals);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList({"family.ged", "Kinfolio.dat"}));
}

void TestGedcomProgram::helpExplainsTheProgram()
{
    const Run r = runProgram({"--help"});
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
    QVERIFY(writeCardFile(dir.filePath("Kinfolio.dat"), threeGenerationCards()));
    const QByteArray cards = readBytes(dir.filePath("Kinfolio.dat"));
    writeBytes(dir.filePath("cut.dat"), cards.left(cards.size() / 10));
    writeBytes(dir.filePath("family.ged"), "earlier export");
    arguments.replaceInStrings("DIR", dir.path());

    const Run r = runProgram(arguments);
    QCOMPARE(r.exitCode, exitCode);
    QCOMPARE(r.out, QString());
    QVERIFY2(r.err.startsWith("kinfolio-gedcom: ") && r.err.contains(message.replace("DIR", dir.path())),
             qPrintable(r.err));
    QCOMPARE(readBytes(dir.filePath("family.ged")), QByteArray("earlier export"));
    QCOMPARE(readBytes(dir.filePath("Kinfolio.dat")), cards);
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
             QStringList({"cut.dat", "family.ged", "Kinfolio.dat"}));
}

QTEST_GUILESS_MAIN(TestGedcomProgram)
#include "test_gedcomprogram.moc"
