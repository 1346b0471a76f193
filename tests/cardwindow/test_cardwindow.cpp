// The card window's layout, its opening on the different card files, and Exit.
#include "cardwindowrig.h"
#include "testmain.h"

#include <QImage>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProcess>
#include <QScreen>
#include <QSet>
#include <QSignalSpy>

#include <cmath>

using namespace kinfolio;
using namespace kinfolio::testing;

namespace {

// The seventeen boxes in field order, each found by the field of
// labelledCard("A") it shows.
QList<QWidget *> boxesInFieldOrder(const CardWindowRig &rig)
{
    QList<QWidget *> boxes;
    for (int f = 0; f < CardFieldCount; ++f) {
        const QString text = QString(labelledCard("A")[f]).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        for (QWidget *w : rig.window->centralWidget()->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
            const auto *line = qobject_cast<QLineEdit *>(w);
            const auto *notes = qobject_cast<QPlainTextEdit *>(w);
            if ((line && line->text() == text) || (notes && notes->toPlainText() == text))
                boxes << w;
        }
    }
    if (boxes.size() != CardFieldCount)
        qFatal("the fields are not in one box each");
    return boxes;
}

} // namespace

class TestCardWindow : public QObject
{
    Q_OBJECT
private slots:
    void layoutKeepsEveryControlWholeInItsPlace();
    void rulesAreDrawnAtEveryScale_data();
    void rulesAreDrawnAtEveryScale();
    void rulesAreDrawnOnThisScreen();
    void eachBoxIsNamedAndCaptionedForItsField();
    void tabOrderRunsThroughTheFieldsThenTheButtons();
    void buttonsMenuAndWindow();

    void opensOnLastOfThreeCardsCentred();
    void opensWithoutFileUncentredAndEmpty();
    void opensOnEmptyFileCentredAndEmpty();
    void refusesToBeClosed();
    void exitWithCardsSavesAndUnloads();
    void exitWithEmptyStoreEndsWithoutWriting();
    void exitThatCannotSaveKeepsWindowAndCards();
    void notesLineBreaksRoundTripThroughTheBox();
    void valuesOfAnyLengthReachTheFileWhole();
};

void TestCardWindow::layoutKeepsEveryControlWholeInItsPlace()
{
    CardWindowRig rig({labelledCard("A")});
    QWidget *client = rig.window->centralWidget();
    QCOMPARE(rig.window->minimumSize(), rig.window->maximumSize());
    // The client area is all the window shows below its menu bar, the card
    // stands centred across it, and no bare strip is left around it.
    QCOMPARE(client->geometry(), QRect(0, rig.window->menuBar()->height(), rig.window->width(),
                                       rig.window->height() - rig.window->menuBar()->height()));
    QCOMPARE(bareBands(client).left(), bareBands(client).right());
    QVERIFY(hugsItsControls(client));
    // The banner shows five-digit numbers whole.
    for (const char *number : {"lblRecordNumber", "lblRecordTotal"})
        child<QLabel>(rig.window, number)->setText(QStringLiteral("32767"));
    const QStringList problems = layoutProblems(client);
    QVERIFY2(problems.isEmpty(), qPrintable(problems.join(u'\n')));
}

// The two rules, between the husband and the wife and above the buttons,
// are drawn whole at every scale a high-density screen may use: each scale
// is a screen of its own, so each runs in a program of its own.
void TestCardWindow::rulesAreDrawnAtEveryScale_data()
{
    QTest::addColumn<QString>("scale");
    for (const char *scale : {"1", "1.25", "1.5", "1.75", "2"})
        QTest::newRow(scale) << QString::fromLatin1(scale);
}

void TestCardWindow::rulesAreDrawnAtEveryScale()
{
    QFETCH(QString, scale);
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_SCALE_FACTOR"), scale);
    child.setProcessEnvironment(env);
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("rulesAreDrawnOnThisScreen")});
    QVERIFY(child.waitForFinished(60000));
    QVERIFY2(child.exitCode() == 0, child.readAllStandardOutput().constData());
}

void TestCardWindow::rulesAreDrawnOnThisScreen()
{
    CardWindowRig rig({labelledCard("A")});
    QWidget *client = rig.window->centralWidget();
    // The whole window, as the screen shows it: below its menu bar.
    const QImage image = rig.window->grab().toImage();
    const qreal scale = image.devicePixelRatio();
    for (const char *name : {"Line1", "Line2"}) {
        const QWidget *line = child<QWidget>(client, QString::fromLatin1(name));
        const QRect rule(line->mapTo(rig.window, QPoint(0, 0)), line->size());
        // Some device row of the rule's band is dark from end to end.
        const int left = int(std::ceil(rule.left() * scale)), right = int(std::floor((rule.right() + 1) * scale));
        bool drawn = false;
        for (int y = int(std::floor(rule.top() * scale)); !drawn && y < std::ceil((rule.bottom() + 1) * scale); ++y) {
            int dark = 0;
            for (int x = left; x < right; ++x)
                dark += qGray(image.pixel(x, y)) < 96;
            drawn = dark == right - left;
        }
        QVERIFY2(drawn, qPrintable(QStringLiteral("%1 at scale %2").arg(QLatin1String(name)).arg(scale)));
    }
}

void TestCardWindow::eachBoxIsNamedAndCaptionedForItsField()
{
    CardWindowRig rig({labelledCard("A")});
    const QList<QWidget *> controls = rig.window->centralWidget()->findChildren<QWidget *>(Qt::FindDirectChildrenOnly);
    const QList<QWidget *> boxes = boxesInFieldOrder(rig);
    for (int f = 0; f < CardFieldCount; ++f) {
        QWidget *box = boxes[f];
        const QStringList field = fieldWords(CardText::fieldInWords(CardField(f)));
        // The box's name says its field; the husband's leave "Husband" out.
        const QStringList named = fieldWords(box->objectName());
        QVERIFY2(wordsWithin(named, field) && wordsWithin(field, named + QStringList{"husband"}),
                 qPrintable(box->objectName()));

        // Its caption stands on its row, just to its left, and speaks of its field.
        const auto label = std::find_if(controls.begin(), controls.end(), [box](QWidget *w) {
            auto *l = qobject_cast<QLabel *>(w);
            return l && l->buddy() == box;
        });
        QVERIFY2(label != controls.end(), qPrintable(box->objectName()));
        const QString caption = static_cast<QLabel *>(*label)->text();
        QVERIFY2(!fieldWords(caption).isEmpty() && wordsWithin(fieldWords(caption), field), qPrintable(caption));
        const QRect at = (*label)->geometry();
        QVERIFY2(at.right() < box->x() && at.center().y() >= box->y() && at.center().y() <= box->geometry().bottom(),
                 qPrintable(caption));
        const QRect between(QPoint(at.right() + 1, at.top()), QPoint(box->x() - 1, at.bottom()));
        for (const QWidget *w : controls)
            QVERIFY2(!w->geometry().intersects(between), qPrintable(w->objectName() + " stands before " + caption));

        // Boxes of names are white, and a typical name fits them.
        const bool name = !field.contains("date") && !field.contains("place") && !field.contains("notes");
        QCOMPARE(box->palette().color(QPalette::Base) == QColor(Qt::white), name);
        if (name)
            QVERIFY(box->fontMetrics().horizontalAdvance("Margaret Elizabeth Ashworth") < box->width() - 6);
    }
}

void TestCardWindow::tabOrderRunsThroughTheFieldsThenTheButtons()
{
    CardWindowRig rig({labelledCard("A")});
    QVERIFY(QTest::qWaitForWindowActive(rig.window));
    const QList<QWidget *> boxes = boxesInFieldOrder(rig);
    QCOMPARE(QApplication::focusWidget(), boxes.first());
    QList<QWidget *> buttons;
    for (QPushButton *button : rig.window->findChildren<QPushButton *>())
        buttons << button;
    QCOMPARE(names(tabbedThrough(boxes.first())), names(boxes + byPosition(buttons)));
}

void TestCardWindow::buttonsMenuAndWindow()
{
    CardWindowRig rig({}, CardWindowRig::NoFile);
    QCOMPARE(rig.window->windowTitle(), QStringLiteral("Kinfolio"));
    QCOMPARE(rig.window->objectName(), QStringLiteral("frmKinfolio"));
    QVERIFY(!(rig.window->windowFlags() & Qt::WindowMaximizeButtonHint));
    QVERIFY(rig.window->windowFlags() & Qt::WindowMinimizeButtonHint);

    // Every button says what it does: a caption and a tooltip of its own.
    QSet<QString> captions, tooltips;
    const QList<QPushButton *> buttons = rig.window->findChildren<QPushButton *>();
    for (const QPushButton *button : buttons) {
        QVERIFY2(!button->text().isEmpty() && !button->toolTip().isEmpty(), qPrintable(button->objectName()));
        captions << button->text();
        tooltips << button->toolTip();
    }
    QCOMPARE(captions.size(), buttons.size());
    QCOMPARE(tooltips.size(), buttons.size());

    const QList<QAction *> menu = rig.window->menuBar()->actions();
    QCOMPARE(menu.size(), 2);
    QCOMPARE(menu[0]->objectName(), QStringLiteral("mnuAbout"));
    QCOMPARE(menu[0]->text(), QStringLiteral("&About"));
    QCOMPARE(menu[1]->objectName(), QStringLiteral("mnuWebsites"));
    QCOMPARE(menu[1]->text(), QStringLiteral("&Websites"));
    QVERIFY(!menu[0]->menu() && !menu[1]->menu());
    QCOMPARE(rig.window->palette().color(QPalette::Window), QColor(192, 255, 255));
}

void TestCardWindow::opensOnLastOfThreeCardsCentred()
{
    CardWindowRig rig({labelledCard("A"), labelledCard("B"), labelledCard("C")});
    QCOMPARE(rig.shown(), labelledCard("C"));
    QCOMPARE(rig.recordNumber(), QStringLiteral("3"));
    QCOMPARE(rig.recordTotal(), QStringLiteral("3"));
    QCOMPARE(rig.editor->currentCard(), 2);
    // Give or take the frame, which is added only once the window is shown.
    QVERIFY(qAbs(rig.window->frameGeometry().center().x() - rig.window->screen()->geometry().center().x()) <= 3);
}

void TestCardWindow::opensWithoutFileUncentredAndEmpty()
{
    CardWindowRig rig({}, CardWindowRig::NoFile);
    QCOMPARE(child<QPlainTextEdit>(rig.window, "txtNotes")->toPlainText(), QStringLiteral("Text1"));
    QCOMPARE(rig.box("txtName")->text(), QString());
    QCOMPARE(rig.recordNumber(), QString());
    QCOMPARE(rig.recordTotal(), QString());
    QCOMPARE(rig.window->pos(), QPoint(0, 0)); // never moved
}

void TestCardWindow::opensOnEmptyFileCentredAndEmpty()
{
    CardWindowRig rig({}, CardWindowRig::EmptyFile);
    QCOMPARE(rig.editor->currentCard(), -1);
    QCOMPARE(child<QPlainTextEdit>(rig.window, "txtNotes")->toPlainText(), QStringLiteral("Text1"));
    QCOMPARE(rig.recordNumber(), QString());
    QVERIFY(rig.window->pos() != QPoint(0, 0));
}

void TestCardWindow::refusesToBeClosed()
{
    CardWindowRig rig({}, CardWindowRig::NoFile);
    QVERIFY(!(rig.window->windowFlags() & Qt::WindowCloseButtonHint));
    QVERIFY(!rig.window->close());
    QVERIFY(rig.window->isVisible());
}

void TestCardWindow::exitWithCardsSavesAndUnloads()
{
    CardWindowRig rig({labelledCard("A"), labelledCard("B"), labelledCard("C")});
    rig.click("cmdDelete"); // answered Yes: card C goes
    MessageBox::clearShown();
    QSignalSpy ended(rig.window.data(), &CardWindow::programEndRequested);

    rig.click("cmdExit");
    QTRY_VERIFY(rig.window.isNull());
    QCOMPARE(readBytes(rig.dir.filePath("Kinfolio.dat")),
             cardFileBytes(std::vector{labelledCard("A"), labelledCard("B")}));
    QCOMPARE(ended.size(), 0); // the program ends when its last window is gone
    QVERIFY(MessageBox::shown().isEmpty());
}

void TestCardWindow::exitWithEmptyStoreEndsWithoutWriting()
{
    CardWindowRig rig({}, CardWindowRig::NoFile);
    QSignalSpy ended(rig.window.data(), &CardWindow::programEndRequested);
    rig.click("cmdExit");
    QCOMPARE(ended.size(), 1);
    QVERIFY(!QFile::exists(rig.dir.filePath("Kinfolio.dat")));
}

void TestCardWindow::exitThatCannotSaveKeepsWindowAndCards()
{
    // A card file inside a directory that does not exist cannot be written,
    // whoever runs the test.
    QTemporaryDir dir;
    const QString path = dir.filePath("gone/Kinfolio.dat");
    CardWindowRig rig(path);
    rig.box("txtName")->setText(QStringLiteral("A-f1"));
    rig.click("cmdAdd");
    MessageBox::clearShown();

    // OK stays, with every card.
    MessageBox::scriptAnswers({QMessageBox::Ok});
    rig.click("cmdExit");
    QCOMPARE(MessageBox::shown().size(), 1);
    const MessageBox::Shown error = MessageBox::shown().first();
    QCOMPARE(error.title, QStringLiteral("Error!"));
    QCOMPARE(error.icon, QMessageBox::Warning);
    QCOMPARE(error.buttons, QMessageBox::Ok | QMessageBox::Save | QMessageBox::Discard);
    QVERIFY(error.text.contains(path));
    QVERIFY(handleEventsPostedSoFar()); // an unload would have deleted the window by then
    QVERIFY(!rig.window.isNull() && rig.window->isVisible());
    QCOMPARE(rig.store->cardCount(), 1);

    // Leave Without Saving asks first; No stays.
    MessageBox::scriptAnswers({QMessageBox::Discard, QMessageBox::No});
    QSignalSpy ended(rig.window.data(), &CardWindow::programEndRequested);
    rig.click("cmdExit");
    QVERIFY(MessageBox::shown().last().text.startsWith(QStringLiteral("Leave Kinfolio without saving?")));
    QVERIFY(MessageBox::shown().last().text.contains(QStringLiteral("The 1 card in")));
    QCOMPARE(ended.size(), 0);

    // Save As writes the cards to the file chosen, and the window goes.
    const QString elsewhere = dir.filePath("elsewhere.dat");
    MessageBox::scriptAnswers({QMessageBox::Save});
    MessageBox::scriptSavePaths({elsewhere});
    rig.click("cmdExit");
    QTRY_VERIFY(rig.window.isNull());
    // The notes box holds "Text1" before any card is shown.
    QCOMPARE(readBytes(elsewhere), cardBytes(makeCard({{CardField::Name, "A-f1"}, {CardField::Notes, "Text1"}})));
    QVERIFY(!QFile::exists(path));
}

void TestCardWindow::notesLineBreaksRoundTripThroughTheBox()
{
    CardFields card = labelledCard("A");
    card[CardField::Notes] = QStringLiteral("one\r\ntwo\r\n\r\nfour");
    CardWindowRig rig({card});
    QCOMPARE(child<QPlainTextEdit>(rig.window, "txtNotes")->toPlainText(), QStringLiteral("one\ntwo\n\nfour"));
    QCOMPARE(rig.shown()[CardField::Notes], card[CardField::Notes]);
}

void TestCardWindow::valuesOfAnyLengthReachTheFileWhole()
{
    // Past the 32767 characters a one-line box keeps by default, and past
    // what one shows: both come back whole from the boxes.
    CardFields card = labelledCard("A");
    card[CardField::Name] = QStringLiteral("Ashworth ").repeated(5000);    // 45,000 characters
    card[CardField::BornPlace] = QStringLiteral("Leeds ").repeated(20000); // 120,000, shown cut short
    CardWindowRig rig({card});
    QVERIFY(rig.box("txtBornPlace")->isReadOnly());
    QVERIFY(!rig.box("txtName")->isReadOnly());
    rig.click("cmdUpdate");
    rig.click("cmdExit");
    QTRY_VERIFY(rig.window.isNull());
    QCOMPARE(readBytes(rig.dir.filePath("Kinfolio.dat")), cardBytes(card));
}

KINFOLIO_TEST_MAIN(TestCardWindow)
#include "test_cardwindow.moc"
