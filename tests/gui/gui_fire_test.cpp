// The real window under fire: a random script of user actions from a fixed seed, acted out with
// real mouse and key events on the viewports, the toolbar, the scene panel and the menus, whose
// pop-ups are answered and whose dialogs are cancelled. Afterwards every viewport still draws and
// every mesh is well formed.
//
// TESSEL_GUI_FIRE_EVENTS and TESSEL_GUI_FIRE_SEED change the number of actions and the seed.
#include "ui/main_window.h"
#include "ui/outline_panel.h"
#include "ui/panel_views.h"

#include "support/event_script.h"
#include "window_input.h"

#include <QTest>
#include <QtWidgets>

#include <random>

using namespace tessel;
using namespace tessel::testing;

namespace {

class WindowSession {
public:
    explicit WindowSession(MainWindow& window) : window_(window) {
        // Menus and dialogs run their own event loops inside the click that opens them: timers
        // answer them (two, as a timer is not called again while its call still runs).
        QObject::connect(&answerer_, &QTimer::timeout, [this] { answer(); });
        answerer_.start(15);
        QObject::connect(&canceller_, &QTimer::timeout, [] {
            if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
                dialog->reject();
            }
        });
        canceller_.start(20);
    }
    ~WindowSession() {
        answerer_.stop();
        canceller_.stop();
        if (held_) {
            release(held_, heldAt_, heldButton_);
        }
    }

    void act(const UserAction& a) {
        using Kind = UserAction::Kind;
        GLView* view = held_ ? held_.data() : window_.viewports()[static_cast<size_t>(a.view)];
        const QPointF at = pixelAt(*view, a.x, a.y);
        OutlinePanel* panel = window_.findChild<OutlinePanel*>();
        switch (a.kind) {
        case Kind::Press:
            if (!held_) {
                constexpr Qt::MouseButton buttons[] = {Qt::LeftButton, Qt::RightButton,
                                                       Qt::MiddleButton};
                heldButton_ = buttons[a.button];
                press(view, at, heldButton_, qtModifiers(a.modifiers));
                held_ = view;
                heldAt_ = at;
            }
            break;
        case Kind::Drag:
            if (held_) {
                moveTo(view, at, heldButton_);
                heldAt_ = at;
            }
            break;
        case Kind::Release:
            release(view, held_ ? heldAt_ : at, held_ ? heldButton_ : Qt::LeftButton);
            held_ = nullptr;
            break;
        case Kind::Wheel: turnWheel(view, at, a.amount); break;
        case Kind::Key:
            if (a.amount < 0) {
                // Unbound keys, and what a running transform takes.
                QTest::keyClicks(view, QString(QLatin1Char("A -QXYZ15.yz"[-1 - a.amount])));
            } else {
                QTest::keySequence(view, keysOf(kBindings[a.amount]));
            }
            break;
        case Kind::Menu: {
            QMenuBar* bar = window_.menuBar();
            QAction* menu = bar->actions()[a.amount % bar->actions().size()];
            QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(menu).center());
            break;
        }
        case Kind::Mode: choose("modeButton", a.amount); break;
        case Kind::Tool: choose("toolButton", a.amount); break;
        case Kind::Apply: {
            // Mesh "Subdivide" triples the mesh on every Apply; stop before frames get slow.
            const MeshPtr mesh = window_.editor().selectedMesh();
            if (!mesh || mesh->model()->committed()->faces.size() < 20000) {
                click(child<QPushButton>("applyButton"));
            }
            break;
        }
        case Kind::Undo: QTest::keyClick(view, Qt::Key_Z, Qt::ControlModifier); break;
        case Kind::Redo:
            QTest::keyClick(view, a.x < 0.5f ? Qt::Key_Y : Qt::Key_Z,
                            Qt::ControlModifier |
                                (a.x < 0.5f ? Qt::NoModifier : Qt::ShiftModifier));
            break;
        case Kind::RenderOption: {
            const char* names[] = {"pointsButton", "linesButton", "filledButton"};
            click(child<QAbstractButton>(names[a.amount % 3]));
            break;
        }
        case Kind::SelectRow: {
            // A row of the tree (the root, its meshes), or the space below them.
            QTreeView* tree = panel->outlineView();
            const int row = tree->sizeHintForRow(0) * (a.amount % 6) + 4;
            QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, QPoint(40, row));
            break;
        }
        case Kind::AddMesh: click(child<QToolButton>("addNodeButton")); break;
        case Kind::RemoveMesh: click(child<QToolButton>("removeNodeButton")); break;
        case Kind::Rows:
            if (QLineEdit* rows = panel->planeCreationView()->rowsField(); rows->isEnabled()) {
                rows->setFocus();
                rows->selectAll();
                QTest::keyClicks(rows, QString::number(a.amount));
                QTest::keyClick(rows, Qt::Key_Return);
            }
            break;
        case Kind::Opacity:
            if (QSlider* slider = panel->slider(); slider->isVisible()) {
                const QPointF from(slider->width() * a.amount / 100.0, slider->height() / 2.0);
                drag(slider, Qt::LeftButton, {}, from, from + QPointF(a.amount % 9 - 4, 0), 2);
            }
            break;
        case Kind::StaleSelection:
            window_.editor().selectedPointsIds() = {a.amount % 40 - 5, a.amount, INT64_MAX};
            window_.editor().selectedFacesIds() = {std::uint32_t(a.amount), UINT32_MAX};
            break;
        case Kind::Display:
            if (a.amount % 3 != 0) {
                child<QAction>(a.amount % 3 == 1 ? "faceOrientationAction" : "normalsAction")
                    ->trigger();
            } else if (QCheckBox* smooth = panel->smoothShadingBox(); smooth->isVisible()) {
                click(smooth);
            }
            break;
        }
        QApplication::processEvents();
        // A menu of the menu bar stays open after the click: answer it before going on.
        for (int i = 0; i < 4 && QApplication::activePopupWidget(); ++i) {
            answer();
        }
    }

    std::optional<std::string> fault() {
        const std::array<GLView*, 4> views = window_.viewports();
        return sceneFault(window_.editor(), {&views[0]->viewport(), &views[1]->viewport(),
                                             &views[2]->viewport(), &views[3]->viewport()});
    }

private:
    template <class T> T* child(const char* name) {
        return window_.findChild<T*>(QLatin1String(name));
    }
    static void click(QAbstractButton* button) {
        if (button->isEnabled() && button->isVisible()) {
            QTest::mouseClick(button, Qt::LeftButton, {}, button->rect().center());
        }
    }
    // Chooses an entry of a picker with the keyboard.
    void choose(const char* picker, int entry) {
        auto* box = child<QComboBox>(picker);
        if (!box->isEnabled() || box->count() == 0) {
            return;
        }
        const int target = (entry % box->count() + box->count()) % box->count();
        box->setFocus();
        while (box->currentIndex() != target) {
            QTest::keyClick(box, box->currentIndex() < target ? Qt::Key_Down : Qt::Key_Up);
        }
    }

    // Of a menu an entry is clicked (Quit excepted), or it is closed, as is any other pop-up.
    void answer() {
        QPointer<QWidget> popup = QApplication::activePopupWidget();
        if (!popup || answering_) {
            return;
        }
        answering_ = true;
        auto* menu = qobject_cast<QMenu*>(popup.data());
        QList<QAction*> entries = menu ? menu->actions() : QList<QAction*>();
        entries.removeIf([](QAction* entry) { return entry->text().contains("Quit"); });
        if (!entries.isEmpty() && random_() % 4 != 0) {
            QAction* entry = entries[static_cast<qsizetype>(random_() % entries.size())];
            QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(entry).center());
        }
        if (popup && popup == QApplication::activePopupWidget()) {
            popup->close();
        }
        answering_ = false;
    }

    MainWindow& window_;
    QTimer answerer_;
    QTimer canceller_;
    bool answering_ = false;
    std::minstd_rand random_{7};
    QPointer<GLView> held_;
    Qt::MouseButton heldButton_ = Qt::LeftButton;
    QPointF heldAt_;
};

} // namespace

class GuiFireTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void randomActionsLeaveTheWindowDrawingAndItsMeshesWellFormed();
};

void GuiFireTest::randomActionsLeaveTheWindowDrawingAndItsMeshesWellFormed() {
    const long actions = setting("TESSEL_GUI_FIRE_EVENTS", 600);
    const auto seed = static_cast<unsigned>(setting("TESSEL_GUI_FIRE_SEED", 2024));
    MainWindow window;
    window.resize(900, 600);
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    {
        WindowSession session(window);
        EventScript script(seed);
        for (long i = 1; i <= actions; ++i) {
            session.act(script.next());
            const std::optional<std::string> fault = i % 10 ? std::nullopt : session.fault();
            QVERIFY2(!fault, fault ? (*fault + " at action " + std::to_string(i)).c_str() : "");
        }
    }
    // Every viewport still draws a whole frame, and the editor still takes a click.
    QVERIFY(window.isVisible());
    for (GLView* view : window.viewports()) {
        QCOMPARE(frame(*view).size(), view->size() * view->devicePixelRatio());
    }
    GLView* first = window.viewports()[0];
    QTest::mouseClick(first, Qt::LeftButton, {}, first->rect().center());
    QCOMPARE(&window.editor().recentView(), &first->viewport());
}

int main(int argc, char* argv[]) {
    QStandardPaths::setTestModeEnabled(true);
    GLView::setDefaultFormat();
    QApplication app(argc, argv);
    GuiFireTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "gui_fire_test.moc"
