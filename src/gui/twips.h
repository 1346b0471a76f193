#pragma once

#include <QColor>

class QFrame;
class QWidget;

namespace kinfolio {

// Window layouts are given in twips; 15 twips make one device-independent
// pixel, and Qt scales pixels for high-DPI screens.
constexpr int TwipsPerPixel = 15;

int twips(int t);

// Places a control by Left, Top, Width, Height in twips, relative to its parent.
void placeTwips(QWidget *w, int left, int top, int width, int height);
// Places a label that sizes itself to its text at Left, Top in twips.
void placeAutoSized(QWidget *w, int left, int top);

// The background of every window, frame and label: red 192, green 255, blue 255.
inline QColor cardBackground() { return QColor(192, 255, 255); }
void paintBackground(QWidget *w, const QColor &colour);

// A straight line from (x1, y1) to (x2, y2) in twips, horizontal or vertical,
// one pixel thick and drawn at every scale.
QFrame *addLine(QWidget *parent, const char *name, int x1, int y1, int x2, int y2);

} // namespace kinfolio
