#include "cardfiles.h"
#include "installfilesystem.h"
#include "installsequence.h"
#include "recordingfilesystem.h"
#include "testmain.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

using namespace kinfolio;
using namespace kinfolio::testing;

class TestInstallSequence : public QObject
{
    Q_OBJECT

    QTemporaryDir m_temp;
    QString m_source;
    QString m_target; // not there yet; its parent is

    QList<InstallFailure> install(const QString &text)
    {
        LocalFileSystem fileSystem(m_source);
        const QList<InstallFailure> failures = InstallSequence(fileSystem, QStringLiteral("/")).run(text);
        if (!failures.isEmpty())
            qInfo("%s", qPrintable(installFailureReport(failures)));
        return failures;
    }

    // The new programs: the card program under its final name, still
    // executable, nothing stranded, and the one companion the set holds.
    void verifyProgram(const QString &directory)
    {
        QCOMPARE(readBytes(directory + "/Kinfolio.exe"), QByteArray("new program"));
        QVERIFY(QFileInfo(directory + "/Kinfolio.exe").isExecutable());
        QVERIFY(!QFile::exists(directory + "/test.ttt"));
        QCOMPARE(readBytes(directory + "/Readme.txt"), QByteArray("read me"));
        QCOMPARE(readBytes(directory + "/kinfolio-gedcom"), QByteArray("companion"));
        QVERIFY(!QFile::exists(directory + "/kinfolio-sheets"));
    }

private slots:
    void init()
    {
        static int run = 0;
        const QString root = m_temp.filePath(QString::number(++run));
        m_source = root + "/source";
        m_target = root + "/parent/Kinfolio";
        QVERIFY(QDir().mkpath(m_source) && QDir().mkpath(root + "/parent"));
        writeBytes(m_source + "/Kinfolio.dat", "\"cards\"\r\n");
        writeBytes(m_source + "/WebSites.dat", "\"http://\"\r\n");
        writeBytes(m_source + "/Readme.txt", "read me");
        writeBytes(m_source + "/test.ttt", "new program");
        writeBytes(m_source + "/kinfolio-gedcom", "companion"); // kinfolio-sheets is left out
        QVERIFY(QFile::setPermissions(m_source + "/test.ttt", QFile::permissions(m_source + "/test.ttt")
                                                                  | QFile::ExeOwner | QFile::ExeGroup));
    }

    void ensureTrailingSeparator_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("separator");
        QTest::addColumn<QString>("expected");
        QTest::newRow("empty") << "" << "\\" << "\\";
        QTest::newRow("ends in it") << "C:\\Program Files\\Kinfolio\\" << "\\" << "C:\\Program Files\\Kinfolio\\";
        QTest::newRow("missing") << "/opt/Kinfolio" << "/" << "/opt/Kinfolio/";
        QTest::newRow("other separator") << "C:\\Kinfolio/" << "\\" << "C:\\Kinfolio/\\";
    }

    void ensureTrailingSeparator()
    {
        QFETCH(QString, path);
        QFETCH(QString, separator);
        EnsureTrailingSeparator(path, separator);
        QTEST(path, "expected");
    }

    // What the sequence asks of the file system, in order.
    void formsThePathsStepByStep_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("separator");
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("copyTarget");
        QTest::newRow("default shape") << "/opt/Kinfolio/" << "/" << "/opt/Kinfolio/" << "/opt/Kinfolio/";
        QTest::newRow("windows default") << "C:\\Program Files\\Kinfolio\\" << "\\" << "C:\\Program Files\\Kinfolio\\"
                                         << "C:\\Program Files\\Kinfolio\\";
        QTest::newRow("no final separator") << "/opt/Kinfolio" << "/" << "/opt/Kinfolio/" << "/opt/Kinfolio/";
        // Only the copies are trimmed; the directory and the rename use the text as typed.
        QTest::newRow("spaces") << "  /opt/Kin  " << "/" << "  /opt/Kin  /" << "/opt/Kin  /";
        QTest::newRow("empty box goes to the root") << "" << "/" << "/" << "/";
    }

    void formsThePathsStepByStep()
    {
        QFETCH(QString, text);
        QFETCH(QString, separator);
        QFETCH(QString, target);
        QFETCH(QString, copyTarget);
        RecordingFileSystem fileSystem;
        InstallSequence sequence(fileSystem, separator);
        QVERIFY(sequence.run(text).isEmpty());
        QCOMPARE(sequence.TargetDirectory(), target);

        QStringList expected;
        if (!text.isEmpty())
            expected << "mkdir " + text;
        for (const char *name : {"Kinfolio.dat", "test.ttt", "Readme.txt", "WebSites.dat"})
            expected << QStringLiteral("copy %1 -> %2%1").arg(QLatin1String(name), copyTarget);
        expected << "rename " + target + "test.ttt -> " + target + "Kinfolio.exe";
        QCOMPARE(fileSystem.calls, expected);
    }

    void installsIntoTheDirectory_data()
    {
        QTest::addColumn<QString>("suffix");
        QTest::addColumn<bool>("exists");
        QTest::newRow("with separator") << "/" << false;
        QTest::newRow("without separator") << "" << false;
        QTest::newRow("trailing blanks are part of the name") << "  " << false;
        QTest::newRow("existing directory is no failure") << "/" << true;
    }

    void installsIntoTheDirectory()
    {
        QFETCH(QString, suffix);
        QFETCH(bool, exists);
        const QString directory = suffix == "/" ? m_target : m_target + suffix;
        if (exists)
            QVERIFY(QDir().mkdir(directory));
        QVERIFY(install(m_target + suffix).isEmpty());
        QCOMPARE(readBytes(directory + "/Kinfolio.dat"), QByteArray("\"cards\"\r\n"));
        QCOMPARE(readBytes(directory + "/WebSites.dat"), QByteArray("\"http://\"\r\n"));
        verifyProgram(directory);
    }

    void aMissingParentFailsEveryStepWithItsReason()
    {
        const QList<InstallFailure> failures = install(m_target + "/missing/");
        QCOMPARE(failures.size(), 7);
        for (const InstallFailure &failure : failures)
            QVERIFY2(failure.reason.contains("No such file"), qPrintable(failure.reason));
        QVERIFY(!QFile::exists(m_target));
    }

    void aMissingTransferFileSkipsOnlyItsSteps_data()
    {
        QTest::addColumn<QString>("missing");
        QTest::addColumn<int>("failed");
        QTest::newRow("read-me") << "Readme.txt" << 1;
        QTest::newRow("program") << "test.ttt" << 2; // its copy and the rename
    }

    void aMissingTransferFileSkipsOnlyItsSteps()
    {
        QFETCH(QString, missing);
        QVERIFY(QFile::remove(m_source + "/" + missing));
        const QList<InstallFailure> failures = install(m_target);
        QTEST(int(failures.size()), "failed");
        QVERIFY(failures.first().step.contains(missing));
        QCOMPARE(QFile::exists(m_target + "/Kinfolio.exe"), missing != "test.ttt");
        QVERIFY(QFile::exists(m_target + "/Kinfolio.dat") && QFile::exists(m_target + "/WebSites.dat"));
    }

    void reinstallingKeepsTheDataAndReplacesTheProgram()
    {
        QVERIFY(QDir().mkdir(m_target));
        writeBytes(m_target + "/Kinfolio.dat", "\"my cards\"\r\n");
        writeBytes(m_target + "/WebSites.dat", "\"http://my.site\"\r\n");
        writeBytes(m_target + "/Kinfolio.exe", "old program");
        writeBytes(m_target + "/Readme.txt", "old read me");

        QVERIFY(install(m_target).isEmpty());
        QCOMPARE(readBytes(m_target + "/Kinfolio.dat"), QByteArray("\"my cards\"\r\n"));
        QCOMPARE(readBytes(m_target + "/WebSites.dat"), QByteArray("\"http://my.site\"\r\n"));
        verifyProgram(m_target);
    }

    // The set's own folder, however it is named, would lose the set's program file.
    void theInstallationSetsOwnFolderIsRefused_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("refused");
        QTest::newRow("absolute") << "SOURCE" << true;
        QTest::newRow("with a final separator and leading spaces") << "  SOURCE/" << true;
        QTest::newRow("relative to the set") << "." << true;
        QTest::newRow("another folder") << "TARGET" << false;
    }
    void theInstallationSetsOwnFolderIsRefused()
    {
        QFETCH(QString, text);
        QFETCH(bool, refused);
        text.replace("SOURCE", m_source).replace("TARGET", m_target);
        LocalFileSystem fileSystem(m_source);
        QCOMPARE(InstallSequence(fileSystem, QStringLiteral("/")).refusal(text).has_value(), refused);
    }
};

KINFOLIO_TEST_MAIN(TestInstallSequence)
#include "test_installsequence.moc"
