#include "twips.h"

#include <QFrame>
#include <QPalette>
#include <QWidget>

#include <cmath>

namespace kinfolio {

int twips(int t)
{
    return int(std::lround(t / double(TwipsPerPixel)));
}

void placeTwips(QWidget *w, int left, int top, int width, int height)
{
    w->setGeometry(twips(left), twips(top), twips(width), twips(height));
}

void placeAutoSized(QWidget *w, int left, int top)
{
    w->move(twips(left), twips(top));
    w->adjustSize();
}

void paintBackground(QWidget *w, const QColor &colour)
{
    QPalette p = w->palette();
    p.setColor(QPalette::Window, colour);
    w->setPalette(p);
    w->setAutoFillBackground(true);
}

QFrame *addLine(QWidget *parent, const char *name, int x1, int y1, int x2, int y2)
{
    auto *line = new QFrame(parent);
    line->setObjectName(QString::fromLatin1(name));
    line->setFrameShadow(QFrame::Plain);
    line->setLineWidth(1);
    QPalette p = line->palette();
    p.setColor(QPalette::WindowText, Qt::black);
    line->setPalette(p);
    if (y1 == y2) {
        line->setFrameShape(QFrame::HLine);
        line->setGeometry(twips(qMin(x1, x2)), twips(y1), twips(std::abs(x2 - x1)) + 1, 1);
    } else {
        line->setFrameShape(QFrame::VLine);
        line->setGeometry(twips(x1), twips(qMin(y1, y2)), 1, twips(std::abs(y2 - y1)) + 1);
    }
    return line;
}

} // namespace kinfolio
