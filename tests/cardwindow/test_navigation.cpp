// The four navigation buttons: the decision from the store's two numbers, and
// what the card window shows and says.

#include "cardwindowrig.h"
#include "commands/navigation.h"
#include "testmain.h"

using namespace kinfolio;
using namespace kinfolio::testing;

namespace {

std::vector<CardFields> cards(int n)
{
    std::vector<CardFields> out;
    for (int i = 0; i < n; ++i)
        out.push_back(labelledCard(QString(QChar(u'A' + i))));
    return out;
}

void verifyEdgeMessage(const QString &text)
{
    verifyOneMessage(text, QStringLiteral("Information"), MessageBox::Exclamation);
}

const char *const navButtons[] = {"cmdBeginning", "cmdBackOne", "cmdForwardOne", "cmdEnd"};

} // namespace

class TestNavigation : public QObject
{
    Q_OBJECT

private slots:
    // Every position of every table of up to four cards, both empty states
    // and the largest table; the expectations are the button table worked
    // out by hand. Per position, what First, Back, Forward and Last do: F and
    // L report the first or last record, - does nothing, a number moves there.
    void decision_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("current");
        QTest::addColumn<QStringList>("outcomes");
        const struct { int count, current; const char *outcomes; } rows[] = {
            // Empty, loaded from an empty file (-1) or from none (0): only
            // Forward, whose edge test comes first, speaks.
            {0, -1, "- - L -"}, {0, 0, "- - - -"},
            {1, 0, "F F L L"},
            {2, 0, "F F 1 1"}, {2, 1, "0 0 L L"},
            {3, 0, "F F 1 2"}, {3, 1, "0 0 2 2"}, {3, 2, "0 1 L L"},
            {4, 0, "F F 1 3"}, {4, 1, "0 0 2 3"}, {4, 2, "0 1 3 3"}, {4, 3, "0 2 L L"},
            // The move arithmetic stays in range.
            {32767, 0, "F F 1 32766"}, {32767, 32765, "0 32764 32766 32766"}, {32767, 32766, "0 32765 L L"},
        };
        for (const auto &r : rows)
            QTest::addRow("%d/%d", r.current, r.count) << r.count << r.current
                                                       << QString::fromLatin1(r.outcomes).split(u' ');
    }

    void decision()
    {
        QFETCH(int, count);
        QFETCH(int, current);
        QFETCH(QStringList, outcomes);
        const NavButton buttons[] = {NavButton::Beginning, NavButton::BackOne, NavButton::ForwardOne, NavButton::End};
        for (int b = 0; b < 4; ++b) {
            const NavDecision got = decideNavigation(buttons[b], count, current);
            const QString outcome = got.kind == NavDecision::MoveTo               ? QString::number(got.position)
                                    : got.kind == NavDecision::FirstRecordReached ? QStringLiteral("F")
                                    : got.kind == NavDecision::LastRecordReached  ? QStringLiteral("L")
                                                                                  : QStringLiteral("-");
            QVERIFY2(outcome == outcomes[b], qPrintable(QStringLiteral("%1: %2").arg(navButtons[b], outcome)));
        }
    }

    // --- the window ---

    void stepsThroughThreeCardsWithoutWrapping()
    {
        CardWindowRig rig(cards(3));
        QCOMPARE(rig.editor->currentCard(), qint16(2));

        rig.click("cmdForwardOne");
        verifyEdgeMessage(QStringLiteral("Last record reached."));
        QCOMPARE(rig.shown(), labelledCard("C"));
        QCOMPARE(rig.editor->currentCard(), qint16(2));

        rig.click("cmdBackOne");
        QCOMPARE(rig.shown(), labelledCard("B"));
        QCOMPARE(rig.recordNumber(), QStringLiteral("2"));
        QCOMPARE(rig.editor->currentCard(), qint16(1));

        rig.click("cmdBeginning");
        QCOMPARE(rig.shown(), labelledCard("A"));
        QCOMPARE(rig.recordNumber(), QStringLiteral("1"));

        rig.click("cmdBackOne");
        verifyEdgeMessage(QStringLiteral("First record reached."));
        QCOMPARE(rig.editor->currentCard(), qint16(0));

        rig.click("cmdForwardOne");
        QCOMPARE(rig.shown(), labelledCard("B"));

        rig.click("cmdEnd");
        QCOMPARE(rig.shown(), labelledCard("C"));
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
        QCOMPARE(rig.shown(), labelledCard("A"));
        QCOMPARE(rig.editor->currentCard(), qint16(0));
    }

    void emptyFileLetsOnlyForwardSpeak()
    {
        CardWindowRig rig({}, CardWindowRig::EmptyFile);
        QCOMPARE(rig.editor->currentCard(), qint16(-1));
        for (const char *name : navButtons) {
            rig.click(name);
            if (qstrcmp(name, "cmdForwardOne") == 0)
                verifyEdgeMessage(QStringLiteral("Last record reached."));
            else
                QVERIFY2(MessageBox::shown().isEmpty(), name);
        }
        QCOMPARE(rig.editor->currentCard(), qint16(-1));
        QCOMPARE(child<QPlainTextEdit>(rig.window, "txtNotes")->toPlainText(), QStringLiteral("Text1"));
    }

    void missingFileAndEmptiedTableDoNothing()
    {
        CardWindowRig missing({}, CardWindowRig::NoFile);
        for (const char *name : navButtons)
            missing.click(name);
        QVERIFY(MessageBox::shown().isEmpty());
        QCOMPARE(missing.editor->currentCard(), qint16(0));

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
        QCOMPARE(rig.shown(), labelledCard("A"));
        QCOMPARE(rig.recordNumber(), QStringLiteral("1"));
        QCOMPARE(rig.recordTotal(), QStringLiteral("5"));

        rig.click("cmdNew");
        rig.click("cmdForwardOne");
        QCOMPARE(rig.shown(), labelledCard("B"));
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
        QCOMPARE(rig.box("txtName")->text(), QStringLiteral("C-f1 edited"));

        rig.click("cmdBackOne");
        rig.click("cmdForwardOne");
        QCOMPARE(rig.shown(), labelledCard("C"));
        QCOMPARE(rig.store->fields(2), labelledCard("C"));
    }
};

KINFOLIO_TEST_MAIN(TestNavigation)
#include "test_navigation.moc"
