// Starts the built card program from a copy of the installation set and
// checks that it runs past the splash without touching the card file.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

class TestProgram : public QObject
{
    Q_OBJECT
private slots:
    void startsAndRunsPastTheSplash();
};

void TestProgram::startsAndRunsPastTheSplash()
{
    const QString dist = qEnvironmentVariable("KINFOLIO_DIST_DIR");
    QVERIFY2(QFile::exists(dist + "/test.ttt"), "the card program was not built");
    QTemporaryDir dir;
    QVERIFY(QFile::copy(dist + "/test.ttt", dir.filePath("test.ttt")));
    const QByteArray card = QByteArray("\"Jonas Ashworth\"\r\n") + QByteArray("\"\"\r\n").repeated(16);
    {
        QFile f(dir.filePath("Kinfolio.dat"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(card);
    }

    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    program.setProcessEnvironment(env);
    program.setWorkingDirectory(QDir::tempPath()); // data files are found beside the program, not here
    program.start(dir.filePath("test.ttt"), {});
    QVERIFY(program.waitForStarted(5000));
    // The splash hands over after three seconds; the program must still run then.
    QVERIFY(!program.waitForFinished(4500));
    QCOMPARE(program.state(), QProcess::Running);
    program.kill();
    program.waitForFinished(5000);

    QFile f(dir.filePath("Kinfolio.dat"));
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), card);
}

QTEST_GUILESS_MAIN(TestProgram)
#include "test_program.moc"
