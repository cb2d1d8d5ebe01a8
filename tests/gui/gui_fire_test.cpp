// The real window under fire: thousands of random mouse and key events from a fixed seed, sent
// with QTest to whatever the window offers (the viewports, the pickers, Apply, the rendering
// options, the scene panel's widgets and the menus and pop-ups they open). Afterwards the window
// must still draw and every mesh must be well formed.
//
// TESSEL_GUI_FIRE_EVENTS and TESSEL_GUI_FIRE_SEED change the amount and the seed.
#include "render/gl_view.h"
#include "ui/main_window.h"

#include "mesh_faults.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPointer>
#include <QSlider>
#include <QSplitterHandle>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>

#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <random>
#include <string>

using namespace tessel;

namespace {

long environmentNumber(const char* name, long fallback) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0' ? std::strtol(value, nullptr, 10) : fallback;
}

// Printed when the process dies, so that a crash names the event that caused it.
char crashNote[256] = "";

extern "C" void onFatalSignal(int signal) {
    if (crashNote[0] != '\0') {
        const ssize_t written = ::write(STDERR_FILENO, crashNote, std::strlen(crashNote));
        (void)written;
    }
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

void sendMouse(QWidget* widget, QEvent::Type type, QPointF position, Qt::MouseButton button,
               Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QMouseEvent event(type, position, widget->mapToGlobal(position), button, buttons, modifiers);
    QApplication::sendEvent(widget, &event);
}

// The first fault of any mesh in the window's scene, committed or shown.
std::optional<std::string> sceneFault(MainWindow& window) {
    Editor& c = window.editor();
    const ScenePtr& scene = window.document().scene();
    if (scene->nodes().empty()) {
        return std::nullopt;
    }
    for (const MeshPtr& mesh : scene->meshes()) {
        for (const LayerPtr& layer : {mesh->model()->committed(), mesh->model()->layer()}) {
            if (auto fault =
                    testing::layerFault(*layer, c.selectedFacesIds(), c.selectedPointsIds())) {
                return "mesh " + mesh->name() + ": " + *fault;
            }
        }
    }
    return std::nullopt;
}

size_t selectedMeshFaces(MainWindow& window) {
    const MeshPtr mesh = window.editor().selectedMesh();
    return mesh ? mesh->model()->committed()->triangles.size() : 0;
}

class Fire {
public:
    Fire(MainWindow& window, unsigned seed) : window_(window), rng_(seed), seed_(seed) {
        // Menus and pop-ups run their own event loops or grab the pointer; a timer answers
        // them as a user would: a click somewhere inside, or closing them.
        popupGuard_.setInterval(15);
        QObject::connect(&popupGuard_, &QTimer::timeout, [this] { answerPopup(); });
        popupGuard_.start();
    }

    // Sends `count` events; returns the first fault found on the way.
    std::optional<std::string> run(long count) {
        for (long i = 0; i < count; ++i) {
            std::snprintf(crashNote, sizeof crashNote,
                          "gui fire: crashed in seed %u at event %ld\n", seed_, i);
            const std::string what = fireOne();
            log_.push_back(what);
            if (log_.size() > 30) {
                log_.pop_front();
            }
            QApplication::processEvents();
            if (i % 25 == 0 || i + 1 == count) {
                if (auto fault = sceneFault(window_)) {
                    std::string report = "event " + std::to_string(i) + ": " + *fault + "\nlast:";
                    for (const std::string& line : log_) {
                        report += "\n  " + line;
                    }
                    return report;
                }
            }
        }
        // Let go of anything still held before the checks.
        if (held_) {
            sendMouse(held_, QEvent::MouseButtonRelease, heldAt_, heldButton_, Qt::NoButton);
            held_ = nullptr;
        }
        popupGuard_.stop();
        while (QWidget* popup = QApplication::activePopupWidget()) {
            popup->close();
        }
        QApplication::processEvents();
        crashNote[0] = '\0';
        return std::nullopt;
    }

private:
    size_t pick(size_t count) { return std::uniform_int_distribution<size_t>(0, count - 1)(rng_); }
    Qt::MouseButton button() {
        static const Qt::MouseButton buttons[] = {Qt::LeftButton, Qt::LeftButton, Qt::RightButton,
                                                  Qt::MiddleButton};
        return buttons[pick(std::size(buttons))];
    }
    double uniform(double low, double high) {
        return std::uniform_real_distribution<double>(low, high)(rng_);
    }

    // Inside the widget, on its edge, just outside, or far away across the screen.
    QPointF positionIn(const QWidget* widget) {
        const double w = widget->width();
        const double h = widget->height();
        switch (pick(8)) {
        case 0: return {pick(2) ? 0.0 : w - 1, uniform(0, h)};
        case 1: return {uniform(-30, w + 30), uniform(-30, h + 30)};
        case 2: return {uniform(-2000, 3000), uniform(-2000, 3000)};
        default: return {uniform(0, w), uniform(0, h)};
        }
    }

    std::vector<QWidget*> targets() {
        std::vector<QWidget*> found;
        for (QWidget* w : window_.findChildren<QWidget*>()) {
            if (!w->isVisible() || !w->isEnabled()) {
                continue;
            }
            if (qobject_cast<GLView*>(w) || qobject_cast<QComboBox*>(w) ||
                qobject_cast<QAbstractButton*>(w) || qobject_cast<QAbstractItemView*>(w) ||
                qobject_cast<QSlider*>(w) || qobject_cast<QLineEdit*>(w) ||
                qobject_cast<QAbstractSpinBox*>(w) || qobject_cast<QSplitterHandle*>(w) ||
                qobject_cast<QMenuBar*>(w)) {
                found.push_back(w);
            }
        }
        return found;
    }

    Qt::KeyboardModifiers modifiers() {
        static const Qt::KeyboardModifiers all[] = {
            Qt::ShiftModifier, Qt::ControlModifier, Qt::AltModifier,
            Qt::ControlModifier | Qt::ShiftModifier, Qt::ShiftModifier | Qt::AltModifier};
        return pick(2) == 0 ? Qt::KeyboardModifiers() : all[pick(std::size(all))];
    }

    std::string key(QWidget* target) {
        static const char* const texts[] = {"a", "d", "s", "w", "q", "e", "z", "x", "c",
                                            "v", "A", "Q", "1", "7", "f", " ", "-"};
        static const Qt::Key keys[] = {
            Qt::Key_Up,     Qt::Key_Down,   Qt::Key_Left, Qt::Key_Right,    Qt::Key_Return,
            Qt::Key_Escape, Qt::Key_Delete, Qt::Key_Tab,  Qt::Key_PageDown, Qt::Key_End,
            Qt::Key_Home,   Qt::Key_Space,  Qt::Key_A,    Qt::Key_I,        Qt::Key_3,
            Qt::Key_Z,      Qt::Key_Y};
        if (pick(2) == 0) {
            const char* text = texts[pick(std::size(texts))];
            QTest::keyClicks(target, QString::fromUtf8(text));
            return std::string("keys \"") + text + "\"";
        }
        const Qt::Key k = keys[pick(std::size(keys))];
        const Qt::KeyboardModifiers held = modifiers();
        QTest::keyClick(target, k, held);
        return "key " + std::to_string(k) + " with " + std::to_string(held.toInt());
    }

    std::string fireOne() {
        // A held button keeps the pointer with its viewport until the release.
        if (held_) {
            const size_t kind = pick(10);
            if (kind < 6) {
                const QPointF to = pick(3) == 0
                                       ? positionIn(held_)
                                       : heldAt_ + QPointF(uniform(-25, 25), uniform(-25, 25));
                heldAt_ = to;
                sendMouse(held_, QEvent::MouseMove, to, Qt::NoButton, heldButton_, modifiers());
                return "drag to " + std::to_string(to.x()) + "," + std::to_string(to.y());
            }
            if (kind < 8) {
                sendMouse(held_, QEvent::MouseButtonRelease, heldAt_, heldButton_, Qt::NoButton);
                held_ = nullptr;
                return "release";
            }
            if (kind == 8 && pick(2) == 0) {
                // Another button pressed and let go while one is held.
                const Qt::MouseButton other = button();
                sendMouse(held_, QEvent::MouseButtonPress, heldAt_, other, heldButton_ | other);
                sendMouse(held_, QEvent::MouseButtonRelease, heldAt_, other, heldButton_);
                return "held, other button " + std::to_string(other);
            }
            return "held " + key(held_);
        }

        const std::vector<QWidget*> all = targets();
        // Half of the events go to the viewports, where the editing happens.
        std::vector<GLView*> views;
        for (QWidget* w : all) {
            if (auto* v = qobject_cast<GLView*>(w)) {
                views.push_back(v);
            }
        }
        QWidget* target =
            pick(2) == 0 && !views.empty() ? views[pick(views.size())] : all[pick(all.size())];
        ++counts_[target->metaObject()->className()];
        const std::string name = target->objectName().isEmpty()
                                     ? target->metaObject()->className()
                                     : target->objectName().toStdString();

        if (auto* view = qobject_cast<GLView*>(target)) {
            const size_t kind = pick(10);
            if (kind < 5) {
                const QPointF at = positionIn(view);
                const Qt::KeyboardModifiers held = modifiers();
                heldButton_ = button();
                sendMouse(view, QEvent::MouseButtonPress, at, heldButton_, heldButton_, held);
                held_ = view;
                heldAt_ = at;
                return name + " press " + std::to_string(heldButton_) + " with " +
                       std::to_string(held.toInt()) + " at " + std::to_string(at.x());
            }
            if (kind < 6) {
                // A release with no press before it, or a wheel turn.
                const QPointF at = positionIn(view);
                if (pick(2) == 0) {
                    sendMouse(view, QEvent::MouseButtonRelease, at, button(), Qt::NoButton);
                    return name + " release without press";
                }
                const int notches = static_cast<int>(pick(7)) - 3;
                QWheelEvent wheel(at, view->mapToGlobal(at), {}, {0, 120 * notches}, Qt::NoButton,
                                  modifiers(), Qt::NoScrollPhase, false);
                QApplication::sendEvent(view, &wheel);
                return name + " wheel " + std::to_string(notches);
            }
            if (kind < 7) {
                sendMouse(view, QEvent::MouseMove, positionIn(view), Qt::NoButton, Qt::NoButton);
                return name + " hover";
            }
            return name + " " + key(view);
        }
        if (auto* button = qobject_cast<QAbstractButton*>(target)) {
            // Mesh Subdivide triples the mesh on every Apply; stop well before frames get slow.
            if (button->objectName() == QLatin1String("applyButton") &&
                selectedMeshFaces(window_) > 20000) {
                return "apply skipped (mesh large)";
            }
            QTest::mouseClick(button, Qt::LeftButton, {}, button->rect().center());
            return name + " click";
        }
        if (pick(3) == 0) {
            return name + " " + key(target);
        }
        if (auto* edit = qobject_cast<QLineEdit*>(target)) {
            static const char* const values[] = {"0",   "-3", "12",  "999999999",
                                                 "abc", "",   "2.5", "4"};
            const char* value = values[pick(std::size(values))];
            edit->selectAll();
            QTest::keyClicks(edit, QString::fromUtf8(value));
            QTest::keyClick(edit, Qt::Key_Return);
            return name + " typed \"" + value + "\"";
        }
        QWidget* surface = target;
        QPointF at;
        if (auto* items = qobject_cast<QAbstractItemView*>(target)) {
            surface = items->viewport();
            // Mostly on a row, as a user picks a mesh; else anywhere.
            const std::vector<QModelIndex> rows = visibleRows(*items);
            at = !rows.empty() && pick(4) != 0
                     ? QPointF(items->visualRect(rows[pick(rows.size())]).center())
                     : positionIn(surface);
        } else {
            at = positionIn(surface);
        }
        if (qobject_cast<QSlider*>(target) || qobject_cast<QSplitterHandle*>(target)) {
            // A drag: press, one move, release.
            const QPointF to = at + QPointF(uniform(-60, 60), uniform(-60, 60));
            sendMouse(surface, QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton);
            sendMouse(surface, QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton);
            sendMouse(surface, QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton);
            return name + " drag";
        }
        QTest::mouseClick(surface, Qt::LeftButton, {}, at.toPoint());
        return name + " click at " + std::to_string(at.x()) + "," + std::to_string(at.y());
    }

    static std::vector<QModelIndex> visibleRows(const QAbstractItemView& view) {
        std::vector<QModelIndex> rows;
        const QAbstractItemModel* model = view.model();
        std::vector<QModelIndex> pending{QModelIndex()};
        while (!pending.empty() && model != nullptr) {
            const QModelIndex parent = pending.back();
            pending.pop_back();
            for (int r = 0; r < model->rowCount(parent); ++r) {
                const QModelIndex index = model->index(r, 0, parent);
                if (view.visualRect(index).isValid()) {
                    rows.push_back(index);
                    pending.push_back(index);
                }
            }
        }
        return rows;
    }

    // A menu or pop-up is open: click an entry or a spot inside it, or close it.
    void answerPopup() {
        if (answering_) {
            return;
        }
        // A modal dialog (About) is read and closed.
        if (QWidget* modal = QApplication::activeModalWidget()) {
            log_.push_back("dialog closed");
            modal->close();
            return;
        }
        QPointer<QWidget> popup = QApplication::activePopupWidget();
        if (!popup) {
            return;
        }
        answering_ = true;
        ++counts_["(pop-up answers)"];
        if (auto* menu = qobject_cast<QMenu*>(popup.data()); menu && pick(3) != 0) {
            const QList<QAction*> actions = menu->actions();
            if (!actions.isEmpty()) {
                QAction* action = actions[static_cast<qsizetype>(pick(actions.size()))];
                log_.push_back("menu " + action->text().toStdString());
                QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(action).center());
            }
        } else if (pick(2) == 0) {
            log_.push_back("pop-up click");
            QTest::mouseClick(popup, Qt::LeftButton, {}, positionIn(popup).toPoint());
        } else {
            log_.push_back("pop-up closed");
            popup->close();
        }
        if (popup && popup == QApplication::activePopupWidget() && pick(4) == 0) {
            popup->close();
        }
        answering_ = false;
    }

    MainWindow& window_;
    std::mt19937 rng_;
    unsigned seed_;
    QTimer popupGuard_;
    bool answering_ = false;
    QPointer<QWidget> held_;
    Qt::MouseButton heldButton_ = Qt::LeftButton;
    QPointF heldAt_;
    std::deque<std::string> log_;

public:
    // Events sent to each kind of widget (a press, drag or release of a held viewport counts
    // once, at the press), and answers given to menus and pop-ups.
    std::map<std::string, int> counts_;
};

} // namespace

class GuiFireTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void randomEventsLeaveTheWindowDrawingAndItsMeshesWellFormed();
};

void GuiFireTest::randomEventsLeaveTheWindowDrawingAndItsMeshesWellFormed() {
    std::signal(SIGABRT, onFatalSignal);
    std::signal(SIGSEGV, onFatalSignal);
    const long events = environmentNumber("TESSEL_GUI_FIRE_EVENTS", 2000);
    const auto seed = static_cast<unsigned>(environmentNumber("TESSEL_GUI_FIRE_SEED", 2024));

    MainWindow window;
    window.resize(900, 600);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    // The dialogs events open (a file chooser, a question) are cancelled, as a user may.
    QTimer cancel;
    QObject::connect(&cancel, &QTimer::timeout, [] {
        if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            dialog->reject();
        }
    });
    cancel.start(20);

    Fire fire(window, seed);
    const std::optional<std::string> fault = fire.run(events);
    QVERIFY2(!fault, fault ? fault->c_str() : "");
    QString summary;
    for (const auto& [kind, count] : fire.counts_) {
        summary += QStringLiteral(" %1 %2,").arg(QString::fromStdString(kind)).arg(count);
    }
    qInfo("%ld events from seed %u:%s", events, seed, qPrintable(summary));

    // Alive: the window is still shown and every viewport still renders a whole frame, and the
    // editor still takes a click.
    QVERIFY(window.isVisible());
    for (GLView* view : window.viewports()) {
        QVERIFY(view->isVisible());
        const QImage frame = view->grabFramebuffer();
        QVERIFY(!frame.isNull());
        QCOMPARE(frame.size(), view->size() * view->devicePixelRatio());
    }
    GLView* first = window.viewports()[0];
    QTest::mouseClick(first, Qt::LeftButton, {}, first->rect().center());
    QApplication::processEvents();
    QCOMPARE(&window.editor().recentView(), &first->viewport());
    const auto fault2 = sceneFault(window);
    QVERIFY2(!fault2, fault2 ? fault2->c_str() : "");
}

int main(int argc, char* argv[]) {
    GLView::setDefaultFormat();
    QApplication app(argc, argv);
    GuiFireTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "gui_fire_test.moc"
