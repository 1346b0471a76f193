// The find dialog, opened from the card window's Find button and driven
// through its combo boxes and buttons.

#include "cardwindowrig.h"
#include "testmain.h"

#include <QScreen>

using namespace kinfolio;
using namespace kinfolio::testing;

namespace {

const QStringList fieldEntries = {
    QStringLiteral("Husband"),
    QStringLiteral("Husband's BirthDate"),
    QStringLiteral("Husband's Birth Place"),
    QStringLiteral("Married Date"),
    QStringLiteral("Married Place"),
    QStringLiteral("Husband's Death Date"),
    QStringLiteral("Husband's Death Place"),
    QStringLiteral("Husband's Father"),
    QStringLiteral("Husband's Mother"),
    QStringLiteral("Wife's Name"),
    QStringLiteral("Wife's BirthDate"),
    QStringLiteral("Wife's Birth Place"),
    QStringLiteral("Wife's Death Date"),
    QStringLiteral("Wife's Death Place"),
    QStringLiteral("Wife's Father"),
    QStringLiteral("Wife's Mother"),
};

CardFields person(const QString &tag, const QString &name, const QString &wife, const QString &bornPlace)
{
    CardFields card = taggedCard(tag);
    card[CardField::Name] = name;
    card[CardField::WifeName] = wife;
    card[CardField::BornPlace] = bornPlace;
    return card;
}

// Two wives share a name, one birth place is empty, two are equal.
QList<CardFields> family()
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

QComboBox *combo(QWidget *dialog, const char *name)
{
    return dialog->findChild<QComboBox *>(QString::fromLatin1(name));
}

QPushButton *dialogButton(QWidget *dialog, const char *name)
{
    return dialog->findChild<QPushButton *>(QString::fromLatin1(name));
}

QStringList items(QComboBox *box)
{
    QStringList out;
    for (int i = 0; i < box->count(); ++i)
        out << box->itemText(i);
    return out;
}

QStringList fieldValues(const QList<CardFields> &cards, CardField field)
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
    // A release too soon after the list opened is taken for the end of the
    // click that opened it.
    QTest::qWait(QApplication::doubleClickInterval() + 50);
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

    void chooseField(QWidget *dialog, const QString &entry)
    {
        const int row = fieldEntries.indexOf(entry);
        QVERIFY(row >= 0);
        pickFromList(combo(dialog, "Combo1"), row);
        QCOMPARE(combo(dialog, "Combo1")->currentText(), entry);
    }

    void typeValue(QWidget *dialog, const QString &text)
    {
        QLineEdit *edit = combo(dialog, "Combo2")->lineEdit();
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
        QCOMPARE(MessageBox::shown().size(), 1);
        const MessageBox::Shown &m = MessageBox::shown()[0];
        QCOMPARE(m.text, QStringLiteral("No Match Found"));
        QCOMPARE(m.title, QStringLiteral("Kinfolio"));
        QCOMPARE(m.icon, QMessageBox::NoIcon);
        QCOMPARE(m.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
        QVERIFY(!isGone(dialog));
        QVERIFY(dialog->isVisible());
        MessageBox::clearShown();
    }

    void verifyFound(CardWindowRig &rig, const QPointer<QWidget> &dialog, int position)
    {
        QVERIFY(MessageBox::shown().isEmpty());
        QCOMPARE(int(rig.store->currentCard()), position);
        QCOMPARE(rig.shown(), rig.store->fields(position));
        QCOMPARE(rig.recordNumber(), QString::number(position + 1));
        QCOMPARE(rig.recordTotal(), QString::number(rig.store->cardCount()));
        QVERIFY(isGone(dialog));
    }

private slots:
    // --- opening ---

    void opensWithSixteenFieldsAndNothingElse()
    {
        CardWindowRig rig(family());
        QWidget *dialog = openFind(rig);
        QVERIFY(dialog);
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Find"));
        QVERIFY(!dialog->isModal());
        QCOMPARE(dialog->parentWidget(), nullptr);

        QComboBox *fields = combo(dialog, "Combo1");
        QComboBox *values = combo(dialog, "Combo2");
        QCOMPARE(items(fields), fieldEntries);
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

        // 5595 x 1260 twips, fixed.
        QCOMPARE(dialog->size(), QSize(373, 84));
        QCOMPARE(dialog->minimumSize(), dialog->maximumSize());
        const Qt::WindowFlags flags = dialog->windowFlags();
        QVERIFY(flags & Qt::WindowCloseButtonHint);
        QVERIFY(!(flags & Qt::WindowMinimizeButtonHint));
        QVERIFY(!(flags & Qt::WindowMaximizeButtonHint));

        QCOMPARE(dialogButton(dialog, "cmdCancel")->geometry(), QRect(195, 42, 73, 17));
        QCOMPARE(dialogButton(dialog, "cmdAccept")->geometry(), QRect(195, 62, 73, 17));
        QCOMPARE(combo(dialog, "Combo1")->geometry(), QRect(8, 8, 161, 21));
        QCOMPARE(combo(dialog, "Combo2")->geometry(), QRect(184, 8, 137, 21));

        // Tab order: Cancel, Accept, field list, value list.
        QStringList chain;
        QWidget *w = dialogButton(dialog, "cmdCancel");
        do {
            if (!w->objectName().isEmpty() && w->focusPolicy() & Qt::TabFocus)
                chain << w->objectName();
            w = w->nextInFocusChain();
        } while (w != dialogButton(dialog, "cmdCancel") && chain.size() < 10);
        QCOMPARE(chain, (QStringList{"cmdCancel", "cmdAccept", "Combo1", "Combo2"}));

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
        QTest::keyClick(combo(dialog, "Combo2"), Qt::Key_Return);
        QTest::keyClick(dialog, Qt::Key_Escape);
        QTest::keyClick(combo(dialog, "Combo1"), Qt::Key_Escape);
        QVERIFY(!isGone(guard));
        QVERIFY(dialog->isVisible());
        QVERIFY(MessageBox::shown().isEmpty());
        QCOMPARE(rig.store->currentCard(), qint16(3));
    }

    void findWhileOpenBringsTheSameDialogForwardUnchanged()
    {
        CardWindowRig rig(family());
        QWidget *dialog = openFind(rig);
        QVERIFY(dialog);
        chooseField(dialog, QStringLiteral("Wife's Name"));
        typeValue(dialog, QStringLiteral("partly typed"));

        QCOMPARE(openFind(rig), dialog);
        QCOMPARE(combo(dialog, "Combo1")->currentText(), QStringLiteral("Wife's Name"));
        QCOMPARE(items(combo(dialog, "Combo1")), fieldEntries);
        QCOMPARE(items(combo(dialog, "Combo2")), fieldValues(family(), CardField::WifeName));
        QCOMPARE(combo(dialog, "Combo2")->currentText(), QStringLiteral("partly typed"));
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
        chooseField(dialog, QStringLiteral("Husband's Birth Place"));
        QCOMPARE(items(combo(dialog, "Combo2")),
                 (QStringList{QStringLiteral("Boston"), QString(), QStringLiteral("Boston"), QStringLiteral("York")}));
        QCOMPARE(combo(dialog, "Combo2")->currentText(), QStringLiteral("kept"));
        QCOMPARE(items(combo(dialog, "Combo1")), fieldEntries);
    }

    // Each entry selects its own field; stepping through the list with the
    // arrow keys chooses too.
    void everyEntrySelectsItsFieldWithTheArrowKeys()
    {
        QList<CardFields> cards = {taggedCard(QStringLiteral("A")), taggedCard(QStringLiteral("B"))};
        CardWindowRig rig(cards);
        QWidget *dialog = openFind(rig);
        QVERIFY(dialog);
        QComboBox *fields = combo(dialog, "Combo1");
        for (int row = 0; row < fieldEntries.size(); ++row) {
            QTest::keyClick(fields, Qt::Key_Down);
            QCOMPARE(fields->currentText(), fieldEntries[row]);
            QCOMPARE(items(combo(dialog, "Combo2")), fieldValues(cards, CardField(row)));
        }
    }

    void typingAFieldNameChoosesNothing()
    {
        CardWindowRig rig(family());
        QWidget *dialog = openFind(rig);
        QVERIFY(dialog);
        QComboBox *fields = combo(dialog, "Combo1");
        QTest::keyClicks(fields->lineEdit(), QStringLiteral("Husband"));
        QTest::keyClick(fields->lineEdit(), Qt::Key_Return);
        QTest::keyClick(fields->lineEdit(), Qt::Key_Tab);
        fields->lineEdit()->clearFocus();
        QCOMPARE(combo(dialog, "Combo2")->count(), 0);

        chooseField(dialog, QStringLiteral("Wife's Name"));
        fields->lineEdit()->setFocus();
        fields->lineEdit()->clear();
        QTest::keyClicks(fields->lineEdit(), QStringLiteral("Husband"));
        QTest::keyClick(fields->lineEdit(), Qt::Key_Return);
        fields->lineEdit()->clearFocus();
        QCOMPARE(items(combo(dialog, "Combo2")), fieldValues(family(), CardField::WifeName));
    }

    void aSecondFieldReplacesTheValues()
    {
        CardWindowRig rig(family());
        QPointer<QWidget> dialog = openFind(rig);
        QVERIFY(dialog);
        chooseField(dialog, QStringLiteral("Husband"));
        chooseField(dialog, QStringLiteral("Wife's Name"));
        QCOMPARE(items(combo(dialog, "Combo2")), fieldValues(family(), CardField::WifeName));
        pickFromList(combo(dialog, "Combo2"), 2);
        QCOMPARE(combo(dialog, "Combo2")->currentText(), QStringLiteral("Ann Lee"));
        accept(dialog);
        verifyFound(rig, dialog, 2);
    }

    void anEmptyTableListsNothingAndFindsNothing()
    {
        for (auto state : {CardWindowRig::NoFile, CardWindowRig::EmptyFile}) {
            CardWindowRig rig({}, state);
            QPointer<QWidget> dialog = openFind(rig);
            QVERIFY(dialog);
            chooseField(dialog, QStringLiteral("Husband"));
            QCOMPARE(combo(dialog, "Combo2")->count(), 0);
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
        chooseField(dialog, QStringLiteral("Wife's Name"));
        pickFromList(combo(dialog, "Combo2"), 1); // the second "Mary Jones"
        accept(dialog);
        verifyFound(rig, dialog, 0);
    }

    void searchingAgainFindsTheSameCard()
    {
        CardWindowRig rig(family());
        for (int round = 0; round < 2; ++round) {
            QPointer<QWidget> dialog = openFind(rig);
            QVERIFY(dialog);
            chooseField(dialog, QStringLiteral("Husband's Birth Place"));
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
        chooseField(dialog, QStringLiteral("Husband"));
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
        chooseField(dialog, QStringLiteral("Wife's Name"));
        typeValue(dialog, value);
        accept(dialog);
        verifyNoMatch(dialog);
        QCOMPARE(combo(dialog, "Combo2")->currentText(), value);
        QCOMPARE(items(combo(dialog, "Combo2")), fieldValues(family(), CardField::WifeName));
        QCOMPARE(rig.store->currentCard(), qint16(2));
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
        chooseField(dialog, QStringLiteral("Husband"));
        accept(dialog);
        verifyNoMatch(dialog);

        chooseField(dialog, QStringLiteral("Husband's Birth Place"));
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

    // The value list is what the table held when the field was chosen; the
    // position found is applied to the table as it is now.
    // Cards deleted while the dialog is open: a search still shows the card
    // that holds the value, never the one that moved into its old place.
    void searchesTheCardsAsTheyAreNow()
    {
        CardWindowRig rig(family());
        QPointer<QWidget> dialog = openFind(rig);
        QVERIFY(dialog);
        chooseField(dialog, QStringLiteral("Husband"));
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
        chooseField(dialog, QStringLiteral("Wife's Name"));
        typeValue(dialog, QStringLiteral("Eve Black"));
        accept(dialog);
        rig.click("cmdFind"); // straight away, before the old one is destroyed
        QWidget *again = CardWindowRig::findDialog();
        QVERIFY(again);
        QVERIFY(again != dialog.data());
        QCOMPARE(items(combo(again, "Combo1")), fieldEntries);
        QCOMPARE(combo(again, "Combo1")->currentText(), QString());
        QCOMPARE(combo(again, "Combo2")->count(), 0);
        QCOMPARE(combo(again, "Combo2")->currentText(), QString());
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
            chooseField(dialog, QStringLiteral("Husband"));
            typeValue(dialog, QStringLiteral("John Smith"));
            if (useCancel)
                QTest::mouseClick(dialogButton(dialog, "cmdCancel"), Qt::LeftButton);
            else
                QVERIFY(dialog->close());
            QVERIFY(isGone(dialog));
            QVERIFY(MessageBox::shown().isEmpty());
            QCOMPARE(rig.store->currentCard(), qint16(2));
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
        chooseField(dialog, QStringLiteral("Husband"));

        rig.click("cmdExit");
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(rig.window.isNull());
        QVERIFY(dialog && dialog->isVisible());

        chooseField(dialog, QStringLiteral("Wife's Name"));
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
