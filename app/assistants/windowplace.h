#pragma once
// Where a window that lives from start-up first appears: its own size, in the middle of the screen. The
// main window's form saver keeps it where the user leaves it from then on.
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace assistants {

inline void PlaceFirst(QWidget *w)
{
    w->resize(w->sizeHint().expandedTo(w->minimumSizeHint()));
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        w->move(area.center() - QPoint(w->width() / 2, w->height() / 2));
    }
}

} // namespace assistants
