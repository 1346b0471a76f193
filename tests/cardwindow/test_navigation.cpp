// The four navigation buttons: the decision from the store's two numbers, and
// what the card window shows and says.

#include "cardwindowrig.h"
#include "navigation.h"
#include "testmain.h"

using namespace kinfolio;
using namespace kinfolio::testing;

Q_DECLARE_METATYPE(kinfolio::NavButton)
Q_DECLARE_METATYPE(kinfolio::NavDecision)

namespace {

const char *buttonName(NavButton b)
{
    switch (b) {
    case NavButton::Beginning: return "Beginning";
    case NavButton::BackOne: return "BackOne";
    case NavButton::ForwardOne: return "ForwardOne";
    case NavButton::End: return "End";
    }
    return "?";
}

NavDecision moveTo(int position)
{
    return {NavDecision::MoveTo, position};
}
const NavDecision nothing{NavDecision::Nothing};
const NavDecision first{NavDecision::FirstRecordReached};
const NavDecision last{NavDecision::LastRecordReached};

QList<CardFields> cards(int n)
{
    QList<CardFields> out;
    for (int i = 0; i < n; ++i)
        out << taggedCard(QString(QChar(u'A' + i)));
    return out;
}

void verifyEdgeMessage(const QString &text)
{
    QCOMPARE(MessageBox::shown().size(), 1);
    const MessageBox::Shown &m = MessageBox::shown()[0];
    QCOMPARE(m.text, text);
    QCOMPARE(m.title, QStringLiteral("Information"));
    QCOMPARE(m.icon, MessageBox::Exclamation);
    QCOMPARE(m.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    MessageBox::clearShown();
}

const char *const navButtons[] = {"cmdBeginning", "cmdBackOne", "cmdForwardOne", "cmdEnd"};

} // namespace

class TestNavigation : public QObject
{
    Q_OBJECT

private slots:
    // Every position of every table of up to four cards, and both empty
    // states; the expectations are the button table written out by hand.
    void decision_data()
    {
        QTest::addColumn<NavButton>("button");
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("current");
        QTest::addColumn<NavDecision>("expected");

        auto row = [](NavButton b, int count, int current, NavDecision d) {
            QTest::addRow("%s %d/%d", buttonName(b), current, count) << b << count << current << d;
        };
        // Empty table loaded from an empty file (-1) or from none (0): only
        // Forward, whose edge test comes first, speaks.
        row(NavButton::Beginning, 0, -1, nothing);
        row(NavButton::BackOne, 0, -1, nothing);
        row(NavButton::ForwardOne, 0, -1, last);
        row(NavButton::End, 0, -1, nothing);
        row(NavButton::Beginning, 0, 0, nothing);
        row(NavButton::BackOne, 0, 0, nothing);
        row(NavButton::ForwardOne, 0, 0, nothing);
        row(NavButton::End, 0, 0, nothing);

        // One card: every button reports its edge.
        row(NavButton::Beginning, 1, 0, first);
        row(NavButton::BackOne, 1, 0, first);
        row(NavButton::ForwardOne, 1, 0, last);
        row(NavButton::End, 1, 0, last);

        // Two cards.
        row(NavButton::Beginning, 2, 0, first);
        row(NavButton::BackOne, 2, 0, first);
        row(NavButton::ForwardOne, 2, 0, moveTo(1));
        row(NavButton::End, 2, 0, moveTo(1));
        row(NavButton::Beginning, 2, 1, moveTo(0));
        row(NavButton::BackOne, 2, 1, moveTo(0));
        row(NavButton::ForwardOne, 2, 1, last);
        row(NavButton::End, 2, 1, last);

        // Three cards.
        row(NavButton::Beginning, 3, 0, first);
        row(NavButton::BackOne, 3, 0, first);
        row(NavButton::ForwardOne, 3, 0, moveTo(1));
        row(NavButton::End, 3, 0, moveTo(2));
        row(NavButton::Beginning, 3, 1, moveTo(0));
        row(NavButton::BackOne, 3, 1, moveTo(0));
        row(NavButton::ForwardOne, 3, 1, moveTo(2));
        row(NavButton::End, 3, 1, moveTo(2));
        row(NavButton::Beginning, 3, 2, moveTo(0));
        row(NavButton::BackOne, 3, 2, moveTo(1));
        row(NavButton::ForwardOne, 3, 2, last);
        row(NavButton::End, 3, 2, last);

        // Four cards.
        row(NavButton::Beginning, 4, 0, first);
        row(NavButton::BackOne, 4, 0, first);
        row(NavButton::ForwardOne, 4, 0, moveTo(1));
        row(NavButton::End, 4, 0, moveTo(3));
        row(NavButton::Beginning, 4, 1, moveTo(0));
        row(NavButton::BackOne, 4, 1, moveTo(0));
        row(NavButton::ForwardOne, 4, 1, moveTo(2));
        row(NavButton::End, 4, 1, moveTo(3));
        row(NavButton::Beginning, 4, 2, moveTo(0));
        row(NavButton::BackOne, 4, 2, moveTo(1));
        row(NavButton::ForwardOne, 4, 2, moveTo(3));
        row(NavButton::End, 4, 2, moveTo(3));
        row(NavButton::Beginning, 4, 3, moveTo(0));
        row(NavButton::BackOne, 4, 3, moveTo(2));
        row(NavButton::ForwardOne, 4, 3, last);
        row(NavButton::End, 4, 3, last);

        // The largest table: the move arithmetic stays in range.
        row(NavButton::ForwardOne, 32767, 32765, moveTo(32766));
        row(NavButton::ForwardOne, 32767, 32766, last);
        row(NavButton::End, 32767, 0, moveTo(32766));
    }

    void decision()
    {
        QFETCH(NavButton, button);
        QFETCH(int, count);
        QFETCH(int, current);
        QFETCH(NavDecision, expected);
        const NavDecision got = decideNavigation(button, count, current);
        QCOMPARE(int(got.kind), int(expected.kind));
        if (expected.kind == NavDecision::MoveTo)
            QCOMPARE(got.position, expected.position);
    }

    // --- the window ---

    void stepsThroughThreeCardsWithoutWrapping()
    {
        CardWindowRig rig(cards(3));
        QCOMPARE(rig.store->currentCard(), qint16(2));

        rig.click("cmdForwardOne");
        verifyEdgeMessage(QStringLiteral("Last record reached."));
        QCOMPARE(rig.shown(), taggedCard(QStringLiteral("C")));
        QCOMPARE(rig.store->currentCard(), qint16(2));

        rig.click("cmdBackOne");
        QCOMPARE(rig.shown(), taggedCard(QStringLiteral("B")));
        QCOMPARE(rig.recordNumber(), QStringLiteral("2"));
        QCOMPARE(rig.store->currentCard(), qint16(1));

        rig.click("cmdBeginning");
        QCOMPARE(rig.shown(), taggedCard(QStringLiteral("A")));
        QCOMPARE(rig.recordNumber(), QStringLiteral("1"));

        rig.click("cmdBackOne");
        verifyEdgeMessage(QStringLiteral("First record reached."));
        QCOMPARE(rig.store->currentCard(), qint16(0));

        rig.click("cmdForwardOne");
        QCOMPARE(rig.shown(), taggedCard(QStringLiteral("B")));

        rig.click("cmdEnd");
        QCOMPARE(rig.shown(), taggedCard(QStringLiteral("C")));
        QCOMPARE(rig.recordNumber(), QStringLiteral("3"));
        rig.click("cmdEnd");
        verifyEdgeMessage(QStringLiteral("Last record reached."));

        QVERIFY(MessageBox::shown().isEmpty());
        QCOMPARE(rig.recordTotal(), QStringLiteral("3"));
    }

    void oneCardReportsBothEdges()
    {
        CardWindowRig rig(cards(1));
        rig.click("cmdBeginning");
        verifyEdgeMessage(QStringLiteral("First record reached."));
        rig.click("cmdBackOne");
        verifyEdgeMessage(QStringLiteral("First record reached."));
        rig.click("cmdForwardOne");
        verifyEdgeMessage(QStringLiteral("Last record reached."));
        rig.click("cmdEnd");
        verifyEdgeMessage(QStringLiteral("Last record reached."));
        QCOMPARE(rig.shown(), taggedCard(QStringLiteral("A")));
        QCOMPARE(rig.store->currentCard(), qint16(0));
    }

    void emptyFileLetsOnlyForwardSpeak()
    {
        CardWindowRig rig({}, CardWindowRig::EmptyFile);
        QCOMPARE(rig.store->currentCard(), qint16(-1));
        for (const char *name : navButtons) {
            rig.click(name);
            if (qstrcmp(name, "cmdForwardOne") == 0)
                verifyEdgeMessage(QStringLiteral("Last record reached."));
            else
                QVERIFY2(MessageBox::shown().isEmpty(), name);
        }
        QCOMPARE(rig.store->currentCard(), qint16(-1));
        QCOMPARE(rig.window->findChild<QPlainTextEdit *>(QStringLiteral("txtNotes"))->toPlainText(),
                 QStringLiteral("Text1"));
    }

    void missingFileAndEmptiedTableDoNothing()
    {
        CardWindowRig missing({}, CardWindowRig::NoFile);
        for (const char *name : navButtons)
            missing.click(name);
        QVERIFY(MessageBox::shown().isEmpty());
        QCOMPARE(missing.store->currentCard(), qint16(0));

        CardWindowRig emptied(cards(1));
        emptied.click("cmdDelete");
        MessageBox::clearShown();
        for (const char *name : navButtons)
            emptied.click(name);
        QVERIFY(MessageBox::shown().isEmpty());
        QVERIFY(emptied.allBoxesEmpty());
        QCOMPARE(emptied.recordNumber(), QStringLiteral("1"));
    }

    // New keeps CurrentCard; moves go from the card shown before it, and the
    // total New announced stays until something sets it again.
    void afterNewMovesFromThePreviousCardAndKeepTheTotal()
    {
        CardWindowRig rig(cards(4));
        rig.click("cmdBackOne");
        rig.click("cmdBackOne"); // card 2 of 4
        rig.click("cmdNew");
        QCOMPARE(rig.recordTotal(), QStringLiteral("5"));

        rig.click("cmdBackOne");
        QCOMPARE(rig.shown(), taggedCard(QStringLiteral("A")));
        QCOMPARE(rig.recordNumber(), QStringLiteral("1"));
        QCOMPARE(rig.recordTotal(), QStringLiteral("5"));

        rig.click("cmdNew");
        rig.click("cmdForwardOne");
        QCOMPARE(rig.shown(), taggedCard(QStringLiteral("B")));
        QCOMPARE(rig.recordNumber(), QStringLiteral("2"));
        rig.click("cmdEnd");
        QCOMPARE(rig.recordNumber(), QStringLiteral("4"));
        QCOMPARE(rig.recordTotal(), QStringLiteral("5"));
        QVERIFY(MessageBox::shown().isEmpty());
    }

    void afterNewOnTheFirstCardBackKeepsTheEmptyBoxes()
    {
        CardWindowRig rig(cards(3));
        rig.click("cmdBeginning");
        rig.click("cmdNew");
        rig.click("cmdBackOne");
        verifyEdgeMessage(QStringLiteral("First record reached."));
        QVERIFY(rig.allBoxesEmpty());
        QCOMPARE(rig.recordNumber(), QStringLiteral("4"));
    }

    void aMoveDropsUnsavedEditsAndAnEdgeKeepsThem()
    {
        CardWindowRig rig(cards(3));
        QTest::keyClicks(rig.box("txtName"), QStringLiteral(" edited"));
        rig.click("cmdEnd");
        verifyEdgeMessage(QStringLiteral("Last record reached."));
        QCOMPARE(rig.box("txtName")->text(), QStringLiteral("C f1 edited"));

        rig.click("cmdBackOne");
        rig.click("cmdForwardOne");
        QCOMPARE(rig.shown(), taggedCard(QStringLiteral("C")));
        QCOMPARE(rig.store->fields(2), taggedCard(QStringLiteral("C")));
    }
};

KINFOLIO_TEST_MAIN(TestNavigation)
#include "test_navigation.moc"
