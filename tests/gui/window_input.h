#pragma once

// Real input for the window's viewports, and where they show things.
#include "editor/bindings.h"
#include "render/gl_view.h"
#include "tools/tool_support.h"

#include <QApplication>
#include <QImage>
#include <QKeySequence>
#include <QMouseEvent>
#include <QWheelEvent>

namespace tessel::testing {

// The widget position of a normalized viewport position: the way back of the view's own
// conversion of the pointer.
inline QPointF pixelAt(const GLView& view, float x, float y) {
    return {x * view.width(), (1 - y) * view.height()};
}

// Where the viewport shows a world point.
inline QPointF pixelOf(GLView& view, const Vector3& world) {
    const Vector3 device = project(world, view.viewport());
    return pixelAt(view, (device.x + 1) / 2, (device.y + 1) / 2);
}

// The finished frame of a viewport as it stands now, and its pixel under a widget position.
inline QImage frame(GLView& view) {
    QApplication::processEvents();
    return view.grabFramebuffer();
}
inline QRgb pixel(const QImage& frame, const GLView& view, QPointF at) {
    return frame.pixel((at * frame.width() / view.width()).toPoint());
}

inline void sendMouse(QWidget* widget, QEvent::Type type, QPointF at, Qt::MouseButton button,
                      Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers = {}) {
    QMouseEvent event(type, at, widget->mapToGlobal(at), button, buttons, modifiers);
    QApplication::sendEvent(widget, &event);
}
inline void press(QWidget* widget, QPointF at, Qt::MouseButton button = Qt::LeftButton,
                  Qt::KeyboardModifiers modifiers = {}) {
    sendMouse(widget, QEvent::MouseButtonPress, at, button, button, modifiers);
}
inline void moveTo(QWidget* widget, QPointF at, Qt::MouseButton held = Qt::LeftButton) {
    sendMouse(widget, QEvent::MouseMove, at, Qt::NoButton, held);
}
inline void release(QWidget* widget, QPointF at, Qt::MouseButton button = Qt::LeftButton) {
    sendMouse(widget, QEvent::MouseButtonRelease, at, button, Qt::NoButton);
}
// A press, `steps` moves ending on `to`, and the release.
inline void drag(QWidget* widget, Qt::MouseButton button, Qt::KeyboardModifiers modifiers,
                 QPointF from, QPointF to, int steps = 4) {
    press(widget, from, button, modifiers);
    for (int i = 1; i <= steps; ++i) {
        moveTo(widget, from + (to - from) * i / steps, button);
    }
    release(widget, to, button);
}

inline void turnWheel(QWidget* widget, QPointF at, int notches) {
    QWheelEvent wheel(at, widget->mapToGlobal(at), {}, {0, 120 * notches}, Qt::NoButton, {},
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(widget, &wheel);
}

inline Qt::KeyboardModifiers qtModifiers(unsigned held) {
    return Qt::KeyboardModifiers((held & Shift ? Qt::ShiftModifier : Qt::NoModifier) |
                                 (held & Ctrl ? Qt::ControlModifier : Qt::NoModifier) |
                                 (held & Alt ? Qt::AltModifier : Qt::NoModifier));
}

// The keys of a key binding, as Help names them.
inline QKeySequence keysOf(const Binding& binding) {
    return QKeySequence(QString::fromStdString(triggerText(binding)));
}

} // namespace tessel::testing
