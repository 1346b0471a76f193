// The rules of the card commands, without a window: what the boxes stand
// for after each command, the refusals that keep a card from being lost, and
// the ways out of a save that fails.
#include "cardeditor.h"
#include "cardfixtures.h"

#include <QDir>
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
            QVERIFY(editor.find(editor.fieldValues(CardField::Name), QStringLiteral("B-f1")));

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

    void failedExitOffersWaysOutThatLoseNothing()
    {
        const QString unwritable = m_dir->filePath("gone/Kinfolio.dat");
        CardEditor editor(unwritable);
        editor.open();
        editor.add(named(QStringLiteral("A")));

        const CardView failed = editor.exit();
        QCOMPARE(failed.then, CardView::Then::Stay);
        QCOMPARE(failed.message->buttons,
                 CardMessage::Ok | CardMessage::SaveElsewhere | CardMessage::LeaveWithoutSaving);
        QVERIFY(!editor.isClosed());

        QCOMPARE(editor.saveElsewhere(m_dir->filePath("gone/too.dat")).then, CardView::Then::Stay);
        const CardView saved = editor.saveElsewhere(m_dir->filePath("elsewhere.dat"));
        QCOMPARE(saved.then, CardView::Then::CloseWindow);
        QCOMPARE(readBytes(m_dir->filePath("elsewhere.dat")), cardBytes(named(QStringLiteral("A"))));

        const CardMessage question = editor.leaveQuestion();
        QVERIFY(question.text.contains(QStringLiteral("The 1 cards")));
        QCOMPARE(question.defaultButton, int(CardMessage::No));
        QCOMPARE(editor.leaveWithoutSaving().then, CardView::Then::EndProgram);
    }

private:
    QString path() const { return m_dir->filePath("Kinfolio.dat"); }
    std::unique_ptr<QTemporaryDir> m_dir;
};

QTEST_GUILESS_MAIN(TestCardEditor)
#include "test_cardeditor.moc"
