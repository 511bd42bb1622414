// Helpers of the control tests: synthetic input delivered the way Qt delivers it.
#pragma once

#include "platform/form.h"
#include "platform/keys.h"
#include "platform/wincontrol.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWidget>

namespace ravelda::test {

inline void ShowAndActivate(TCustomForm* form) {
    form->Show();
    QApplication::processEvents();
    if (!form->Handle()->isActiveWindow()) QApplication::setActiveWindow(form->Handle());
    QApplication::processEvents();
}

inline void SendMouse(QWidget* w, QEvent::Type type, QPoint pos,
                      Qt::MouseButton button = Qt::LeftButton,
                      Qt::MouseButtons buttons = Qt::LeftButton,
                      Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QMouseEvent e(type, QPointF(pos), QPointF(w->mapToGlobal(pos)), button, buttons, mods);
    QApplication::sendEvent(w, &e);
}

// A press and a release of the left button at pos (window coordinates).
inline void ClickAt(QWidget* w, QPoint pos) {
    SendMouse(w, QEvent::MouseButtonPress, pos, Qt::LeftButton, Qt::LeftButton);
    SendMouse(w, QEvent::MouseButtonRelease, pos, Qt::LeftButton, Qt::NoButton);
}

inline void MoveTo(QWidget* w, QPoint pos, Qt::MouseButtons buttons = Qt::NoButton) {
    SendMouse(w, QEvent::MouseMove, pos, Qt::NoButton, buttons);
}

// A key press (and release) to the focused window, as typed.
inline void PressKey(int qtKey, Qt::KeyboardModifiers mods = Qt::NoModifier,
                     const QString& text = QString()) {
    QWidget* target = QApplication::focusWidget();
    if (!target) return;
    QKeyEvent down(QEvent::KeyPress, qtKey, mods, text);
    QApplication::sendEvent(target, &down);
    QWidget* after = QApplication::focusWidget() ? QApplication::focusWidget() : target;
    QKeyEvent up(QEvent::KeyRelease, qtKey, mods, text);
    QApplication::sendEvent(qtKey == Qt::Key_Tab || qtKey == Qt::Key_Backtab ? after : target, &up);
}

} // namespace ravelda::test
