#include "twips.h"

#include <QFrame>
#include <QPainter>
#include <QPalette>
#include <QWidget>

#include <algorithm>
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

namespace {

// A rule of one pixel at any scale: filled in whole device pixels from the
// top (or left) of a band two pixels deep. A frame one pixel deep falls
// between device pixels at some scales (1.75) and is then not drawn at all.
class Rule : public QFrame
{
public:
    Rule(QWidget *parent, Qt::Orientation orientation)
        : QFrame(parent)
        , m_orientation(orientation)
    {
        // A frame's shape still tells what it is; it paints itself.
        setFrameShape(orientation == Qt::Horizontal ? QFrame::HLine : QFrame::VLine);
        setAttribute(Qt::WA_TransparentForMouseEvents);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        const qreal ratio = devicePixelRatioF();
        // Whole device pixels: one at least, as many as make one pixel here.
        const qreal thickness = std::max<qreal>(1.0, std::floor(ratio)) / ratio;
        const QRectF line = m_orientation == Qt::Horizontal ? QRectF(0, 0, width(), thickness)
                                                            : QRectF(0, 0, thickness, height());
        painter.fillRect(line, Qt::black);
    }

private:
    Qt::Orientation m_orientation;
};

} // namespace

QFrame *addLine(QWidget *parent, const char *name, int x1, int y1, int x2, int y2)
{
    const bool horizontal = y1 == y2;
    auto *line = new Rule(parent, horizontal ? Qt::Horizontal : Qt::Vertical);
    line->setObjectName(QString::fromLatin1(name));
    if (horizontal)
        line->setGeometry(twips(qMin(x1, x2)), twips(y1), twips(std::abs(x2 - x1)) + 1, 2);
    else
        line->setGeometry(twips(x1), twips(qMin(y1, y2)), 2, twips(std::abs(y2 - y1)) + 1);
    return line;
}

} // namespace kinfolio
