// Starts the built card program from a copy of the installation set and
// checks that it runs past the splash without changing the card file.
#include "cardfiles.h"
#include "programs.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using namespace kinfolio;
using namespace kinfolio::testing;

class TestProgram : public QObject
{
    Q_OBJECT
private slots:
    void startsAndRunsPastTheSplash();
    void keepsItsFilesInTheFolderNamed();
};

void TestProgram::startsAndRunsPastTheSplash()
{
    const QString dist = qEnvironmentVariable("KINFOLIO_DIST_DIR");
    QVERIFY2(QFile::exists(dist + "/test.ttt"), "the card program was not built");
    QTemporaryDir dir;
    QVERIFY(QFile::copy(dist + "/test.ttt", dir.filePath("test.ttt")));
    const QByteArray card = cardBytes(makeCard({{CardField::Name, "Jonas Ashworth"}}));
    writeBytes(dir.filePath("Kinfolio.dat"), card);

    RunSettings settings;
    settings.environment.insert("QT_QPA_PLATFORM", "offscreen");
    settings.workingDirectory = QDir::tempPath(); // data files are found beside the program, not here
    StartedProgram program(dir.filePath("test.ttt"), {}, settings);
    // The card window takes the lock when the splash hands over to it; then
    // the program still answers, ending as a logout ends it.
    QVERIFY(program.runsUntil([&dir] { return QFile::exists(dir.filePath("Kinfolio.dat.lock")); }, 20000));
    QCOMPARE(program.endsWhenAsked(20000), 0);
    QCOMPARE(readBytes(dir.filePath("Kinfolio.dat")), card);
}

// The lock the card window holds shows where it keeps its files.
void TestProgram::keepsItsFilesInTheFolderNamed()
{
    const QString dist = qEnvironmentVariable("KINFOLIO_DIST_DIR");
    QTemporaryDir program, folder;
    QVERIFY(QFile::copy(dist + "/test.ttt", program.filePath("test.ttt")));
    const QByteArray card = cardBytes(makeCard({{CardField::Name, "Jonas Ashworth"}}));
    writeBytes(folder.filePath("Kinfolio.dat"), card);

    RunSettings settings;
    settings.environment.insert("QT_QPA_PLATFORM", "offscreen");
    StartedProgram started(program.filePath("test.ttt"), {"--folder", folder.path()}, settings);
    QVERIFY(started.runsUntil([&folder] { return QFile::exists(folder.filePath("Kinfolio.dat.lock")); }, 20000));
    started.stop();
    QCOMPARE(QDir(program.path()).entryList(QDir::Files), QStringList{"test.ttt"});
    QCOMPARE(readBytes(folder.filePath("Kinfolio.dat")), card);
}

QTEST_GUILESS_MAIN(TestProgram)
#include "test_program.moc"
