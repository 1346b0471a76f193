// The splash: its window, the three-second timer set at load, and the hand-over
// to the card window, which becomes visible before the splash goes.
#include "splashwindow.h"
#include "testmain.h"
#include "twips.h"
#include "windowrig.h"

#include <QLabel>
#include <QPointer>
#include <QTimer>

using namespace kinfolio;
using namespace kinfolio::testing;

class TestSplash : public QObject
{
    Q_OBJECT
private slots:
    void windowAndTexts();
    void handsOverOnceAfterThreeSeconds();
};

void TestSplash::windowAndTexts()
{
    QPointer<SplashWindow> splash = new SplashWindow([] { return new QWidget; });
    QCOMPARE(splash->size(), QSize(twips(6450), twips(3000)));
    QVERIFY(splash->windowFlags() & Qt::FramelessWindowHint);
    QCOMPARE(splash->windowTitle(), QString());
    QCOMPARE(splash->palette().color(QPalette::Window), QColor(192, 255, 255));

    auto *product = child<QLabel>(splash, "lblProductName");
    QCOMPARE(product->text(), QStringLiteral("Kinfolio"));
    QCOMPARE(product->font().pointSizeF(), 21.75);
    QVERIFY(product->font().bold());
    QCOMPARE(child<QLabel>(splash, "lblVersion")->text(), QStringLiteral("Version " KINFOLIO_VERSION));
    QCOMPARE(child<QLabel>(splash, "lblCompanyName")->text(), QStringLiteral("Company: Quillbrook"));
    QCOMPARE(child<QLabel>(splash, "Image1")->pixmap().size(), QSize(168, 178));
    const QStringList problems = layoutProblems(child<QWidget>(splash, "Frame1"));
    QVERIFY2(problems.isEmpty(), qPrintable(problems.join(u'\n')));
    // Label positions are relative to the frame.
    QCOMPARE(product->pos(), QPoint(twips(3360), twips(360)));
    QCOMPARE(product->parentWidget()->pos(), QPoint(twips(120), twips(60)));
    delete splash;
}

void TestSplash::handsOverOnceAfterThreeSeconds()
{
    int opened = 0;
    QPointer<QWidget> cardWindow;
    QPointer<SplashWindow> splash;
    splash = new SplashWindow([&]() -> QWidget * {
        ++opened;
        // The card window loads while the splash is still there.
        [&] { QVERIFY(splash && splash->isVisible()); }();
        cardWindow = new QWidget;
        return cardWindow;
    });
    auto *timer = child<QTimer>(splash, "Timer1");
    QVERIFY(timer && timer->isActive());
    QCOMPARE(timer->interval(), 3000);
    QCOMPARE(timer->timerType(), Qt::PreciseTimer); // a coarse one may fire 150 ms early
    splash->show();

    QTest::qWait(2500);
    QCOMPARE(opened, 0);
    QTRY_VERIFY_WITH_TIMEOUT(splash.isNull(), 2000);
    QCOMPARE(opened, 1);
    QVERIFY(cardWindow && cardWindow->isVisible());
    QTest::qWait(3200);
    QCOMPARE(opened, 1);
    delete cardWindow;
}

KINFOLIO_TEST_MAIN(TestSplash)
#include "test_splash.moc"
