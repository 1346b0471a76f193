// The card window's layout, its opening on the different card files, and Exit.
#include "cardeditor.h"
#include "frmkinfolio.h"
#include "messagebox.h"
#include "testmain.h"
#include "twips.h"
#include "../cards/cardfixtures.h"

#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <unistd.h>

using namespace kinfolio;
using namespace kinfolio::testing;

class TestCardWindow : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void controlGeometry_data();
    void controlGeometry();
    void captionsTooltipsAndMenu();
    void tabOrderRunsThroughBoxesThenButtons();

    void opensOnLastOfThreeCardsCentred();
    void opensWithoutFileUncentredAndEmpty();
    void opensOnEmptyFileCentredAndEmpty();
    void refusesToBeClosed();
    void exitWithCardsSavesAndUnloads();
    void exitWithEmptyStoreEndsWithoutWriting();
    void exitThatCannotSaveKeepsWindowAndCards();
    void notesLineBreaksRoundTripThroughTheBox();
    void valuesOfAnyLengthReachTheFileWhole();

private:
    frmKinfolio *open(CardEditor &editor);
    template<typename T> T *child(const char *name);

    std::unique_ptr<QTemporaryDir> m_dir;
    QPointer<frmKinfolio> m_window;
};

void TestCardWindow::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    MessageBox::startRecording();
}

void TestCardWindow::cleanup()
{
    delete m_window;
    MessageBox::stopRecording();
}

frmKinfolio *TestCardWindow::open(CardEditor &editor)
{
    m_window = new frmKinfolio(editor, m_dir->path());
    return m_window;
}

template<typename T> T *TestCardWindow::child(const char *name)
{
    T *w = m_window->findChild<T *>(QString::fromLatin1(name));
    if (!w)
        qFatal("no control %s", name);
    return w;
}

void TestCardWindow::controlGeometry_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("twipsRect"); // width/height -1: sizes itself; width -2: at least 375, five digits whole

    const struct { const char *name; int l, t, w, h; } rows[] = {
        {"txtName", 840, 120, 2565, 285},         {"txtBornDate", 4200, 120, 1095, 285},
        {"txtBornPlace", 6120, 120, 2295, 285},   {"txtMarriedDate", 4200, 480, 1095, 285},
        {"txtMarriedPlace", 6120, 480, 2295, 285}, {"txtDiedDate", 4200, 840, 1095, 285},
        {"txtDiedPlace", 6120, 840, 2295, 285},   {"txtFather", 840, 480, 2565, 285},
        {"txtMother", 840, 840, 2565, 285},       {"txtWifeName", 840, 1320, 2565, 285},
        {"txtWifeBornDate", 4200, 1320, 1095, 285}, {"txtWifeBornPlace", 6120, 1320, 2295, 285},
        {"txtWifeDiedDate", 4200, 1680, 1095, 285}, {"txtWifeDiedPlace", 6120, 1680, 2295, 285},
        {"txtWifeFather", 840, 1680, 2565, 285},  {"txtWifeMother", 840, 2040, 2565, 285},
        {"txtNotes", 840, 2400, 7575, 2055},
        {"lblHusband", 120, 120, -1, -1},         {"lblBornDate", 3570, 180, -1, -1},
        {"lblBornPlace", 5520, 180, -1, -1},      {"lblMarried", 3570, 540, -1, -1},
        {"lblMarriedPlace", 5520, 540, -1, -1},   {"lblDiedDate", 3570, 900, -1, -1},
        {"lblDiedPlace", 5520, 900, -1, -1},      {"lblFather", 120, 480, -1, -1},
        {"lblMother", 120, 840, -1, -1},          {"lblWife", 120, 1320, -1, -1},
        {"lblWifeBornDate", 3570, 1380, -1, -1},  {"lblWifeBornPlace", 5520, 1380, -1, -1},
        {"LblWifeDiedDate", 3600, 1740, -1, -1},  {"lblWifeDiedPlace", 5520, 1740, -1, -1},
        {"lblWifeFather", 120, 1680, -1, -1},     {"lblWifeMother", 120, 2040, -1, -1},
        {"Label1", 120, 2520, -1, -1},
        {"lblRecordBanner", 6600, 4680, 735, 255}, {"lblRecordNumber", 7440, 4680, -2, 255},
        {"lblOf", 6600, 5040, 255, 255},          {"lblRecordTotal", 7440, 5040, -2, 255},
        {"cmdNew", 1680, 4920, 735, 255},         {"cmdAdd", 2400, 4920, 735, 255},
        {"cmdDelete", 3120, 4920, 735, 255},      {"cmdFind", 3840, 4920, 735, 255},
        {"cmdUpdate", 4560, 4920, 735, 255},      {"cmdExit", 5280, 4920, 735, 255},
        {"cmdBeginning", 1800, 5400, 855, 375},   {"cmdBackOne", 2880, 5400, 855, 375},
        {"cmdForwardOne", 3960, 5400, 855, 375},  {"cmdEnd", 5040, 5400, 855, 375},
        {"Line1", 120, 1200, 8280, 0},            {"Line2", 120, 4560, 8280, 0},
    };
    for (const auto &r : rows)
        QTest::newRow(r.name) << QString::fromLatin1(r.name) << QRect(r.l, r.t, r.w, r.h);
}

void TestCardWindow::controlGeometry()
{
    QFETCH(QString, name);
    QFETCH(QRect, twipsRect);
    CardEditor editor(m_dir->filePath("Kinfolio.dat"));
    open(editor);
    QWidget *w = m_window->centralWidget()->findChild<QWidget *>(name);
    QVERIFY2(w, qPrintable(name));
    QCOMPARE(w->pos(), QPoint(twips(twipsRect.left()), twips(twipsRect.top())));
    if (name.startsWith("Line")) {
        QCOMPARE(w->width(), twips(twipsRect.width()) + 1);
        QCOMPARE(w->height(), 1);
    } else if (twipsRect.width() == -2) {
        auto *number = qobject_cast<QLabel *>(w);
        number->setText(QStringLiteral("32767"));
        QCOMPARE(w->height(), twips(twipsRect.height()));
        QVERIFY(w->width() >= twips(375));
        QVERIFY(w->width() >= number->sizeHint().width());
    } else if (twipsRect.width() >= 0) {
        QCOMPARE(w->size(), QSize(twips(twipsRect.width()), twips(twipsRect.height())));
    } else {
        QCOMPARE(w->size(), w->sizeHint()); // a caption label sizes itself
    }
    QCOMPARE(m_window->centralWidget()->size(), QSize(twips(8535), twips(6075)));
}

void TestCardWindow::captionsTooltipsAndMenu()
{
    CardEditor editor(m_dir->filePath("Kinfolio.dat"));
    open(editor);
    QCOMPARE(m_window->windowTitle(), QStringLiteral("Kinfolio"));
    QCOMPARE(m_window->objectName(), QStringLiteral("frmKinfolio"));
    QVERIFY(!(m_window->windowFlags() & Qt::WindowMaximizeButtonHint));
    QVERIFY(m_window->windowFlags() & Qt::WindowMinimizeButtonHint);
    QCOMPARE(m_window->minimumSize(), m_window->maximumSize());

    const struct { const char *name, *caption, *tooltip; } buttons[] = {
        {"cmdNew", "New", "Clear boxes for new record"},     {"cmdAdd", "Add", "Add record to database"},
        {"cmdDelete", "Delete", "Delete current record"},    {"cmdFind", "Find", "Search for a person/word"},
        {"cmdUpdate", "Update", "Update current record"},    {"cmdExit", "Exit", "Exit program"},
        {"cmdBeginning", "| <", "Go to first record"},       {"cmdBackOne", "< <", "Go back one record"},
        {"cmdForwardOne", "> >", "Go forward one record"},   {"cmdEnd", "> |", "Go to last record"},
    };
    for (const auto &b : buttons) {
        auto *button = child<QPushButton>(b.name);
        QCOMPARE(button->text(), QString::fromLatin1(b.caption));
        QCOMPARE(button->toolTip(), QString::fromLatin1(b.tooltip));
        // Every caption fits its button at the chosen font.
        QVERIFY2(button->fontMetrics().horizontalAdvance(button->text()) + 6 <= button->width(), b.name);
    }
    QCOMPARE(child<QLabel>("lblRecordBanner")->text(), QStringLiteral("Record #"));
    QCOMPARE(child<QLabel>("lblOf")->text(), QStringLiteral("Of"));

    const QList<QAction *> menu = m_window->menuBar()->actions();
    QCOMPARE(menu.size(), 2);
    QCOMPARE(menu[0]->objectName(), QStringLiteral("mnuAbout"));
    QCOMPARE(menu[0]->text(), QStringLiteral("&About"));
    QCOMPARE(menu[1]->objectName(), QStringLiteral("mnuWebsites"));
    QCOMPARE(menu[1]->text(), QStringLiteral("&Websites"));
    QVERIFY(!menu[0]->menu() && !menu[1]->menu());

    // Name boxes are white; a typical name fits its box.
    for (const char *name : {"txtName", "txtFather", "txtMother", "txtWifeName", "txtWifeFather", "txtWifeMother"}) {
        auto *box = child<QLineEdit>(name);
        QCOMPARE(box->palette().color(QPalette::Base), QColor(Qt::white));
        QVERIFY(box->fontMetrics().horizontalAdvance("Margaret Elizabeth Ashworth") < box->width() - 6);
    }
    QCOMPARE(m_window->palette().color(QPalette::Window), QColor(192, 255, 255));
}

void TestCardWindow::tabOrderRunsThroughBoxesThenButtons()
{
    CardEditor editor(m_dir->filePath("Kinfolio.dat"));
    open(editor);
    const QStringList order = {
        "txtName", "txtBornDate", "txtBornPlace", "txtMarriedDate", "txtMarriedPlace", "txtDiedDate",
        "txtDiedPlace", "txtFather", "txtMother", "txtWifeName", "txtWifeBornDate", "txtWifeBornPlace",
        "txtWifeDiedDate", "txtWifeDiedPlace", "txtWifeFather", "txtWifeMother", "txtNotes", "cmdNew",
        "cmdAdd", "cmdDelete", "cmdFind", "cmdUpdate", "cmdExit", "cmdBeginning", "cmdBackOne",
        "cmdForwardOne", "cmdEnd", "txtName"};
    m_window->show();
    QVERIFY(QTest::qWaitForWindowActive(m_window));
    QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("txtName"));
    for (int i = 1; i < order.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget()->objectName(), order[i]);
    }
}

void TestCardWindow::opensOnLastOfThreeCardsCentred()
{
    CardFields third = labelledCard("C");
    third[CardField::Notes] = QStringLiteral("line one\r\nline two");
    writeBytes(m_dir->filePath("Kinfolio.dat"),
               cardBytes(labelledCard("A")) + cardBytes(labelledCard("B")) + cardBytes(third));
    CardEditor editor(m_dir->filePath("Kinfolio.dat"));
    open(editor);

    QCOMPARE(m_window->boxTexts(), third);
    QCOMPARE(child<QLineEdit>("txtWifeDiedPlace")->text(), QStringLiteral("C-f14"));
    QCOMPARE(child<QLabel>("lblRecordNumber")->text(), QStringLiteral("3"));
    QCOMPARE(child<QLabel>("lblRecordTotal")->text(), QStringLiteral("3"));
    QCOMPARE(editor.store().currentCard(), 2);
    const QRect screen = m_window->screen()->geometry();
    QCOMPARE(m_window->frameGeometry().left(), int(std::floor((screen.width() - m_window->frameGeometry().width()) / 2.0)));
}

void TestCardWindow::opensWithoutFileUncentredAndEmpty()
{
    CardEditor editor(m_dir->filePath("Kinfolio.dat"));
    open(editor);
    QCOMPARE(child<QPlainTextEdit>("txtNotes")->toPlainText(), QStringLiteral("Text1"));
    QCOMPARE(child<QLineEdit>("txtName")->text(), QString());
    QCOMPARE(child<QLabel>("lblRecordNumber")->text(), QString());
    QCOMPARE(child<QLabel>("lblRecordTotal")->text(), QString());
    QCOMPARE(m_window->pos(), QPoint(0, 0)); // never moved
}

void TestCardWindow::opensOnEmptyFileCentredAndEmpty()
{
    writeBytes(m_dir->filePath("Kinfolio.dat"), "");
    CardEditor editor(m_dir->filePath("Kinfolio.dat"));
    open(editor);
    QCOMPARE(editor.store().currentCard(), -1);
    QCOMPARE(child<QPlainTextEdit>("txtNotes")->toPlainText(), QStringLiteral("Text1"));
    QCOMPARE(child<QLabel>("lblRecordNumber")->text(), QString());
    QVERIFY(m_window->pos() != QPoint(0, 0));
}

void TestCardWindow::refusesToBeClosed()
{
    CardEditor editor(m_dir->filePath("Kinfolio.dat"));
    open(editor)->show();
    QVERIFY(!(m_window->windowFlags() & Qt::WindowCloseButtonHint));
    QVERIFY(!m_window->close());
    QVERIFY(m_window->isVisible());
}

void TestCardWindow::exitWithCardsSavesAndUnloads()
{
    const QByteArray two = cardBytes(labelledCard("A")) + cardBytes(labelledCard("B"));
    writeBytes(m_dir->filePath("Kinfolio.dat"), two + cardBytes(labelledCard("C")));
    CardEditor editor(m_dir->filePath("Kinfolio.dat"));
    open(editor)->show();
    QTest::mouseClick(child<QPushButton>("cmdDelete"), Qt::LeftButton); // answered Yes: card C goes
    MessageBox::clearShown();
    QSignalSpy ended(m_window.data(), &frmKinfolio::programEndRequested);

    QTest::mouseClick(child<QPushButton>("cmdExit"), Qt::LeftButton);
    QTRY_VERIFY(m_window.isNull());
    QCOMPARE(readBytes(m_dir->filePath("Kinfolio.dat")), two);
    QCOMPARE(ended.size(), 0); // the program ends when its last window is gone
    QVERIFY(MessageBox::shown().isEmpty());
}

void TestCardWindow::exitWithEmptyStoreEndsWithoutWriting()
{
    CardEditor editor(m_dir->filePath("Kinfolio.dat"));
    open(editor)->show();
    QSignalSpy ended(m_window.data(), &frmKinfolio::programEndRequested);
    QTest::mouseClick(child<QPushButton>("cmdExit"), Qt::LeftButton);
    QCOMPARE(ended.size(), 1);
    QVERIFY(!QFile::exists(m_dir->filePath("Kinfolio.dat")));
}

void TestCardWindow::exitThatCannotSaveKeepsWindowAndCards()
{
    // A card file inside a directory that does not exist cannot be written,
    // whoever runs the test.
    const QString path = m_dir->filePath("gone/Kinfolio.dat");
    CardEditor editor(path);
    open(editor)->show();
    child<QLineEdit>("txtName")->setText(QStringLiteral("A-f1"));
    QTest::mouseClick(child<QPushButton>("cmdAdd"), Qt::LeftButton);
    MessageBox::clearShown();

    // OK stays, with every card.
    MessageBox::scriptAnswers({QMessageBox::Ok});
    QTest::mouseClick(child<QPushButton>("cmdExit"), Qt::LeftButton);
    QCOMPARE(MessageBox::shown().size(), 1);
    const MessageBox::Shown error = MessageBox::shown().first();
    QCOMPARE(error.title, QStringLiteral("Error!"));
    QCOMPARE(error.icon, QMessageBox::Warning);
    QCOMPARE(error.buttons, QMessageBox::Ok | QMessageBox::Save | QMessageBox::Discard);
    QVERIFY(error.text.contains(path));
    QTest::qWait(50);
    QVERIFY(!m_window.isNull() && m_window->isVisible());
    QCOMPARE(editor.store().cardCount(), 1);

    // Leave Without Saving asks first; No stays.
    MessageBox::scriptAnswers({QMessageBox::Discard, QMessageBox::No});
    QSignalSpy ended(m_window.data(), &frmKinfolio::programEndRequested);
    QTest::mouseClick(child<QPushButton>("cmdExit"), Qt::LeftButton);
    QVERIFY(MessageBox::shown().last().text.startsWith(QStringLiteral("Leave Kinfolio without saving?")));
    QVERIFY(MessageBox::shown().last().text.contains(QStringLiteral("The 1 card in")));
    QCOMPARE(ended.size(), 0);

    // Save As writes the cards to the file chosen, and the window goes.
    const QString elsewhere = m_dir->filePath("elsewhere.dat");
    MessageBox::scriptAnswers({QMessageBox::Save});
    MessageBox::scriptSavePaths({elsewhere});
    QTest::mouseClick(child<QPushButton>("cmdExit"), Qt::LeftButton);
    QTRY_VERIFY(m_window.isNull());
    CardFields added;
    added[CardField::Name] = QStringLiteral("A-f1");
    added[CardField::Notes] = QStringLiteral("Text1"); // the notes box's text before any card
    QCOMPARE(readBytes(elsewhere), cardBytes(added));
    QVERIFY(!QFile::exists(path));
}

void TestCardWindow::notesLineBreaksRoundTripThroughTheBox()
{
    CardFields card = labelledCard("A");
    card[CardField::Notes] = QStringLiteral("one\r\ntwo\r\n\r\nfour");
    writeBytes(m_dir->filePath("Kinfolio.dat"), cardBytes(card));
    CardEditor editor(m_dir->filePath("Kinfolio.dat"));
    open(editor);
    QCOMPARE(child<QPlainTextEdit>("txtNotes")->toPlainText(), QStringLiteral("one\ntwo\n\nfour"));
    QCOMPARE(m_window->boxTexts()[CardField::Notes], card[CardField::Notes]);
}

void TestCardWindow::valuesOfAnyLengthReachTheFileWhole()
{
    // Past the 32767 characters a one-line box keeps by default, and past
    // what one shows: both come back whole from the boxes.
    CardFields card = labelledCard("A");
    card[CardField::Name] = QStringLiteral("Ashworth ").repeated(5000);       // 45,000 characters
    card[CardField::BornPlace] = QStringLiteral("Leeds ").repeated(20000);    // 120,000, shown cut short
    writeBytes(m_dir->filePath("Kinfolio.dat"), cardBytes(card));
    CardEditor editor(m_dir->filePath("Kinfolio.dat"));
    open(editor)->show();
    QVERIFY(child<QLineEdit>("txtBornPlace")->isReadOnly());
    QVERIFY(!child<QLineEdit>("txtName")->isReadOnly());
    QTest::mouseClick(child<QPushButton>("cmdUpdate"), Qt::LeftButton);
    QTest::mouseClick(child<QPushButton>("cmdExit"), Qt::LeftButton);
    QTRY_VERIFY(m_window.isNull());
    QCOMPARE(readBytes(m_dir->filePath("Kinfolio.dat")), cardBytes(card));
}

KINFOLIO_TEST_MAIN(TestCardWindow)
#include "test_cardwindow.moc"
