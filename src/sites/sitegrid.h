#pragma once

#include <QRect>
#include <QString>

#include <array>
#include <functional>

class QLineEdit;
class QMainWindow;
class QPushButton;
class QWidget;

namespace kinfolio {

// The layout both site windows share: 30 address boxes, each with a Go button
// to its right, in two columns of fifteen rows (slot 1 top left, slot 2 top
// right, slot 30 bottom right) with a divider line between the columns.
struct SiteGrid
{
    static constexpr int Slots = 30;

    std::array<QLineEdit *, Slots> boxes{};
    std::array<QPushButton *, Slots> buttons{};

    // k runs from 1 to 30.
    QLineEdit *box(int k) const { return boxes[size_t(k - 1)]; }
    QPushButton *button(int k) const { return buttons[size_t(k - 1)]; }
};

// Left, top, width and height in twips of box k and of its Go button.
QRect siteBoxTwips(int k);
QRect goButtonTwips(int k);

// Creates the boxes, named `boxName`(k), and the buttons, named
// cmdGoToSite(k), in `client`, with the lines Line1 and Line2. A click on
// button k calls `onGo` with k. The tab order is left to the window.
SiteGrid buildSiteGrid(QWidget *client, const QString &boxName, const std::function<void(int)> &onGo);

// Gives a site window its name, title, light cyan background and a sizable
// border without a maximize button, and returns its client area.
QWidget *prepareSiteWindow(QMainWindow *window, const QString &name, const QString &title);

// Sizes the window so that its client area, below the menu bar, has the size
// given in twips. The border stays sizable; nothing follows a change of size.
void setSiteClientSize(QMainWindow *window, int width, int height);

} // namespace kinfolio
