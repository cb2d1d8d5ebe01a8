// The editing tools and the scene panel driven end to end in the real window: real mouse and key
// events on the OpenGL viewports and the panel's widgets, the committed geometry read back from
// the core, and frames read back from the viewports. Every expected value comes from the
// viewports' own view-projection matrices and the meshes' data.
#include "editor/editor.h"
#include "render/gl_view.h"
#include "tools/plane_cut.h"
#include "ui/main_window.h"
#include "ui/outline_panel.h"
#include "ui/panel_views.h"
#include "ui/scene_tree_model.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QImage>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <QTreeView>

#include <algorithm>
#include <array>
#include <cmath>
#include <memory>
#include <vector>

using namespace tessel;

namespace {

constexpr QRgb clearColour = qRgb(26, 128, 51);

bool isBackground(QRgb p) {
    return std::abs(qRed(p) - qRed(clearColour)) <= 2 &&
           std::abs(qGreen(p) - qGreen(clearColour)) <= 2 &&
           std::abs(qBlue(p) - qBlue(clearColour)) <= 2;
}

// The highlight of selected points and faces, (1.0, 0.55, 0.1); faces are shaded a little.
bool isOrange(QRgb p) {
    return qRed(p) > 170 && qGreen(p) > 0.45 * qRed(p) && qGreen(p) < 0.65 * qRed(p) &&
           qBlue(p) < 0.2 * qRed(p);
}

bool isWhite(QRgb p) { return qRed(p) > 235 && qGreen(p) > 235 && qBlue(p) > 235; }

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

Vector3 projected(const Matrix& viewProjection, const Vector3& p) {
    return (viewProjection * Vector4(p, 1)).dehomogenized();
}

Vector3 unprojected(const Matrix& inverse, float x, float y, float z) {
    return (inverse * Vector4(x, y, z, 1)).dehomogenized();
}

bool near(const Vector3& a, const Vector3& b, float tolerance) {
    return (a - b).length() <= tolerance;
}

QString text(const Vector3& v) { return QStringLiteral("(%1, %2, %3)").arg(v.x).arg(v.y).arg(v.z); }

// The positions of a face's corners, in the face's order.
std::array<Vector3, 3> cornersOf(const Layer& layer, size_t face) {
    const Triangle& t = layer.triangles[face];
    return {layer.positions[t[0]], layer.positions[t[1]], layer.positions[t[2]]};
}

// Where the ray through device position (x, y) of a view meets the plane n · p = d.
Vector3 rayOnPlane(const Matrix& inverse, float x, float y, const Vector3& n, float d) {
    const Vector3 a = unprojected(inverse, x, y, 0);
    const Vector3 direction = unprojected(inverse, x, y, 0.1f) - a;
    return a + direction * ((d - n.dot(a)) / n.dot(direction));
}

} // namespace

class EditingTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void rectangleSelectsTheGridPointsInsideAndMoveDragsThem();
    void extrudingACubeFaceCommitsAndDrawsThePrism();
    void planeCutOfTheGridPutsEveryNewPointOnTheDraggedPlane();
    void meshSubdivideAppliesOneLevelPerApply();
    void meshMovePressSelectsTheCubeInTheOutlineAndDragsIt();
    void rowsFieldRegeneratesTheGridInTheViewports();
    void opacitySliderBlendsTheGridOverTheBackground();
    void windowPictureShowsATranslucentMeshAsTheViewportDoes();

private:
    Editor& detail() { return m_window->editor(); }
    Document& split() { return m_window->document(); }
    MeshPtr mesh(const char* name) {
        for (const MeshPtr& candidate : split().scene()->meshes()) {
            if (candidate->name() == name) {
                return candidate;
            }
        }
        qFatal("no mesh named %s", name);
    }
    // The committed geometry, whatever preview is installed.
    LayerPtr committed(const char* name) { return mesh(name)->model()->committed(); }
    template <class T> T* child(const char* name) {
        T* found = m_window->findChild<T*>(QLatin1String(name));
        if (found == nullptr) {
            qFatal("no widget named %s", name);
        }
        return found;
    }
    OutlinePanel* panel() { return m_window->findChild<OutlinePanel*>(); }
    GLView* view(int index) { return m_window->viewports()[static_cast<size_t>(index)]; }
    QImage frame(int index) {
        QApplication::processEvents();
        return view(index)->grabFramebuffer();
    }
    std::array<QImage, 4> frames() { return {frame(0), frame(1), frame(2), frame(3)}; }

    // The widget pixel under device position (x, y) of a viewport, and back; the way back is the
    // viewport's own conversion of pointer positions.
    QPoint pixelAt(int index, float x, float y) {
        return {static_cast<int>(std::lround((x + 1) / 2 * view(index)->width())),
                static_cast<int>(std::lround((1 - y) / 2 * view(index)->height()))};
    }
    Vec2 deviceAt(int index, QPoint pixel) {
        const float u = static_cast<float>(pixel.x() / double(view(index)->width()));
        const float v = static_cast<float>(1.0 - pixel.y() / double(view(index)->height()));
        return {2 * u - 1, 2 * v - 1};
    }
    QPoint pixelOf(int index, const Vector3& world) {
        const Vector3 q = projected(view(index)->viewport().viewProjection(), world);
        return pixelAt(index, q.x, q.y);
    }
    // The framebuffer pixel of a widget pixel (they differ on scaled displays).
    QPoint imagePixel(int index, const QImage& image, QPoint pixel) {
        return {pixel.x() * image.width() / view(index)->width(),
                pixel.y() * image.height() / view(index)->height()};
    }

    void press(int index, QPoint at) {
        QTest::mousePress(view(index), Qt::LeftButton, {}, at);
        QApplication::processEvents();
    }
    void moveTo(int index, QPoint at) {
        QMouseEvent move(QEvent::MouseMove, at, view(index)->mapToGlobal(at), Qt::NoButton,
                         Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(view(index), &move);
        QApplication::processEvents();
    }
    // Moves from `from` to `to` in a few steps with the button held, ending exactly on `to`.
    void dragTo(int index, QPoint from, QPoint to) {
        const int steps = 6;
        for (int i = 1; i <= steps; ++i) {
            moveTo(index, from + (to - from) * i / steps);
        }
    }
    void release(int index, QPoint at) {
        QTest::mouseRelease(view(index), Qt::LeftButton, {}, at);
        QApplication::processEvents();
    }
    void drag(int index, QPoint from, QPoint to) {
        press(index, from);
        dragTo(index, from, to);
        release(index, to);
    }

    // Chooses an entry of a picker with the keyboard, as a user tabbing through would.
    void choose(const char* pickerName, const QString& entry) {
        auto* picker = child<QComboBox>(pickerName);
        const int target = picker->findText(entry);
        QVERIFY2(target >= 0, qPrintable(entry));
        picker->setFocus();
        while (picker->currentIndex() != target) {
            QTest::keyClick(picker, picker->currentIndex() < target ? Qt::Key_Down : Qt::Key_Up);
        }
        QApplication::processEvents();
    }
    void clickRow(const MeshPtr& node) {
        QTreeView* tree = panel()->outlineView();
        const QModelIndex index = panel()->model()->indexOf(node);
        QVERIFY(index.isValid());
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualRect(index).center());
        QApplication::processEvents();
    }
    NodePtr selectedRowNode() {
        const QModelIndexList rows = panel()->outlineView()->selectionModel()->selectedRows();
        return rows.size() == 1 ? panel()->model()->node(rows.first()) : nullptr;
    }
    // Clicks the viewport where nothing lies, then toggles one of its rendering options off.
    void turnOff(int index, const char* option) {
        QTest::mouseClick(view(index), Qt::LeftButton, {}, QPoint(4, 4));
        QTest::mouseClick(child<QAbstractButton>(option), Qt::LeftButton);
        QVERIFY(!child<QAbstractButton>(option)->isChecked());
    }

    std::unique_ptr<MainWindow> m_window;
};

void EditingTest::init() {
    m_window = std::make_unique<MainWindow>();
    m_window->resize(1200, 800);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    QApplication::processEvents();
}

void EditingTest::cleanup() { m_window.reset(); }

void EditingTest::rectangleSelectsTheGridPointsInsideAndMoveDragsThem() {
    // Without faces the cube no longer hides the grid in the three viewports behind it.
    for (int i : {1, 2, 3}) {
        turnOff(i, "filledButton");
    }
    QCOMPARE(split().selectedNode(), NodePtr(mesh("Quad")));
    QCOMPARE(detail().mode(), Editor::Mode::Vertex);
    const std::vector<Vector3> before = committed("Quad")->positions;
    QCOMPARE(before.size(), size_t(25));

    // A rectangle between the grid lines, dragged from its lower-left toward its upper-right in
    // world terms.
    const QPoint start = pixelOf(1, {-0.375f, -0.375f, 0});
    const QPoint end = pixelOf(1, {0.125f, 0.375f, 0});
    const Vec2 s = deviceAt(1, start);
    const Vec2 e = deviceAt(1, end);
    const Matrix viewProjection = view(1)->viewport().viewProjection();
    std::vector<std::int64_t> expected;
    for (size_t id = 0; id < before.size(); ++id) {
        const Vector3 q = projected(viewProjection, before[id]);
        if (q.x >= std::min(s.x, e.x) && q.x <= std::max(s.x, e.x) && q.y >= std::min(s.y, e.y) &&
            q.y <= std::max(s.y, e.y)) {
            expected.push_back(static_cast<std::int64_t>(id));
        }
    }
    QCOMPARE(expected.size(), size_t(6));

    drag(1, start, end);
    std::vector<std::int64_t> selected = detail().selectedPointsIds();
    std::sort(selected.begin(), selected.end());
    QCOMPARE(selected, expected);

    std::array<QImage, 4> selectedFrames = frames();
    const QImage& image = selectedFrames[1];
    for (size_t id = 0; id < before.size(); ++id) {
        const QPoint pixel = imagePixel(1, image, pixelOf(1, before[id]));
        const bool isSelected = std::find(expected.begin(), expected.end(),
                                          static_cast<std::int64_t>(id)) != expected.end();
        QVERIFY2(anyNear(image, pixel, isSelected ? 3 : 1, isOrange) == isSelected,
                 qPrintable(QStringLiteral("point %1 at %2,%3 %4 orange")
                                .arg(id)
                                .arg(pixel.x())
                                .arg(pixel.y())
                                .arg(isSelected ? "is not" : "is")));
    }

    // "Move": press on a selected point and drag it to the right and up.
    const Vector3 picked = before[static_cast<size_t>(expected.front())];
    const QPoint grab = pixelOf(1, picked);
    const QPoint target = grab + QPoint(view(1)->width() / 10, -view(1)->height() / 12);
    press(1, grab);
    dragTo(1, grab, target);
    // The preview shows in every viewport while the button is held.
    const std::array<QImage, 4> during = frames();
    for (int i = 0; i < 4; ++i) {
        QVERIFY2(during[static_cast<size_t>(i)] != selectedFrames[static_cast<size_t>(i)],
                 qPrintable(QStringLiteral("viewport %1 shows no preview").arg(i)));
    }
    release(1, target);

    const Matrix inverse = viewProjection.inverted();
    const Vector3 q = projected(viewProjection, picked);
    const Vec2 pointer = deviceAt(1, target);
    const Vector3 offset =
        unprojected(inverse, pointer.x, pointer.y, q.z) - unprojected(inverse, q.x, q.y, q.z);
    QVERIFY(offset.length() > 0.1f);
    const std::vector<Vector3> after = committed("Quad")->positions;
    QCOMPARE(after.size(), before.size());
    for (size_t id = 0; id < before.size(); ++id) {
        const bool moved = std::find(expected.begin(), expected.end(),
                                     static_cast<std::int64_t>(id)) != expected.end();
        const Vector3 want = moved ? before[id] + offset : before[id];
        QVERIFY2(near(after[id], want, 1e-4f),
                 qPrintable(QStringLiteral("point %1 at %2, expected %3")
                                .arg(id)
                                .arg(text(after[id]), text(want))));
    }
    // The picked point is under the pointer where the button went up.
    const Vector3 landed = projected(viewProjection, after[static_cast<size_t>(expected.front())]);
    QVERIFY(std::abs(landed.x - pointer.x) < 1e-4f && std::abs(landed.y - pointer.y) < 1e-4f);

    const std::array<QImage, 4> moved = frames();
    for (int i = 0; i < 4; ++i) {
        QVERIFY2(moved[static_cast<size_t>(i)] != selectedFrames[static_cast<size_t>(i)],
                 qPrintable(QStringLiteral("viewport %1 does not show the move").arg(i)));
    }
    // The selection moved with its points and is still drawn orange.
    QVERIFY(anyNear(moved[1], imagePixel(1, moved[1], target), 3, isOrange));
}

void EditingTest::extrudingACubeFaceCommitsAndDrawsThePrism() {
    const MeshPtr cube = mesh("Cube");
    clickRow(cube);
    QCOMPARE(split().selectedNode(), NodePtr(cube));
    choose("modeButton", "Polygon");
    choose("toolButton", "Extrude");
    QCOMPARE(detail().mode(), Editor::Mode::Polygon);
    QCOMPARE(detail().toolTag(), 3);

    const LayerPtr original = committed("Cube");
    QCOMPARE(original->positions.size(), size_t(8));
    QCOMPARE(original->triangles.size(), size_t(12));

    // A spot of the front face (z = 1) away from its diagonal.
    const Vector3 spot{0.6f, 0.2f, 1};
    const QPoint start = pixelOf(1, spot);
    press(1, start);
    QCOMPARE(detail().selectedFacesIds().size(), size_t(1));
    const size_t face = detail().selectedFacesIds().front();
    QVERIFY(face < original->triangles.size());
    const std::array<Vector3, 3> corners = cornersOf(*original, face);
    for (const Vector3& corner : corners) {
        QCOMPARE(corner.z, 1.0f);
    }
    // The pressed face is drawn orange where it was pressed.
    const std::array<QImage, 4> pressed = frames();
    QVERIFY(anyNear(pressed[1], imagePixel(1, pressed[1], start), 2, isOrange));

    // The cube's faces are wound toward its inside, so the face's normal points away from the
    // camera: a drag that measures negative pulls the face out toward the viewer.
    const Vector3 n = (corners[1] - corners[0]).cross(corners[2] - corners[0]).normalized();
    QVERIFY2(near(n, {0, 0, 1}, 1e-6f) || near(n, {0, 0, -1}, 1e-6f), qPrintable(text(n)));
    const int outward = n.z > 0 ? 1 : -1;
    const QPoint end = start + QPoint(view(1)->width() / 10, -view(1)->height() / 12) * outward;
    dragTo(1, start, end);
    release(1, end);

    const Vec2 a = deviceAt(1, start);
    const Vec2 b = deviceAt(1, end);
    const float distance = (b.x - a.x) + (b.y - a.y);
    QVERIFY(std::abs(distance) > 0.3f);

    const LayerPtr result = committed("Cube");
    QCOMPARE(result->positions.size(), size_t(11));
    QCOMPARE(result->triangles.size(), size_t(18));
    const std::array<Vector3, 3> cap = cornersOf(*result, face);
    std::vector<Vector3> capCorners;
    for (size_t k = 0; k < 3; ++k) {
        const Vector3 want = corners[k] + n * distance;
        QVERIFY2(near(cap[k], want, 1e-5f), qPrintable(text(cap[k]) + " expected " + text(want)));
        capCorners.push_back(want);
    }

    // Drawn: the cap's corners stand out of the cube's outline, where there was background.
    QVERIFY(capCorners.front().z > 1.3f);
    const std::array<QImage, 4> extruded = frames();
    for (int i : {1, 2, 3}) {
        const QImage& now = extruded[static_cast<size_t>(i)];
        const QImage& then = pressed[static_cast<size_t>(i)];
        QVERIFY(now != then);
        for (const Vector3& corner : capCorners) {
            const QPoint pixel = imagePixel(i, now, pixelOf(i, corner));
            QVERIFY2(!anyNear(then, pixel, 2, [](QRgb p) { return !isBackground(p); }),
                     qPrintable(QStringLiteral("viewport %1: %2,%3 was drawn before")
                                    .arg(i)
                                    .arg(pixel.x())
                                    .arg(pixel.y())));
            QVERIFY2(anyNear(now, pixel, 2, [](QRgb p) { return !isBackground(p); }),
                     qPrintable(QStringLiteral("viewport %1: nothing drawn at %2,%3")
                                    .arg(i)
                                    .arg(pixel.x())
                                    .arg(pixel.y())));
        }
    }
}

void EditingTest::planeCutOfTheGridPutsEveryNewPointOnTheDraggedPlane() {
    const MeshPtr quad = mesh("Quad");
    clickRow(mesh("Cube"));
    clickRow(quad);
    QCOMPARE(split().selectedNode(), NodePtr(quad));
    choose("modeButton", "Polygon");
    choose("toolButton", "Plane cut");
    auto tool = std::dynamic_pointer_cast<PlaneCut>(detail().tool());
    QVERIFY(tool != nullptr);
    QVERIFY(child<QPushButton>("applyButton")->isEnabled());
    const std::vector<Vector3> original = committed("Quad")->positions;
    const size_t originalTriangles = committed("Quad")->triangles.size();
    frames();

    // Cameras on the z axis see the plane y = 0 edge-on. The bottom-left one is raised to look
    // down onto the plane patch, which the press then grabs.
    view(2)->viewport().camera->localMatrix = Matrix::translation({0, 1.5f, 2.5f});
    frame(2);
    Matrix inverse = view(2)->viewport().viewProjection().inverted();
    const QPoint grab = pixelOf(2, {0.3f, 0, 0.4f});
    const Vec2 g = deviceAt(2, grab);
    const Vector3 grabbed = rayOnPlane(inverse, g.x, g.y, {0, 1, 0}, 0);
    press(2, grab);
    QVERIFY(tool->intersection.has_value());
    QVERIFY2(near(*tool->intersection, grabbed, 1e-4f), qPrintable(text(*tool->intersection)));
    // Dragged down and to the left: the plane follows the pressed point at its depth.
    const QPoint dropped = grab + QPoint(-view(2)->width() / 12, view(2)->height() / 16);
    dragTo(2, grab, dropped);
    release(2, dropped);
    const Vec2 d = deviceAt(2, dropped);
    const float depth = projected(view(2)->viewport().viewProjection(), grabbed).z;
    const Vector3 origin = unprojected(inverse, d.x, d.y, depth) - grabbed;
    QVERIFY2(near(tool->cuttingPlaneOrigin, origin, 1e-4f),
             qPrintable(text(tool->cuttingPlaneOrigin) + " expected " + text(origin)));
    QVERIFY(origin.y < -0.05f);
    QVERIFY(near(tool->normal, {0, 1, 0}, 0));
    QVERIFY(!tool->intersection.has_value());

    // A press in the top-right viewport above the lowered plane misses its patch: the drag
    // turns the normal about the world z axis by the angle swept around the origin's image.
    const Matrix viewProjection = view(1)->viewport().viewProjection();
    const Vector3 o = projected(viewProjection, tool->cuttingPlaneOrigin);
    const QPoint from = pixelAt(1, o.x + 0.5f, o.y + 0.6f);
    const QPoint to = pixelAt(1, o.x - 0.3f, o.y + 0.6f);
    press(1, from);
    QVERIFY(!tool->intersection.has_value());
    dragTo(1, from, to);
    release(1, to);
    const Vec2 s = deviceAt(1, from);
    const Vec2 p = deviceAt(1, to);
    const Vector3 u = Vector3{s.x - o.x, s.y - o.y, 0}.normalized();
    const Vector3 v = Vector3{p.x - o.x, p.y - o.y, 0}.normalized();
    const float angle = std::acos(std::clamp(u.dot(v), -1.0f, 1.0f));
    const float signedAngle = u.y * v.x - u.x * v.y > 0 ? angle : -angle;
    const Vector3 turned =
        (Matrix::rotationForZ(signedAngle) * Vector4(Vector3{0, 1, 0}, 1)).dehomogenized();
    QVERIFY2(near(tool->normal, turned, 1e-5f),
             qPrintable(text(tool->normal) + " expected " + text(turned)));
    QVERIFY(angle > 0.5f);
    QVERIFY(near(tool->cuttingPlaneOrigin, origin, 1e-4f));

    // Nothing is committed until Apply.
    QCOMPARE(committed("Quad")->positions.size(), original.size());
    const QImage beforeApply = frame(0);
    QTest::mouseClick(child<QPushButton>("applyButton"), Qt::LeftButton);

    const LayerPtr cut = committed("Quad");
    QVERIFY(cut->triangles.size() > originalTriangles);
    const Vector3 n = tool->normal.normalized();
    int created = 0;
    for (const Vector3& point : cut->positions) {
        const bool isOld = std::any_of(original.begin(), original.end(),
                                       [&](const Vector3& q) { return near(q, point, 1e-6f); });
        if (isOld) {
            continue;
        }
        ++created;
        const float distance = n.dot(point - tool->cuttingPlaneOrigin);
        QVERIFY2(std::abs(distance) < 1e-5f,
                 qPrintable(text(point) + QStringLiteral(" is %1 off the plane").arg(distance)));
    }
    QVERIFY2(created >= 4, qPrintable(QString::number(created)));
    // Every triangle refers to points of the layer (the cut stays one connected surface).
    for (const Triangle& triangle : cut->triangles) {
        for (const std::uint32_t corner : triangle) {
            QVERIFY(corner < cut->positions.size());
        }
    }
    QVERIFY(frame(0) != beforeApply);
    // The preview stays, ready for a second cut along the same plane.
    QVERIFY(quad->model()->modifier() != nullptr);
}

void EditingTest::meshSubdivideAppliesOneLevelPerApply() {
    const MeshPtr quad = mesh("Quad");
    clickRow(quad);
    choose("modeButton", "Mesh");
    choose("toolButton", "Subdivide");
    const auto shown = [&] { return quad->model()->layer()->triangles.size(); };
    auto* apply = child<QPushButton>("applyButton");

    QImage last = frame(0);
    QCOMPARE(committed("Quad")->triangles.size(), size_t(32));
    QCOMPARE(shown(), size_t(96));
    for (size_t triangles : {size_t(96), size_t(288)}) {
        QVERIFY(apply->isEnabled());
        QTest::mouseClick(apply, Qt::LeftButton);
        QCOMPARE(committed("Quad")->triangles.size(), triangles);
        QCOMPARE(shown(), 3 * triangles);
        const QImage now = frame(0);
        QVERIFY(now != last);
        last = now;
    }
}

void EditingTest::meshMovePressSelectsTheCubeInTheOutlineAndDragsIt() {
    const MeshPtr cube = mesh("Cube");
    choose("modeButton", "Mesh");
    QCOMPARE(detail().toolTag(), 0);
    QCOMPARE(selectedRowNode(), NodePtr(mesh("Quad")));
    const std::vector<Vector3> cubeBefore = committed("Cube")->positions;
    const std::vector<Vector3> gridBefore = committed("Quad")->positions;
    const QImage before = frame(1);

    // The cube's front face is nearer than the grid behind it.
    const QPoint start = pixelOf(1, {-0.7f, 0.6f, 1});
    press(1, start);
    QCOMPARE(split().selectedNode(), NodePtr(cube));
    QCOMPARE(selectedRowNode(), NodePtr(cube));

    const QPoint end = start + QPoint(view(1)->width() / 9, view(1)->height() / 7);
    dragTo(1, start, end);
    release(1, end);

    const Matrix viewProjection = view(1)->viewport().viewProjection();
    const Matrix inverse = viewProjection.inverted();
    const Vec2 s = deviceAt(1, start);
    const Vec2 e = deviceAt(1, end);
    const Vector3 hit = rayOnPlane(inverse, s.x, s.y, {0, 0, 1}, 1);
    const Vector3 q = projected(viewProjection, hit);
    const Vector3 offset =
        unprojected(inverse, e.x, e.y, q.z) - unprojected(inverse, q.x, q.y, q.z);
    QVERIFY(offset.length() > 0.2f);
    const std::vector<Vector3> cubeAfter = committed("Cube")->positions;
    QCOMPARE(cubeAfter.size(), cubeBefore.size());
    for (size_t id = 0; id < cubeBefore.size(); ++id) {
        QVERIFY2(near(cubeAfter[id], cubeBefore[id] + offset, 1e-4f),
                 qPrintable(text(cubeAfter[id]) + " expected " + text(cubeBefore[id] + offset)));
    }
    QVERIFY(committed("Quad")->positions == gridBefore);
    QVERIFY(cube->model()->modifier() == nullptr);
    QVERIFY(frame(1) != before);
    QCOMPARE(selectedRowNode(), NodePtr(cube));
}

void EditingTest::rowsFieldRegeneratesTheGridInTheViewports() {
    const MeshPtr quad = mesh("Quad");
    // A point of the 10-row grid that the 4-row grid does not have: column 1, row 1.
    const Vector3 newPoint{-0.25f, -0.4f, 0};
    const QImage before = frame(0);
    const QPoint pixel = imagePixel(0, before, pixelOf(0, newPoint));
    QVERIFY(!anyNear(before, pixel, 1, isWhite));

    QLineEdit* rows = panel()->planeCreationView()->rowsField();
    rows->setFocus();
    rows->selectAll();
    QTest::keyClicks(rows, "12");
    QTest::keyClick(rows, Qt::Key_Return);

    QCOMPARE(quad->model()->params()->v(), std::int64_t(10));
    QCOMPARE(rows->text(), QStringLiteral("10"));
    QCOMPARE(quad->model()->params()->u(), std::int64_t(4));
    const LayerPtr grid = quad->model()->layer();
    QCOMPARE(grid->positions.size(), size_t(11 * 5));
    QVERIFY(std::any_of(grid->positions.begin(), grid->positions.end(),
                        [&](const Vector3& p) { return near(p, newPoint, 1e-6f); }));

    const QImage after = frame(0);
    QVERIFY(after != before);
    QVERIFY(anyNear(after, pixel, 1, isWhite));
}

void EditingTest::opacitySliderBlendsTheGridOverTheBackground() {
    const MeshPtr quad = mesh("Quad");
    // The middle of a grid triangle in the top-left viewport, away from edges and points.
    const LayerPtr grid = committed("Quad");
    const std::array<Vector3, 3> corners = cornersOf(*grid, 5);
    const Vector3 centre = (corners[0] + corners[1] + corners[2]) * (1.0f / 3.0f);
    const QImage before = frame(0);
    const QPoint pixel = imagePixel(0, before, pixelOf(0, centre));
    const QRgb opaque = before.pixel(pixel);
    QVERIFY(!isBackground(opaque));

    QSlider* slider = panel()->slider();
    slider->setFocus();
    while (slider->value() > 50) {
        QTest::keyClick(slider, Qt::Key_PageDown);
    }
    QCOMPARE(slider->value(), 50);
    QCOMPARE(quad->material->opacity, 0.5f);

    const QRgb blended = frame(0).pixel(pixel);
    QVERIFY(blended != opaque);
    const auto between = [](int value, int a, int b) {
        return value >= std::min(a, b) - 2 && value <= std::max(a, b) + 2;
    };
    const auto halfway = [](int value, int a, int b) { return std::abs(2 * value - a - b) <= 4; };
    const QString message =
        QStringLiteral("%1 between %2 and the background").arg(blended, 8, 16).arg(opaque, 8, 16);
    QVERIFY2(between(qRed(blended), qRed(opaque), qRed(clearColour)) &&
                 between(qGreen(blended), qGreen(opaque), qGreen(clearColour)) &&
                 between(qBlue(blended), qBlue(opaque), qBlue(clearColour)),
             qPrintable(message));
    QVERIFY2(halfway(qRed(blended), qRed(opaque), qRed(clearColour)) &&
                 halfway(qBlue(blended), qBlue(opaque), qBlue(clearColour)),
             qPrintable(message));
}

// The window's picture (what the documentation screenshots save) must show the viewports as they
// are drawn, also where translucent geometry leaves the framebuffer's alpha below 1.
void EditingTest::windowPictureShowsATranslucentMeshAsTheViewportDoes() {
    const LayerPtr grid = committed("Quad");
    const std::array<Vector3, 3> corners = cornersOf(*grid, 5);
    const Vector3 centre = (corners[0] + corners[1] + corners[2]) * (1.0f / 3.0f);
    QSlider* slider = panel()->slider();
    slider->setFocus();
    while (slider->value() > 50) {
        QTest::keyClick(slider, Qt::Key_PageDown);
    }
    QCOMPARE(mesh("Quad")->material->opacity, 0.5f);

    const QImage drawn = frame(0);
    const QPoint pixel = pixelOf(0, centre);
    const QRgb expected = drawn.pixel(imagePixel(0, drawn, pixel));
    const QImage picture = m_window->grab().toImage();
    const QRgb shown =
        picture.pixel(view(0)->mapTo(m_window.get(), pixel) * picture.width() / m_window->width());
    const bool same = std::abs(qRed(shown) - qRed(expected)) <= 3 &&
                      std::abs(qGreen(shown) - qGreen(expected)) <= 3 &&
                      std::abs(qBlue(shown) - qBlue(expected)) <= 3;
    QVERIFY2(same, qPrintable(QStringLiteral("the picture shows %1 where the viewport drew %2")
                                  .arg(shown, 8, 16)
                                  .arg(expected, 8, 16)));
}

int main(int argc, char* argv[]) {
    GLView::setDefaultFormat();
    QApplication app(argc, argv);
    EditingTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "editing_test.moc"
