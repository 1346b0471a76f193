// The rules of the card commands, without a window: what the boxes stand
// for after each command, the refusals that keep a card from being lost, and
// the ways out of a save that fails.
#include "commands/cardeditor.h"
#include "session/cardfileread.h"
#include "cardfiles.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QSysInfo>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

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
        QCOMPARE(editor.store().text(editor.currentCard(), CardField::Name), currentName);
        if (updates)
            return;

        // Delete brings the stored card back instead of removing it unseen.
        const CardView removed = editor.removeCard();
        QCOMPARE(editor.store().cardCount(), 3);
        QCOMPARE(removed.boxes, editor.store().fields(editor.currentCard()));
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
        {
            // A change of attributes alone is no other program's write.
            CardEditor touched(path());
            touched.open();
            QVERIFY(QFile::setPermissions(path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner));
            QCOMPARE(::link(QFile::encodeName(path()).constData(), QFile::encodeName(path() + ".2").constData()), 0);
            QVERIFY(!touched.exit().message);
            QVERIFY(!QFile::exists(path() + ".unread-1"));
        }
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
        for (const QString &refused : {unwritable, path(), m_dir->filePath("link.dat")}) {
            QVERIFY2(editor.copyRefusal(refused) || refused == unwritable, qPrintable(refused));
            const Result<CardMessage, CardMessage> saved = editor.saveCopy(refused);
            QVERIFY(!saved);
            QCOMPARE(saved.error().title, QStringLiteral("Error!"));
        }
        QCOMPARE(readBytes(path()), cardBytes(labelledCard("other")));

        const Result<CardMessage, CardMessage> saved = editor.saveCopy(m_dir->filePath("elsewhere.dat"));
        QVERIFY(saved);
        const CardMessage &said = *saved;
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

    // Every acknowledged change outlives a crash, and none lands on cards it
    // was not made on: what the next start cannot apply is kept as a card
    // file, and a tool reading the card file meanwhile sees what the window
    // would show, without touching a file.
    void journalStatesAfterACrash_data()
    {
        QTest::addColumn<QString>("meanwhile");
        QTest::addColumn<QStringList>("names");   // the husbands after the next start
        QTest::addColumn<QString>("message");     // what its message says
        QTest::addColumn<QStringList>("keptCards"); // the husbands of Kinfolio-recovered-1.dat
        QTest::newRow("crash") << "" << QStringList{"A-f1", "typed", "added 1", "added 2"}
                               << "4 changes made then (cards added, updated or deleted) were recovered"
                               << QStringList{};
        QTest::newRow("torn end") << "tear" << QStringList{"A-f1", "typed", "added 1"} << "3 changes"
                                  << QStringList{};
        QTest::newRow("damaged amid whole changes")
            << "damage" << QStringList{"A-f1", "B-f1"} << "1 change could not be read, so the 2 changes after it were"
            << QStringList{"added 1", "added 2"};
        QTest::newRow("card file written by another program")
            << "rewrite" << QStringList{"other-f1"} << "another program has written the card file since"
            << QStringList{"typed", "added 1", "added 2"};
        QTest::newRow("not a journal") << "garbage" << QStringList{"A-f1", "B-f1", "C-f1"}
                                       << "is not one this version of Kinfolio can read" << QStringList{};
        QTest::newRow("a change the disk refused") << "gap" << QStringList{"B-f1", "typed"} << "1 change"
                                                   << QStringList{};
    }
    void journalStatesAfterACrash()
    {
        QFETCH(QString, meanwhile);
        QFETCH(QStringList, names);
        QFETCH(QString, message);
        QFETCH(QStringList, keptCards);
        writeBytes(path(), cardBytes(labelledCard("A")) + cardBytes(labelledCard("B")) + cardBytes(labelledCard("C")));
        const QString journal = path() + ".journal";
        {
            CardEditor crashed(path());
            crashed.open();
            if (meanwhile == "gap") {
                // A, B, C: Delete A finds no room for the journal, Update C does.
                crashed.navigate(NavButton::Beginning);
                crashed.update(labelledCard("A"));
                QVERIFY(QFile::rename(journal, journal + ".away") && QDir().mkdir(journal));
                QVERIFY(crashed.removeCard().warning);
                QVERIFY(QDir().rmdir(journal) && QFile::rename(journal + ".away", journal));
                crashed.navigate(NavButton::End);
                crashed.update(named(QStringLiteral("typed")));
            } else {
                crashed.removeCard(); // C
                crashed.navigate(NavButton::ForwardOne);
                crashed.update(named(QStringLiteral("typed"))); // over B
                crashed.add(named(QStringLiteral("added 1")));
                crashed.add(named(QStringLiteral("added 2")));
            }
        } // no Exit: the lock goes, the journal stays
        QByteArray bytes = readBytes(journal);
        if (meanwhile == "tear")
            bytes.chop(9);
        if (meanwhile == "damage")
            bytes[bytes.indexOf("\r\nU ") + 120] ^= 1; // inside the Update
        if (meanwhile == "garbage")
            bytes = "\x01\x02 not a journal\r\n";
        writeBytes(journal, bytes);
        if (meanwhile == "rewrite")
            writeBytes(path(), cardBytes(labelledCard("other")));

        const auto husbands = [](const auto &cards, int count) {
            QStringList shown;
            for (int p = 0; p < count; ++p)
                shown << cards(p);
            return shown;
        };
        const QByteArray cardFile = readBytes(path());
        const Result<CardFileContents> read = readCardFile(path());
        QVERIFY(read);
        if (keptCards.isEmpty() && meanwhile != "garbage")
            QCOMPARE(husbands([&](int p) { return read->cards[size_t(p)][CardField::Name]; }, int(read->cards.size())),
                     names);
        QVERIFY(!read->notes.isEmpty()); // the tool says what it read beside the card file
        QCOMPARE(readBytes(journal), bytes);
        QCOMPARE(readBytes(path()), cardFile);

        // What a kill during a save left: only this program's own files of
        // the card file and its journal go.
        const QStringList left{path() + ".kinfolio-saving-AbC123", journal + ".kinfolio-saving-dEf456",
                               m_dir->filePath("Notes.txt.kinfolio-saving-AbC123")};
        for (const QString &file : left)
            writeBytes(file, "cut short");

        std::optional<CardEditor> next(std::in_place, path());
        const CardView opened = next->open();
        QCOMPARE(QFile::exists(left[0]) || QFile::exists(left[1]), false);
        QVERIFY(QFile::exists(left[2]));
        QVERIFY2(opened.message && opened.message->text.contains(message), qPrintable(opened.message->text));
        QCOMPARE(opened.message->title, keptCards.isEmpty() && meanwhile != "garbage" ? "Kinfolio" : "Warning!");
        QCOMPARE(husbands([&](int p) { return next->store().text(p, CardField::Name); }, next->store().cardCount()),
                 names);
        QCOMPARE(opened.recordTotal, QString::number(names.size()));
        const QString kept = m_dir->filePath("Kinfolio-recovered-1.dat");
        QCOMPARE(QFile::exists(kept), !keptCards.isEmpty());
        if (!keptCards.isEmpty()) {
            QVERIFY(opened.message->text.contains(QDir::toNativeSeparators(kept)));
            const Result<CardFileContents> recovered = readCardFile(kept);
            QVERIFY(recovered);
            QCOMPARE(husbands([&](int p) { return recovered->cards[size_t(p)][CardField::Name]; },
                              int(recovered->cards.size())),
                     keptCards);
        }
        // Later changes follow the ones replayed, through a second crash;
        // Exit writes them all and the journal goes.
        next->add(named(QStringLiteral("after")));
        next.reset();
        CardEditor third(path());
        third.open();
        QCOMPARE(third.store().cardCount(), names.size() + 1);
        QCOMPARE(third.store().text(third.store().cardCount() - 1, CardField::Name), QStringLiteral("after"));
        third.exit();
        QVERIFY(!QFile::exists(journal));
        QVERIFY(CardStore(path()).loadCardFile());
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

    // A lock that names no live holder on this computer is taken over; any
    // other is reported with the lock file's name and the cause, and nothing
    // is opened for changes.
    void lockStates_data()
    {
        const QByteArray host = QSysInfo::machineHostName().toUtf8();
        const QByteArray machine = QSysInfo::machineUniqueId();
        const QByteArray boot = QSysInfo::bootUniqueId();
        const QByteArray self = QByteArray::number(QCoreApplication::applicationPid()) + "\ntest_cardeditor\n";
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QByteArray>("lockFile");
        QTest::addColumn<QString>("refusal"); // what the refusal says; none when it opens
        QTest::newRow("empty") << "file" << QByteArray() << "";
        QTest::newRow("garbage") << "file" << QByteArray("\x01\xff zz\n") << "";
        QTest::newRow("a process that ended") << "file" << "999999\nKinfolio.exe\n" + host + "\n" + machine + "\n" + boot + "\n"
                                              << "";
        QTest::newRow("an earlier start of the computer")
            << "file" << self + host + "\n" + machine + "\nanother-boot\n" << "";
        QTest::newRow("this process's own number") << "file" << self + host + "\n" + machine + "\n" + boot + "\n"
                                                   << "";
        QTest::newRow("another computer") << "file" << QByteArray("4242\nKinfolio\nattic-pc\n")
                                          << "on the computer attic-pc";
        QTest::newRow("same name, another machine") << "file" << self + host + "\nanother-machine\n" + boot + "\n"
                                                    << "another computer of the same name";
        QTest::newRow("a cloned machine") << "file" << self + "clone-pc\n" + machine + "\n" + boot + "\n"
                                          << "on the computer clone-pc";
        QTest::newRow("a folder") << "folder" << QByteArray() << "a folder is in the way";
        QTest::newRow("a named pipe") << "pipe" << QByteArray() << "something that is not a file is in the way";
        QTest::newRow("a dangling link") << "link" << QByteArray() << "a link is in the way";
        QTest::newRow("a hard link to the card file") << "hard link" << QByteArray() << "has 2 names on the disk";
    }
    void lockStates()
    {
        QFETCH(QString, kind);
        QFETCH(QByteArray, lockFile);
        QFETCH(QString, refusal);
        writeBytes(path(), cardBytes(labelledCard("A")));
        const QString lock = path() + ".lock";
        if (kind == "file") {
            writeBytes(lock, lockFile);
            QFile old(lock);
            QVERIFY(old.open(QIODevice::ReadWrite));
            QVERIFY(old.setFileTime(QDateTime::currentDateTime().addSecs(-3600), QFileDevice::FileModificationTime));
        }
        if (kind == "folder")
            QVERIFY(QDir().mkdir(lock));
        if (kind == "pipe")
            QCOMPARE(::mkfifo(QFile::encodeName(lock).constData(), 0600), 0);
        if (kind == "link")
            QVERIFY(QFile::link(m_dir->filePath("nowhere"), lock));
        QTemporaryDir second;
        if (kind == "hard link")
            QCOMPARE(::link(QFile::encodeName(path()).constData(), QFile::encodeName(second.filePath("Kinfolio.dat")).constData()), 0);

        CardEditor editor(path());
        const CardView opened = editor.open();
        QCOMPARE(opened.then == CardView::Then::EndProgram, !refusal.isEmpty());
        if (!refusal.isEmpty()) {
            QVERIFY2(opened.message->text.contains(refusal), qPrintable(opened.message->text));
            if (kind != "hard link")
                QVERIFY(opened.message->text.contains(QDir::toNativeSeparators(lock)));
            QCOMPARE(editor.store().cardCount(), 0);
            return;
        }
        QCOMPARE(editor.store().cardCount(), 1);
        // Taken: a second window, through a link from another folder, meets it.
        QVERIFY(QFile::link(path(), second.filePath("Kinfolio.dat")));
        QCOMPARE(CardEditor(second.filePath("Kinfolio.dat")).open().then, CardView::Then::EndProgram);
    }

private:
    QString path() const { return m_dir->filePath("Kinfolio.dat"); }
    std::unique_ptr<QTemporaryDir> m_dir;
};

QTEST_GUILESS_MAIN(TestCardEditor)
#include "test_cardeditor.moc"
