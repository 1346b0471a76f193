#include "splashwindow.h"

#include "productframe.h"
#include "twips.h"
#include "windowhelpers.h"

#include <QTimer>

namespace kinfolio {

SplashWindow::SplashWindow(std::function<QWidget *()> openCardWindow)
    : QWidget(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint)
    , m_openCardWindow(std::move(openCardWindow))
{
    setObjectName(QStringLiteral("frmsplash"));
    paintBackground(this, cardBackground());
    addProductFrame(this, splashFrameLayout());
    setFixedSize(twips(6450), twips(3000));

    m_timer = new QTimer(this);
    m_timer->setObjectName(QStringLiteral("Timer1"));
    m_timer->setSingleShot(true);
    // A coarse timer may fire up to 5% early; the splash stays its full time.
    m_timer->setTimerType(Qt::PreciseTimer);
    connect(m_timer, &QTimer::timeout, this, &SplashWindow::openCardWindow);

    // The three seconds count from here, not from the first appearance.
    m_timer->start(3000);
    centerOnScreen(this);
}

void SplashWindow::openCardWindow()
{
    if (QWidget *cardWindow = m_openCardWindow())
        cardWindow->show();
    unload(this);
}

} // namespace kinfolio
