#include "about.h"
#include "testmain.h"
#include "windowrig.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>

using namespace kinfolio;
using namespace kinfolio::testing;

class TestAbout : public QObject
{
    Q_OBJECT

    static bool unloaded(QPointer<About> &about)
    {
        return QTest::qWaitFor([&about] { return about.isNull(); }, 2000) && !About::instance();
    }

private slots:
    void cleanup() { delete About::instance(); }

    void showsTheDescriptionAsShipped()
    {
        QCOMPARE(About::Description, QStringLiteral("Kinfolio is the ideal way to store vital Genealogical \r\n"
                                                    "information. Compact, easy to use, Kinfolio is the \r\n"
                                                    "genealogist's friend. \r\n"));
        About *about = About::showAbout();
        QCOMPARE(about->windowTitle(), QStringLiteral("Kinfolio"));
        QCOMPARE(child<QLabel>(about, "lblTitle")->text(), QStringLiteral("Kinfolio"));
        auto *text1 = child<QPlainTextEdit>(about, "Text1");
        QVERIFY(text1->isReadOnly());
        QCOMPARE(text1->toPlainText().replace(u'\n', QStringLiteral("\r\n")), About::Description);
        QCOMPARE(about->size(), QSize(305, 250));
        const QStringList problems = layoutProblems(about);
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join(u'\n')));
        QVERIFY(!about->isModal());
    }

    void okEnterEscAndTheCloseBoxUnloadIt_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<bool>("fromText");
        QTest::newRow("Enter") << int(Qt::Key_Return) << false;
        QTest::newRow("Esc") << int(Qt::Key_Escape) << false;
        QTest::newRow("Esc in the text") << int(Qt::Key_Escape) << true;
        QTest::newRow("Enter in the text") << int(Qt::Key_Return) << true;
        QTest::newRow("close box") << 0 << false;
    }

    void okEnterEscAndTheCloseBoxUnloadIt()
    {
        QFETCH(int, key);
        QFETCH(bool, fromText);
        QPointer<About> about = About::showAbout();
        QVERIFY(QTest::qWaitForWindowActive(about));
        // OK opens with the focus.
        QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("cmdOK"));
        QWidget *target = about;
        if (fromText) {
            target = child<QPlainTextEdit>(about, "Text1");
            target->setFocus();
        }
        if (key)
            QTest::keyClick(target, Qt::Key(key));
        else
            about->close();
        QVERIFY(unloaded(about));
    }

    void isOneWindowThatShowingAgainDoesNotMove()
    {
        QPointer<About> first = About::showAbout();
        first->move(first->pos() + QPoint(37, 23));
        const QPoint moved = first->pos();
        QCOMPARE(About::showAbout(), first.data());
        QCOMPARE(first->pos(), moved);
        int windows = 0;
        for (QWidget *w : QApplication::topLevelWidgets())
            windows += qobject_cast<About *>(w) != nullptr;
        QCOMPARE(windows, 1);

        // After an unload the next opening loads a fresh window, centred again.
        click(first, "cmdOK");
        QVERIFY(unloaded(first));
        QVERIFY(About::showAbout()->pos() != moved);
    }
};

KINFOLIO_TEST_MAIN(TestAbout)
#include "test_about.moc"
