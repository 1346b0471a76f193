// Saves killed at random moments: a child process saves a large card file (or
// a site list) over and over and is killed with SIGKILL while it does. After
// every kill the file must hold one whole generation, the last one saved or
// the one being saved, and the next child must load it and save again.
#include "format/cardstore.h"
#include "crashfixtures.h"
#include "programs.h"
#include "files/safefile.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <functional>

using namespace kinfolio;
using namespace kinfolio::testing;

namespace {

constexpr int Kills = 200;
// Large enough that a save takes several milliseconds, so kills land inside
// the write; small enough to start a child 200 times in a few seconds.
constexpr int CardCount = 6000;

} // namespace

class TestKilledSaves : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void killedCardSaves();
    void killedSiteListSaves();
    void killedSessionsLoseNoAcknowledgedChange();

private:
    // Kills a child started with `args` Kills times; `fileOf` gives the bytes
    // of each generation. `path` holds generation 0 at the start.
    void killRepeatedly(const QStringList &args, const QString &path,
                        const std::function<QByteArray(int)> &fileOf);

    quint32 m_seed = 0;
};

void TestKilledSaves::initTestCase()
{
    // A failure names its seed; KINFOLIO_CRASH_SEED repeats that run.
    m_seed = qEnvironmentVariableIsSet("KINFOLIO_CRASH_SEED")
                 ? quint32(qEnvironmentVariableIntValue("KINFOLIO_CRASH_SEED"))
                 : QRandomGenerator::system()->generate();
    qInfo("seed %u", m_seed);
}

void TestKilledSaves::killRepeatedly(const QStringList &args, const QString &path,
                                     const std::function<QByteArray(int)> &fileOf)
{
    QList<QByteArray> generations;
    for (int g = 0; g < CrashGenerations; ++g)
        generations << fileOf(g);
    QRandomGenerator dice(m_seed);
    const QString name = QFileInfo(path).fileName();
    const QDir dir = QFileInfo(path).dir();
    int generation = 0;
    qint64 maxDelayUs = 0;
    int beforeFirstSave = 0, afterSomeSaves = 0;
    QStringList leftovers;

    for (int kill = 0; kill < Kills; ++kill) {
        StartedProgram started(QStringLiteral(CRASH_SAVER), args);
        QProcess &child = started.process();
        QVERIFY2(child.error() != QProcess::FailedToStart, qPrintable(child.errorString()));
        QByteArray out;
        while (!out.contains('r')) {
            if (!child.waitForReadyRead(30000)) {
                QFAIL(qPrintable(QStringLiteral("kill %1: the child did not get ready: %2")
                                     .arg(kill)
                                     .arg(QString::fromLocal8Bit(child.readAllStandardError()))));
            }
            out += child.readAllStandardOutput();
        }

        if (kill == 0) {
            // The first child times a few saves: later kills fall anywhere
            // within the first two saves after a child is ready.
            QElapsedTimer timer;
            timer.start();
            while (out.count('s') < 4 && child.waitForReadyRead(30000))
                out += child.readAllStandardOutput();
            QVERIFY2(out.count('s') >= 4, "the first child did not save four times");
            maxDelayUs = qMax<qint64>(2 * timer.nsecsElapsed() / 4000, 200);
            qInfo("one save takes about %lld us", static_cast<long long>(maxDelayUs / 2));
        } else {
            QThread::usleep(dice.bounded(quint32(maxDelayUs)));
        }

        child.kill();
        QVERIFY(child.waitForFinished(30000));
        out += child.readAllStandardOutput();
        QVERIFY2(child.exitStatus() == QProcess::CrashExit,
                 qPrintable(QStringLiteral("kill %1: the child ended by itself: %2")
                                .arg(kill)
                                .arg(QString::fromLocal8Bit(child.readAllStandardError()))));

        const int saved = int(out.count('s'));
        (saved == 0 ? beforeFirstSave : afterSomeSaves)++;
        const int last = (generation + saved) % CrashGenerations;
        const int next = (last + 1) % CrashGenerations;
        const QByteArray bytes = readBytes(path);
        if (bytes == generations[last]) {
            generation = last;
        } else if (bytes == generations[next]) {
            generation = next;
        } else {
            QFAIL(qPrintable(QStringLiteral("kill %1 (seed %2) after %3 completed saves: the file (%4 bytes) "
                                            "is neither generation %5 nor %6 whole")
                                 .arg(kill)
                                 .arg(m_seed)
                                 .arg(saved)
                                 .arg(bytes.size())
                                 .arg(last)
                                 .arg(next)));
        }

        // The save writes an unnamed file and names it only for the instant
        // between linking it into the directory and renaming it over the old
        // file. A kill in that instant leaves a complete copy under a unique
        // name: harmless, since no later save uses that name. A part-written
        // file under any name would be a fault.
        for (const QString &entry : dir.entryList(QDir::Files | QDir::Hidden | QDir::System)) {
            if (entry == name || leftovers.contains(entry))
                continue;
            leftovers << entry;
            const QByteArray left = readBytes(dir.filePath(entry));
            if (!generations.contains(left)) {
                QFAIL(qPrintable(QStringLiteral("kill %1 (seed %2) left %3 holding %4 bytes that are no whole "
                                                "generation")
                                     .arg(kill)
                                     .arg(m_seed)
                                     .arg(entry)
                                     .arg(left.size())));
            }
        }
    }
    qInfo("%d kills: %d during the first save, %d after one or more saves", Kills, beforeFirstSave,
          afterSomeSaves);
    // Kills must have landed both inside and after the first save.
    QVERIFY(beforeFirstSave > 0);
    QVERIFY(afterSomeSaves > 0);
    if (!leftovers.isEmpty())
        qInfo("complete copies left by kills between link and rename: %s", qPrintable(leftovers.join(u' ')));
}

void TestKilledSaves::killedCardSaves()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("Kinfolio.dat"));
    writeBytes(path, crashCardFile(0, CardCount));

    killRepeatedly({QStringLiteral("cards"), path, QString::number(CardCount)}, path,
                   [](int generation) { return crashCardFile(generation, CardCount); });
    if (QTest::currentTestFailed())
        return;

    // The program, started after all that, loads the file and saves it again.
    CardStore store(path);
    QVERIFY(store.loadCardFile());
    QCOMPARE(store.cardCount(), CardCount);
    const QByteArray before = readBytes(path);
    int generation = 0;
    while (generation < CrashGenerations && before != crashCardFile(generation, CardCount))
        ++generation;
    QVERIFY(generation < CrashGenerations);
    store.removeCard(0);
    const Result<> saved = store.saveCardFile();
    QVERIFY2(saved, qPrintable(saved.error()));
    QCOMPARE(readBytes(path), before.mid(crashCardFile(generation, 1).size()));
}

void TestKilledSaves::killedSiteListSaves()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("WebSites.dat"));
    writeBytes(path, crashSiteListFile(0));

    killRepeatedly({QStringLiteral("sites"), path}, path, [](int generation) { return crashSiteListFile(generation); });
    if (QTest::currentTestFailed())
        return;

    const Result<> written = writeFileSafely(path, "\"http://\"\r\n");
    QVERIFY2(written, qPrintable(written.error()));
    QCOMPARE(readBytes(path), QByteArray("\"http://\"\r\n"));
}

// A session of card commands killed at a random moment: the next start must
// bring back every acknowledged command (and perhaps the one under way), and
// the card file must hold the cards as they were or as Exit saved them.
void TestKilledSaves::killedSessionsLoseNoAcknowledgedChange()
{
    constexpr int Sessions = 150, Commands = 25, Cards = 100;
    const QByteArray initial = crashCardFile(0, Cards);
    QRandomGenerator dice(m_seed);
    qint64 sessionUs = 0;
    int duringCommands = 0;
    for (int run = 0; run < Sessions; ++run) {
        const quint32 seed = dice.generate();
        // The cards after each command, worked out here on a copy.
        QList<QByteArray> states;
        {
            QTemporaryDir model;
            writeBytes(model.filePath("Kinfolio.dat"), initial);
            CardEditor editor(model.filePath("Kinfolio.dat"));
            editor.open();
            QRandomGenerator script(seed);
            states << editor.store().cardFileBytes();
            for (int step = 0; step < Commands; ++step) {
                runSessionCommand(editor, script, step);
                states << editor.store().cardFileBytes();
            }
        }

        QTemporaryDir dir;
        const QString path = dir.filePath("Kinfolio.dat");
        writeBytes(path, initial);
        StartedProgram started(QStringLiteral(CRASH_SAVER),
                               {"session", path, QString::number(seed), QString::number(Commands)});
        QProcess &child = started.process();
        QByteArray out;
        while (!out.contains('r') && child.waitForReadyRead(30000))
            out += child.readAllStandardOutput();
        QVERIFY2(out.contains('r'), child.readAllStandardError().constData());
        if (run == 0) {
            // The first session runs whole and times itself; later kills fall within that time.
            QElapsedTimer timer;
            timer.start();
            QVERIFY(child.waitForFinished(30000));
            sessionUs = qMax<qint64>(timer.nsecsElapsed() / 1000, 1000);
            out += child.readAllStandardOutput();
            QVERIFY(out.endsWith('e'));
        } else {
            QThread::usleep(dice.bounded(quint32(sessionUs)));
            child.kill();
            QVERIFY(child.waitForFinished(30000));
            out += child.readAllStandardOutput();
        }
        const int acknowledged = int(out.count('a'));
        duringCommands += acknowledged < Commands ? 1 : 0;

        const QByteArray file = readBytes(path);
        QVERIFY2(file == initial || file == states.last(),
                 qPrintable(QStringLiteral("seed %1: the card file is neither as it was nor as Exit saves it").arg(seed)));
        CardEditor next(path);
        next.open();
        const QByteArray recovered = next.store().cardFileBytes();
        QVERIFY2(recovered == states[acknowledged] || (acknowledged < Commands && recovered == states[acknowledged + 1]),
                 qPrintable(QStringLiteral("seed %1: after %2 acknowledged commands the next start holds other cards")
                                .arg(seed)
                                .arg(acknowledged)));
    }
    qInfo("%d sessions, %d killed among their commands; a whole session takes about %lld us", Sessions,
          duringCommands, static_cast<long long>(sessionUs));
    QVERIFY(duringCommands > 0);
}

QTEST_GUILESS_MAIN(TestKilledSaves)
#include "test_killedsaves.moc"
