#pragma once

#include "messagebox.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <QTest>

#include <algorithm>
#include <memory>

// What every window test does: its controls found by name, clicked, chosen and
// tabbed through as the user does, the messages it showed read back, and the
// rules every window's layout keeps checked.
namespace kinfolio::testing {

// True once every event posted before the call has been handled, deferred
// deletions included: what a command set going has happened by then, so
// what has not will not.
inline bool handleEventsPostedSoFar()
{
    const auto handled = std::make_shared<bool>(false);
    QMetaObject::invokeMethod(
        qApp, [handled] { *handled = true; }, Qt::QueuedConnection);
    return QTest::qWaitFor([handled] { return *handled; }, 10000);
}

// The control named `name` in `window`; a test without it cannot go on.
template<typename T = QWidget> T *child(const QObject *window, const QString &name)
{
    T *found = window->findChild<T *>(name);
    if (!found)
        qFatal("no control %s in %s", qPrintable(name), qPrintable(window->objectName()));
    return found;
}

// Clicks a button with the mouse.
inline void click(const QObject *window, const QString &button)
{
    QTest::mouseClick(child<QAbstractButton>(window, button), Qt::LeftButton);
}

// Chooses a command of the menu bar with the mouse.
inline void choose(QMainWindow *window, const QString &action)
{
    QMenuBar *bar = window->menuBar();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(child<QAction>(window, action)).center());
}

// A control as the tests name it: a combo box's edit part is its combo box.
inline QWidget *named(QWidget *w)
{
    while (w && w->objectName().isEmpty())
        w = w->parentWidget();
    return w;
}

// The controls the Tab key visits from `first` on, until it comes back to
// `first`. The window must be active.
inline QList<QWidget *> tabbedThrough(QWidget *first)
{
    first->setFocus();
    QList<QWidget *> visited{first};
    for (int presses = 0; presses < 200; ++presses) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QWidget *now = named(QApplication::focusWidget());
        if (now == first)
            break;
        visited << now;
    }
    return visited;
}

// Controls in reading order: rows top to bottom, each left to right.
inline QList<QWidget *> byPosition(QList<QWidget *> controls)
{
    std::stable_sort(controls.begin(), controls.end(), [](const QWidget *a, const QWidget *b) {
        return std::pair(a->y(), a->x()) < std::pair(b->y(), b->x());
    });
    return controls;
}

inline QStringList names(const QList<QWidget *> &controls)
{
    QStringList out;
    for (const QWidget *w : controls)
        out << w->objectName();
    return out;
}

inline bool isLine(const QWidget *w)
{
    const auto *frame = qobject_cast<const QFrame *>(w);
    return frame && (frame->frameShape() == QFrame::HLine || frame->frameShape() == QFrame::VLine);
}

// The text a control shows whole, or an empty text.
inline QString caption(const QWidget *w)
{
    if (const auto *button = qobject_cast<const QAbstractButton *>(w))
        return QString(button->text()).remove(u'&');
    if (const auto *label = qobject_cast<const QLabel *>(w))
        return label->text();
    return QString();
}

// What breaks the rules of a window's layout among the controls placed in
// `area`: a control that reaches outside it, two controls that overlap (lines
// may cross each other, and neighbours share their edge, as the buttons of a
// row do), a caption its control cuts off. Empty when none does.
inline QStringList layoutProblems(const QWidget *area)
{
    const auto inside = [](const QWidget *w) {
        return isLine(w) ? w->geometry() : w->geometry().adjusted(0, 0, -1, -1);
    };
    QStringList problems;
    const QList<QWidget *> controls = area->findChildren<QWidget *>(Qt::FindDirectChildrenOnly);
    for (qsizetype i = 0; i < controls.size(); ++i) {
        const QWidget *w = controls[i];
        if (!area->rect().contains(w->geometry()))
            problems << w->objectName() + QStringLiteral(" reaches outside");
        for (qsizetype j = i + 1; j < controls.size(); ++j) {
            if (inside(w).intersects(inside(controls[j])) && !(isLine(w) && isLine(controls[j])))
                problems << w->objectName() + QStringLiteral(" overlaps ") + controls[j]->objectName();
        }
        // A button's caption needs room for its frame beside the text.
        const int margin = qobject_cast<const QAbstractButton *>(w) ? 6 : 0;
        if (w->fontMetrics().horizontalAdvance(caption(w)) + margin > w->width())
            problems << w->objectName() + QStringLiteral(" cuts off \"") + caption(w) + u'"';
    }
    return problems;
}

// The bare bands between the controls placed in `area` and its four edges.
inline QMargins bareBands(const QWidget *area)
{
    QRect held;
    for (const QWidget *w : area->findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
        held |= w->geometry();
    return {held.left(), held.top(), area->width() - held.x() - held.width(),
            area->height() - held.y() - held.height()};
}

// True when `area` holds its controls and is no larger than they need: no
// band between them and an edge is wider than its tallest button is high.
inline bool hugsItsControls(const QWidget *area)
{
    int button = 0;
    for (const QAbstractButton *b : area->findChildren<QAbstractButton *>())
        button = qMax(button, b->height());
    const QMargins bands = bareBands(area);
    const auto [narrowest, widest] = std::minmax({bands.left(), bands.top(), bands.right(), bands.bottom()});
    return narrowest >= 0 && widest <= button;
}

// The messages shown since the last clear, as "title|text".
inline QStringList messages()
{
    QStringList out;
    for (const MessageBox::Shown &m : MessageBox::shown())
        out << m.title + QLatin1Char('|') + m.text;
    return out;
}

// The one message shown since the last clear, whole; then clears it.
inline void verifyOneMessage(const QString &text, const QString &title, QMessageBox::Icon icon = QMessageBox::NoIcon,
                             QMessageBox::StandardButtons buttons = QMessageBox::Ok)
{
    QCOMPARE(MessageBox::shown().size(), 1);
    const MessageBox::Shown m = MessageBox::shown().first();
    MessageBox::clearShown();
    QCOMPARE(m.text, text);
    QCOMPARE(m.title, title);
    QCOMPARE(m.icon, icon);
    QCOMPARE(m.buttons, buttons);
}

} // namespace kinfolio::testing
