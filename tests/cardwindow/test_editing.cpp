// New, Add, Update and Delete of the card window, driven through its buttons.

#include "cardwindowrig.h"
#include "testmain.h"

using namespace kinfolio;
using namespace kinfolio::testing;

namespace {

const QString deleteQuestion
    = QStringLiteral("Warning!\r\nThis will overwrite your current record\r\nDo you want to proceed?");

std::vector<CardFields> threeCards()
{
    return {labelledCard("A"), labelledCard("B"), labelledCard("C")};
}

// The refusals of New, Add and Update put the caret in the name box with its
// whole text selected.
void verifyNameBoxSelected(const CardWindowRig &rig)
{
    QLineEdit *name = rig.box("txtName");
    QCOMPARE(rig.window->focusWidget(), name);
    QCOMPARE(name->selectedText(), name->text());
}

} // namespace

class TestEditing : public QObject
{
    Q_OBJECT

private slots:
    // --- New ---

    void newClearsEveryBoxAndAnnouncesTheNextCard()
    {
        CardWindowRig rig(threeCards());
        rig.click("cmdNew");
        QVERIFY(rig.allBoxesEmpty());
        QCOMPARE(rig.recordNumber(), QStringLiteral("4"));
        QCOMPARE(rig.recordTotal(), QStringLiteral("4"));
        QCOMPARE(rig.cards(), threeCards());
        QCOMPARE(rig.editor->currentCard(), qint16(2));
        QCOMPARE(rig.window->focusWidget(), rig.box("txtName"));
        QVERIFY(MessageBox::shown().isEmpty());
    }

    // --- Add ---

    void addAfterNewAppendsTheTypedCard()
    {
        CardWindowRig rig(threeCards());
        rig.click("cmdNew");
        QTest::keyClicks(rig.box("txtWifeName"), QStringLiteral("Mary Jones"));
        rig.click("cmdAdd");

        std::vector<CardFields> expected = threeCards();
        const CardFields &added = expected.emplace_back(makeCard({{CardField::WifeName, "Mary Jones"}}));
        QCOMPARE(rig.cards(), expected);
        QCOMPARE(rig.editor->currentCard(), qint16(3));
        QCOMPARE(rig.recordNumber(), QStringLiteral("4"));
        QCOMPARE(rig.recordTotal(), QStringLiteral("4"));
        verifyOneMessage(QStringLiteral("Record has been added."), QStringLiteral("Kinfolio"));
        QCOMPARE(rig.shown(), added);
    }

    void addWithOnlySpacesInTheNameAppends()
    {
        CardWindowRig rig(threeCards());
        rig.click("cmdNew");
        QTest::keyClicks(rig.box("txtName"), QStringLiteral("   "));
        rig.click("cmdAdd");
        QCOMPARE(rig.store->cardCount(), qint16(4));
        QCOMPARE(rig.store->fields(3)[CardField::Name], QStringLiteral("   "));
        QCOMPARE(MessageBox::shown().size(), 1);
        QCOMPARE(MessageBox::shown()[0].text, QStringLiteral("Record has been added."));
    }

    void addOverAStoredCardAppendsACopyAndLeavesTheOriginal()
    {
        CardWindowRig rig({labelledCard("A"), labelledCard("B")});
        QLineEdit *died = rig.box("txtDiedDate");
        died->clear();
        QTest::keyClicks(died, QStringLiteral("changed"));
        rig.click("cmdAdd");

        CardFields copy = labelledCard("B");
        copy[CardField::DiedDate] = QStringLiteral("changed");
        QCOMPARE(rig.cards(), std::vector<CardFields>({labelledCard("A"), labelledCard("B"), copy}));
        QCOMPARE(rig.recordNumber(), QStringLiteral("3"));
        QCOMPARE(rig.recordTotal(), QStringLiteral("3"));

        // Reached again by navigation, the added card shows its own number.
        rig.click("cmdBeginning");
        rig.click("cmdEnd");
        QCOMPARE(rig.recordNumber(), QStringLiteral("3"));
        QCOMPARE(rig.shown(), copy);
    }

    void addToAnEmptyStoreMakesCardOne()
    {
        CardWindowRig rig({}, CardWindowRig::NoFile);
        QTest::keyClicks(rig.box("txtName"), QStringLiteral("John"));
        rig.click("cmdAdd");
        QCOMPARE(rig.store->cardCount(), qint16(1));
        QCOMPARE(rig.editor->currentCard(), qint16(0));
        QCOMPARE(rig.recordNumber(), QStringLiteral("1"));
        QCOMPARE(rig.recordTotal(), QStringLiteral("1"));
        // The notes box held "Text1" from the start and is stored as shown.
        QCOMPARE(rig.store->fields(0)[CardField::Notes], QStringLiteral("Text1"));
    }

    // --- Update ---

    void updateOverwritesTheCurrentCard()
    {
        CardWindowRig rig(threeCards());
        rig.click("cmdBackOne");
        QLineEdit *place = rig.box("txtDiedPlace");
        place->clear();
        QTest::keyClicks(place, QStringLiteral("Leeds"));
        rig.click("cmdUpdate");

        std::vector<CardFields> expected = threeCards();
        expected[1][CardField::DiedPlace] = QStringLiteral("Leeds");
        QCOMPARE(rig.cards(), expected);
        QCOMPARE(rig.editor->currentCard(), qint16(1));
        QCOMPARE(rig.recordNumber(), QStringLiteral("2"));
        QCOMPARE(rig.recordTotal(), QStringLiteral("3"));
        verifyOneMessage(QStringLiteral("Record has been Updated."), QStringLiteral("Kinfolio"));
    }

    // --- Refusals ---

    // New, Add and Update refuse while the boxes show no card they could act
    // on: the cards, what was typed and the banner stay, and the name box
    // takes the caret with its whole text selected. Update after New would
    // overwrite the card shown before New, which the user no longer sees.
    void refusalsKeepTheCardsAndWhatWasTyped_data()
    {
        QTest::addColumn<bool>("noFile");
        QTest::addColumn<QString>("first"); // a button clicked first, or clearing both names
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("message"); // title|text
        QTest::addColumn<QString>("banner");  // record number/total
        const QString refusedUpdate = QStringLiteral("Error!|This button is for updating\r\na stored record only.");
        QTest::newRow("New twice") << false << "cmdNew" << "txtBornDate" << "1850" << "cmdNew"
                                   << "Kinfolio|New record already open" << "4/4";
        QTest::newRow("Add, both names empty") << false << "cmdNew" << "txtFather" << "Old Tom" << "cmdAdd"
                                               << "Error!|Please enter a name." << "4/4";
        QTest::newRow("Update, both names empty") << false << "clear names" << "txtFather" << "A-f8" << "cmdUpdate"
                                                  << refusedUpdate << "3/3";
        QTest::newRow("Update of a new card") << false << "cmdNew" << "txtName" << "Tom" << "cmdUpdate"
                                              << refusedUpdate << "4/4";
        QTest::newRow("Update, no card") << true << "" << "txtName" << "Tom" << "cmdUpdate" << refusedUpdate << "/";
    }
    void refusalsKeepTheCardsAndWhatWasTyped()
    {
        QFETCH(bool, noFile);
        QFETCH(QString, first);
        QFETCH(QString, box);
        QFETCH(QString, typed);
        QFETCH(QString, button);
        QFETCH(QString, message);
        QFETCH(QString, banner);
        const std::vector<CardFields> cards = noFile ? std::vector<CardFields>{} : threeCards();
        CardWindowRig rig(cards, noFile ? CardWindowRig::NoFile : CardWindowRig::WithCards);
        if (first == "clear names") {
            rig.box("txtName")->clear();
            rig.box("txtWifeName")->clear();
        } else if (!first.isEmpty()) {
            rig.click(qPrintable(first));
        }
        QLineEdit *edit = rig.box(qPrintable(box));
        edit->clear();
        QTest::keyClicks(edit, typed);
        rig.click(qPrintable(button));

        QCOMPARE(messages(), QStringList{message});
        QCOMPARE(MessageBox::shown().first().icon,
                 message.startsWith("Error!") ? MessageBox::Exclamation : QMessageBox::NoIcon);
        QCOMPARE(rig.cards(), cards);
        QCOMPARE(edit->text(), typed);
        QCOMPARE(rig.recordNumber() + '/' + rig.recordTotal(), banner);
        verifyNameBoxSelected(rig);
    }

    // Once a stored card is shown again after New, Update works on it.
    void updateWorksAgainOnceAStoredCardIsShown()
    {
        CardWindowRig rig(threeCards());
        rig.click("cmdNew");
        rig.click("cmdBeginning");
        QTest::keyClicks(rig.box("txtMother"), QStringLiteral("!"));
        rig.click("cmdUpdate");
        QCOMPARE(messages(), QStringList{QStringLiteral("Kinfolio|Record has been Updated.")});
        QCOMPARE(rig.store->fields(0)[CardField::Mother], QStringLiteral("A-f9!"));
        QCOMPARE(rig.recordNumber(), QStringLiteral("1"));
        QCOMPARE(rig.recordTotal(), QStringLiteral("3"));
    }

    // --- Delete ---

    void deleteAnsweredNoChangesNothing()
    {
        CardWindowRig rig(threeCards());
        MessageBox::scriptAnswers({QMessageBox::No});
        rig.click("cmdDelete");
        verifyOneMessage(deleteQuestion, QStringLiteral("Warning!"), MessageBox::Exclamation,
                         QMessageBox::Yes | QMessageBox::No);
        QCOMPARE(rig.cards(), threeCards());
        QCOMPARE(rig.shown(), labelledCard("C"));
        QCOMPARE(rig.recordNumber(), QStringLiteral("3"));
    }

    void deleteOnAnEmptyStoreSaysSo()
    {
        CardWindowRig rig({}, CardWindowRig::NoFile);
        MessageBox::scriptAnswers({QMessageBox::Yes});
        rig.click("cmdDelete");
        QCOMPARE(messages(), QStringList({"Warning!|" + deleteQuestion, "Kinfolio|No records exist"}));
        QCOMPARE(rig.store->cardCount(), qint16(0));
    }

    void deleteOfTheOnlyCardEmptiesBoxesAndKeepsTheBanner()
    {
        CardWindowRig rig({labelledCard("A")});
        rig.click("cmdDelete");
        QCOMPARE(MessageBox::shown().size(), 1); // the question only
        QCOMPARE(rig.store->cardCount(), qint16(0));
        QCOMPARE(rig.editor->currentCard(), qint16(0));
        QVERIFY(rig.allBoxesEmpty());
        QCOMPARE(rig.recordNumber(), QStringLiteral("1"));
        QCOMPARE(rig.recordTotal(), QStringLiteral("1"));

        // The store is empty now, and a second Delete says so.
        MessageBox::clearShown();
        rig.click("cmdDelete");
        QCOMPARE(messages().last(), QStringLiteral("Kinfolio|No records exist"));
    }

    void deleteOfAMiddleCardMovesTheNextOneUpIntact()
    {
        CardWindowRig rig(threeCards());
        rig.click("cmdBackOne");
        rig.click("cmdDelete");
        QCOMPARE(rig.cards(), std::vector<CardFields>({labelledCard("A"), labelledCard("C")}));
        QCOMPARE(rig.editor->currentCard(), qint16(1));
        QCOMPARE(rig.shown(), labelledCard("C"));
        QCOMPARE(rig.recordNumber(), QStringLiteral("2"));
        QCOMPARE(rig.recordTotal(), QStringLiteral("2"));
        QCOMPARE(MessageBox::shown().size(), 1);
    }

    void deleteOfTheLastCardShowsTheFirst()
    {
        CardWindowRig rig(threeCards());
        rig.click("cmdDelete");
        QCOMPARE(rig.cards(), std::vector<CardFields>({labelledCard("A"), labelledCard("B")}));
        QCOMPARE(rig.editor->currentCard(), qint16(0));
        QCOMPARE(rig.shown(), labelledCard("A"));
        QCOMPARE(rig.recordNumber(), QStringLiteral("1"));
        QCOMPARE(rig.recordTotal(), QStringLiteral("2"));
    }

    // Delete while a new card is open must not remove the stored card hidden
    // behind it: the unsaved card is dropped and the stored one comes back.
    void deleteOfANewCardKeepsEveryStoredCard()
    {
        CardWindowRig rig(threeCards());
        rig.click("cmdBeginning");
        rig.click("cmdNew");
        QTest::keyClicks(rig.box("txtName"), QStringLiteral("Tom"));
        rig.click("cmdDelete");
        QCOMPARE(MessageBox::shown().size(), 1);
        QCOMPARE(rig.cards(), threeCards());
        QCOMPARE(rig.editor->currentCard(), qint16(0));
        QCOMPARE(rig.shown(), labelledCard("A"));
        QCOMPARE(rig.recordNumber(), QStringLiteral("1"));
        QCOMPARE(rig.recordTotal(), QStringLiteral("3"));
    }
};

KINFOLIO_TEST_MAIN(TestEditing)
#include "test_editing.moc"
