#include "sitegrid.h"

#include "twips.h"

#include <QLineEdit>
#include <QMainWindow>
#include <QMenuBar>
#include <QPushButton>

#include <limits>

namespace kinfolio {

namespace {
int rowTop(int k)
{
    const int row = (k + 1) / 2;
    return 120 + 480 * (row - 1);
}
} // namespace

QRect siteBoxTwips(int k)
{
    return QRect(k % 2 ? 120 : 5160, rowTop(k), 4095, 375);
}

QRect goButtonTwips(int k)
{
    return QRect(k % 2 ? 4320 : 9360, rowTop(k), 375, 375);
}

SiteGrid buildSiteGrid(QWidget *client, const QString &boxName, const std::function<void(int)> &onGo)
{
    SiteGrid grid;
    for (int k = 1; k <= SiteGrid::Slots; ++k) {
        auto *box = new QLineEdit(client);
        box->setObjectName(QStringLiteral("%1(%2)").arg(boxName).arg(k));
        box->setAccessibleName(QStringLiteral("Site %1").arg(k));
        // No length limit: a box otherwise keeps 32767 characters and would
        // cut a longer address read from the file.
        box->setMaxLength(std::numeric_limits<int>::max());
        const QRect b = siteBoxTwips(k);
        placeTwips(box, b.x(), b.y(), b.width(), b.height());
        grid.boxes[size_t(k - 1)] = box;

        auto *button = new QPushButton(QStringLiteral("Go"), client);
        button->setObjectName(QStringLiteral("cmdGoToSite(%1)").arg(k));
        button->setAutoDefault(false);
        const QRect g = goButtonTwips(k);
        placeTwips(button, g.x(), g.y(), g.width(), g.height());
        QObject::connect(button, &QPushButton::clicked, client, [onGo, k] { onGo(k); });
        grid.buttons[size_t(k - 1)] = button;
    }
    addLine(client, "Line1", 4920, 120, 4920, 7200);
    addLine(client, "Line2", 4800, 120, 5040, 120);
    return grid;
}

QWidget *prepareSiteWindow(QMainWindow *window, const QString &name, const QString &title)
{
    window->setObjectName(name);
    window->setWindowTitle(title);
    window->setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                           | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    paintBackground(window, cardBackground());

    auto *client = new QWidget(window);
    client->setObjectName(QStringLiteral("client"));
    paintBackground(client, cardBackground());
    window->setCentralWidget(client);
    return client;
}

void setSiteClientSize(QMainWindow *window, int width, int height)
{
    const int menuHeight = window->menuWidget() ? window->menuWidget()->sizeHint().height() : 0;
    window->resize(twips(width), twips(height) + menuHeight);
}

} // namespace kinfolio
