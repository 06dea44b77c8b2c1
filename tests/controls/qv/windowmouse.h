#pragma once
// Mouse actions through a widget's window, as the platform delivers them (the application's button state
// and the enter and leave events follow), and showing a window active.
#include <QTest>
#include <QWidget>
#include <QWindow>

namespace windowmouse {

inline QPoint inWindow(QWidget *w, QPoint p)
{
    return w->mapTo(w->window(), p);
}
inline void press(QWidget *w, QPoint p, Qt::MouseButton button = Qt::LeftButton)
{
    QTest::mousePress(w->window()->windowHandle(), button, {}, inWindow(w, p));
}
inline void move(QWidget *w, QPoint p)
{
    QTest::mouseMove(w->window()->windowHandle(), inWindow(w, p));
}
inline void release(QWidget *w, QPoint p, Qt::MouseButton button = Qt::LeftButton)
{
    QTest::mouseRelease(w->window()->windowHandle(), button, {}, inWindow(w, p));
}
inline void click(QWidget *w, QPoint p)
{
    press(w, p);
    release(w, p);
}
inline void doubleClick(QWidget *w, QPoint p)
{
    QTest::mouseDClick(w->window()->windowHandle(), Qt::LeftButton, {}, inWindow(w, p));
}

inline bool showActive(QWidget *w)
{
    w->show();
    w->activateWindow();
    return QTest::qWaitForWindowActive(w);
}

} // namespace windowmouse
