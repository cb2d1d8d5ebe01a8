#include "render/gl_view.h"

#include "editor/editor.h"
#include "render/renderer.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <QResizeEvent>
#include <QSurfaceFormat>

#include <cmath>

namespace tessel {

GLView::GLView(QWidget* parent) : QOpenGLWidget(parent) {
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setMinimumSize(64, 64);
    // Blending leaves the alpha of translucent draws in the framebuffer; an opaque format keeps
    // it out of the window's composition and of grabbed pictures.
    setTextureFormat(GL_RGB8);
}

GLView::~GLView() {
    // The context dies after this object: its last signal must not reach us.
    disconnect(m_contextConnection);
    if (m_renderer && context()) {
        makeCurrent();
        releaseGL();
        doneCurrent();
    }
}

void GLView::setDefaultFormat() {
    QSurfaceFormat format;
    format.setRenderableType(QSurfaceFormat::OpenGL);
    format.setVersion(3, 3);
    format.setProfile(QSurfaceFormat::CoreProfile);
    format.setDepthBufferSize(24);
    QSurfaceFormat::setDefaultFormat(format);
}

void GLView::resizeEvent(QResizeEvent* event) {
    const qreal scale = devicePixelRatioF();
    const float w = std::round(width() * scale);
    const float h = std::round(height() * scale);
    // A collapsed widget has no size: keep the last ratio.
    if (h > 0 && w > 0) {
        m_viewport.aspectRatio = w / h;
    }
    QOpenGLWidget::resizeEvent(event);
}

void GLView::initializeGL() {
    // A context can be replaced (the widget moved to another window): forget the old objects.
    m_renderer = std::make_unique<Renderer>();
    m_renderer->initialize();
    disconnect(m_contextConnection);
    m_contextConnection = connect(context(), &QOpenGLContext::aboutToBeDestroyed, this, [this] {
        makeCurrent();
        releaseGL();
        doneCurrent();
    });
}

void GLView::releaseGL() {
    if (m_renderer) {
        m_renderer->release();
        m_renderer.reset();
    }
}

void GLView::paintGL() {
    if (!m_renderer) {
        return;
    }
    if (m_editor == nullptr) {
        // Not bound to the editor yet: show the background only.
        QOpenGLFunctions* gl = context()->functions();
        gl->glClearColor(0.1f, 0.5f, 0.2f, 1.0f);
        gl->glClear(GL_COLOR_BUFFER_BIT);
        return;
    }
    m_renderer->render(m_viewport, *m_editor);
}

Vec2 GLView::normalized(const QPointF& position) const {
    return {static_cast<float>(position.x() / width()),
            static_cast<float>(1.0 - position.y() / height())};
}

void GLView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || m_editor == nullptr) {
        QOpenGLWidget::mousePressEvent(event);
        return;
    }
    m_pressed = true;
    m_lastPosition = event->position();
    m_editor->press(m_viewport, normalized(m_lastPosition));
}

void GLView::mouseMoveEvent(QMouseEvent* event) {
    if (!m_pressed || !(event->buttons() & Qt::LeftButton) || m_editor == nullptr) {
        return;
    }
    const QPointF position = event->position();
    const Vec2 delta{static_cast<float>(2.0 * (position.x() - m_lastPosition.x()) / width()),
                     static_cast<float>(-2.0 * (position.y() - m_lastPosition.y()) / height())};
    m_lastPosition = position;
    m_editor->drag(m_viewport, normalized(position), delta);
}

void GLView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !m_pressed) {
        QOpenGLWidget::mouseReleaseEvent(event);
        return;
    }
    m_pressed = false;
    if (m_editor != nullptr) {
        m_editor->release(m_viewport);
    }
}

void GLView::keyPressEvent(QKeyEvent* event) {
    // Modifier keys alone type nothing; they are not key presses for the editor.
    switch (event->key()) {
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Meta:
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
    case Qt::Key_CapsLock: QOpenGLWidget::keyPressEvent(event); return;
    default: break;
    }
    if (m_editor == nullptr) {
        QOpenGLWidget::keyPressEvent(event);
        return;
    }
    m_editor->key(event->text().toStdString());
}

} // namespace tessel
