#pragma once

class QWidget;
class QMainWindow;

namespace kinfolio {

// Places a window in the middle of its screen from the outer sizes of window
// and screen. The size is not changed; a window larger than the screen gets
// negative coordinates.
void centerOnScreen(QWidget *window);

// Takes away a window's Close command: no close button in the title bar, and
// every close request (title bar, Alt+F4, the window manager, close()) is
// refused, except the window's own command that ends it through unload().
void removeCloseCommand(QWidget *window);

// Closes and destroys a window (which must live on the heap), even one whose
// Close command was removed. The program ends when its last window is gone.
void unload(QWidget *window);

// Fixes a window's client area, in twips, below its menu bar if it has one.
void setClientSizeTwips(QMainWindow *window, int width, int height);

} // namespace kinfolio
