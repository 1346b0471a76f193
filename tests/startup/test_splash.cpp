// The splash: its window, the three-second timer set at load, and the hand-over
// to the card window, which becomes visible before the splash goes.
#include "splashwindow.h"
#include "testmain.h"
#include "windowrig.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QPointer>
#include <QSignalSpy>
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
    QCOMPARE(splash->minimumSize(), splash->maximumSize());
    QVERIFY(splash->windowFlags() & Qt::FramelessWindowHint);
    QCOMPARE(splash->windowTitle(), QString());
    QCOMPARE(splash->palette().color(QPalette::Window), QColor(192, 255, 255));

    auto *product = child<QLabel>(splash, "lblProductName");
    QCOMPARE(product->text(), QStringLiteral("Kinfolio"));
    QCOMPARE(product->font().pointSizeF(), 21.75);
    QVERIFY(product->font().bold());
    QCOMPARE(child<QLabel>(splash, "lblVersion")->text(), QStringLiteral("Version " KINFOLIO_VERSION));
    QCOMPARE(child<QLabel>(splash, "lblCompanyName")->text(), QStringLiteral("Company: Quillbrook"));
    // The picture shows whole.
    const auto *image = child<QLabel>(splash, "Image1");
    const QSize picture = image->pixmap().deviceIndependentSize().toSize();
    QVERIFY(!picture.isEmpty() && picture.width() <= image->width() && picture.height() <= image->height());
    // The frame holds the picture and every text, and stands inside the
    // window with its border clear of the edges.
    auto *frame = child<QWidget>(splash, "Frame1");
    QCOMPARE(splash->findChildren<QLabel *>(), frame->findChildren<QLabel *>(Qt::FindDirectChildrenOnly));
    for (const QWidget *area : {static_cast<QWidget *>(splash), frame}) {
        const QStringList problems = layoutProblems(area);
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join(u'\n')));
    }
    const QMargins bands = bareBands(splash);
    QVERIFY(bands.left() > 0 && bands.top() > 0 && bands.right() > 0 && bands.bottom() > 0);
    delete splash;
}

void TestSplash::handsOverOnceAfterThreeSeconds()
{
    int opened = 0;
    qint64 openedAt = -1;
    QElapsedTimer clock;
    QPointer<QWidget> cardWindow;
    QPointer<SplashWindow> splash;
    splash = new SplashWindow([&]() -> QWidget * {
        ++opened;
        openedAt = clock.elapsed();
        // The card window loads while the splash is still there.
        [&] { QVERIFY(splash && splash->isVisible()); }();
        cardWindow = new QWidget;
        return cardWindow;
    });
    // Started after the splash's timer, so the clock never runs ahead of it.
    clock.start();
    auto *timer = child<QTimer>(splash, "Timer1");
    QVERIFY(timer && timer->isActive() && timer->isSingleShot());
    QCOMPARE(timer->interval(), 3000);
    QCOMPARE(timer->timerType(), Qt::PreciseTimer); // a coarse one may fire 150 ms early
    QSignalSpy gone(splash.data(), &QObject::destroyed);
    splash->show();

    QVERIFY(gone.wait(15000));
    // The timer went with the splash: no second card window can follow.
    QCOMPARE(opened, 1);
    // Never before its three seconds, and soon after them.
    QVERIFY2(openedAt >= 3000 && openedAt < 4500, qPrintable(QString::number(openedAt)));
    QVERIFY(cardWindow && cardWindow->isVisible());
    delete cardWindow;
}

KINFOLIO_TEST_MAIN(TestSplash)
#include "test_splash.moc"
