#include "render/gl_view.h"

#include "editor/editor.h"
#include "render/renderer.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <QResizeEvent>
#include <QSurfaceFormat>
#include <QToolButton>
#include <QWheelEvent>

#include <chrono>
#include <utility>

#include <cmath>

namespace tessel {

GLView::GLView(QWidget* parent) : QOpenGLWidget(parent) {
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setMinimumSize(64, 64);
    // Blending leaves the alpha of translucent draws in the framebuffer; an opaque format keeps
    // it out of the window's composition and of grabbed pictures.
    setTextureFormat(GL_RGB8);
    buildCornerMenu();
    // Light text on a translucent dark box reads on any background and scene; clicks go
    // through it to the view.
    m_viewLabel = new QLabel(this);
    m_viewLabel->setObjectName("viewLabel");
    m_viewLabel->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_viewLabel->setStyleSheet("QLabel { color: white; background: rgba(0, 0, 0, 120);"
                               " padding: 2px 6px; border-radius: 3px; }");
    m_viewLabel->move(4, 4);
    m_viewLabel->hide();
}

void GLView::showViewLabel() {
    const QString text =
        m_editor != nullptr ? QString::fromStdString(viewLabel(m_viewport)) : QString();
    // A label that changes repaints over the view: only a change is worth it.
    if (text != m_viewLabel->text()) {
        m_viewLabel->setText(text);
        m_viewLabel->adjustSize();
        m_viewLabel->setVisible(!text.isEmpty());
    }
}

const std::array<std::optional<Command>, 9>& GLView::cornerCommands() {
    static const std::array<std::optional<Command>, 9> commands{
        Command::ViewFront, Command::ViewBack,      Command::ViewLeft,
        Command::ViewRight, Command::ViewTop,       Command::ViewBottom,
        std::nullopt,       Command::FrameSelected, Command::FrameAll};
    return commands;
}

void GLView::buildCornerMenu() {
    auto* button = new QToolButton(this);
    button->setObjectName("viewMenuButton");
    button->setText(tr("View"));
    button->setPopupMode(QToolButton::InstantPopup);
    button->setFocusPolicy(Qt::NoFocus);
    auto* menu = new QMenu(button);
    for (const std::optional<Command>& command : cornerCommands()) {
        if (!command) {
            menu->addSeparator();
            continue;
        }
        const std::string_view name = commandName(*command);
        QAction* action =
            menu->addAction(QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())));
        connect(action, &QAction::triggered, this, [this, command = *command] {
            if (m_editor != nullptr) {
                m_editor->perform(command, m_viewport);
            }
        });
    }
    button->setMenu(menu);
    button->adjustSize();
    m_cornerButton = button;
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
    // The viewports' contexts share their buffers, so that a mesh lives once in GPU memory.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
}

void GLView::resizeEvent(QResizeEvent* event) {
    const qreal scale = devicePixelRatioF();
    const float w = std::round(width() * scale);
    const float h = std::round(height() * scale);
    // A collapsed widget has no size: keep the last ratio.
    if (h > 0 && w > 0) {
        m_viewport.aspectRatio = w / h;
    }
    m_cornerButton->move(width() - m_cornerButton->width() - 4, 4);
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
    showViewLabel();
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
    const auto start = std::chrono::steady_clock::now();
    m_renderer->render(m_viewport, *m_editor);
    Q_EMIT framePainted(
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
            .count());
}

Vec2 GLView::normalized(const QPointF& position) const {
    return {static_cast<float>(position.x() / width()),
            static_cast<float>(1.0 - position.y() / height())};
}

namespace {

unsigned heldModifiers(Qt::KeyboardModifiers modifiers) {
    unsigned held = NoModifier;
    if (modifiers & Qt::ShiftModifier) {
        held |= Shift;
    }
    if (modifiers & Qt::ControlModifier) {
        held |= Ctrl;
    }
    if (modifiers & Qt::AltModifier) {
        held |= Alt;
    }
    return held;
}

std::optional<Trigger> dragTrigger(Qt::MouseButton button) {
    switch (button) {
    case Qt::LeftButton: return Trigger::LeftDrag;
    case Qt::RightButton: return Trigger::RightDrag;
    case Qt::MiddleButton: return Trigger::MiddleDrag;
    default: return std::nullopt;
    }
}

// The name a key has in the bindings table: a lower case letter, a digit, or the key's name.
std::string keyName(int key) {
    if (key >= Qt::Key_A && key <= Qt::Key_Z) {
        return std::string(1, static_cast<char>('a' + (key - Qt::Key_A)));
    }
    if (key >= Qt::Key_0 && key <= Qt::Key_9) {
        return std::string(1, static_cast<char>('0' + (key - Qt::Key_0)));
    }
    switch (key) {
    case Qt::Key_Home: return "Home";
    case Qt::Key_Escape: return "Escape";
    case Qt::Key_Return:
    case Qt::Key_Enter: return "Return";
    case Qt::Key_Delete: return "Delete";
    case Qt::Key_Backspace: return "Backspace";
    default: return "";
    }
}

} // namespace

void GLView::mousePressEvent(QMouseEvent* event) {
    const std::optional<Trigger> trigger = dragTrigger(event->button());
    // One gesture at a time: a second button while one is held starts nothing.
    if (m_editor == nullptr || m_gesture || !trigger) {
        QOpenGLWidget::mousePressEvent(event);
        return;
    }
    const Vec2 at = normalized(event->position());
    // A running transform takes the press: the left button confirms it (the editor's press
    // does), the right one drops it; neither starts a gesture.
    if (m_editor->isTransforming()) {
        if (*trigger == Trigger::LeftDrag) {
            m_editor->press(m_viewport, at);
        } else if (*trigger == Trigger::RightDrag) {
            m_editor->cancelTransform();
        }
        return;
    }
    // A running bevel: the left button commits it (the editor's press does), the right one drops
    // it.
    if (m_editor->isBevelling()) {
        if (*trigger == Trigger::LeftDrag) {
            m_editor->press(m_viewport, at);
        } else if (*trigger == Trigger::RightDrag) {
            m_editor->cancelBevel();
        }
        return;
    }
    // A running loop cut: the left button slides and cuts (the editor's gesture), the right one
    // drops it.
    if (m_editor->isLoopCutting() && *trigger != Trigger::LeftDrag) {
        if (*trigger == Trigger::RightDrag) {
            m_editor->cancelLoopCut();
        }
        return;
    }
    const unsigned modifiers = heldModifiers(event->modifiers());
    const Binding* binding = findBinding(*trigger, modifiers);
    std::optional<Command> command = binding ? std::optional(binding->command) : std::nullopt;
    // Alt + left click selects a loop (Shift+Alt adds it); only a drag orbits.
    m_click.reset();
    if (*trigger == Trigger::LeftDrag && (modifiers & Alt) != 0 && (modifiers & Ctrl) == 0) {
        m_click = Command::SelectLoop;
        if (!command) {
            command = Command::SelectLoop;
        }
    } else if (command == Command::SelectRing) {
        m_click = Command::SelectRing;
    }
    // The left button with modifiers no binding names works the tool, as it does without.
    if (!command && *trigger == Trigger::LeftDrag) {
        command = Command::ToolGesture;
    }
    if (!command) {
        QOpenGLWidget::mousePressEvent(event);
        return;
    }
    m_gesture = command;
    m_button = event->button();
    m_lastPosition = event->position();
    m_pressPosition = m_lastPosition;
    m_clickAdds = (modifiers & Shift) != 0;
    switch (*command) {
    case Command::AddToSelection:
        m_editor->press(m_viewport, at, Editor::SelectionChange::Add);
        break;
    case Command::RemoveFromSelection:
        m_editor->press(m_viewport, at, Editor::SelectionChange::Remove);
        break;
    case Command::Orbit:
    case Command::Pan: m_editor->beginNavigation(m_viewport); break;
    case Command::SelectLoop:
    case Command::SelectRing: break;
    default: m_editor->press(m_viewport, at); break;
    }
}

void GLView::mouseMoveEvent(QMouseEvent* event) {
    if (m_editor == nullptr) {
        return;
    }
    const QPointF position = event->position();
    const Vec2 to = normalized(position);
    if (!m_gesture || !(event->buttons() & m_button)) {
        // No button held: the pointer is where a keyboard transform starts from, and drives
        // one that runs.
        m_editor->hover(m_viewport, to);
        return;
    }
    m_viewport.pointerPosition = to;
    // Past a few pixels a click is a drag.
    if (m_click && (std::abs(position.x() - m_pressPosition.x()) > 3 ||
                    std::abs(position.y() - m_pressPosition.y()) > 3)) {
        m_click.reset();
    }
    const Vec2 from = normalized(m_lastPosition);
    const Vec2 delta{static_cast<float>(2.0 * (position.x() - m_lastPosition.x()) / width()),
                     static_cast<float>(-2.0 * (position.y() - m_lastPosition.y()) / height())};
    m_lastPosition = position;
    switch (*m_gesture) {
    case Command::Orbit: m_editor->orbit(m_viewport, delta); break;
    case Command::Pan: m_editor->pan(m_viewport, from, to); break;
    case Command::SelectLoop:
    case Command::SelectRing: break;
    default: m_editor->drag(m_viewport, to, delta); break;
    }
}

void GLView::mouseReleaseEvent(QMouseEvent* event) {
    if (!m_gesture || event->button() != m_button) {
        QOpenGLWidget::mouseReleaseEvent(event);
        return;
    }
    const Command gesture = *m_gesture;
    const std::optional<Command> click = std::exchange(m_click, std::nullopt);
    m_gesture.reset();
    m_button = Qt::NoButton;
    if (m_editor == nullptr) {
        return;
    }
    if (click) {
        m_editor->selectLoop(m_viewport, normalized(m_pressPosition), *click == Command::SelectRing,
                             m_clickAdds ? Editor::SelectionChange::Add
                                         : Editor::SelectionChange::Replace);
        return;
    }
    switch (gesture) {
    case Command::Orbit:
    case Command::Pan:
    case Command::SelectLoop:
    case Command::SelectRing: break;
    default: m_editor->release(m_viewport); break;
    }
}

void GLView::wheelEvent(QWheelEvent* event) {
    // A running loop cut takes the wheel: a notch up adds a cut, one down takes one away.
    if (m_editor != nullptr && m_editor->isLoopCutting()) {
        if (const int notches = event->angleDelta().y() / 120; notches != 0) {
            m_editor->loopCutWheel(notches);
        }
        return;
    }
    // A running bevel takes it too: a notch up adds a segment.
    if (m_editor != nullptr && m_editor->isBevelling()) {
        if (const int notches = event->angleDelta().y() / 120; notches != 0) {
            m_editor->bevelWheel(notches);
        }
        return;
    }
    const Binding* binding = findBinding(Trigger::Wheel, heldModifiers(event->modifiers()));
    if (m_editor == nullptr || !binding || binding->command != Command::Zoom) {
        QOpenGLWidget::wheelEvent(event);
        return;
    }
    // One notch of an ordinary wheel is 120 eighths of a degree.
    m_editor->zoom(m_viewport, normalized(event->position()),
                   static_cast<float>(event->angleDelta().y()) / 120.0f);
}

void GLView::keyPressEvent(QKeyEvent* event) {
    if (m_editor != nullptr && event->key() == Qt::Key_Control && m_editor->isTransforming()) {
        m_editor->setSnapping(true);
        return;
    }
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
    // A running transform hears the typed keys first: its axes and amount, not the camera's.
    if (m_editor->isTransforming() || m_editor->isLoopCutting() || m_editor->isBevelling()) {
        const QString typed = event->text();
        const char c = event->key() == Qt::Key_Backspace ? '\b'
                       : typed.size() == 1               ? typed.front().toLatin1()
                                                         : '\0';
        if (c != '\0' && m_editor->transformKey(c)) {
            return;
        }
    }
    const Binding* binding =
        findBinding(Trigger::Key, heldModifiers(event->modifiers()), keyName(event->key()));
    if (binding && binding->command != Command::CameraKey) {
        m_editor->perform(binding->command, m_viewport);
        return;
    }
    m_editor->key(event->text().toStdString());
}

void GLView::keyReleaseEvent(QKeyEvent* event) {
    if (m_editor != nullptr && event->key() == Qt::Key_Control && m_editor->isTransforming()) {
        m_editor->setSnapping(false);
        return;
    }
    QOpenGLWidget::keyReleaseEvent(event);
}

} // namespace tessel
