// The find dialog, opened from the card window's Find button and driven
// through its combo boxes and buttons.

#include "cardwindowrig.h"
#include "testmain.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QScreen>

using namespace kinfolio;
using namespace kinfolio::testing;

namespace {

CardFields person(const QString &tag, const QString &name, const QString &wife, const QString &bornPlace)
{
    CardFields card = labelledCard(tag);
    card[CardField::Name] = name;
    card[CardField::WifeName] = wife;
    card[CardField::BornPlace] = bornPlace;
    return card;
}

// Two wives share a name, one birth place is empty, two are equal.
std::vector<CardFields> family()
{
    return {
        person(QStringLiteral("A"), QStringLiteral("John Smith"), QStringLiteral("Mary Jones"),
               QStringLiteral("Boston")),
        person(QStringLiteral("B"), QStringLiteral("Adam Brown"), QStringLiteral("Mary Jones"), QString()),
        person(QStringLiteral("C"), QStringLiteral("Carl White"), QStringLiteral("Ann Lee"),
               QStringLiteral("Boston")),
        person(QStringLiteral("D"), QStringLiteral("Dan Green"), QStringLiteral("Eve Black"), QStringLiteral("York")),
    };
}

QComboBox *fieldList(QWidget *dialog)
{
    return child<QComboBox>(dialog, QStringLiteral("Combo1"));
}

QComboBox *valueList(QWidget *dialog)
{
    return child<QComboBox>(dialog, QStringLiteral("Combo2"));
}

QPushButton *dialogButton(QWidget *dialog, const char *name)
{
    return child<QPushButton>(dialog, QString::fromLatin1(name));
}

QStringList items(QComboBox *box)
{
    QStringList out;
    for (int i = 0; i < box->count(); ++i)
        out << box->itemText(i);
    return out;
}

QStringList fieldValues(const std::vector<CardFields> &cards, CardField field)
{
    QStringList out;
    for (const CardFields &c : cards)
        out << c[field];
    return out;
}

// Picks entry `row` from the combo box's drop-down list with the mouse.
void pickFromList(QComboBox *box, int row)
{
    box->showPopup();
    QAbstractItemView *view = box->view();
    QVERIFY(QTest::qWaitForWindowExposed(view->window()));
    const QModelIndex index = view->model()->index(row, 0);
    view->scrollTo(index);
    const QPoint at = view->visualRect(index).center();
    QTest::mouseMove(view->viewport(), at);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at);
    QTRY_VERIFY(!view->window()->isVisible());
}

} // namespace

class TestFind : public QObject
{
    Q_OBJECT

    QWidget *openFind(CardWindowRig &rig)
    {
        rig.click("cmdFind");
        QWidget *dialog = CardWindowRig::findDialog();
        if (dialog)
            QCoreApplication::processEvents();
        return dialog;
    }

    void chooseField(QWidget *dialog, CardField field)
    {
        pickFromList(fieldList(dialog), int(field));
        QCOMPARE(fieldList(dialog)->currentText(), CardText::fieldNames().at(int(field)));
    }

    void typeValue(QWidget *dialog, const QString &text)
    {
        QLineEdit *edit = valueList(dialog)->lineEdit();
        edit->clear();
        QTest::keyClicks(edit, text);
    }

    void accept(QWidget *dialog) { QTest::mouseClick(dialogButton(dialog, "cmdAccept"), Qt::LeftButton); }

    static bool isGone(const QPointer<QWidget> &dialog)
    {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return dialog.isNull() && !CardWindowRig::findDialog();
    }

    void verifyNoMatch(const QPointer<QWidget> &dialog)
    {
        verifyOneMessage(QStringLiteral("No Match Found"), QStringLiteral("Kinfolio"));
        QVERIFY(!isGone(dialog));
        QVERIFY(dialog->isVisible());
    }

    void verifyFound(CardWindowRig &rig, const QPointer<QWidget> &dialog, int position)
    {
        QVERIFY(MessageBox::shown().isEmpty());
        QCOMPARE(int(rig.editor->currentCard()), position);
        QCOMPARE(rig.shown(), rig.store->fields(position));
        QCOMPARE(rig.recordNumber(), QString::number(position + 1));
        QCOMPARE(rig.recordTotal(), QString::number(rig.store->cardCount()));
        QVERIFY(isGone(dialog));
    }

private slots:
    // --- opening ---

    // The field list holds fields 1 to 16, each once and in field order: each
    // entry speaks of the field its place in the list selects.
    void opensWithAnEntryForEachSearchableField()
    {
        CardWindowRig rig(family());
        QWidget *dialog = openFind(rig);
        QVERIFY(dialog);
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Find"));
        QVERIFY(!dialog->isModal());
        QCOMPARE(dialog->parentWidget(), nullptr);

        QComboBox *fields = fieldList(dialog);
        QCOMPARE(fields->count(), CardFieldCount - 1);
        for (int f = 0; f < fields->count(); ++f) {
            const QString entry = fields->itemText(f);
            QVERIFY2(fieldWords(entry) == fieldWords(CardText::fieldInWords(CardField(f))), qPrintable(entry));
        }
        QComboBox *values = valueList(dialog);
        QCOMPARE(fields->currentText(), QString());
        QCOMPARE(values->count(), 0);
        QCOMPARE(values->currentText(), QString());
        for (QComboBox *box : {fields, values}) {
            QVERIFY(box->isEditable());
            QCOMPARE(box->insertPolicy(), QComboBox::NoInsert);
        }
        QCOMPARE(dialog->focusWidget(), dialogButton(dialog, "cmdCancel"));
        QCOMPARE(dialogButton(dialog, "cmdCancel")->text(), QStringLiteral("&Cancel"));
        QCOMPARE(dialogButton(dialog, "cmdAccept")->text(), QStringLiteral("&Accept"));
    }

    void hasTheFixedLayoutAndNoDialogKeys()
    {
        CardWindowRig rig(family());
        QWidget *dialog = openFind(rig);
        QVERIFY(dialog);

        QCOMPARE(dialog->minimumSize(), dialog->maximumSize());
        const Qt::WindowFlags flags = dialog->windowFlags();
        QVERIFY(flags & Qt::WindowCloseButtonHint);
        QVERIFY(!(flags & Qt::WindowMinimizeButtonHint));
        QVERIFY(!(flags & Qt::WindowMaximizeButtonHint));
        const QStringList problems = layoutProblems(dialog);
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join(u'\n')));

        // Tab order: the buttons from the top, then the lists from the left.
        QVERIFY(QTest::qWaitForWindowActive(dialog));
        QPushButton *cancel = dialogButton(dialog, "cmdCancel");
        QCOMPARE(names(tabbedThrough(cancel)), names(byPosition({cancel, dialogButton(dialog, "cmdAccept")})
                                                     + byPosition({fieldList(dialog), valueList(dialog)})));

        // Centred on the screen, give or take the frame, which is added only
        // once the window is shown.
        const QRect screen = dialog->screen()->geometry();
        QVERIFY(qAbs(dialog->frameGeometry().center().x() - screen.center().x()) <= 3);
        QVERIFY(qAbs(dialog->frameGeometry().center().y() - screen.center().y()) <= 3);

        // Neither button is a default button: Enter and Esc do nothing.
        for (const char *name : {"cmdCancel", "cmdAccept"}) {
            QVERIFY(!dialogButton(dialog, name)->isDefault());
            QVERIFY(!dialogButton(dialog, name)->autoDefault());
        }
        QPointer<QWidget> guard(dialog);
        typeValue(dialog, QStringLiteral("Ann Lee"));
        QTest::keyClick(valueList(dialog), Qt::Key_Return);
        QTest::keyClick(dialog, Qt::Key_Escape);
        QTest::keyClick(fieldList(dialog), Qt::Key_Escape);
        QVERIFY(!isGone(guard));
        QVERIFY(dialog->isVisible());
        QVERIFY(MessageBox::shown().isEmpty());
        QCOMPARE(rig.editor->currentCard(), qint16(3));
    }

    void findWhileOpenBringsTheSameDialogForwardUnchanged()
    {
        CardWindowRig rig(family());
        QWidget *dialog = openFind(rig);
        QVERIFY(dialog);
        chooseField(dialog, CardField::WifeName);
        typeValue(dialog, QStringLiteral("partly typed"));

        QCOMPARE(openFind(rig), dialog);
        QCOMPARE(fieldList(dialog)->currentText(), CardText::fieldNames().at(int(CardField::WifeName)));
        QCOMPARE(items(fieldList(dialog)), CardText::fieldNames());
        QCOMPARE(items(valueList(dialog)), fieldValues(family(), CardField::WifeName));
        QCOMPARE(valueList(dialog)->currentText(), QStringLiteral("partly typed"));
        int open = 0;
        for (QWidget *w : QApplication::topLevelWidgets())
            open += w->objectName() == QLatin1String("find") && w->isVisible();
        QCOMPARE(open, 1);
    }

    // --- choosing a field ---

    void choosingAFieldListsItsValuesInTableOrder()
    {
        CardWindowRig rig(family());
        QWidget *dialog = openFind(rig);
        QVERIFY(dialog);
        typeValue(dialog, QStringLiteral("kept"));
        chooseField(dialog, CardField::BornPlace);
        QCOMPARE(items(valueList(dialog)),
                 (QStringList{QStringLiteral("Boston"), QString(), QStringLiteral("Boston"), QStringLiteral("York")}));
        QCOMPARE(valueList(dialog)->currentText(), QStringLiteral("kept"));
        QCOMPARE(items(fieldList(dialog)), CardText::fieldNames());
    }

    // Each entry selects its own field; stepping through the list with the
    // arrow keys chooses too.
    void everyEntrySelectsItsFieldWithTheArrowKeys()
    {
        const std::vector<CardFields> cards = {labelledCard("A"), labelledCard("B")};
        CardWindowRig rig(cards);
        QWidget *dialog = openFind(rig);
        QVERIFY(dialog);
        QComboBox *fields = fieldList(dialog);
        for (int row = 0; row < CardFieldCount - 1; ++row) {
            QTest::keyClick(fields, Qt::Key_Down);
            QCOMPARE(fields->currentText(), CardText::fieldNames().at(row));
            QCOMPARE(items(valueList(dialog)), fieldValues(cards, CardField(row)));
        }
    }

    void typingAFieldNameChoosesNothing()
    {
        CardWindowRig rig(family());
        QWidget *dialog = openFind(rig);
        QVERIFY(dialog);
        QComboBox *fields = fieldList(dialog);
        QTest::keyClicks(fields->lineEdit(), CardText::fieldNames().first());
        QTest::keyClick(fields->lineEdit(), Qt::Key_Return);
        QTest::keyClick(fields->lineEdit(), Qt::Key_Tab);
        fields->lineEdit()->clearFocus();
        QCOMPARE(valueList(dialog)->count(), 0);

        chooseField(dialog, CardField::WifeName);
        fields->lineEdit()->setFocus();
        fields->lineEdit()->clear();
        QTest::keyClicks(fields->lineEdit(), CardText::fieldNames().first());
        QTest::keyClick(fields->lineEdit(), Qt::Key_Return);
        fields->lineEdit()->clearFocus();
        QCOMPARE(items(valueList(dialog)), fieldValues(family(), CardField::WifeName));
    }

    void aSecondFieldReplacesTheValues()
    {
        CardWindowRig rig(family());
        QPointer<QWidget> dialog = openFind(rig);
        QVERIFY(dialog);
        chooseField(dialog, CardField::Name);
        chooseField(dialog, CardField::WifeName);
        QCOMPARE(items(valueList(dialog)), fieldValues(family(), CardField::WifeName));
        pickFromList(valueList(dialog), 2);
        QCOMPARE(valueList(dialog)->currentText(), QStringLiteral("Ann Lee"));
        accept(dialog);
        verifyFound(rig, dialog, 2);
    }

    void anEmptyTableListsNothingAndFindsNothing()
    {
        for (auto state : {CardWindowRig::NoFile, CardWindowRig::EmptyFile}) {
            CardWindowRig rig({}, state);
            QPointer<QWidget> dialog = openFind(rig);
            QVERIFY(dialog);
            chooseField(dialog, CardField::Name);
            QCOMPARE(valueList(dialog)->count(), 0);
            accept(dialog);
            verifyNoMatch(dialog);
            typeValue(dialog, QStringLiteral("x"));
            accept(dialog);
            verifyNoMatch(dialog);
        }
    }

    // --- the search ---

    void theLowestEqualPositionWins()
    {
        CardWindowRig rig(family());
        rig.click("cmdNew"); // total 5; an accepted search sets it back
        QPointer<QWidget> dialog = openFind(rig);
        QVERIFY(dialog);
        chooseField(dialog, CardField::WifeName);
        pickFromList(valueList(dialog), 1); // the second "Mary Jones"
        accept(dialog);
        verifyFound(rig, dialog, 0);
    }

    void searchingAgainFindsTheSameCard()
    {
        CardWindowRig rig(family());
        for (int round = 0; round < 2; ++round) {
            QPointer<QWidget> dialog = openFind(rig);
            QVERIFY(dialog);
            chooseField(dialog, CardField::BornPlace);
            typeValue(dialog, QStringLiteral("Boston"));
            accept(dialog);
            verifyFound(rig, dialog, 0);
            rig.click("cmdEnd");
        }
    }

    void aTypedValueFindsItsCard()
    {
        CardWindowRig rig(family());
        QPointer<QWidget> dialog = openFind(rig);
        QVERIFY(dialog);
        chooseField(dialog, CardField::Name);
        typeValue(dialog, QStringLiteral("Carl White"));
        accept(dialog);
        verifyFound(rig, dialog, 2);

        // Navigation carries on from the card found.
        rig.click("cmdBackOne");
        QCOMPARE(rig.shown(), family()[1]);
        QCOMPARE(rig.recordNumber(), QStringLiteral("2"));
    }

    void onlyAnExactValueMatches_data()
    {
        QTest::addColumn<QString>("value");
        QTest::newRow("letter case") << QStringLiteral("ann lee");
        QTest::newRow("trailing space") << QStringLiteral("Ann Lee ");
        QTest::newRow("leading space") << QStringLiteral(" Ann Lee");
        QTest::newRow("beginning only") << QStringLiteral("Ann");
    }

    void onlyAnExactValueMatches()
    {
        QFETCH(QString, value);
        CardWindowRig rig(family());
        rig.click("cmdBackOne");
        QPointer<QWidget> dialog = openFind(rig);
        QVERIFY(dialog);
        chooseField(dialog, CardField::WifeName);
        typeValue(dialog, value);
        accept(dialog);
        verifyNoMatch(dialog);
        QCOMPARE(valueList(dialog)->currentText(), value);
        QCOMPARE(items(valueList(dialog)), fieldValues(family(), CardField::WifeName));
        QCOMPARE(rig.editor->currentCard(), qint16(2));
        QCOMPARE(rig.recordNumber(), QStringLiteral("3"));

        // The dialog stays for another try.
        typeValue(dialog, QStringLiteral("Ann Lee"));
        accept(dialog);
        verifyFound(rig, dialog, 2);
    }

    void anEmptyValueFindsTheFirstEmptyField()
    {
        CardWindowRig rig(family());
        QPointer<QWidget> dialog = openFind(rig);
        QVERIFY(dialog);
        chooseField(dialog, CardField::Name);
        accept(dialog);
        verifyNoMatch(dialog);

        chooseField(dialog, CardField::BornPlace);
        accept(dialog);
        verifyFound(rig, dialog, 1);
    }

    // Before a field is chosen the value list is empty, so every position
    // compares as empty text.
    void acceptBeforeChoosingAField()
    {
        CardWindowRig rig(family());
        QPointer<QWidget> dialog = openFind(rig);
        QVERIFY(dialog);
        typeValue(dialog, QStringLiteral("John Smith"));
        accept(dialog);
        verifyNoMatch(dialog);

        typeValue(dialog, QString());
        accept(dialog);
        verifyFound(rig, dialog, 0);
    }

    // Cards deleted while the dialog is open: a search still shows the card
    // that holds the value, never the one that moved into its old place.
    void searchesTheCardsAsTheyAreNow()
    {
        CardWindowRig rig(family());
        QPointer<QWidget> dialog = openFind(rig);
        QVERIFY(dialog);
        chooseField(dialog, CardField::Name);
        rig.click("cmdDelete"); // the last card, "Dan Green"
        MessageBox::clearShown();

        typeValue(dialog, QStringLiteral("Dan Green"));
        accept(dialog);
        verifyNoMatch(dialog);

        rig.click("cmdBeginning");
        rig.click("cmdDelete"); // "John Smith" goes; the list still has him first
        MessageBox::clearShown();
        typeValue(dialog, QStringLiteral("Adam Brown"));
        accept(dialog);
        verifyFound(rig, dialog, 0);
        QCOMPARE(rig.shown(), family()[1]);
    }

    // --- closing ---

    void reopeningAfterAnAcceptStartsAfresh()
    {
        CardWindowRig rig(family());
        QPointer<QWidget> dialog = openFind(rig);
        QVERIFY(dialog);
        chooseField(dialog, CardField::WifeName);
        typeValue(dialog, QStringLiteral("Eve Black"));
        accept(dialog);
        rig.click("cmdFind"); // straight away, before the old one is destroyed
        QWidget *again = CardWindowRig::findDialog();
        QVERIFY(again);
        QVERIFY(again != dialog.data());
        QCOMPARE(items(fieldList(again)), CardText::fieldNames());
        QCOMPARE(fieldList(again)->currentText(), QString());
        QCOMPARE(valueList(again)->count(), 0);
        QCOMPARE(valueList(again)->currentText(), QString());
    }

    void cancelAndTheCloseBoxChangeNothing()
    {
        CardWindowRig rig(family());
        rig.click("cmdBackOne");
        QTest::keyClicks(rig.box("txtName"), QStringLiteral(" unsaved"));
        const CardFields before = rig.shown();

        for (bool useCancel : {true, false}) {
            QPointer<QWidget> dialog = openFind(rig);
            QVERIFY(dialog);
            chooseField(dialog, CardField::Name);
            typeValue(dialog, QStringLiteral("John Smith"));
            if (useCancel)
                QTest::mouseClick(dialogButton(dialog, "cmdCancel"), Qt::LeftButton);
            else
                QVERIFY(dialog->close());
            QVERIFY(isGone(dialog));
            QVERIFY(MessageBox::shown().isEmpty());
            QCOMPARE(rig.editor->currentCard(), qint16(2));
            QCOMPARE(rig.shown(), before);
            QCOMPARE(rig.recordNumber(), QStringLiteral("3"));
        }
    }

    // After Exit the card window is gone; the dialog stays until the user
    // closes it, and Accept then closes it instead of showing a card.
    void acceptAfterExitClosesTheDialog()
    {
        CardWindowRig rig(family());
        QPointer<QWidget> dialog = openFind(rig);
        QVERIFY(dialog);
        chooseField(dialog, CardField::Name);

        rig.click("cmdExit");
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(rig.window.isNull());
        QVERIFY(dialog && dialog->isVisible());

        chooseField(dialog, CardField::WifeName);
        typeValue(dialog, QStringLiteral("Mary Jones"));
        accept(dialog);
        QVERIFY(isGone(dialog));
        QVERIFY(MessageBox::shown().isEmpty());
        // No window is left, so the program ends.
        for (QWidget *w : QApplication::topLevelWidgets())
            QVERIFY2(!w->isVisible(), qPrintable(w->objectName()));
    }
};

KINFOLIO_TEST_MAIN(TestFind)
#include "test_find.moc"
