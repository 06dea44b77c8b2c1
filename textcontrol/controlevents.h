#pragma once
// Event types the text control and its gutter publish beside their own.
#include <QChar>
#include <QObject>
#include <functional>

namespace textcontrol {

using TKeyEvent = std::function<void(QObject *, int &key, Qt::KeyboardModifiers shift)>;
using TKeyPressEvent = std::function<void(QObject *, QChar &key)>;
using TMouseEvent = std::function<void(QObject *, Qt::MouseButton, Qt::KeyboardModifiers, int x, int y)>;
using TMouseMoveEvent = std::function<void(QObject *, Qt::KeyboardModifiers, int x, int y)>;
using TObjectNotify = std::function<void(QObject *)>;

} // namespace textcontrol
