// The rules of the card commands, without a window: what the boxes stand
// for after each command, the refusals that keep a card from being lost, and
// the ways out of a save that fails.
#include "cardeditor.h"
#include "cardfiles.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace kinfolio;
using namespace kinfolio::testing;

namespace {

CardFields named(const QString &name)
{
    CardFields card;
    card[CardField::Name] = name;
    return card;
}

} // namespace

class TestCardEditor : public QObject
{
    Q_OBJECT
private slots:
    void init() { m_dir = std::make_unique<QTemporaryDir>(); }

    // Update overwrites only the stored card the boxes show; Delete never
    // removes a card the boxes do not show.
    void updateAndDeleteActOnlyOnTheCardShown_data()
    {
        QTest::addColumn<QString>("before"); // what puts something other than card B into the boxes
        QTest::addColumn<bool>("updates");
        QTest::addColumn<QString>("currentName"); // of the current card after Update
        QTest::newRow("after New") << "new" << false << "B-f1";
        QTest::newRow("after New, then a move") << "new back" << true << "typed";
        QTest::newRow("after a load that stopped early") << "cut" << false << "A-f1";
        QTest::newRow("after a find") << "find" << true << "typed";
    }
    void updateAndDeleteActOnlyOnTheCardShown()
    {
        QFETCH(QString, before);
        QFETCH(bool, updates);
        QFETCH(QString, currentName);
        QByteArray file = cardBytes(labelledCard("A")) + cardBytes(labelledCard("B")) + cardBytes(labelledCard("C"));
        if (before == "cut")
            file += "\"cut short\"\r\n";
        writeBytes(path(), file);
        CardEditor editor(path());
        editor.open();
        if (before.startsWith("new")) {
            editor.navigate(NavButton::BackOne); // card B
            const CardView view = editor.newCard(labelledCard("B"));
            QCOMPARE(view.boxes, CardFields{});
            QCOMPARE(view.recordNumber, QStringLiteral("4"));
            QCOMPARE(editor.shown(), CardEditor::Shown::NewCard);
        }
        if (before.endsWith("back"))
            editor.navigate(NavButton::ForwardOne); // card C
        if (before == "find")
            QVERIFY(editor.find(CardField::Name, QStringLiteral("B-f1")));

        const CardView update = editor.update(named(QStringLiteral("typed")));
        QCOMPARE(update.message->title, updates ? QStringLiteral("Kinfolio") : QStringLiteral("Error!"));
        QCOMPARE(editor.store().cardCount(), 3);
        QCOMPARE(editor.store().text(editor.store().currentCard(), CardField::Name), currentName);
        if (updates)
            return;

        // Delete brings the stored card back instead of removing it unseen.
        const CardView removed = editor.removeCard();
        QCOMPARE(editor.store().cardCount(), 3);
        QCOMPARE(removed.boxes, editor.store().fields(editor.store().currentCard()));
        QCOMPARE(removed.recordTotal, QStringLiteral("3"));
        QCOMPARE(editor.shown(), CardEditor::Shown::StoredCard);
    }

    void newAndAddAreRefusedWhenTheFileIsFull()
    {
        writeBytes(path(), cardBytes(labelledCard("A")).repeated(CardStore::MaxCards));
        CardEditor editor(path());
        editor.open();
        for (const CardView &view : {editor.newCard(labelledCard("A")), editor.add(labelledCard("A"))}) {
            QCOMPARE(view.message->title, QStringLiteral("Error!"));
            QVERIFY(view.message->text.contains(QStringLiteral("32767")));
            QVERIFY(!view.boxes && !view.recordNumber);
        }
        QCOMPARE(int(editor.store().cardCount()), CardStore::MaxCards);
    }

    // One program per card file: a second one is refused and touches nothing.
    void secondEditorOnTheSameFileIsRefused()
    {
        writeBytes(path(), cardBytes(labelledCard("A")));
        CardEditor first(path());
        QVERIFY(first.open().centre);

        CardEditor second(path());
        const CardView refused = second.open();
        QCOMPARE(refused.then, CardView::Then::EndProgram);
        QCOMPARE(refused.message->title, QStringLiteral("Error!"));
        QVERIFY(refused.message->text.contains(QDir::toNativeSeparators(m_dir->path())));
        QCOMPARE(second.store().cardCount(), 0);
        QCOMPARE(second.exit().then, CardView::Then::EndProgram); // and so saves nothing
        QCOMPARE(readBytes(path()), cardBytes(labelledCard("A")));
    }

    // Exit keeps the cards another program wrote meanwhile, and says where.
    void exitSaysWhereItKeptCardsItHadNotRead()
    {
        writeBytes(path(), cardBytes(labelledCard("A")));
        CardEditor editor(path());
        editor.open();
        const QByteArray theirs = cardBytes(labelledCard("B")) + cardBytes(labelledCard("C"));
        writeBytes(path(), theirs);
        const CardView closed = editor.exit();
        QCOMPARE(closed.then, CardView::Then::CloseWindow);
        QVERIFY(closed.message->text.contains(QStringLiteral("What it held, 2 cards, is kept as\r\n")
                                              + QDir::toNativeSeparators(path() + ".unread-1")));
        QCOMPARE(readBytes(path() + ".unread-1"), theirs);
        QCOMPARE(readBytes(path()), cardBytes(labelledCard("A")));
    }

    void failedExitOffersWaysOutThatLoseNothing()
    {
        const QString unwritable = m_dir->filePath("gone/Kinfolio.dat");
        CardEditor editor(unwritable);
        editor.open();
        editor.add(named(QStringLiteral("A")));

        const CardView failed = editor.exit();
        QVERIFY(failed.offersWaysOut);
        QCOMPARE(failed.then, CardView::Then::Stay);
        QCOMPARE(failed.message->buttons,
                 CardMessage::Ok | CardMessage::SaveElsewhere | CardMessage::LeaveWithoutSaving);
        QVERIFY(!editor.isClosed());

        // Save As proposes a new name beside the card file, and never writes
        // over the card file or over other cards.
        QCOMPARE(editor.proposedCopyPath(), m_dir->filePath("gone/Kinfolio-saved.dat"));
        writeBytes(path(), cardBytes(labelledCard("other")));
        QVERIFY(QFile::link(path(), m_dir->filePath("link.dat")));
        CardMessage said;
        for (const QString &refused : {unwritable, path(), m_dir->filePath("link.dat")}) {
            QVERIFY2(editor.copyRefusal(refused) || refused == unwritable, qPrintable(refused));
            QVERIFY(!editor.saveCopy(refused, &said));
            QCOMPARE(said.title, QStringLiteral("Error!"));
        }
        QCOMPARE(readBytes(path()), cardBytes(labelledCard("other")));

        QVERIFY(editor.saveCopy(m_dir->filePath("elsewhere.dat"), &said));
        QVERIFY(editor.isClosed());
        QVERIFY(said.text.startsWith(QStringLiteral("The 1 card was saved to")));
        QVERIFY(said.text.endsWith(QDir::toNativeSeparators(unwritable) + QStringLiteral(" was not written.")));
        QCOMPARE(readBytes(m_dir->filePath("elsewhere.dat")), cardBytes(named(QStringLiteral("A"))));

        const CardMessage question = editor.leaveQuestion();
        QVERIFY(question.text.contains(QStringLiteral("The 1 card in")));
        QCOMPARE(question.defaultButton, int(CardMessage::No));
    }

    // A search shows a card whose field holds the value, even after the
    // cards moved since the values were listed.
    void findLooksAtTheCardsAsTheyAreNow()
    {
        writeBytes(path(), cardBytes(labelledCard("A")) + cardBytes(labelledCard("B")) + cardBytes(labelledCard("C")));
        CardEditor editor(path());
        editor.open();
        editor.navigate(NavButton::Beginning);
        editor.removeCard(); // A goes; B moves to position 0
        const std::optional<CardView> found = editor.find(CardField::Name, QStringLiteral("C-f1"));
        QVERIFY(found);
        QCOMPARE((*found->boxes)[CardField::Name], QStringLiteral("C-f1"));
        QVERIFY(!editor.find(CardField::Name, QStringLiteral("A-f1")));
        QVERIFY(editor.find(std::nullopt, QString())); // no field chosen: the first card
    }

    // Deleting every card of a file that held cards empties the file; a
    // table empty because the load found nothing writes nothing.
    void exitWritesATableEmptiedByTheUser_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QByteArray>("afterExit");
        const QByteArray two = cardBytes(labelledCard("A")) + cardBytes(labelledCard("B"));
        QTest::newRow("every card deleted") << two << QByteArray("");
        QTest::newRow("nothing loaded, one added and deleted") << QByteArray("\"cut short\"\r\n") << QByteArray("\"cut short\"\r\n");
    }
    void exitWritesATableEmptiedByTheUser()
    {
        QFETCH(QByteArray, file);
        QFETCH(QByteArray, afterExit);
        writeBytes(path(), file);
        CardEditor editor(path());
        editor.open();
        if (editor.store().cardCount() == 0)
            editor.add(named(QStringLiteral("A")));
        while (editor.store().cardCount() > 0)
            editor.removeCard();
        editor.exit();
        QVERIFY(editor.isClosed());
        QCOMPARE(readBytes(path()), afterExit);
    }

    // Every acknowledged change outlives a crash: the next start replays the
    // journal, unless the card file changed meanwhile.
    void journalBringsBackTheChangesOfASessionThatCrashed_data()
    {
        QTest::addColumn<QString>("meanwhile");
        QTest::addColumn<QStringList>("names");   // the husbands after the next start
        QTest::addColumn<QString>("message");     // how its message begins
        QTest::newRow("crash") << "" << QStringList{"A-f1", "typed", "added 1", "added 2"}
                               << "Kinfolio did not end through Exit last time. 4 changes";
        QTest::newRow("last change torn") << "tear" << QStringList{"A-f1", "typed", "added 1"}
                                          << "Kinfolio did not end through Exit last time. 3 changes";
        QTest::newRow("card file rewritten") << "rewrite" << QStringList{"other-f1"}
                                             << "Kinfolio did not end through Exit last time. The changes made then";
    }
    void journalBringsBackTheChangesOfASessionThatCrashed()
    {
        QFETCH(QString, meanwhile);
        QFETCH(QStringList, names);
        QFETCH(QString, message);
        writeBytes(path(), cardBytes(labelledCard("A")) + cardBytes(labelledCard("B")) + cardBytes(labelledCard("C")));
        {
            CardEditor crashed(path());
            crashed.open();
            crashed.removeCard(); // C
            crashed.navigate(NavButton::ForwardOne);
            crashed.update(named(QStringLiteral("typed"))); // over B
            crashed.add(named(QStringLiteral("added 1")));
            crashed.add(named(QStringLiteral("added 2")));
        } // no Exit: the lock goes, the journal stays
        const QString journal = path() + ".journal";
        if (meanwhile == "tear")
            writeBytes(journal, readBytes(journal).chopped(9));
        if (meanwhile == "rewrite")
            writeBytes(path(), cardBytes(labelledCard("other")));

        std::optional<CardEditor> next(std::in_place, path());
        const CardView opened = next->open();
        QVERIFY2(opened.message && opened.message->text.startsWith(message), qPrintable(opened.message->text));
        QStringList shown;
        for (int p = 0; p < next->store().cardCount(); ++p)
            shown << next->store().text(p, CardField::Name);
        QCOMPARE(shown, names);
        QCOMPARE(opened.recordTotal, QString::number(names.size()));
        if (meanwhile == "rewrite") {
            QVERIFY(opened.message->text.endsWith(QDir::toNativeSeparators(journal + ".unread-1")));
            QVERIFY(!QFile::exists(journal));
            return;
        }
        // Later changes follow the replayed ones; Exit writes them all and
        // the journal goes.
        next->add(named(QStringLiteral("after")));
        next.reset(); // a second crash
        CardEditor third(path());
        QVERIFY(third.open().message->text.contains(QStringLiteral("changes")));
        QCOMPARE(third.store().text(third.store().cardCount() - 1, CardField::Name), QStringLiteral("after"));
        third.exit();
        QVERIFY(!QFile::exists(journal));
        QCOMPARE(CardStore(path()).loadCardFile(), true);
    }

    void aJournalThatCannotBeWrittenIsToldOnce()
    {
        QVERIFY(QDir().mkpath(path() + ".journal")); // a folder where the journal goes
        CardEditor editor(path());
        editor.open();
        const CardView first = editor.add(named(QStringLiteral("A")));
        QCOMPARE(first.message->text, QStringLiteral("Record has been added."));
        QVERIFY(first.warning && first.warning->text.contains(QStringLiteral("could not keep this change")));
        QVERIFY(!editor.add(named(QStringLiteral("B"))).warning);
        QCOMPARE(editor.store().cardCount(), 2);
        editor.exit();
        QCOMPARE(readBytes(path()), cardBytes(named(QStringLiteral("A"))) + cardBytes(named(QStringLiteral("B"))));
    }

    // A lock that names no live holder here is taken over; one of another
    // computer is reported with what to do; a link leads to the same lock.
    void lockNamesItsHolderOrIsTakenOver_data()
    {
        QTest::addColumn<QByteArray>("lockFile");
        QTest::addColumn<bool>("opens");
        QTest::newRow("empty") << QByteArray() << true;
        QTest::newRow("garbage") << QByteArray("\x01\xff zz\n") << true;
        QTest::newRow("another computer") << QByteArray("4242\nKinfolio\nattic-pc\n") << false;
    }
    void lockNamesItsHolderOrIsTakenOver()
    {
        QFETCH(QByteArray, lockFile);
        QFETCH(bool, opens);
        const QString lock = path() + ".lock";
        writeBytes(lock, lockFile);
        QFile old(lock);
        QVERIFY(old.open(QIODevice::ReadWrite));
        QVERIFY(old.setFileTime(QDateTime::currentDateTime().addSecs(-3600), QFileDevice::FileModificationTime));
        old.close();
        CardEditor editor(path());
        const CardView opened = editor.open();
        QCOMPARE(opened.then != CardView::Then::EndProgram, opens);
        if (!opens) {
            QVERIFY(opened.message->text.contains(QStringLiteral("attic-pc")));
            QVERIFY(opened.message->text.contains(QDir::toNativeSeparators(lock)));
            QVERIFY(opened.message->text.contains(QStringLiteral("delete the lock file")));
            return;
        }
        QTemporaryDir second;
        QVERIFY(QFile::link(path(), second.filePath("Kinfolio.dat")));
        QCOMPARE(CardEditor(second.filePath("Kinfolio.dat")).open().then, CardView::Then::EndProgram);
    }

private:
    QString path() const { return m_dir->filePath("Kinfolio.dat"); }
    std::unique_ptr<QTemporaryDir> m_dir;
};

QTEST_GUILESS_MAIN(TestCardEditor)
#include "test_cardeditor.moc"
