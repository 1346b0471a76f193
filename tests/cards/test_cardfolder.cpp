// The folder the card program keeps its files in: named by --folder or
// KINFOLIO_HOME, or beside the program, and refused when unusable.
#include "commands/cardfolder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace kinfolio;

class TestCardFolder : public QObject
{
    Q_OBJECT
private slots:
    void choosesAUsableFolderAndRefusesAnyOther_data();
    void choosesAUsableFolderAndRefusesAnyOther();

private:
    QTemporaryDir m_root;
};

// Paths are written relative to a scratch root; "@" stands for the root itself.
void TestCardFolder::choosesAUsableFolderAndRefusesAnyOther_data()
{
    QTest::addColumn<QString>("named");
    QTest::addColumn<QString>("home");
    QTest::addColumn<QString>("chosen");   // relative to the root; empty when refused
    QTest::addColumn<QString>("because");  // a part of the refusal's text

    QTest::newRow("neither: beside the program") << "" << "" << "program" << "";
    QTest::newRow("--folder") << "@/cards" << "" << "cards" << "";
    QTest::newRow("KINFOLIO_HOME") << "" << "@/cards" << "cards" << "";
    QTest::newRow("--folder wins over KINFOLIO_HOME") << "@/cards" << "@/program" << "cards" << "";
    QTest::newRow("a relative name, from the current directory") << "cards" << "" << "cards" << "";
    QTest::newRow("missing") << "@/nowhere" << "" << "" << "there is no such folder";
    QTest::newRow("missing, named by KINFOLIO_HOME") << "" << "@/nowhere/deeper" << "" << "there is no such folder";
    QTest::newRow("a file") << "@/cards/Kinfolio.dat" << "" << "" << "it is a file";
    // procfs refuses new files in a process's folder even to root.
    QTest::newRow("not writable") << "/proc/self" << "" << "" << "cannot be written to";
}

void TestCardFolder::choosesAUsableFolderAndRefusesAnyOther()
{
    QFETCH(QString, named);
    QFETCH(QString, home);
    QFETCH(QString, chosen);
    QFETCH(QString, because);
    QVERIFY(m_root.isValid());
    const QDir root(m_root.path());
    QVERIFY(root.mkpath("cards") && root.mkpath("program"));
    QFile cardFile(root.filePath("cards/Kinfolio.dat"));
    QVERIFY(cardFile.open(QIODevice::WriteOnly));
    cardFile.close();
    QDir::setCurrent(root.path());
    named.replace('@', root.path());
    home.replace('@', root.path());

    const Result<QString, CardMessage> folder = chooseCardFolder(named, home, root.filePath("program"));

    QCOMPARE(!folder, !because.isEmpty());
    if (folder) {
        QCOMPARE(*folder, root.filePath(chosen));
    } else {
        const CardMessage &refusal = folder.error();
        QCOMPARE(refusal.title, QStringLiteral("Error!"));
        QVERIFY2(refusal.text.contains(QFileInfo(named + home).absoluteFilePath()), qPrintable(refusal.text));
        QVERIFY2(refusal.text.contains(because), qPrintable(refusal.text));
    }
    // Nothing is made for a folder that is not there.
    QVERIFY(!root.exists("nowhere"));
}

QTEST_GUILESS_MAIN(TestCardFolder)
#include "test_cardfolder.moc"
