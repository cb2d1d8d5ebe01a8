#pragma once

#include "editor/bindings.h"
#include "scene/viewport.h"

#include <QOpenGLWidget>
#include <QPointF>

#include <array>

#include <memory>
#include <optional>

class QLabel;
class QToolButton;

namespace tessel {

class Renderer;

class Editor;

// One of the editor's viewports: an OpenGL widget that owns the viewport's state, draws the
// scene through its own Renderer and turns the user's mouse and keys into the editor's
// gestures.
//
// Pointer positions are normalized over the widget's logical size (0 to 1 on any display);
// drag deltas come from successive positions, in device units.
class GLView : public QOpenGLWidget {
    Q_OBJECT

public:
    explicit GLView(QWidget* parent = nullptr);
    ~GLView() override;

    // The application-wide surface format the views draw with: OpenGL 3.3 core profile with a
    // 24-bit depth buffer, every context sharing its objects with the others. Call before the
    // QApplication is created.
    static void setDefaultFormat();

    Viewport& viewport() { return m_viewport; }
    const Viewport& viewport() const { return m_viewport; }
    // The editor that receives this view's gestures and whose scene it draws; null (the
    // default) shows the background only and ignores input.
    void setEditor(Editor* editor) { m_editor = editor; }

    // The view commands this viewport's corner menu offers, in order (a null entry is a
    // separator).
    static const std::array<std::optional<Command>, 9>& cornerCommands();

Q_SIGNALS:
    // A frame was drawn; `milliseconds` is the CPU time paintGL took.
    void framePainted(double milliseconds);

protected:
    void initializeGL() override;
    void paintGL() override;
    void resizeEvent(QResizeEvent* event) override;

    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    Vec2 normalized(const QPointF& position) const;
    void buildCornerMenu();
    // Shows the view's name at the top-left (the label "viewLabel"); nothing without an editor.
    void showViewLabel();
    void releaseGL();

    Viewport m_viewport;
    Editor* m_editor = nullptr;
    std::unique_ptr<Renderer> m_renderer;
    QMetaObject::Connection m_contextConnection;
    QPointF m_lastPosition;
    // The gesture the held button started, and that button.
    std::optional<Command> m_gesture;
    Qt::MouseButton m_button = Qt::NoButton;
    // The held left button selects a loop or ring if it comes up where it went down (Shift
    // adds it), at the press position.
    std::optional<Command> m_click;
    bool m_clickAdds = false;
    QPointF m_pressPosition;
    QToolButton* m_cornerButton = nullptr;
    QLabel* m_viewLabel = nullptr;
};

} // namespace tessel
