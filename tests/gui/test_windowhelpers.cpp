// The helpers every window shares: centring, the removed Close command,
// the scripted message boxes and the storable-text guard of the card boxes.
#include "messagebox.h"
#include "storabletext.h"
#include "testmain.h"
#include "twips.h"
#include "windowhelpers.h"

#include <QClipboard>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QScreen>
#include <QTest>

using namespace kinfolio;

class TestWindowHelpers : public QObject
{
    Q_OBJECT
private slots:
    void twipsRoundToPixels();
    void placesTheWindowInTheMiddle_data();
    void placesTheWindowInTheMiddle();
    void removedCloseCommandRefusesEveryCloseButUnload();
    void messageBoxRecordsAndAnswersFromScript();
    void lineEditKeepsTypedAndPastedTextStorable();
    void notesBoxKeepsTypedAndPastedTextStorable();
};

void TestWindowHelpers::twipsRoundToPixels()
{
    QCOMPARE(twips(8535), 569);
    QCOMPARE(twips(285), 19);
    QCOMPARE(twips(4095), 273);
    QCOMPARE(twips(7), 0);
    QCOMPARE(twips(8), 1);
}

void TestWindowHelpers::placesTheWindowInTheMiddle_data()
{
    QTest::addColumn<QSize>("size");
    QTest::newRow("small") << QSize(301, 200);
    QTest::newRow("larger than the screen") << QSize(3001, 2001);
}

void TestWindowHelpers::placesTheWindowInTheMiddle()
{
    QFETCH(QSize, size);
    QWidget window;
    window.setFixedSize(size);
    kinfolio::centerOnScreen(&window);
    const QRect screen = window.screen()->geometry();
    const QSize outer = window.frameGeometry().size();
    QCOMPARE(window.frameGeometry().left(), screen.left() + int(std::floor((screen.width() - outer.width()) / 2.0)));
    QCOMPARE(window.frameGeometry().top(), screen.top() + int(std::floor((screen.height() - outer.height()) / 2.0)));
    QCOMPARE(window.size(), size);
    if (size.width() > screen.width())
        QVERIFY(window.frameGeometry().left() < 0);
}

void TestWindowHelpers::removedCloseCommandRefusesEveryCloseButUnload()
{
    QPointer<QWidget> window = new QWidget;
    removeCloseCommand(window);
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    QVERIFY(!(window->windowFlags() & Qt::WindowCloseButtonHint));

    QVERIFY(!window->close());
    QCloseEvent fromWindowManager;
    QApplication::sendEvent(window, &fromWindowManager);
    QVERIFY(!fromWindowManager.isAccepted());
    QVERIFY(window->isVisible());

    unload(window);
    QTRY_VERIFY(window.isNull());
}

void TestWindowHelpers::messageBoxRecordsAndAnswersFromScript()
{
    MessageBox::startRecording({QMessageBox::No});
    QCOMPARE(MessageBox::show(nullptr, "Proceed?", "Warning!", MessageBox::Exclamation,
                              QMessageBox::Yes | QMessageBox::No),
             QMessageBox::No);
    // Past the script: the first button answers.
    QCOMPARE(MessageBox::show(nullptr, "Again?", "Warning!", MessageBox::Exclamation,
                              QMessageBox::Yes | QMessageBox::No),
             QMessageBox::Yes);
    QCOMPARE(MessageBox::show(nullptr, "Done", "Kinfolio"), QMessageBox::Ok);
    QCOMPARE(MessageBox::shown().size(), 3);
    QCOMPARE(MessageBox::shown().at(0).text, QStringLiteral("Proceed?"));
    QCOMPARE(MessageBox::shown().at(0).icon, QMessageBox::Warning);
    QCOMPARE(MessageBox::shown().at(2).buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    QCOMPARE(MessageBox::shown().at(2).icon, QMessageBox::NoIcon);
    MessageBox::stopRecording();
}

void TestWindowHelpers::lineEditKeepsTypedAndPastedTextStorable()
{
    QLineEdit box;
    keepStorable(&box);
    box.show();
    QTest::keyClicks(&box, QStringLiteral("the \"Old\" Farm"));
    QCOMPARE(box.text(), QStringLiteral("the \u201dOld\u201d Farm"));

    box.clear();
    QGuiApplication::clipboard()->setText(QString::fromUtf8("\u0141\u00f3d\u017a\U0001F333!"));
    box.paste();
    QCOMPARE(box.text(), QString::fromUtf8("\u0141\u00f3d\u017a\U0001F333!")); // every letter stays as typed
    QCOMPARE(box.cursorPosition(), 7);

    // Text the program sets (a stored card) is shown as it is.
    box.setText(QStringLiteral("M\u00fcller"));
    QCOMPARE(box.text(), QStringLiteral("M\u00fcller"));
}

void TestWindowHelpers::notesBoxKeepsTypedAndPastedTextStorable()
{
    QPlainTextEdit box;
    keepStorable(&box);
    box.show();
    QTest::keyClicks(&box, QStringLiteral("said \"yes\""));
    QCOMPARE(box.toPlainText(), QStringLiteral("said \u201dyes\u201d"));

    box.clear();
    QGuiApplication::clipboard()->setText(QString::fromUtf8("line \u0100\nline \"two\"\n\u00e9t\u00e9"));
    box.paste();
    QCOMPARE(box.toPlainText(), QStringLiteral("line \u0100\nline \u201dtwo\u201d\n\u00e9t\u00e9"));
    QCOMPARE(box.textCursor().position(), int(box.toPlainText().size()));
}

KINFOLIO_TEST_MAIN(TestWindowHelpers)
#include "test_windowhelpers.moc"
