// The card window's layout, its opening on the different card files, and Exit.
#include "cardstore.h"
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

private:
    frmKinfolio *open(CardStore &store);
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

frmKinfolio *TestCardWindow::open(CardStore &store)
{
    m_window = new frmKinfolio(store, m_dir->path());
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
    QTest::addColumn<QRect>("twipsRect"); // width/height -1: sizes itself

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
        {"lblRecordBanner", 6600, 4680, 735, 255}, {"lblRecordNumber", 7440, 4680, 375, 255},
        {"lblOf", 6600, 5040, 255, 255},          {"lblRecordTotal", 7440, 5040, 375, 255},
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
    CardStore store(m_dir->filePath("Kinfolio.dat"));
    open(store);
    QWidget *w = m_window->centralWidget()->findChild<QWidget *>(name);
    QVERIFY2(w, qPrintable(name));
    QCOMPARE(w->pos(), QPoint(twips(twipsRect.left()), twips(twipsRect.top())));
    if (name.startsWith("Line")) {
        QCOMPARE(w->width(), twips(twipsRect.width()) + 1);
        QCOMPARE(w->height(), 1);
    } else if (twipsRect.width() >= 0) {
        QCOMPARE(w->size(), QSize(twips(twipsRect.width()), twips(twipsRect.height())));
    } else {
        QCOMPARE(w->size(), w->sizeHint()); // a caption label sizes itself
    }
    QCOMPARE(m_window->centralWidget()->size(), QSize(twips(8535), twips(6075)));
}

void TestCardWindow::captionsTooltipsAndMenu()
{
    CardStore store(m_dir->filePath("Kinfolio.dat"));
    open(store);
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
    CardStore store(m_dir->filePath("Kinfolio.dat"));
    open(store);
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
    CardStore store(m_dir->filePath("Kinfolio.dat"));
    open(store);

    QCOMPARE(m_window->boxTexts(), third);
    QCOMPARE(child<QLineEdit>("txtWifeDiedPlace")->text(), QStringLiteral("C-f14"));
    QCOMPARE(child<QLabel>("lblRecordNumber")->text(), QStringLiteral("3"));
    QCOMPARE(child<QLabel>("lblRecordTotal")->text(), QStringLiteral("3"));
    QCOMPARE(store.currentCard(), 2);
    const QRect screen = m_window->screen()->geometry();
    QCOMPARE(m_window->frameGeometry().left(), int(std::floor((screen.width() - m_window->frameGeometry().width()) / 2.0)));
}

void TestCardWindow::opensWithoutFileUncentredAndEmpty()
{
    CardStore store(m_dir->filePath("Kinfolio.dat"));
    open(store);
    QCOMPARE(child<QPlainTextEdit>("txtNotes")->toPlainText(), QStringLiteral("Text1"));
    QCOMPARE(child<QLineEdit>("txtName")->text(), QString());
    QCOMPARE(child<QLabel>("lblRecordNumber")->text(), QString());
    QCOMPARE(child<QLabel>("lblRecordTotal")->text(), QString());
    QCOMPARE(m_window->pos(), QPoint(0, 0)); // never moved
}

void TestCardWindow::opensOnEmptyFileCentredAndEmpty()
{
    writeBytes(m_dir->filePath("Kinfolio.dat"), "");
    CardStore store(m_dir->filePath("Kinfolio.dat"));
    open(store);
    QCOMPARE(store.currentCard(), -1);
    QCOMPARE(child<QPlainTextEdit>("txtNotes")->toPlainText(), QStringLiteral("Text1"));
    QCOMPARE(child<QLabel>("lblRecordNumber")->text(), QString());
    QVERIFY(m_window->pos() != QPoint(0, 0));
}

void TestCardWindow::refusesToBeClosed()
{
    CardStore store(m_dir->filePath("Kinfolio.dat"));
    open(store)->show();
    QVERIFY(!(m_window->windowFlags() & Qt::WindowCloseButtonHint));
    QVERIFY(!m_window->close());
    QVERIFY(m_window->isVisible());
}

void TestCardWindow::exitWithCardsSavesAndUnloads()
{
    const QByteArray two = cardBytes(labelledCard("A")) + cardBytes(labelledCard("B"));
    writeBytes(m_dir->filePath("Kinfolio.dat"), two + cardBytes(labelledCard("C")));
    CardStore store(m_dir->filePath("Kinfolio.dat"));
    open(store)->show();
    store.removeCard(); // as Delete leaves it: two cards
    QSignalSpy ended(m_window.data(), &frmKinfolio::programEndRequested);

    QTest::mouseClick(child<QPushButton>("cmdExit"), Qt::LeftButton);
    QTRY_VERIFY(m_window.isNull());
    QCOMPARE(readBytes(m_dir->filePath("Kinfolio.dat")), two);
    QCOMPARE(ended.size(), 0); // the program ends when its last window is gone
    QVERIFY(MessageBox::shown().isEmpty());
}

void TestCardWindow::exitWithEmptyStoreEndsWithoutWriting()
{
    CardStore store(m_dir->filePath("Kinfolio.dat"));
    open(store)->show();
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
    CardStore store(path);
    open(store)->show();
    store.appendCard(labelledCard("A"));

    QTest::mouseClick(child<QPushButton>("cmdExit"), Qt::LeftButton);
    QCOMPARE(MessageBox::shown().size(), 1);
    const MessageBox::Shown &error = MessageBox::shown().first();
    QCOMPARE(error.title, QStringLiteral("Error!"));
    QCOMPARE(error.icon, QMessageBox::Warning);
    QCOMPARE(error.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    QVERIFY(error.text.contains(path));
    QTest::qWait(50);
    QVERIFY(!m_window.isNull());
    QVERIFY(m_window->isVisible());
    QCOMPARE(store.cardCount(), 1);

    // Once the directory exists, Exit saves and the window goes.
    QVERIFY(QDir(m_dir->path()).mkdir("gone"));
    QTest::mouseClick(child<QPushButton>("cmdExit"), Qt::LeftButton);
    QTRY_VERIFY(m_window.isNull());
    QCOMPARE(readBytes(path), cardBytes(labelledCard("A")));
}

void TestCardWindow::notesLineBreaksRoundTripThroughTheBox()
{
    CardFields card = labelledCard("A");
    card[CardField::Notes] = QStringLiteral("one\r\ntwo\r\n\r\nfour");
    writeBytes(m_dir->filePath("Kinfolio.dat"), cardBytes(card));
    CardStore store(m_dir->filePath("Kinfolio.dat"));
    open(store);
    QCOMPARE(child<QPlainTextEdit>("txtNotes")->toPlainText(), QStringLiteral("one\ntwo\n\nfour"));
    QCOMPARE(m_window->boxTexts()[CardField::Notes], card[CardField::Notes]);
}

KINFOLIO_TEST_MAIN(TestCardWindow)
#include "test_cardwindow.moc"
