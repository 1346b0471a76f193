#include "windowhelpers.h"

#include "twips.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QMainWindow>
#include <QMenuBar>
#include <QScreen>
#include <QWidget>

#include <cmath>

namespace kinfolio {

namespace {
const char *const unloadingProperty = "kinfolioUnloading";

class CloseGuard : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Close && !watched->property(unloadingProperty).toBool()) {
            event->ignore();
            return true;
        }
        return false;
    }
};
} // namespace

void centerOnScreen(QWidget *window)
{
    QScreen *screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->geometry();
    const QSize outer = window->frameGeometry().size();
    const double left = (area.width() - outer.width()) / 2.0;
    const double top = (area.height() - outer.height()) / 2.0;
    window->move(area.x() + int(std::floor(left)), area.y() + int(std::floor(top)));
}

void removeCloseCommand(QWidget *window)
{
    const Qt::WindowFlags flags = window->windowFlags();
    window->setWindowFlags((flags | Qt::CustomizeWindowHint | Qt::WindowTitleHint) & ~Qt::WindowCloseButtonHint);
    window->installEventFilter(new CloseGuard(window));
}

void unload(QWidget *window)
{
    window->setProperty(unloadingProperty, true);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->close();
}

void setClientSizeTwips(QMainWindow *window, int width, int height)
{
    const int menuHeight = window->menuWidget() ? window->menuWidget()->sizeHint().height() : 0;
    if (window->centralWidget())
        window->centralWidget()->setFixedSize(twips(width), twips(height));
    window->setFixedSize(twips(width), twips(height) + menuHeight);
}

} // namespace kinfolio
