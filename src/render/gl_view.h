#pragma once

#include "editor/viewport.h"

#include <QOpenGLWidget>
#include <QPointF>

#include <memory>

namespace tessel {

class Renderer;

// One of the editor's viewports: an OpenGL widget that draws the scene through its own
// Renderer and turns the user's mouse and keys into the editor's viewport events.
//
// Pointer positions are normalized over the widget's logical size (0 to 1 on any display);
// drag deltas come from successive positions, in device units.
class GLView : public QOpenGLWidget, public Viewport {
    Q_OBJECT

public:
    explicit GLView(QWidget* parent = nullptr);
    ~GLView() override;

    // The application-wide surface format the views draw with: OpenGL 3.3 core profile with a
    // 24-bit depth buffer. Call before the QApplication is created.
    static void setDefaultFormat();

    float aspectRatio() const override;
    // Schedules a repaint (coalesced by Qt).
    void update() override;
    using QOpenGLWidget::update;

protected:
    void initializeGL() override;
    void paintGL() override;

    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    Vec2 normalized(const QPointF& position) const;
    void releaseGL();

    std::unique_ptr<Renderer> m_renderer;
    QMetaObject::Connection m_contextConnection;
    QPointF m_lastPosition;
    bool m_pressed = false;
};

} // namespace tessel
