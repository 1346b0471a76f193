// The card store: loading, saving and the three table operations, with the
// counts and positions each leaves behind.
#include "cardfixtures.h"
#include "cardstore.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

using namespace kinfolio;
using namespace kinfolio::testing;

class TestCardStore : public QObject
{
    Q_OBJECT
private slots:
    void init();

    void loadThreeCards();
    void loadEmptyAndMissingFiles();
    void loadCardCutShortKeepsCompleteCards();
    void load32768thCardFails();
    void saveAfterLoadIsByteIdentical();
    void saveOfEmptyStoreWritesNothing();

    void appendToEmptyStore();
    void appendRefusedWhenFull();
    void replaceOverwritesCurrentCardOnly();
    void removeMiddleCardMovesEveryFieldUp();
    void removeLastCardWrapsToFirst();
    void removeOnlyCardEmptiesStore();

    void failedSaveKeepsOldFileAndCards();
    void damagedFileIsCopiedBeforeFirstSave();
    void damagedFileCopiesNeverOverwriteEarlierOnes();

private:
    QString cardFile() const { return m_dir->filePath("Kinfolio.dat"); }
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestCardStore::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void TestCardStore::loadThreeCards()
{
    writeBytes(cardFile(), cardBytes(labelledCard("A")) + cardBytes(labelledCard("B")) + cardBytes(labelledCard("C")));
    CardStore store(cardFile());
    QVERIFY(store.LoadCardFile());
    QCOMPARE(store.CardCount(), 3);
    QCOMPARE(store.CurrentCard(), 2);
    for (int i = 0; i < 3; ++i)
        QCOMPARE(store.card(i).RecordNumber, QString::number(i + 1));
    QCOMPARE(store.fields(1), labelledCard("B"));
}

void TestCardStore::loadEmptyAndMissingFiles()
{
    CardStore missing(cardFile());
    QVERIFY(!missing.LoadCardFile());
    QCOMPARE(missing.CardCount(), 0);
    QCOMPARE(missing.CurrentCard(), 0);

    writeBytes(cardFile(), "");
    CardStore empty(cardFile());
    QVERIFY(empty.LoadCardFile());
    QCOMPARE(empty.CardCount(), 0);
    QCOMPARE(empty.CurrentCard(), -1);
}

void TestCardStore::loadCardCutShortKeepsCompleteCards()
{
    QByteArray bytes;
    for (const char *tag : {"A", "B", "C", "D"})
        bytes += cardBytes(labelledCard(tag));
    bytes.chop(40); // the fourth card loses its last items
    writeBytes(cardFile(), bytes);

    CardStore store(cardFile());
    QVERIFY(!store.LoadCardFile());
    QCOMPARE(store.CardCount(), 3);
    QCOMPARE(store.CurrentCard(), 0);
    QCOMPARE(store.fields(2), labelledCard("C"));
}

void TestCardStore::load32768thCardFails()
{
    const QByteArray one = cardBytes(CardFields{});
    writeBytes(cardFile(), one.repeated(CardStore::MaxCards + 1));
    CardStore store(cardFile());
    QVERIFY(!store.LoadCardFile());
    QCOMPARE(int(store.CardCount()), CardStore::MaxCards);
    QCOMPARE(store.CurrentCard(), 0);

    writeBytes(cardFile(), one.repeated(CardStore::MaxCards));
    QVERIFY(store.LoadCardFile());
    QCOMPARE(int(store.CurrentCard()), CardStore::MaxCards - 1);
}

void TestCardStore::saveAfterLoadIsByteIdentical()
{
    CardFields withNotes = labelledCard("B");
    withNotes[CardField::Notes] = QStringLiteral("line one\r\nline two\r\n");
    withNotes[CardField::DiedDate] = QString();
    const QByteArray bytes = cardBytes(labelledCard("A")) + cardBytes(withNotes) + cardBytes(CardFields{});
    writeBytes(cardFile(), bytes);

    CardStore store(cardFile());
    QVERIFY(store.LoadCardFile());
    QCOMPARE(store.CardCount(), 3);
    writeBytes(cardFile(), "changed");
    QVERIFY(store.SaveCardFile());
    QCOMPARE(readBytes(cardFile()), bytes);
    // Only the card file itself is left: no temporary files and no copies.
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), QStringList{"Kinfolio.dat"});
}

void TestCardStore::saveOfEmptyStoreWritesNothing()
{
    CardStore store(cardFile());
    store.LoadCardFile();
    QVERIFY(store.SaveCardFile());
    QVERIFY(!QFile::exists(cardFile()));

    // A store emptied by removing its only card leaves the file as it was.
    writeBytes(cardFile(), cardBytes(labelledCard("A")));
    QVERIFY(store.LoadCardFile());
    store.RemoveCard();
    QCOMPARE(store.CardCount(), 0);
    QVERIFY(store.SaveCardFile());
    QCOMPARE(readBytes(cardFile()), cardBytes(labelledCard("A")));
}

void TestCardStore::appendToEmptyStore()
{
    writeBytes(cardFile(), "");
    CardStore store(cardFile());
    store.LoadCardFile();
    QCOMPARE(store.CurrentCard(), -1);
    QVERIFY(store.AppendCard(labelledCard("A")));
    QCOMPARE(store.CardCount(), 1);
    QCOMPARE(store.CurrentCard(), 0);
    QCOMPARE(store.card(0).RecordNumber, QStringLiteral("1"));

    QVERIFY(store.AppendCard(labelledCard("B")));
    QCOMPARE(store.CurrentCard(), 1);
    QVERIFY(store.SaveCardFile());
    QCOMPARE(readBytes(cardFile()), cardBytes(labelledCard("A")) + cardBytes(labelledCard("B")));
}

void TestCardStore::appendRefusedWhenFull()
{
    CardStore store(cardFile());
    for (int i = 0; i < CardStore::MaxCards; ++i)
        QVERIFY(store.AppendCard(CardFields{}));
    store.setCurrentCard(5);
    QVERIFY(store.isFull());
    QVERIFY(!store.AppendCard(labelledCard("X")));
    QCOMPARE(int(store.CardCount()), CardStore::MaxCards);
    QCOMPARE(store.CurrentCard(), 5);
}

void TestCardStore::replaceOverwritesCurrentCardOnly()
{
    CardStore store(cardFile());
    store.AppendCard(labelledCard("A"));
    store.AppendCard(labelledCard("B"));
    store.setCurrentCard(0);
    store.ReplaceCard(labelledCard("Z"));
    QCOMPARE(store.fields(0), labelledCard("Z"));
    QCOMPARE(store.fields(1), labelledCard("B"));
    QCOMPARE(store.CardCount(), 2);
    QCOMPARE(store.CurrentCard(), 0);
    QCOMPARE(store.card(0).RecordNumber, QStringLiteral("1"));
}

void TestCardStore::removeMiddleCardMovesEveryFieldUp()
{
    CardStore store(cardFile());
    for (const char *tag : {"A", "B", "C"})
        store.AppendCard(labelledCard(tag));
    store.setCurrentCard(1);
    store.RemoveCard();
    QCOMPARE(store.CardCount(), 2);
    QCOMPARE(store.CurrentCard(), 1);
    QCOMPARE(store.fields(0), labelledCard("A"));
    QCOMPARE(store.fields(1), labelledCard("C")); // every field, the death date and place included
    QCOMPARE(store.card(1).RecordNumber, QStringLiteral("2"));
}

void TestCardStore::removeLastCardWrapsToFirst()
{
    CardStore store(cardFile());
    for (const char *tag : {"A", "B", "C"})
        store.AppendCard(labelledCard(tag));
    QCOMPARE(store.CurrentCard(), 2);
    store.RemoveCard();
    QCOMPARE(store.CardCount(), 2);
    QCOMPARE(store.CurrentCard(), 0);
    QCOMPARE(store.fields(1), labelledCard("B"));
}

void TestCardStore::removeOnlyCardEmptiesStore()
{
    CardStore store(cardFile());
    store.RemoveCard(); // empty: nothing happens
    QCOMPARE(store.CardCount(), 0);
    store.AppendCard(labelledCard("A"));
    store.RemoveCard();
    QCOMPARE(store.CardCount(), 0);
    QCOMPARE(store.CurrentCard(), 0);
}

void TestCardStore::failedSaveKeepsOldFileAndCards()
{
    if (geteuid() == 0)
        QSKIP("root writes into read-only directories; the unwritable case is covered with a missing directory");
    const QByteArray old = cardBytes(labelledCard("OLD"));
    writeBytes(cardFile(), old);
    CardStore store(cardFile());
    QVERIFY(store.LoadCardFile());
    store.AppendCard(labelledCard("NEW"));

    QFile::setPermissions(m_dir->path(), QFile::ReadOwner | QFile::ExeOwner);
    const bool saved = store.SaveCardFile();
    QFile::setPermissions(m_dir->path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QVERIFY(!saved);
    QVERIFY(store.errorString().contains(cardFile()));
    QCOMPARE(readBytes(cardFile()), old);
    QCOMPARE(store.CardCount(), 2);

    // Once the cause is gone, the same store saves everything.
    QVERIFY(store.SaveCardFile());
    QCOMPARE(readBytes(cardFile()), old + cardBytes(labelledCard("NEW")));
}

void TestCardStore::damagedFileIsCopiedBeforeFirstSave()
{
    QByteArray damaged = cardBytes(labelledCard("A")) + cardBytes(labelledCard("B"));
    damaged += "\"only\"\r\n\"three\"\r\n\"items";
    writeBytes(cardFile(), damaged);

    CardStore store(cardFile());
    QVERIFY(!store.LoadCardFile());
    QCOMPARE(store.CardCount(), 2);
    QVERIFY(store.SaveCardFile());
    QCOMPARE(readBytes(cardFile()), cardBytes(labelledCard("A")) + cardBytes(labelledCard("B")));
    QVERIFY(!store.preservedCopyPath().isEmpty());
    QCOMPARE(readBytes(store.preservedCopyPath()), damaged);
    QCOMPARE(QFileInfo(store.preservedCopyPath()).absolutePath(), QFileInfo(cardFile()).absolutePath());

    // The copy is made once; a second save of the same run makes no new one.
    QVERIFY(store.SaveCardFile());
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files).size(), 2);
}

void TestCardStore::damagedFileCopiesNeverOverwriteEarlierOnes()
{
    const QByteArray first = cardBytes(labelledCard("A")) + "\"cut";
    writeBytes(cardFile(), first);
    CardStore store(cardFile());
    QVERIFY(!store.LoadCardFile());
    QVERIFY(store.SaveCardFile());
    const QString firstCopy = store.preservedCopyPath();

    const QByteArray second = cardBytes(labelledCard("B")) + "\"cut again";
    writeBytes(cardFile(), second);
    QVERIFY(!store.LoadCardFile());
    QVERIFY(store.SaveCardFile());
    QVERIFY(store.preservedCopyPath() != firstCopy);
    QCOMPARE(readBytes(firstCopy), first);
    QCOMPARE(readBytes(store.preservedCopyPath()), second);
}

QTEST_GUILESS_MAIN(TestCardStore)
#include "test_cardstore.moc"
