#include "about.h"
#include "testmain.h"
#include "windowrig.h"

#include <QAbstractTextDocumentLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>

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

    void showsTheDescriptionWhole()
    {
        // Three lines, each with its trailing blank and CR LF, and no other break.
        QStringList lines = About::Description.split(QStringLiteral("\r\n"));
        QCOMPARE(lines.size(), 4);
        QCOMPARE(lines.takeLast(), QString());
        for (const QString &line : lines)
            QVERIFY2(line.endsWith(u' ') && !line.trimmed().isEmpty() && !line.contains(u'\r') && !line.contains(u'\n'),
                     qPrintable(line));

        About *about = About::showAbout();
        QVERIFY(QTest::qWaitForWindowExposed(about));
        QCOMPARE(about->windowTitle(), QStringLiteral("Kinfolio"));
        QCOMPARE(child<QLabel>(about, "lblTitle")->text(), QStringLiteral("Kinfolio"));
        auto *text1 = child<QPlainTextEdit>(about, "Text1");
        QVERIFY(text1->isReadOnly());
        // Each CR LF shows as a line break, and each line shows whole on a
        // line of the box: none is wrapped or cut off below.
        QCOMPARE(text1->toPlainText().split(u'\n'), lines + QStringList{QString()});
        const QTextDocument *shown = text1->document();
        qreal height = 2 * shown->documentMargin();
        for (QTextBlock block = shown->begin(); block.isValid() && !block.text().isEmpty(); block = block.next()) {
            height += shown->documentLayout()->blockBoundingRect(block).height();
            QVERIFY2(block.layout()->lineCount() == 1, qPrintable(block.text()));
        }
        QVERIFY(height <= text1->viewport()->height());

        // A fixed window that holds its controls whole, centred across it,
        // and no larger than they need.
        QCOMPARE(about->minimumSize(), about->maximumSize());
        const QStringList problems = layoutProblems(about);
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join(u'\n')));
        QCOMPARE(bareBands(about).left(), bareBands(about).right());
        QVERIFY(hugsItsControls(about));
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
