// The card store: loading, saving and the three table operations, with the
// counts and positions each leaves behind.
#include "cardfiles.h"
#include "format/cardstore.h"

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
    void saveOfEmptyStoreWritesNothingUnlessCardsWereDeleted();

    void appendToEmptyStore();
    void appendRefusedWhenFull();
    void replaceOverwritesOneCardOnly();
    void removeMiddleCardMovesEveryFieldUp();
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
    QVERIFY(store.loadCardFile());
    QCOMPARE(store.cardCount(), 3);
    for (int i = 0; i < 3; ++i)
        QCOMPARE(store.card(i).RecordNumber, QString::number(i + 1));
    QCOMPARE(store.fields(1), labelledCard("B"));
}

void TestCardStore::loadEmptyAndMissingFiles()
{
    CardStore missing(cardFile());
    QVERIFY(!missing.loadCardFile());
    QCOMPARE(missing.cardCount(), 0);

    writeBytes(cardFile(), "");
    CardStore empty(cardFile());
    QVERIFY(empty.loadCardFile());
    QCOMPARE(empty.cardCount(), 0);
}

void TestCardStore::loadCardCutShortKeepsCompleteCards()
{
    QByteArray bytes;
    for (const char *tag : {"A", "B", "C", "D"})
        bytes += cardBytes(labelledCard(tag));
    bytes.chop(40); // the fourth card loses its last items
    writeBytes(cardFile(), bytes);

    CardStore store(cardFile());
    QVERIFY(!store.loadCardFile());
    QCOMPARE(store.cardCount(), 3);
    QCOMPARE(store.fields(2), labelledCard("C"));
}

void TestCardStore::load32768thCardFails()
{
    const QByteArray one = cardBytes(CardFields{});
    writeBytes(cardFile(), one.repeated(CardStore::MaxCards + 1));
    CardStore store(cardFile());
    QVERIFY(!store.loadCardFile());
    QCOMPARE(int(store.cardCount()), CardStore::MaxCards);

    writeBytes(cardFile(), one.repeated(CardStore::MaxCards));
    QVERIFY(store.loadCardFile());
}

void TestCardStore::saveAfterLoadIsByteIdentical()
{
    CardFields withNotes = labelledCard("B");
    withNotes[CardField::Notes] = QStringLiteral("line one\r\nline two\r\n");
    withNotes[CardField::DiedDate] = QString();
    const QByteArray bytes = cardBytes(labelledCard("A")) + cardBytes(withNotes) + cardBytes(CardFields{});
    writeBytes(cardFile(), bytes);

    CardStore store(cardFile());
    QVERIFY(store.loadCardFile());
    QCOMPARE(store.cardCount(), 3);
    QVERIFY(store.saveCardFile());
    QCOMPARE(readBytes(cardFile()), bytes);
    // Only the card file itself is left: no temporary files and no copies.
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), QStringList{"Kinfolio.dat"});

    // Another program writes the file after the load (and after that first
    // save): its work is kept aside, whole, before the file is replaced.
    writeBytes(cardFile(), "written by another program");
    QVERIFY(store.saveCardFile());
    QCOMPARE(readBytes(cardFile()), bytes);
    QCOMPARE(readBytes(store.preservedCopyPath()), QByteArray("written by another program"));
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), QStringList({"Kinfolio.dat", "Kinfolio.dat.unread-1"}));
}

void TestCardStore::saveOfEmptyStoreWritesNothingUnlessCardsWereDeleted()
{
    CardStore store(cardFile());
    QVERIFY(!store.loadCardFile());
    QVERIFY(store.saveCardFile());
    QVERIFY(!QFile::exists(cardFile()));

    // A store the user emptied of the file's cards empties the file.
    writeBytes(cardFile(), cardBytes(labelledCard("A")));
    QVERIFY(store.loadCardFile());
    store.removeCard(0);
    QCOMPARE(store.cardCount(), 0);
    QVERIFY(store.saveCardFile());
    QCOMPARE(readBytes(cardFile()), QByteArray());
}

void TestCardStore::appendToEmptyStore()
{
    writeBytes(cardFile(), "");
    CardStore store(cardFile());
    QVERIFY(store.loadCardFile());
    QVERIFY(store.appendCard(labelledCard("A")));
    QCOMPARE(store.cardCount(), 1);
    QCOMPARE(store.card(0).RecordNumber, QStringLiteral("1"));

    QVERIFY(store.appendCard(labelledCard("B")));
    QVERIFY(store.saveCardFile());
    QCOMPARE(readBytes(cardFile()), cardBytes(labelledCard("A")) + cardBytes(labelledCard("B")));
}

void TestCardStore::appendRefusedWhenFull()
{
    CardStore store(cardFile());
    for (int i = 0; i < CardStore::MaxCards; ++i)
        QVERIFY(store.appendCard(CardFields{}));
    QVERIFY(store.isFull());
    QVERIFY(!store.appendCard(labelledCard("X")));
    QCOMPARE(int(store.cardCount()), CardStore::MaxCards);
}

void TestCardStore::replaceOverwritesOneCardOnly()
{
    CardStore store(cardFile());
    store.appendCard(labelledCard("A"));
    store.appendCard(labelledCard("B"));
    store.replaceCard(0, labelledCard("Z"));
    QCOMPARE(store.fields(0), labelledCard("Z"));
    QCOMPARE(store.fields(1), labelledCard("B"));
    QCOMPARE(store.cardCount(), 2);
    QCOMPARE(store.card(0).RecordNumber, QStringLiteral("1"));
}

void TestCardStore::removeMiddleCardMovesEveryFieldUp()
{
    CardStore store(cardFile());
    for (const char *tag : {"A", "B", "C"})
        store.appendCard(labelledCard(tag));
    store.removeCard(1);
    QCOMPARE(store.cardCount(), 2);
    QCOMPARE(store.fields(0), labelledCard("A"));
    QCOMPARE(store.fields(1), labelledCard("C")); // every field, the death date and place included
    QCOMPARE(store.card(1).RecordNumber, QStringLiteral("2"));
}

void TestCardStore::removeOnlyCardEmptiesStore()
{
    CardStore store(cardFile());
    store.removeCard(0); // empty: nothing happens
    QCOMPARE(store.cardCount(), 0);
    store.appendCard(labelledCard("A"));
    store.removeCard(0);
    QCOMPARE(store.cardCount(), 0);
}

void TestCardStore::failedSaveKeepsOldFileAndCards()
{
    if (geteuid() == 0)
        QSKIP("root writes into read-only directories; the unwritable case is covered with a missing directory");
    const QByteArray old = cardBytes(labelledCard("OLD"));
    writeBytes(cardFile(), old);
    CardStore store(cardFile());
    QVERIFY(store.loadCardFile());
    store.appendCard(labelledCard("NEW"));

    QFile::setPermissions(m_dir->path(), QFile::ReadOwner | QFile::ExeOwner);
    const Result<> saved = store.saveCardFile();
    QFile::setPermissions(m_dir->path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QVERIFY(!saved);
    QVERIFY(saved.error().contains(cardFile()));
    QCOMPARE(readBytes(cardFile()), old);
    QCOMPARE(store.cardCount(), 2);

    // Once the cause is gone, the same store saves everything.
    QVERIFY(store.saveCardFile());
    QCOMPARE(readBytes(cardFile()), old + cardBytes(labelledCard("NEW")));
}

void TestCardStore::damagedFileIsCopiedBeforeFirstSave()
{
    QByteArray damaged = cardBytes(labelledCard("A")) + cardBytes(labelledCard("B"));
    damaged += "\"only\"\r\n\"three\"\r\n\"items";
    writeBytes(cardFile(), damaged);

    CardStore store(cardFile());
    QVERIFY(!store.loadCardFile());
    QCOMPARE(store.cardCount(), 2);
    QVERIFY(store.saveCardFile());
    QCOMPARE(readBytes(cardFile()), cardBytes(labelledCard("A")) + cardBytes(labelledCard("B")));
    QVERIFY(!store.preservedCopyPath().isEmpty());
    QCOMPARE(readBytes(store.preservedCopyPath()), damaged);
    QCOMPARE(QFileInfo(store.preservedCopyPath()).absolutePath(), QFileInfo(cardFile()).absolutePath());

    // The copy is made once; a second save of the same run makes no new one.
    QVERIFY(store.saveCardFile());
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files).size(), 2);
}

void TestCardStore::damagedFileCopiesNeverOverwriteEarlierOnes()
{
    const QByteArray first = cardBytes(labelledCard("A")) + "\"cut";
    writeBytes(cardFile(), first);
    CardStore store(cardFile());
    QVERIFY(!store.loadCardFile());
    QVERIFY(store.saveCardFile());
    const QString firstCopy = store.preservedCopyPath();

    const QByteArray second = cardBytes(labelledCard("B")) + "\"cut again";
    writeBytes(cardFile(), second);
    QVERIFY(!store.loadCardFile());
    QVERIFY(store.saveCardFile());
    QVERIFY(store.preservedCopyPath() != firstCopy);
    QCOMPARE(readBytes(firstCopy), first);
    QCOMPARE(readBytes(store.preservedCopyPath()), second);
}

QTEST_GUILESS_MAIN(TestCardStore)
#include "test_cardstore.moc"
