#pragma once

#include <QWidget>

#include <functional>

class QTimer;

namespace kinfolio {

// The start-up window: shows the product for three seconds, then opens the
// card window and goes away.
class SplashWindow : public QWidget
{
    Q_OBJECT
public:
    // `openCardWindow` loads the card window (its whole opening runs) and
    // returns it; the splash makes it visible and unloads itself. Null means
    // the opening ended the program: the splash only unloads itself.
    explicit SplashWindow(std::function<QWidget *()> openCardWindow);

private slots:
    void openCardWindow();

private:
    std::function<QWidget *()> m_openCardWindow;
    QTimer *m_timer = nullptr;
};

} // namespace kinfolio
