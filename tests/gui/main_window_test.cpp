// The real window under a display: widgets, OpenGL frames read back from the viewports, and
// the toolbar wired to the editor.
#include "editor/editor.h"
#include "render/gl_view.h"
#include "tools/operation.h"
#include "ui/main_window.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QOpenGLContext>
#include <QPushButton>
#include <QSplitter>
#include <QSplitterHandle>
#include <QStatusBar>
#include <QTableWidget>
#include <QTest>
#include <QToolButton>
#include <QWheelEvent>

#include <array>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <optional>

using namespace tessel;

namespace {

// The clear colour (0.1, 0.5, 0.2) as 8-bit channels.
bool isBackground(QRgb pixel) {
    return std::abs(qRed(pixel) - 26) <= 2 && std::abs(qGreen(pixel) - 128) <= 2 &&
           std::abs(qBlue(pixel) - 51) <= 2;
}

int foregroundCount(const QImage& image) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            count += !isBackground(image.pixel(x, y));
        }
    }
    return count;
}

// Whether any pixel within `radius` of `centre` passes `test`.
template <class Test> bool anyNear(const QImage& image, QPoint centre, int radius, Test test) {
    for (int y = centre.y() - radius; y <= centre.y() + radius; ++y) {
        for (int x = centre.x() - radius; x <= centre.x() + radius; ++x) {
            if (image.valid(x, y) && test(image.pixel(x, y))) {
                return true;
            }
        }
    }
    return false;
}

// Where the viewport's camera puts a world position in its framebuffer image, worked out from
// the camera alone (not from the viewport's viewProjection()).
QPoint project(const GLView& view, const Vector3& position, QSize imageSize) {
    const Camera& camera = *view.viewport().camera;
    const Matrix viewProjection = camera.projection() * Matrix::view(view.viewport().aspectRatio) *
                                  camera.matrix().inverted();
    const Vector4 clip = viewProjection * Vector4(position, 1);
    const double x = clip[0] / clip[3];
    const double y = clip[1] / clip[3];
    return {static_cast<int>(std::floor((x + 1) / 2 * imageSize.width())),
            static_cast<int>(std::floor((1 - y) / 2 * imageSize.height()))};
}

std::array<Vector3, 8> cubeCorners() {
    std::array<Vector3, 8> corners;
    for (int i = 0; i < 8; ++i) {
        corners[static_cast<size_t>(i)] = {i & 1 ? 1.f : -1.f, i & 2 ? 1.f : -1.f,
                                           i & 4 ? 1.f : -1.f};
    }
    return corners;
}

// A tool that records what the viewport hands it.
struct RecordingTool : Operation {
    std::optional<Vec2> down;
    Vec2 dragged;
    int drags = 0;
    std::optional<Vec2> up;
    void onMouseDown(Vec2 position, Viewport&) override { down = position; }
    void onMouseDragged(Vec2 delta, Viewport&) override {
        dragged.x += delta.x;
        dragged.y += delta.y;
        ++drags;
    }
    void onMouseUp(Vec2 position, Viewport&) override { up = position; }
};

void moveWithButton(QWidget* widget, QPoint position) {
    QMouseEvent move(QEvent::MouseMove, position, widget->mapToGlobal(position), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &move);
}

// A drag with `button` and `modifiers` held, from `from` to `to` in four moves.
void dragWith(QWidget* widget, Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPoint from,
              QPoint to) {
    QTest::mousePress(widget, button, modifiers, from);
    for (int i = 1; i <= 4; ++i) {
        const QPoint at = from + (to - from) * i / 4;
        QMouseEvent move(QEvent::MouseMove, at, widget->mapToGlobal(at), Qt::NoButton, button,
                         modifiers);
        QApplication::sendEvent(widget, &move);
    }
    QTest::mouseRelease(widget, button, modifiers, to);
}

} // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void opensWithFourViewportsAndTheToolbar();
    void topRightFrameShowsBackgroundAroundTheCube();
    void pointsOnlyInOneViewportLeavesTheOthersAlone();
    void keyMovesTheCameraOfTheClickedViewportOnly();
    void pointerPositionsAreNormalizedAndDeltasInDeviceUnits();
    void heldButtonAndRectangleShowOnlyInTheirViewport();
    void modeChangeRefillsTheToolPicker();
    void applyIsDisabledWithoutSelectedMesh();
    void draggedRowDividerMovesTheOtherRow();
    void subdividePastTheTriangleLimitIsRefusedInTheStatusBar();
    void undoAndRedoKeysAndMenuReplayAnApply();
    void navigationGesturesMoveOnlyTheirViewportsCamera();
    void selectionDragsAndShortcutsReachTheEditorAndTheStatusBar();
    void viewKeysCornerMenuHelpAndFrameTimeRunInTheWindow();

private:
    template <class T> T* child(const char* name) {
        T* found = m_window->findChild<T*>(QLatin1String(name));
        if (found == nullptr) {
            qFatal("no widget named %s", name);
        }
        return found;
    }
    GLView* view(int index) { return m_window->viewports()[static_cast<size_t>(index)]; }
    // A finished frame of the viewport as it stands now.
    QImage frame(int index) {
        QApplication::processEvents();
        return view(index)->grabFramebuffer();
    }
    // A left click near the viewport's top-left corner, where no point of the scene lies.
    void clickEmptySpot(int index) {
        QTest::mouseClick(view(index), Qt::LeftButton, {}, QPoint(4, 4));
        QApplication::processEvents();
    }

    std::unique_ptr<MainWindow> m_window;
};

void MainWindowTest::init() {
    m_window = std::make_unique<MainWindow>();
    // The viewports' pixel checks are posed for the size they have in an 800-pixel-high window
    // without menu and status bars; the bars take 41 more.
    m_window->resize(1200, 841);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    QApplication::processEvents();
}

void MainWindowTest::cleanup() { m_window.reset(); }

void MainWindowTest::opensWithFourViewportsAndTheToolbar() {
    QCOMPARE(m_window->findChildren<GLView*>().size(), 4);
    for (int i = 0; i < 4; ++i) {
        QVERIFY(view(i)->isVisible());
        QVERIFY(view(i)->width() > 100 && view(i)->height() > 100);
        QVERIFY(view(i)->context() != nullptr && view(i)->context()->isValid());
        QCOMPARE(view(i)->viewport().camera, m_window->editor().cameras()[static_cast<size_t>(i)]);
    }
    // Two rows of two: the top row above the bottom one, left before right.
    const auto origin = [this](int index) { return view(index)->mapTo(m_window.get(), QPoint()); };
    QCOMPARE(origin(0).y(), origin(1).y());
    QVERIFY(origin(2).y() > origin(0).y());
    QCOMPARE(origin(2).x(), origin(0).x());
    QVERIFY(origin(1).x() > origin(0).x());

    auto* modes = child<QComboBox>("modeButton");
    QCOMPARE(modes->count(), 3);
    QCOMPARE(modes->itemText(0), QStringLiteral("Vertex"));
    QCOMPARE(modes->itemText(2), QStringLiteral("Mesh"));
    QCOMPARE(modes->itemData(2).toInt(), 2);
    QCOMPARE(modes->currentIndex(), 0);
    auto* tools = child<QComboBox>("toolButton");
    QCOMPARE(tools->count(), 2);
    QCOMPARE(tools->itemText(1), QStringLiteral("Weld"));
    QCOMPARE(tools->currentData().toInt(), 0);
    for (const char* name : {"pointsButton", "linesButton", "filledButton"}) {
        QVERIFY(child<QAbstractButton>(name)->isCheckable());
        QVERIFY(child<QAbstractButton>(name)->isChecked());
    }
}

void MainWindowTest::topRightFrameShowsBackgroundAroundTheCube() {
    const QImage image = frame(1);
    QVERIFY(!image.isNull());
    const int w = image.width();
    const int h = image.height();
    for (QPoint corner : {QPoint(0, 0), QPoint(w - 1, 0), QPoint(0, h - 1), QPoint(w - 1, h - 1)}) {
        QVERIFY2(isBackground(image.pixel(corner)),
                 qPrintable(QStringLiteral("corner %1,%2 is %3")
                                .arg(corner.x())
                                .arg(corner.y())
                                .arg(image.pixel(corner), 8, 16)));
    }
    // Every corner of the cube lands on drawn geometry; the back ones lie behind the front
    // face, which covers them.
    for (const Vector3& corner : cubeCorners()) {
        const QPoint pixel = project(*view(1), corner, image.size());
        QVERIFY(pixel.x() > 2 && pixel.x() < w - 3 && pixel.y() > 2 && pixel.y() < h - 3);
        QVERIFY2(
            anyNear(image, pixel, 2, [](QRgb p) { return !isBackground(p); }),
            qPrintable(QStringLiteral("nothing drawn at %1,%2").arg(pixel.x()).arg(pixel.y())));
    }
    // Halfway between the front face's edge and the viewport's edge there is only background.
    const QPoint frontRight = project(*view(1), {-1, 0, 1}, image.size());
    const QPoint frontLeft = project(*view(1), {1, 0, 1}, image.size());
    const int outside = std::max(frontRight.x(), frontLeft.x()) / 2 + w / 2;
    QVERIFY(isBackground(image.pixel(outside, h / 2)));
}

void MainWindowTest::pointsOnlyInOneViewportLeavesTheOthersAlone() {
    std::array<QImage, 4> before;
    for (int i = 0; i < 4; ++i) {
        before[static_cast<size_t>(i)] = frame(i);
    }
    clickEmptySpot(1);
    QTest::mouseClick(child<QAbstractButton>("linesButton"), Qt::LeftButton);
    QTest::mouseClick(child<QAbstractButton>("filledButton"), Qt::LeftButton);
    QVERIFY(child<QAbstractButton>("pointsButton")->isChecked());
    QVERIFY(!child<QAbstractButton>("linesButton")->isChecked());
    QVERIFY(!view(1)->viewport().renderLines && !view(1)->viewport().renderFilled &&
            view(1)->viewport().renderPoints);

    const QImage pointsOnly = frame(1);
    const int all = foregroundCount(before[1]);
    const int points = foregroundCount(pointsOnly);
    QVERIFY2(
        points > 0 && points * 10 < all,
        qPrintable(
            QStringLiteral("%1 pixels with points only, %2 with everything").arg(points).arg(all)));
    // With the faces gone, the cube's back corners show as white points too.
    for (const Vector3& corner : cubeCorners()) {
        const QPoint pixel = project(*view(1), corner, pointsOnly.size());
        QVERIFY(anyNear(pointsOnly, pixel, 1,
                        [](QRgb p) { return qRed(p) > 200 && qGreen(p) > 200 && qBlue(p) > 200; }));
    }
    for (int i : {0, 2, 3}) {
        QCOMPARE(frame(i), before[static_cast<size_t>(i)]);
    }

    // Clicking another viewport shows its own options again.
    clickEmptySpot(3);
    QVERIFY(child<QAbstractButton>("linesButton")->isChecked());
    QVERIFY(child<QAbstractButton>("filledButton")->isChecked());
}

void MainWindowTest::keyMovesTheCameraOfTheClickedViewportOnly() {
    clickEmptySpot(2);
    std::array<QImage, 4> before;
    for (int i = 0; i < 4; ++i) {
        before[static_cast<size_t>(i)] = frame(i);
    }
    QTest::keyClick(view(2), Qt::Key_D);
    for (int i = 0; i < 4; ++i) {
        const QImage after = frame(i);
        if (i == 2) {
            QVERIFY(after != before[2]);
        } else {
            QCOMPARE(after, before[static_cast<size_t>(i)]);
        }
    }
}

void MainWindowTest::pointerPositionsAreNormalizedAndDeltasInDeviceUnits() {
    Editor& detail = m_window->editor();
    // Outside Vertex mode every press and drag goes to the tool as it comes from the viewport.
    detail.modeSelected(2);
    auto tool = std::make_shared<RecordingTool>();
    detail.setTool(tool);
    GLView* target = view(3);
    const int w = target->width();
    const int h = target->height();

    QTest::mousePress(target, Qt::LeftButton, {}, QPoint(w / 4, h / 4));
    QVERIFY(tool->down.has_value());
    QCOMPARE(tool->down->x, float(w / 4) / w);
    QCOMPARE(tool->down->y, 1 - float(h / 4) / h);
    // Half the width to the right and a quarter of the height down, in four moves.
    const QPoint start(w / 4, h / 4);
    const QPoint end(w / 4 + w / 2, h / 4 + h / 4);
    for (int i = 1; i <= 4; ++i) {
        moveWithButton(target, start + (end - start) * i / 4);
    }
    QCOMPARE(tool->drags, 4);
    QVERIFY(std::abs(tool->dragged.x - 2.f * float(end.x() - start.x()) / w) < 1e-5f);
    QVERIFY(std::abs(tool->dragged.y + 2.f * float(end.y() - start.y()) / h) < 1e-5f);
    // Across half the width is one device unit on any display.
    QVERIFY(std::abs(tool->dragged.x - 1) < 0.01f);
    QTest::mouseRelease(target, Qt::LeftButton, {}, end);
    QVERIFY(tool->up.has_value());
    QCOMPARE(*tool->up, target->viewport().pointerPosition);
    // The tool took the gestures: neither the held-button colour nor the rectangle appear.
    QVERIFY(!target->viewport().isMouseDown && !target->viewport().isMouseDragged);

    // Moves without a button pressed are no drags.
    moveWithButton(target, QPoint(w / 2, h / 2));
    QCOMPARE(tool->drags, 4);
}

void MainWindowTest::heldButtonAndRectangleShowOnlyInTheirViewport() {
    GLView* target = view(1);
    const int w = target->width();
    const int h = target->height();
    const auto isBlue = [](QRgb p) {
        return std::abs(qRed(p) - 26) <= 2 && std::abs(qGreen(p) - 128) <= 2 &&
               std::abs(qBlue(p) - 230) <= 2;
    };

    // A press on empty space in Vertex mode: a bluer background while the button is held.
    QTest::mousePress(target, Qt::LeftButton, {}, QPoint(4, 4));
    QImage image = frame(1);
    QVERIFY(isBlue(image.pixel(image.width() - 1, image.height() - 1)));
    QVERIFY(isBackground(frame(2).pixel(0, 0)));

    // Dragging toward the middle draws the half-transparent rectangle over the background.
    for (int i = 1; i <= 3; ++i) {
        moveWithButton(target, QPoint(4 + i * w / 12, 4 + i * h / 12));
    }
    QVERIFY(target->viewport().isMouseDragged);
    image = frame(1);
    const double scale = double(image.width()) / w;
    const QRgb inside = image.pixel(int(w / 8 * scale), int(h / 8 * scale));
    QVERIFY2(!isBlue(inside), qPrintable(QString::number(inside, 16)));
    QVERIFY(isBlue(image.pixel(image.width() - 4, int(h / 8 * scale))));

    QTest::mouseRelease(target, Qt::LeftButton, {}, QPoint(4 + w / 4, 4 + h / 4));
    image = frame(1);
    QVERIFY(isBackground(image.pixel(image.width() / 8, image.height() / 8)));
}

void MainWindowTest::modeChangeRefillsTheToolPicker() {
    auto* modes = child<QComboBox>("modeButton");
    auto* tools = child<QComboBox>("toolButton");
    // Picks "Weld", then "Polygon" with the keyboard: the tool picker lists the polygon tools
    // from the first one.
    tools->setFocus();
    QTest::keyClick(tools, Qt::Key_Down);
    QCOMPARE(m_window->editor().toolTag(), 1);
    modes->setFocus();
    QTest::keyClick(modes, Qt::Key_Down);
    QCOMPARE(m_window->editor().mode(), Editor::Mode::Polygon);
    QCOMPARE(tools->count(), 6);
    QCOMPARE(tools->itemText(2), QStringLiteral("Plane cut"));
    QCOMPARE(tools->currentIndex(), 0);
    QCOMPARE(m_window->editor().toolTag(), 0);
}

void MainWindowTest::applyIsDisabledWithoutSelectedMesh() {
    auto* apply = child<QPushButton>("applyButton");
    Document& split = m_window->document();
    QVERIFY(apply->isEnabled());
    split.setSelectedNode(nullptr);
    QVERIFY(!apply->isEnabled());
    // A plain node is not something to apply to either.
    split.setSelectedNode(split.scene()->root());
    QVERIFY(!apply->isEnabled());
    split.setSelectedNode(split.scene()->meshes().back());
    QVERIFY(apply->isEnabled());
}

void MainWindowTest::draggedRowDividerMovesTheOtherRow() {
    auto* top = child<QSplitter>("topSplitView");
    auto* bottom = child<QSplitter>("bottomSplitView");
    QSplitterHandle* handle = top->handle(1);
    const QPoint start = handle->rect().center();
    const QPoint end = start - QPoint(150, 0);
    QTest::mousePress(handle, Qt::LeftButton, {}, start);
    QMouseEvent move(QEvent::MouseMove, end, handle->mapToGlobal(end), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QApplication::sendEvent(handle, &move);
    QTest::mouseRelease(handle, Qt::LeftButton, {}, end);
    QApplication::processEvents();

    const int moved = top->widget(0)->width();
    QVERIFY(moved < top->widget(1)->width());
    QCOMPARE(bottom->widget(0)->width(), moved);
}

void MainWindowTest::subdividePastTheTriangleLimitIsRefusedInTheStatusBar() {
    Editor& controller = m_window->editor();
    Model& grid = *controller.selectedMesh()->model();
    const size_t faces = kMaxTriangles / 3 + 1;
    // Behind every camera, so that drawing it costs little.
    grid.setCommitted(makeLayer({{0, 0, 9}, {1, 0, 9}, {0, 1, 9}}, {faces, {0, 1, 2}}));
    const LayerPtr before = grid.committed();
    controller.modeSelected(2);
    controller.toolSelected(1);
    QStatusBar* status = m_window->statusBar();
    QVERIFY(status->currentMessage().startsWith("No preview"));
    QTest::mouseClick(child<QPushButton>("applyButton"), Qt::LeftButton);
    QCOMPARE(grid.committed(), before);
    QVERIFY(status->currentMessage().startsWith("Not applied"));
}

void MainWindowTest::undoAndRedoKeysAndMenuReplayAnApply() {
    Model& grid = *m_window->editor().selectedMesh()->model();
    const Layer start = *grid.committed();
    auto* modes = child<QComboBox>("modeButton");
    modes->setCurrentIndex(2);
    Q_EMIT modes->activated(2);
    auto* tools = child<QComboBox>("toolButton");
    tools->setCurrentIndex(1);
    Q_EMIT tools->activated(1);
    QTest::mouseClick(child<QPushButton>("applyButton"), Qt::LeftButton);
    const Layer subdivided = *grid.committed();
    QCOMPARE(subdivided.triangles.size(), 3 * start.triangles.size());

    QAction* undo = nullptr;
    for (QAction* menu : m_window->menuBar()->actions()) {
        for (QAction* action : menu->menu()->actions()) {
            undo = action->shortcut() == QKeySequence::Undo ? action : undo;
        }
    }
    QVERIFY(undo != nullptr);
    QCOMPARE(undo->text(), QStringLiteral("&Undo Subdivide"));
    // Shortcuts reach the active window only.
    m_window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    view(0)->setFocus();
    QTest::keyClick(view(0), Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(grid.committed()->triangles, start.triangles);
    QTest::keyClick(view(0), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(grid.committed()->triangles, subdivided.triangles);
    undo->trigger();
    QTest::keyClick(view(0), Qt::Key_Y, Qt::ControlModifier);
    QCOMPARE(grid.committed()->positions, subdivided.positions);
}

void MainWindowTest::navigationGesturesMoveOnlyTheirViewportsCamera() {
    Editor& editor = m_window->editor();
    GLView* target = view(2);
    const LayerPtr shown = editor.selectedMesh()->model()->layer();
    const Matrix first = editor.cameras()[0]->localMatrix;
    const QPoint from = target->rect().center();
    const QPoint to = from + QPoint(target->width() / 5, target->height() / 7);
    for (const auto& [button, modifiers] : {std::pair{Qt::RightButton, Qt::KeyboardModifiers()},
                                            {Qt::LeftButton, Qt::AltModifier},
                                            {Qt::MiddleButton, Qt::KeyboardModifiers()},
                                            {Qt::RightButton, Qt::ShiftModifier}}) {
        const Matrix before = editor.cameras()[2]->localMatrix;
        dragWith(target, button, modifiers, from, to);
        QVERIFY(editor.cameras()[2]->localMatrix != before);
    }
    const Matrix before = editor.cameras()[2]->localMatrix;
    QWheelEvent wheel(QPointF(to), target->mapToGlobal(QPointF(to)), {}, {0, 240}, Qt::NoButton, {},
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(target, &wheel);
    QVERIFY(editor.cameras()[2]->localMatrix != before);
    // Only that camera moved; nothing was selected or evaluated again.
    QCOMPARE(editor.cameras()[0]->localMatrix, first);
    QVERIFY(editor.selectedPointsIds().empty());
    QCOMPARE(editor.selectedMesh()->model()->layer(), shown);
}

void MainWindowTest::selectionDragsAndShortcutsReachTheEditorAndTheStatusBar() {
    const auto status = [this] { return child<QLabel>("selectionStatus")->text(); };
    QCOMPARE(child<QLabel>("meshStatus")->text(), QString("Quad: 25 points, 32 triangles"));
    // Camera 2 shows the grid's points in the middle fifth of viewport 1, mirrored: the left
    // half of the view holds columns 3 and 4 of the grid.
    GLView* target = view(1);
    const QRect left(QPoint(target->width() / 4, target->height() / 4),
                     QPoint(target->width() / 2 - 10, 3 * target->height() / 4));
    QTest::keyClick(target, Qt::Key_A, Qt::ControlModifier);
    QCOMPARE(status(), QString("25 of 25 points selected"));
    dragWith(target, Qt::LeftButton, Qt::ControlModifier, left.topLeft(), left.bottomRight());
    QCOMPARE(status(), QString("15 of 25 points selected"));
    QCOMPARE(m_window->editor().selectedPointsIds().back() % 5, 2);
    dragWith(target, Qt::LeftButton, Qt::ShiftModifier, left.bottomLeft(), left.topRight());
    QCOMPARE(status(), QString("25 of 25 points selected"));
}

void MainWindowTest::viewKeysCornerMenuHelpAndFrameTimeRunInTheWindow() {
    Editor& editor = m_window->editor();
    // "7" looks down on the grid's centre from above.
    clickEmptySpot(3);
    QTest::keyClick(view(3), Qt::Key_7);
    const Vector3 eye = editor.cameras()[3]->localMatrix.translationPart();
    QVERIFY(eye.y > 1 && std::abs(eye.x) < 1e-4f && std::abs(eye.z) < 1e-4f);
    // Viewport 2's corner menu acts on viewport 2.
    const Matrix before = editor.cameras()[2]->localMatrix;
    view(2)->findChild<QToolButton*>("viewMenuButton")->menu()->actions().back()->trigger();
    QVERIFY(editor.cameras()[2]->localMatrix != before);
    // Help lists one row per binding.
    child<QMenu>("helpMenu")->actions().front()->trigger();
    auto* table = m_window->findChild<QTableWidget*>("bindingsTable");
    QVERIFY(table != nullptr && table->isVisible());
    QVERIFY(table->rowCount() > static_cast<int>(std::size(kBindings)));
    // Every shortcut of the menus is listed too, and none is given twice (Qt would run neither).
    QStringList keys;
    QStringList taken;
    for (int row = 0; row < table->rowCount(); ++row) {
        keys << table->item(row, 0)->text();
    }
    for (QAction* menu : m_window->menuBar()->actions()) {
        for (QAction* action : menu->menu()->actions()) {
            for (const QKeySequence& shortcut : action->shortcuts()) {
                const QString text = shortcut.toString(QKeySequence::NativeText);
                QVERIFY2(keys.contains(text) && !taken.contains(text), qPrintable(text));
                taken << text;
            }
        }
    }
    // View → Frame Time shows the time of the frames drawn from then on.
    QAction* frameTime = child<QMenu>("viewMenu")->actions().back();
    QCOMPARE(frameTime->text(), QString("Frame Time"));
    frameTime->trigger();
    clickEmptySpot(0);
    frame(0);
    QVERIFY(child<QLabel>("frameTime")->text().startsWith("Frame "));
}

int main(int argc, char* argv[]) {
    GLView::setDefaultFormat();
    QApplication app(argc, argv);
    MainWindowTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "main_window_test.moc"
