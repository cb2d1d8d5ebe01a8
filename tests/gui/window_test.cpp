// The window's wiring under a display: each kind of gesture, the keys, the panels and the file
// menu reach the editor through real events, and each pass of a frame draws what it should, read
// back from OpenGL. What an edit computes is for the core's tests: here it is enough that it
// happens.
#include "render/upload_count.h"
#include "tools/plane_cut.h"
#include "ui/file_menu.h"
#include "ui/main_window.h"
#include "ui/outline_panel.h"
#include "ui/panel_views.h"
#include "ui/primitive_creation_view.h"
#include "ui/scene_tree_model.h"

#include "support/fake_viewport.h"
#include "window_input.h"

#include <QTest>
#include <QtWidgets>

#include <memory>
#include <numeric>

using namespace tessel;
using namespace tessel::testing;

namespace {

bool near(QRgb p, int r, int g, int b, int tolerance = 3) {
    return std::abs(qRed(p) - r) <= tolerance && std::abs(qGreen(p) - g) <= tolerance &&
           std::abs(qBlue(p) - b) <= tolerance;
}
// The clear colour, and the bluer one while a Vertex-mode button is held.
bool isBackground(QRgb p) { return near(p, 26, 128, 51); }
bool isHeldBackground(QRgb p) { return near(p, 26, 128, 230); }
// Faces are blue-grey, shaded by how they face the viewer; the selection is orange (faces a
// little shaded), edges light grey, points white.
bool isFace(QRgb p) { return qBlue(p) > qRed(p) + 20 && qBlue(p) > qGreen(p) + 10; }
bool isOrange(QRgb p) {
    return qRed(p) > 170 && qGreen(p) > 0.45 * qRed(p) && qGreen(p) < 0.65 * qRed(p) &&
           qBlue(p) < 0.2 * qRed(p);
}
bool isEdge(QRgb p) { return near(p, 209, 214, 219, 4); }
// Creased edges of the selected mesh are magenta.
bool isMagenta(QRgb p) { return near(p, 242, 64, 217, 6); }
bool isWhite(QRgb p) { return near(p, 255, 255, 255, 4); }
// The ground grid's axes (x red, y yellow-green, z blue) and, a little darker than the
// background, its major lines.
bool isRedAxis(QRgb p) { return qRed(p) > 200 && qGreen(p) < 90 && qBlue(p) < 90; }
bool isGreenAxis(QRgb p) { return qGreen(p) > 230 && qRed(p) > 120 && qRed(p) < 200; }
bool isBlueAxis(QRgb p) { return qBlue(p) > 230 && qRed(p) < 100; }
bool isGridLine(QRgb p) { return near(p, 16, 91, 36, 6); }

template <class Test> int count(const QImage& image, Test test, QRectF inside = {}) {
    int found = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            found += test(image.pixel(x, y)) && (inside.isNull() || inside.contains(x, y));
        }
    }
    return found;
}

} // namespace

class WindowTest : public QObject {
    Q_OBJECT

private:
    Editor& editor() { return m_window->editor(); }
    Document& document() { return m_window->document(); }
    GLView& view(int index) { return *m_window->viewports()[static_cast<size_t>(index)]; }
    OutlinePanel* panel() { return m_window->findChild<OutlinePanel*>(); }
    // The starting scene's meshes: 0 the 4 × 4 "Quad", 1 the "Cube".
    MeshPtr mesh(size_t index) { return asMesh(document().scene()->root()->children().at(index)); }
    template <class T> T* child(const char* name) { return m_window->findChild<T*>(name); }
    // A strip of `count` quads 0.2 wide and 0.4 high in a row from x = −0.3, alone in the scene,
    // selected, in Edge mode: point i of the bottom row, count + 1 + i above it.
    MeshPtr showStripInEdgeMode(std::uint32_t count) {
        std::vector<Vector3> points;
        for (const float y : {-0.2f, 0.2f}) {
            for (std::uint32_t i = 0; i <= count; ++i) {
                points.push_back({-0.3f + 0.2f * static_cast<float>(i), y, 0});
            }
        }
        FaceList faces;
        for (std::uint32_t i = 0; i < count; ++i) {
            faces.push_back({i, i + 1, count + 2 + i, count + 1 + i});
        }
        const MeshPtr strip =
            Mesh::make(Model::make(makeLayer(std::move(points), std::move(faces))), "Strip");
        document().scene()->root()->setChildren({strip});
        document().setSelectedNode(strip);
        editor().modeSelected(static_cast<int>(Editor::Mode::Edge));
        return strip;
    }

    void click(const char* button) {
        QTest::mouseClick(child<QAbstractButton>(button), Qt::LeftButton);
    }
    // Chooses a picker's entry with the keyboard.
    void choose(const char* picker, const QString& entry) {
        auto* box = child<QComboBox>(picker);
        const int target = box->findText(entry);
        QVERIFY(target >= 0);
        box->setFocus();
        while (box->currentIndex() != target) {
            QTest::keyClick(box, box->currentIndex() < target ? Qt::Key_Down : Qt::Key_Up);
        }
    }
    // What viewport `index` shows at world point `at` now.
    QRgb shown(int index, const Vector3& at) {
        return pixel(frame(view(index)), view(index), pixelOf(view(index), at));
    }
    // Whether it shows a pixel that passes `test` within 3 pixels of `at` (lines cross a point's
    // middle).
    template <class Test> bool showsNear(int index, const Vector3& at, Test test) {
        const QImage image = frame(view(index));
        const QPointF middle = pixelOf(view(index), at) * image.width() / view(index).width();
        return count(image, test, QRectF(middle - QPointF(3, 3), QSizeF(7, 7))) > 0;
    }

    // Whether every corner of the scene's bounds lies in every viewport, in front of its camera.
    bool everyViewportShowsTheWholeScene() {
        const Box box = editor().bounds(false).value();
        for (int i = 0; i < 4; ++i) {
            for (int corner = 0; corner < 8; ++corner) {
                const Vector3 p = project({(corner & 1) ? box.max.x : box.min.x,
                                           (corner & 2) ? box.max.y : box.min.y,
                                           (corner & 4) ? box.max.z : box.min.z},
                                          view(i).viewport());
                if (!(std::abs(p.x) <= 1 && std::abs(p.y) <= 1 && p.z > 0 && p.z < 1)) {
                    return false;
                }
            }
        }
        return true;
    }
    // Moves the grid's points by `offset`, as a committed edit that records no step.
    void moveGrid(const Vector3& offset) {
        const auto moved = std::make_shared<Layer>(*mesh(0)->model()->committed());
        for (Vector3& p : moved->positions) {
            p += offset;
        }
        mesh(0)->model()->setCommitted(moved);
    }

    std::unique_ptr<MainWindow> m_window;

private Q_SLOTS:
    void init() {
        m_window = std::make_unique<MainWindow>();
        m_window->resize(1200, 800);
        m_window->show();
        // Shortcuts reach the active window only.
        m_window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    }

    void cleanup() { m_window.reset(); }

    void vertexMoveCarriesThePressedPointUnderThePointer() {
        // Behind the cube's front face in the top-right viewport: a press selects hidden points
        // too.
        GLView& target = view(1);
        const QPointF from = pixelOf(target, mesh(0)->model()->committed()->positions[6]);
        const QPointF to = from + QPointF(40, -30);
        press(&target, from);
        moveTo(&target, to);
        // While the button is held that viewport's background is bluer, and no other's (between
        // the grid's lines).
        QVERIFY(count(frame(target), isHeldBackground, QRectF(0, 0, 6, 6)) > 0);
        QVERIFY(count(frame(view(3)), isBackground, QRectF(0, 0, 6, 6)) > 0);
        release(&target, to);
        const QPointF landed = pixelOf(target, mesh(0)->model()->committed()->positions[6]);
        QVERIFY((landed - to).manhattanLength() < 1);
        QCOMPARE(m_window->history().undoName(), "Move");
    }

    void keyboardTransformsTakeTypedAmountsCancelAndAreSetAgainInTheToolSettings() {
        GLView& target = view(1);
        const auto points = [this] { return mesh(0)->model()->committed()->positions; };
        const auto hint = [this] { return child<QLabel>("toolHint")->text(); };
        const auto movedBy = [&](const std::vector<Vector3>& from, float x) {
            for (size_t i = 0; i < from.size(); ++i) {
                const float expected = from[i].x + (i == 0 || i == 5 ? x : 0.0f);
                if (std::abs(points()[i].x - expected) > 1e-5f || points()[i].y != from[i].y ||
                    points()[i].z != from[i].z) {
                    return false;
                }
            }
            return true;
        };
        const std::vector<Vector3> before = points();
        const size_t steps = m_window->history().count();
        editor().selectedPointsIds() = {0, 5};
        const QPointF at = pixelAt(target, 0.5f, 0.5f);
        // The pointer, buttons up, is where Shift+G starts from and then drives the move; x and
        // the digits go to the move, not to the camera or the view keys.
        moveTo(&target, at, Qt::NoButton);
        QTest::keyClick(&target, Qt::Key_G, Qt::ShiftModifier);
        moveTo(&target, at + QPointF(30, 10), Qt::NoButton);
        QTest::keyClicks(&target, "x1");
        QVERIFY(editor().isTransforming() && hint().startsWith("Move"));
        QTest::keyClick(&target, Qt::Key_Return);
        QVERIFY(!editor().isTransforming() && movedBy(before, 1));
        QCOMPARE(m_window->history().count(), steps + 1);

        // Escape and a right click drop a transform: nothing changes, no step, the hint is back.
        const std::vector<Vector3> moved = points();
        QTest::keyClick(&target, Qt::Key_R, Qt::ShiftModifier);
        moveTo(&target, at + QPointF(-40, 30), Qt::NoButton);
        QVERIFY(hint().startsWith("Rotate"));
        QTest::keyClick(&target, Qt::Key_Escape);
        QTest::keyClick(&target, Qt::Key_S, Qt::ShiftModifier);
        moveTo(&target, at + QPointF(40, 30), Qt::NoButton);
        QVERIFY(editor().isTransforming());
        press(&target, at, Qt::RightButton);
        release(&target, at, Qt::RightButton);
        QVERIFY(!editor().isTransforming() && !hint().startsWith("Scale"));
        QVERIFY(points() == moved);
        QCOMPARE(m_window->history().count(), steps + 1);

        // The panel holds the last move's amounts; setting X there moves it again, as a step.
        QVERIFY(child<QGroupBox>("toolSettings")->isVisible());
        auto* x = child<QDoubleSpinBox>("toolSetting0");
        QCOMPARE(x->value(), 1.0);
        x->setValue(2);
        QVERIFY(movedBy(before, 2));
        QCOMPARE(m_window->history().count(), steps + 2);
    }

    void fInEdgeModeFillsTheSelectedBorderOrSaysWhyItCannot() {
        choose("modeButton", "Edge");
        GLView& target = view(1);
        const auto faces = [this] { return mesh(0)->model()->committed()->faces.size(); };
        const size_t before = faces();
        const EdgeTopology topology = edgeTopology(*mesh(0)->model()->committed());
        std::vector<Edge> border;
        for (std::uint32_t e = 0; e < topology.edges.size(); ++e) {
            if (topology.facesOf(e).size() == 1) {
                border.push_back(topology.edges[e]);
            }
        }
        editor().selectedEdges() = {border.front()};
        QTest::keyClick(&target, Qt::Key_F);
        QVERIFY(m_window->statusBar()->currentMessage().startsWith("Fill: "));
        QCOMPARE(faces(), before);
        editor().selectedEdges() = border;
        QTest::keyClick(&target, Qt::Key_F);
        QCOMPARE(faces(), before + 1);
        QCOMPARE(m_window->history().undoName(), "Fill 1 border");
        QVERIFY(m_window->statusBar()->currentMessage().isEmpty());
    }

    void meshToolAppliesWithTheButtonAndTheKeysUndoAndRedoIt() {
        choose("modeButton", "Mesh");
        // The tool picker lists the mode's tools, showing the first.
        QCOMPARE(child<QComboBox>("toolButton")->currentIndex(), 0);
        choose("toolButton", "Subdivide");
        // Applied, it leaves the grid edited: its rows and columns no longer apply.
        QLineEdit* rows = panel()->planeCreationView()->rowsField();
        QLabel* note = panel()->planeCreationView()->editedNote();
        QVERIFY(rows->isEnabled() && !note->isVisible());
        click("applyButton");
        QVERIFY(!rows->isEnabled() && note->isVisible());
        const auto triangles = [this] { return mesh(0)->model()->committed()->faces.size(); };
        QCOMPARE(triangles(), size_t(96));

        for (const auto& [keys, expected] :
             {std::pair{"Ctrl+Z", 32}, {"Ctrl+Shift+Z", 96}, {"Ctrl+Z", 32}, {"Ctrl+Y", 96}}) {
            QTest::keySequence(&view(0), QKeySequence(keys));
            QCOMPARE(triangles(), size_t(expected));
        }
        // Steps dropped for the history's budget are told once; the menu names the steps left.
        auto* undo = child<QAction>("undoAction");
        auto* redo = child<QAction>("redoAction");
        QCOMPARE(undo->text(), QStringLiteral("&Undo Subdivide"));
        click("applyButton");
        m_window->history().setBudget(0);
        QVERIFY(m_window->statusBar()->currentMessage().contains("oldest steps are dropped"));
        m_window->statusBar()->clearMessage();
        QTest::keySequence(&view(0), QKeySequence("Ctrl+Z"));
        QCOMPARE(triangles(), size_t(96));
        QVERIFY(!undo->isEnabled() && undo->text() == QStringLiteral("&Undo"));
        QCOMPARE(redo->text(), QStringLiteral("&Redo Subdivide"));
        click("applyButton");
        click("applyButton");
        QCOMPARE(m_window->history().count(), size_t(1));
        QVERIFY(m_window->statusBar()->currentMessage().isEmpty());

        // Without a selected mesh there is nothing to apply to.
        document().setSelectedNode(nullptr);
        QVERIFY(!child<QPushButton>("applyButton")->isEnabled());
    }

    void subdivisionSurfaceShowsItsSchemeFollowsItsLevelAndApplies() {
        choose("modeButton", "Mesh");
        choose("toolButton", "Subdivision surface");
        Model& grid = *mesh(0)->model();
        QCOMPARE(child<QLabel>("toolSetting0")->text(), QStringLiteral("Loop"));
        QCOMPARE(grid.shownLayer()->faces.size(), size_t(128));
        child<QDoubleSpinBox>("toolSetting1")->setValue(2);
        QCOMPARE(grid.shownLayer()->faces.size(), size_t(512));
        const int steps = m_window->history().count();
        click("applyButton");
        QCOMPARE(grid.committed()->faces.size(), size_t(512));
        QCOMPARE(m_window->history().count(), steps + 1);
    }

    void shiftAndCtrlRectanglesAddAndRemovePointsShownOrange() {
        const auto status = [this] { return child<QLabel>("selectionStatus")->text(); };
        const Vector3 point = mesh(0)->model()->committed()->positions[6];
        GLView& target = view(1);
        QTest::keyClick(&target, Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(status(), QStringLiteral("25 of 25 points selected"));
        // The top-left viewport shows the grid's points unhidden.
        QVERIFY(showsNear(0, point, isOrange));

        // A Ctrl rectangle around one point takes it out of the selection.
        const QPointF at = pixelOf(target, point);
        drag(&target, Qt::LeftButton, Qt::ControlModifier, at - QPointF(8, 8), at + QPointF(8, 8));
        QCOMPARE(status(), QStringLiteral("24 of 25 points selected"));
        QVERIFY(!showsNear(0, point, isOrange));

        // A Shift rectangle adds it again; while dragged it is drawn half-transparent over the held
        // background.
        const QPointF end(target.width() - 40.0, target.height() - 4.0);
        press(&target, {4, 4}, Qt::LeftButton, Qt::ShiftModifier);
        moveTo(&target, end);
        const QImage image = frame(target);
        QCOMPARE(count(image, isHeldBackground, QRectF(10, 10, 6, 6)), 0);
        QVERIFY(count(image, isHeldBackground, QRectF(image.width() - 10.0, 10, 6, 6)) > 0);
        release(&target, end);
        QCOMPARE(status(), QStringLiteral("25 of 25 points selected"));
    }

    void navigationGesturesMoveOnlyTheirViewportsCamera() {
        const std::vector<CameraPtr>& cameras = editor().cameras();
        const Matrix first = cameras[0]->localMatrix;
        const LayerPtr shown = mesh(0)->model()->layer();
        GLView& target = view(2);
        // A right drag across the whole width turns the camera half a turn about the grid's centre.
        const Vector3 eye = cameras[2]->localMatrix.translationPart();
        const double y = target.height() / 2.0;
        drag(&target, Qt::RightButton, {}, {0, y}, {double(target.width()), y});
        QVERIFY((cameras[2]->localMatrix.translationPart() + eye).length() < 1e-3f);

        const QPointF middle = QRectF(target.rect()).center();
        for (const auto& [button, modifiers] : {std::pair{Qt::LeftButton, Qt::AltModifier},
                                                {Qt::MiddleButton, Qt::NoModifier},
                                                {Qt::RightButton, Qt::ShiftModifier}}) {
            const Matrix before = cameras[2]->localMatrix;
            drag(&target, button, modifiers, middle, middle + QPointF(30, 20));
            QVERIFY(cameras[2]->localMatrix != before);
        }
        Matrix before = cameras[2]->localMatrix;
        turnWheel(&target, middle, 2);
        QVERIFY(cameras[2]->localMatrix != before);
        // The corner menu's last entry, Frame All, acts on its own viewport.
        before = cameras[3]->localMatrix;
        view(3).findChild<QToolButton*>("viewMenuButton")->menu()->actions().back()->trigger();
        QVERIFY(cameras[3]->localMatrix != before);

        QCOMPARE(cameras[0]->localMatrix, first);
        QCOMPARE(mesh(0)->model()->layer(), shown);
    }

    void groundGridAxesTriadAndLabelShowWhereEachViewLooksFrom() {
        GLView& target = view(1);
        const auto label = [&target] { return target.findChild<QLabel*>("viewLabel")->text(); };
        const QImage start = frame(target);
        QCOMPARE(label(), QStringLiteral("Camera 2 · Perspective"));
        // Beside the cube, the grid on z = 0 with the x and y axes; the triad at the bottom-left.
        QVERIFY(showsNear(1, {2.2f, 0, 0}, isRedAxis));
        QVERIFY(showsNear(1, {0, 2.2f, 0}, isGreenAxis));
        QVERIFY(showsNear(1, {2, 1.55f, 0}, isGridLine));
        const QRectF corner(0, start.height() - 100.0, 100, 100);
        for (const auto& axis : {isRedAxis, isGreenAxis, isBlueAxis}) {
            QVERIFY(count(start, axis, corner) > 0);
        }

        const QList<QAction*> actions =
            target.findChild<QToolButton*>("viewMenuButton")->menu()->actions();
        actions[0]->trigger();
        frame(target);
        QCOMPARE(label(), QStringLiteral("Front"));
        // From the top the grid lies on y = 0, with the x and z axes.
        actions[4]->trigger();
        frame(target);
        QCOMPARE(label(), QStringLiteral("Top"));
        QVERIFY(showsNear(1, {2.2f, 0, 0}, isRedAxis));
        QVERIFY(showsNear(1, {0, 0, 2.2f}, isBlueAxis));
        QVERIFY(!showsNear(1, {0, 0, 2.2f}, isGreenAxis));

        const QPointF middle = QRectF(target.rect()).center();
        drag(&target, Qt::RightButton, {}, middle, middle + QPointF(30, 20));
        frame(target);
        QCOMPARE(label(), QStringLiteral("User"));
        QCOMPARE(view(2).findChild<QLabel*>("viewLabel")->text(),
                 QStringLiteral("Camera 3 · Perspective"));
    }

    void everyKeyBindingRunsItsCommandInTheViewportItReaches() {
        // A headless editor of the same shape is given each command directly: the window, given the
        // key, must end up the same. In Polygon mode with face 0 selected, Delete and Backspace
        // have a face to delete.
        GLView& target = view(2);
        FakeEditor twin(target.viewport().aspectRatio);
        editor().modeSelected(static_cast<int>(Editor::Mode::Polygon));
        twin.controller.modeSelected(static_cast<int>(Editor::Mode::Polygon));
        QTest::mouseClick(&target, Qt::LeftButton, {}, QPoint(4, 4));
        twin.views[2].click(4.0f / target.width(), 1 - 4.0f / target.height());
        for (const Binding& binding : kBindings) {
            if (binding.trigger != Trigger::Key) {
                continue;
            }
            editor().selectedFacesIds() = twin.controller.selectedFacesIds() = {0};
            QTest::keySequence(&target, keysOf(binding));
            if (binding.command == Command::CameraKey) {
                twin.views[2].key(std::string(binding.key));
            } else {
                twin.controller.perform(binding.command, twin.views[2]);
            }
            const std::string what =
                std::string(binding.key) + ": " + std::string(binding.description);
            QVERIFY2(editor().cameras()[2]->localMatrix ==
                         twin.controller.cameras()[2]->localMatrix,
                     what.c_str());
            QVERIFY2(editor().selectedFacesIds() == twin.controller.selectedFacesIds(),
                     what.c_str());
            QVERIFY2(mesh(0)->model()->committed()->faces == twin.grid().committed()->faces,
                     what.c_str());
        }
    }

    void neitherTabNorAWheelOverThePickersChangesWhatTheKeysAndToolsActOn() {
        choose("modeButton", "Polygon");
        view(1).setFocus();
        QTest::keyClick(&view(1), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), &view(1));
        for (const char* picker : {"modeButton", "toolButton"}) {
            auto* box = child<QComboBox>(picker);
            turnWheel(box, QRectF(box->rect()).center(), -1);
        }
        QCOMPARE(editor().modeTag(), static_cast<int>(Editor::Mode::Polygon));
        QCOMPARE(editor().toolTag(), 0);
    }

    void renderOptionsDrawTheirPassesInTheRecentViewportOnly() {
        // The top-left viewport shows the grid face-on, filling it.
        const Layer& grid = *mesh(0)->model()->committed();
        const FaceList::Face t = grid.faces[5];
        const Vector3 face =
            (grid.positions[t[0]] + grid.positions[t[1]] + grid.positions[t[2]]) * (1 / 3.f);
        const Vector3 edge = (grid.positions[6] + grid.positions[7]) * 0.5f;
        const Vector3 point = grid.positions[6];
        QTest::mouseClick(&view(0), Qt::LeftButton, {}, pixelOf(view(0), face).toPoint());
        const QImage others = frame(view(3));
        QVERIFY(isFace(shown(0, face)));
        click("filledButton");
        QVERIFY(isBackground(shown(0, face)));
        QVERIFY(showsNear(0, edge, isEdge));
        click("linesButton");
        QVERIFY(!showsNear(0, edge, isEdge));
        QVERIFY(showsNear(0, point, isWhite));
        QCOMPARE(frame(view(3)), others);
        // The buttons show the options of the viewport clicked last.
        QTest::mouseClick(&view(3), Qt::LeftButton, {}, QPoint(4, 4));
        QVERIFY(child<QAbstractButton>("linesButton")->isChecked());
    }

    void loopCutFollowsThePointerTheWheelAndCommitsOnAClick() {
        // Three quads in a row, alone in the top-left viewport; the ring of any upright edge
        // crosses all three.
        const MeshPtr quads = showStripInEdgeMode(3);
        GLView& target = view(0);
        const QPointF edge = pixelOf(target, {-0.1f, 0.05f, 0});
        const auto faces = [&] { return quads->model()->layer()->faces.size(); };
        moveTo(&target, edge, Qt::NoButton);
        QTest::keyClick(&target, Qt::Key_R, Qt::ControlModifier);
        QCOMPARE(faces(), size_t(6));
        turnWheel(&target, edge, 1);
        QCOMPARE(faces(), size_t(9));
        // Escape drops the preview; started again, a digit sets one cut and a click commits.
        QTest::keyClick(&target, Qt::Key_Escape);
        QCOMPARE(faces(), size_t(3));
        QTest::keyClick(&target, Qt::Key_R, Qt::ControlModifier);
        QTest::keyClicks(&target, "1");
        const size_t steps = m_window->history().count();
        drag(&target, Qt::LeftButton, {}, edge, pixelOf(target, {-0.1f, -0.1f, 0}));
        QCOMPARE(quads->model()->committed()->faces.size(), size_t(6));
        QCOMPARE(quads->model()->committed()->positions.size(), size_t(12));
        QCOMPARE(m_window->history().count(), steps + 1);
        QCOMPARE(m_window->history().undoName(), "Loop Cut");
        // The drag slid the cut a quarter of the way up from the bottom.
        QVERIFY(std::abs(quads->model()->committed()->positions[8].y + 0.1f) < 0.02f);
        QVERIFY(!editor().isLoopCutting());
    }

    void shiftEInEdgeModeCreasesTheSelectedEdgesAsOneStep() {
        // Two quads in a row alone in the top-left viewport; a click selects an upright edge.
        const MeshPtr quads = showStripInEdgeMode(2);
        GLView& target = view(0);
        const QPointF edge = pixelOf(target, {-0.1f, 0.05f, 0});
        drag(&target, Qt::LeftButton, {}, edge, edge, 1);
        QVERIFY((editor().selectedEdges() == std::vector<Edge>{Edge{1, 4}}));
        const size_t steps = m_window->history().count();
        // Escape drops it; started again, typed digits set the weight and Return commits it.
        QTest::keyClick(&target, Qt::Key_E, Qt::ShiftModifier);
        QCOMPARE(child<QLabel>("toolHint")->text(), QStringLiteral("Edge Crease: 0.000"));
        QTest::keyClicks(&target, "1");
        QTest::keyClick(&target, Qt::Key_Escape);
        QVERIFY(quads->model()->committed()->creases.empty());
        QTest::keyClick(&target, Qt::Key_E, Qt::ShiftModifier);
        QTest::keyClicks(&target, "1");
        QCOMPARE(child<QLabel>("toolHint")->text(), QStringLiteral("Edge Crease: 1|"));
        QTest::keyClick(&target, Qt::Key_Return);
        QVERIFY(quads->model()->committed()->creases == (std::vector<Crease>{{1, 4, 1}}));
        QCOMPARE(m_window->history().count(), steps + 1);
        QCOMPARE(m_window->history().undoName(), "Edge Crease");
        // Once no longer selected, the creased edge shows magenta, until undone.
        QTest::keyClick(&target, Qt::Key_A, Qt::ControlModifier | Qt::ShiftModifier);
        QVERIFY(showsNear(0, {-0.1f, 0, 0}, isMagenta));
        QTest::keySequence(&target, QKeySequence("Ctrl+Z"));
        QVERIFY(quads->model()->committed()->creases.empty());
        QVERIFY(!showsNear(0, {-0.1f, 0, 0}, isMagenta));
    }

    void bevelFollowsThePointerTheWheelAndTypedWidthAndUndoesInOneStep() {
        // Three quads in a row seen face-on; the upright edge between the first two is bevelled.
        const MeshPtr quads = showStripInEdgeMode(3);
        const LayerPtr strip = quads->model()->committed();
        GLView& target = view(0);
        const auto faces = [&] { return quads->model()->layer()->faces.size(); };
        QTest::keyClick(&target, Qt::Key_B, Qt::ControlModifier);
        QVERIFY(m_window->statusBar()->currentMessage().startsWith("Bevel: select the edges"));
        const QPointF edge = pixelOf(target, {-0.1f, 0.05f, 0});
        QTest::mouseClick(&target, Qt::LeftButton, {}, edge.toPoint());
        QVERIFY(editor().selectedEdges() == std::vector<Edge>({Edge{1, 5}}));
        moveTo(&target, edge, Qt::NoButton);
        QTest::keyClick(&target, Qt::Key_B, Qt::ControlModifier);
        QVERIFY(editor().isBevelling());
        moveTo(&target, pixelOf(target, {0.0f, 0.05f, 0}), Qt::NoButton);
        QCOMPARE(faces(), size_t(4));
        turnWheel(&target, edge, 1);
        QCOMPARE(faces(), size_t(5));
        QVERIFY(QString::fromStdString(editor().transformStatus()).contains("2 segments"));
        // A right click drops the preview; started again, a typed width and Return commit.
        QTest::mouseClick(&target, Qt::RightButton, {}, edge.toPoint());
        QCOMPARE(faces(), size_t(3));
        QTest::keyClick(&target, Qt::Key_B, Qt::ControlModifier);
        QTest::keyClicks(&target, "0.05");
        const size_t steps = m_window->history().count();
        QTest::keyClick(&target, Qt::Key_Return);
        const Layer& bevelled = *quads->model()->committed();
        QCOMPARE(bevelled.faces.size(), size_t(4));
        QCOMPARE(bevelled.positions.size(), size_t(10));
        // The edge at x = −0.1 became a band from −0.15 to −0.05.
        for (const float x : {-0.15f, -0.05f}) {
            const auto near = [&](const Vector3& p) { return std::abs(p.x - x) < 1e-6f; };
            QCOMPARE(std::ranges::count_if(bevelled.positions, near), 2);
        }
        QCOMPARE(m_window->history().count(), steps + 1);
        QCOMPARE(m_window->history().undoName(), "Bevel");
        // The band's border is selected: its two rails and its ends.
        QCOMPARE(editor().selectedEdges().size(), size_t(4));
        QVERIFY(!editor().isBevelling());
        QTest::keySequence(&target, QKeySequence("Ctrl+Z"));
        QCOMPARE(quads->model()->committed()->faces, strip->faces);
        QCOMPARE(quads->model()->committed()->positions, strip->positions);
    }

    void quadsShowTheirOwnEdgesAndAClickOnTheDiagonalShowsTheQuadSelectedWhole() {
        // Alone in the top-left viewport, seen along its normal: a quad (0 to 3) and an L-shaped
        // hexagon (4 to 9), as the polygon tools' picking test has them.
        // clang-format off
        const LayerPtr shape = makeLayer(
            {{-0.35f, -0.3f, 0}, {-0.05f, -0.3f, 0}, {-0.05f, 0.3f, 0}, {-0.35f, 0.3f, 0},
             {0.05f, -0.3f, 0}, {0.35f, -0.3f, 0}, {0.35f, -0.1f, 0}, {0.15f, -0.1f, 0},
             {0.15f, 0.3f, 0}, {0.05f, 0.3f, 0}},
            FaceList::polygons({{0, 1, 2, 3}, {4, 5, 6, 7, 8, 9}}));
        // clang-format on
        const MeshPtr polygons = Mesh::make(Model::make(shape), "Polygons");
        document().scene()->root()->setChildren({polygons});
        document().setSelectedNode(polygons);
        const Layer& layer = *shape;
        const auto along = [&](std::uint32_t a, std::uint32_t b, float t) {
            return layer.positions[a] * (1 - t) + layer.positions[b] * t;
        };
        // The quad's own edges show, its diagonal (where its two triangles meet) does not.
        view(0).viewport().renderFilled = false;
        QVERIFY(showsNear(0, along(0, 1, 0.5f), isEdge));
        for (const float t : {0.3f, 0.5f, 0.7f}) {
            QVERIFY(!showsNear(0, along(0, 2, t), isEdge));
        }
        QCOMPARE(child<QLabel>("meshStatus")->text(),
                 QStringLiteral("Polygons: 10 points, 2 faces (6 triangles)"));
        QCOMPARE(child<QLabel>("meshSummaryView")->text(),
                 QStringLiteral("<b>Polygons</b><br>10 points, 2 faces"));

        // A click on the diagonal picks the quad, which is orange whole: both its triangles, and
        // its four edges, shared with nothing, over their ordinary colour.
        choose("modeButton", "Polygon");
        QTest::mouseClick(&view(0), Qt::LeftButton, {},
                          pixelOf(view(0), along(0, 2, 0.5f)).toPoint());
        QCOMPARE(editor().selectedFacesIds(), std::vector<std::uint32_t>{0});
        QCOMPARE(child<QLabel>("selectionStatus")->text(), QStringLiteral("1 of 2 faces selected"));
        QVERIFY(showsNear(0, along(1, 2, 0.5f), isOrange));
        QVERIFY(!showsNear(0, along(1, 2, 0.5f), isEdge));
        QVERIFY(!showsNear(0, along(0, 2, 0.5f), isOrange));
        view(0).viewport().renderFilled = true;
        QVERIFY(isOrange(shown(0, {-0.3f, 0.2f, 0})) && isOrange(shown(0, {-0.1f, -0.2f, 0})));
    }

    void planeCutPatchIsTranslucentYellowAndAPressWhereItShowsMovesIt() {
        // The Cube's patch seen from the top, at its distance from the bottom-left viewport: its
        // corners reach past the cube over the background.
        document().setSelectedNode(mesh(1));
        choose("modeButton", "Polygon");
        choose("toolButton", "Plane cut");
        GLView& target = view(2);
        QTest::keyClick(&target, Qt::Key_7);
        const auto tool = std::dynamic_pointer_cast<PlaneCut>(editor().tool());
        QRectF cube;
        for (const Vector3& corner : {Vector3{-1, 1, -1}, Vector3{1, 1, 1}}) {
            cube = cube.united(QRectF(pixelOf(target, corner), QSizeF(1, 1)));
        }
        cube = cube.normalized().adjusted(-6, -6, 6, 6);
        // The triad's z axis is bluer than any face.
        const auto meshColoured = [](QRgb p) {
            return (isFace(p) && !isBlueAxis(p)) || isEdge(p) || isWhite(p) || isOrange(p);
        };
        // Off the cube, and off the grid's x and z axes, which the patch tints.
        const QPointF axes = pixelOf(target, {0, 0, 0});
        const auto beyondCube = [&](const QImage& image) {
            const double scale = double(image.width()) / target.width();
            int found = 0;
            for (int y = 0; y < image.height(); ++y) {
                for (int x = 0; x < image.width(); ++x) {
                    const QPointF at(x / scale, y / scale);
                    found += !cube.contains(at) && std::abs(at.x() - axes.x()) > 3 &&
                             std::abs(at.y() - axes.y()) > 3 && meshColoured(image.pixel(x, y));
                }
            }
            return found;
        };
        // Yellow at a little under half over the background, so the cut mesh shows through.
        QVERIFY(near(shown(2, {1.9f, 0, 0.1f}), 129, 174, 51));
        QCOMPARE(beyondCube(frame(target)), 0);

        // A press where the patch shows, beyond the cube, grabs it and moves the plane.
        const Vector3 origin = tool->cuttingPlaneOrigin;
        const QPointF from = pixelOf(target, origin + Vector3{1.9f, 0, 0});
        drag(&target, Qt::LeftButton, {}, from, from + QPointF(0, -10), 1);
        QVERIFY(tool->cuttingPlaneOrigin != origin);
        QCOMPARE(tool->normal, Vector3(0, 1, 0));
    }

    void outlineAddsSelectsAndRemovesMeshes() {
        // Adding a "Quad" selects it and opens a pop-up with its rows, where typing goes to it.
        QTimer::singleShot(0, this, [] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            QVERIFY(menu != nullptr);
            QTest::mouseClick(menu, Qt::LeftButton, {},
                              menu->actionGeometry(menu->actions().front()).center());
        });
        click("addNodeButton");
        QCOMPARE(document().scene()->root()->children().size(), size_t(3));
        const MeshPtr added = mesh(2);
        QCOMPARE(document().selectedNode(), NodePtr(added));
        QFrame* popover = panel()->planeCreationPopover();
        QTRY_VERIFY(popover->isVisible());
        QLineEdit* rows = panel()->popoverPlaneCreationView()->rowsField();
        QTRY_VERIFY(rows->hasFocus());
        QTest::keyClicks(rows, "5");
        QTest::keyClick(rows, Qt::Key_Return);
        QCOMPARE(added->model()->params()->v(), std::int64_t(5));
        QTest::mouseClick(popover, Qt::LeftButton, {}, QPoint(-5, -5));
        QTRY_VERIFY(!popover->isVisible());

        // A row selects its mesh and shows that mesh's panel; a selection made elsewhere shows in
        // the tree.
        QTreeView* tree = panel()->outlineView();
        const QRect row = tree->visualRect(panel()->model()->indexOf(mesh(1)));
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, row.center());
        QCOMPARE(document().selectedNode(), NodePtr(mesh(1)));
        QVERIFY(child<QWidget>("cubeCreationContainerView")->isVisible());
        QVERIFY(!child<QWidget>("planeCreationContainerView")->isVisible());
        document().setSelectedNode(mesh(0));
        const QModelIndexList selected = panel()->outlineView()->selectionModel()->selectedRows();
        QCOMPARE(selected.size(), 1);
        QCOMPARE(panel()->model()->node(selected.front()), NodePtr(mesh(0)));

        click("visibilityButton");
        QCOMPARE(child<QAbstractButton>("visibilityButton")->text(),
                 QStringLiteral("Show settings"));
        click("visibilityButton");

        // Remove takes the selected mesh away and leaves nothing selected.
        const MeshPtr removed = mesh(0);
        click("removeNodeButton");
        QCOMPARE(document().scene()->root()->children().size(), size_t(2));
        QVERIFY(!panel()->model()->indexOf(removed).isValid());
        QVERIFY(panel()->outlineView()->selectionModel()->selectedRows().isEmpty());
        QVERIFY(!child<QAbstractButton>("removeNodeButton")->isEnabled());
        QVERIFY(child<QWidget>("materialEditContainerView")->isHidden());
    }

    void gridFieldsOpacitySliderAndShadingBoxEditTheSelectedMesh() {
        // Twelve rows store the most a grid takes, ten, which the field and the viewports show.
        QLineEdit* rows = panel()->planeCreationView()->rowsField();
        rows->setFocus();
        rows->selectAll();
        QTest::keyClicks(rows, "12");
        QTest::keyClick(rows, Qt::Key_Return);
        QCOMPARE(rows->text(), QStringLiteral("10"));
        QVERIFY(showsNear(0, {-0.25f, -0.4f, 0}, isWhite));

        // Half opacity blends the faces halfway over the background.
        const Vector3 inside{-0.32f, -0.47f, 0};
        const QRgb opaque = shown(0, inside);
        QSlider* slider = panel()->slider();
        slider->setFocus();
        while (slider->value() > 50) {
            QTest::keyClick(slider, Qt::Key_PageDown);
        }
        QCOMPARE(mesh(0)->material->opacity, 0.5f);
        const QRgb blended = shown(0, inside);
        QVERIFY(near(blended, (qRed(opaque) + 26) / 2, (qGreen(opaque) + 128) / 2,
                     (qBlue(opaque) + 51) / 2));

        // The box shades the selected mesh smooth, as a change of the document.
        QCheckBox* smooth = panel()->smoothShadingBox();
        QVERIFY(smooth->isVisible() && !smooth->isChecked());
        QTest::mouseClick(smooth, Qt::LeftButton);
        QVERIFY(mesh(0)->smoothShading && m_window->isWindowModified());

        // A cube shows its size (another mesh its counts: see the polygons' test).
        document().setSelectedNode(mesh(1));
        QCOMPARE(child<QLabel>("cubeSize")->text(), QStringLiteral("2 × 2 × 2"));
        QVERIFY(!smooth->isChecked() && !mesh(1)->smoothShading);
    }

    void addMenuMakesEachPrimitiveSelectedFramedAndWithItsSettings() {
        const std::pair<const char*, size_t> made[] = {
            {"Plane", 4},     {"Box", 8},   {"UV sphere", 482}, {"Icosphere", 42},
            {"Cylinder", 64}, {"Cone", 33}, {"Torus", 576}};
        for (const auto& [title, points] : made) {
            QTimer::singleShot(0, this, [title] {
                auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
                QVERIFY(menu != nullptr);
                for (QAction* action : menu->actions()) {
                    if (action->text() == QLatin1String(title)) {
                        QTest::mouseClick(menu, Qt::LeftButton, {},
                                          menu->actionGeometry(action).center());
                    }
                }
            });
            click("addNodeButton");
            const MeshPtr added = asMesh(document().selectedNode());
            QVERIFY(added && added->name() == title);
            QCOMPARE(added->model()->committed()->positions.size(), points);
            QCOMPARE(child<QLabel>("primitiveTitle")->text(), QLatin1String(title));
        }
        QCOMPARE(document().scene()->root()->children().size(), size_t(9));

        // The torus fills every viewport; its settings rebuild it, and undo takes that back.
        const Box box = editor().bounds(true).value();
        for (int i = 0; i < 4; ++i) {
            const Vector3 p = project(box.max, view(i).viewport());
            QVERIFY(std::abs(p.x) <= 1 && std::abs(p.y) <= 1 &&
                    std::abs(p.x) + std::abs(p.y) > 0.5f);
        }
        auto* segments = qobject_cast<QLineEdit*>(panel()->primitiveCreationView()->field(0));
        QCOMPARE(segments->text(), QStringLiteral("48"));
        segments->setFocus();
        segments->selectAll();
        QTest::keyClicks(segments, "4");
        QTest::keyClick(segments, Qt::Key_Return);
        const MeshPtr torus = asMesh(document().selectedNode());
        QCOMPARE(torus->model()->committed()->positions.size(), size_t(48));
        QCOMPARE(m_window->history().undoName(), std::string("Major segments 48 → 4"));
        m_window->history().undo();
        QCOMPARE(torus->model()->committed()->positions.size(), size_t(576));
        QCOMPARE(segments->text(), QStringLiteral("48"));
    }

    void viewMenuOptionsReachTheEditor() {
        auto* faceOrientation = child<QAction>("faceOrientationAction");
        auto* normals = child<QAction>("normalsAction");
        QCOMPARE(faceOrientation->text(), QStringLiteral("Face Orientation"));
        QCOMPARE(normals->text(), QStringLiteral("Normals"));
        QVERIFY(!faceOrientation->isChecked() && !normals->isChecked());
        normals->trigger();
        QVERIFY(editor().viewOptions().normals && !editor().viewOptions().faceOrientation);
        faceOrientation->trigger();
        normals->trigger();
        QVERIFY(!editor().viewOptions().normals && editor().viewOptions().faceOrientation);
    }

    void helpListsEveryBindingAndEachMenuShortcutOnce() {
        child<QMenu>("helpMenu")->actions().front()->trigger();
        auto* table = child<QTableWidget>("bindingsTable");
        QVERIFY(table->isVisible());
        QVERIFY(table->rowCount() > static_cast<int>(std::size(kBindings)));
        QStringList keys;
        QStringList once;
        for (int row = 0; row < table->rowCount(); ++row) {
            keys << table->item(row, 0)->text();
            once << keys.back().toLower();
        }
        // Each key once, as typed: "f", not also the "F" its menu entry shows.
        QCOMPARE(once.removeDuplicates(), qsizetype(0));
        QVERIFY(keys.contains("f") && keys.contains("Escape") && keys.contains("Delete"));
        // Qt runs neither of two entries with the same shortcut.
        QStringList taken;
        for (QAction* menu : m_window->menuBar()->actions()) {
            for (QAction* action : menu->menu()->actions()) {
                for (const QKeySequence& shortcut : action->shortcuts()) {
                    const QString text = shortcut.toString(QKeySequence::NativeText);
                    QVERIFY2(keys.contains(text, Qt::CaseInsensitive) && !taken.contains(text),
                             qPrintable(text));
                    taken << text;
                }
            }
        }
    }

    void savedDocumentReopensFramedAndAnUnreadableFileIsTold() {
        QTemporaryDir dir;
        FileMenu& files = m_window->files();
        // The grid subdivided and moved far from where any starting camera looks.
        editor().modeSelected(static_cast<int>(Editor::Mode::Mesh));
        editor().toolSelected(1);
        editor().apply();
        moveGrid({40, 10, -30});
        QVERIFY(files.saveTo(dir.filePath("scene.glb")));
        editor().apply();
        QVERIFY(files.openFile(dir.filePath("scene.glb")));
        QCOMPARE(m_window->windowTitle(), QStringLiteral("scene.glb[*] — Tessel"));
        QVERIFY(!m_window->isWindowModified());
        QCOMPARE(mesh(0)->model()->committed()->faces.size(), size_t(96));
        const auto rootRow = [this] {
            return panel()->model()->data(panel()->model()->index(0, 0)).toString();
        };
        QCOMPARE(rootRow(), QStringLiteral("scene.glb"));
        QVERIFY(everyViewportShowsTheWholeScene());

        // A file of another format opens as a new document and is not a recent document; its
        // nameless mesh is named after it, imported too, and framed with what was there.
        moveGrid({-60, -60, 35});
        QVERIFY(files.exportTo(dir.filePath("part.stl")));
        QVERIFY(files.openFile(dir.filePath("part.stl")));
        QCOMPARE(m_window->windowTitle(), QStringLiteral("Untitled[*] — Tessel"));
        QCOMPARE(rootRow(), QStringLiteral("Untitled"));
        const QStringList recent = QSettings().value("recentFiles").toStringList();
        QCOMPARE(recent.front(), QFileInfo(dir.filePath("scene.glb")).absoluteFilePath());
        QVERIFY(!recent.contains(QFileInfo(dir.filePath("part.stl")).absoluteFilePath()));
        editor().perform(Command::ResetCameras, view(0).viewport());
        QVERIFY(!everyViewportShowsTheWholeScene());
        QVERIFY(files.importFile(dir.filePath("part.stl")));
        QCOMPARE(asMesh(document().selectedNode())->name(), std::string("part"));
        QVERIFY(everyViewportShowsTheWholeScene());

        QVERIFY(!files.openFile(dir.filePath("missing.glb")));
        QVERIFY(files.lastMessage().startsWith(QStringLiteral("Cannot open “missing.glb”: ")));
        QVERIFY(child<QMessageBox>("fileFailure")->isVisible());
    }

    void largeMeshDrawsItsSelectionWhereItLiesAndNoPointsOrEdgesWhereTheyOutnumberPixels() {
        const MeshPtr large = Mesh::make(QuadGenerator(256, 400).generate(), "Large");
        // Alone: the starting grid lies in the same plane.
        document().scene()->root()->setChildren({large});
        document().setSelectedNode(large);

        // 102,657 points in a viewport of 19,200 pixels, which the grid fills: its dots and edges
        // would cover it all, so only its faces and its selected point are drawn.
        editor().selectedPointsIds() = {257 * 200 + 128};
        view(0).resize(160, 120);
        const QImage dense = frame(view(0));
        QCOMPARE(dense.width() * dense.height(), 160 * 120);
        QCOMPARE(count(dense, isWhite) + count(dense, isEdge), 0);
        QVERIFY(count(dense, isFace) > 160 * 120 / 2);
        QVERIFY(count(dense, isOrange) > 0);

        // A face in the middle of row 280 of 400, whose corners all have ids past 16 bits.
        editor().modeSelected(static_cast<int>(Editor::Mode::Polygon));
        const Layer& layer = *large->model()->committed();
        const size_t face = 2 * (256 * 280 + 128);
        const FaceList::Face corners = layer.faces[face];
        QVERIFY(face > 65535 && std::min({corners[0], corners[1], corners[2]}) > 65535);
        editor().selectedFacesIds() = {static_cast<std::uint32_t>(face)};
        editor().frameData.invalidate();

        // Faces only, seen from close above the face: the grid covers the viewport, and the orange
        // of the selection lies on the face and nowhere else.
        const Vector3 centre = (layer.positions[corners[0]] + layer.positions[corners[1]] +
                                layer.positions[corners[2]]) *
                               (1 / 3.f);
        editor().cameras()[1]->localMatrix = Matrix::translation({centre.x, centre.y, 0.2f});
        view(1).viewport().renderPoints = false;
        view(1).viewport().renderLines = false;
        const QImage image = frame(view(1));
        QRectF box;
        for (const std::uint32_t corner : corners) {
            const QPointF at =
                pixelOf(view(1), layer.positions[corner]) * image.width() / view(1).width();
            box = box.united(QRectF(at, QSizeF(1, 1)));
        }
        box.adjust(-2, -2, 2, 2);
        QCOMPARE(count(image, isBackground), 0);
        const int selected = count(image, isOrange);
        QVERIFY(selected > 0);
        QCOMPARE(count(image, isOrange, box), selected);
    }

    void facesAreLitFromTheViewerTintedFromBehindAndUploadedOnlyWhereTheyChange() {
        // Seen by the first camera from z = 0.5: a quad facing it, one facing away, and one
        // turned almost edge-on to it.
        // clang-format off
        const LayerPtr shapes = makeLayer(
            {{-0.25f, -0.1f, 0}, {-0.1f, -0.1f, 0}, {-0.1f, 0.1f, 0}, {-0.25f, 0.1f, 0},
             {-0.05f, -0.1f, 0}, {0.05f, -0.1f, 0}, {0.05f, 0.1f, 0}, {-0.05f, 0.1f, 0},
             {0.1f, -0.1f, 0}, {0.16f, -0.1f, -0.2f}, {0.16f, 0.1f, -0.2f}, {0.1f, 0.1f, 0}},
            FaceList::polygons({{0, 1, 2, 3}, {4, 7, 6, 5}, {8, 9, 10, 11}}));
        // clang-format on
        const MeshPtr mesh = Mesh::make(Model::make(shapes), "Shapes");
        document().scene()->root()->setChildren({mesh});
        document().setSelectedNode(nullptr);
        view(0).viewport().renderLines = false;
        view(0).viewport().renderPoints = false;
        const QImage image = frame(view(0));
        const auto at = [&](const Vector3& p) {
            return pixel(image, view(0), pixelOf(view(0), p));
        };
        const QRgb headOn = at({-0.175f, 0, 0});
        const QRgb behind = at({0, 0, 0});
        const QRgb grazing = at({0.13f, 0, -0.1f});
        QVERIFY(isFace(headOn) && isFace(grazing));
        QVERIFY(qGray(grazing) < qGray(headOn) * 0.7);
        QVERIFY(qRed(behind) > qBlue(behind) + 20);

        // Face orientation colours fronts blue and backs red; normal lines (cyan) stand out of
        // the selected mesh's faces, here out of the one turned aside.
        child<QAction>("faceOrientationAction")->trigger();
        document().setSelectedNode(mesh);
        child<QAction>("normalsAction")->trigger();
        const QImage oriented = frame(view(0));
        const auto orientedAt = [&](const Vector3& p) {
            return pixel(oriented, view(0), pixelOf(view(0), p));
        };
        QVERIFY(qBlue(orientedAt({-0.2f, 0.05f, 0})) > qRed(orientedAt({-0.2f, 0.05f, 0})) + 80);
        QVERIFY(qRed(orientedAt({0, 0.05f, 0})) > qBlue(orientedAt({0, 0.05f, 0})) + 80);
        const auto isNormalLine = [](QRgb p) { return near(p, 89, 217, 255, 6); };
        QVERIFY(count(oriented, isNormalLine) > 10);
        child<QAction>("faceOrientationAction")->trigger();
        child<QAction>("normalsAction")->trigger();
        document().setSelectedNode(nullptr);

        // A steep and a gentle face meeting at a ridge: flat, each has its own shade; smooth, the
        // shade runs on across the ridge.
        const LayerPtr roof = makeLayer({{-0.1f, -0.1f, -0.2f},
                                         {0, -0.1f, 0},
                                         {0.2f, -0.1f, -0.05f},
                                         {-0.1f, 0.1f, -0.2f},
                                         {0, 0.1f, 0},
                                         {0.2f, 0.1f, -0.05f}},
                                        FaceList::polygons({{0, 1, 4, 3}, {1, 2, 5, 4}}));
        mesh->model()->setCommitted(roof);
        const auto acrossRidge = [&] {
            const QImage image = frame(view(0));
            const QPointF ridge = pixelOf(view(0), {0, 0, 0});
            return std::abs(qGray(pixel(image, view(0), ridge - QPointF(4, 0))) -
                            qGray(pixel(image, view(0), ridge + QPointF(4, 0))));
        };
        QVERIFY(acrossRidge() > 20);
        mesh->smoothShading = true;
        QVERIFY(acrossRidge() < 8);

        // An orbit moves a camera only: nothing is uploaded again.
        std::uint64_t before = bytesUploadedToGpu();
        drag(&view(1), Qt::RightButton, {}, pixelAt(view(1), 0.5f, 0.5f),
             pixelAt(view(1), 0.6f, 0.55f));
        for (int i = 0; i < 4; ++i) {
            frame(view(i));
        }
        QCOMPARE(bytesUploadedToGpu(), before);

        // A drag of ten points of a row uploads their positions and nothing else.
        const MeshPtr grid = Mesh::make(QuadGenerator(20, 20).generate(), "Grid");
        document().scene()->root()->setChildren({grid});
        document().setSelectedNode(grid);
        for (int i = 0; i < 4; ++i) {
            frame(view(i));
        }
        std::vector<std::int64_t> row(10);
        std::iota(row.begin(), row.end(), std::int64_t{21 * 10 + 5});
        editor().selectedPointsIds() = row;
        const QPointF from = pixelOf(view(0), grid->model()->committed()->positions[21 * 10 + 5]);
        press(&view(0), from);
        frame(view(0));
        before = bytesUploadedToGpu();
        moveTo(&view(0), from + QPointF(6, -4));
        for (int i = 0; i < 4; ++i) {
            frame(view(i));
        }
        QCOMPARE(editor().selectedPointsIds(), row);
        QCOMPARE(bytesUploadedToGpu() - before, 10 * sizeof(Vector3));
        release(&view(0), from + QPointF(6, -4));
    }
};

int main(int argc, char* argv[]) {
    QStandardPaths::setTestModeEnabled(true);
    GLView::setDefaultFormat();
    QApplication app(argc, argv);
    WindowTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "window_test.moc"
