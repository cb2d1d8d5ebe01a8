// A mesh past 16-bit indices in the real window: the grid subdivided with Apply until it holds
// more than 200,000 triangles and 100,000 points draws without a hole, and a face whose id is
// above 65,535 is picked with the mouse, extruded, and shown selected where it is.
#include "mesh/triangle.h"
#include "render/gl_view.h"
#include "tools/tool_support.h"
#include "ui/main_window.h"

#include "mesh_faults.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

#include <algorithm>
#include <cmath>

using namespace tessel;

namespace {

bool isBackground(QRgb p) {
    return std::abs(qRed(p) - 26) <= 2 && std::abs(qGreen(p) - 128) <= 2 &&
           std::abs(qBlue(p) - 51) <= 2;
}

// The selected-primitive orange, shaded or not.
bool isSelectedColour(QRgb p) { return qRed(p) > 150 && qBlue(p) < 60 && qGreen(p) < 160; }

// Logical widget position of a layer point (the grid's node has no transform).
QPointF widgetPosition(GLView& view, const Vector3& p) {
    const Vector3 d = project(p, view.viewport());
    return {(d.x + 1) / 2 * view.width(), (1 - (d.y + 1) / 2) * view.height()};
}

void sendMouse(QWidget* widget, QEvent::Type type, QPointF position, Qt::MouseButton button,
               Qt::MouseButtons buttons) {
    QMouseEvent event(type, position, widget->mapToGlobal(position), button, buttons,
                      Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

Vector3 centreOf(const Layer& layer, size_t face) {
    const Triangle& t = layer.triangles[face];
    return triangle::centroid(layer.positions[t[0]], layer.positions[t[1]], layer.positions[t[2]]);
}

} // namespace

class LargeMeshTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void faceAboveSixteenBitsIsPickedExtrudedAndDrawnSelected();
};

void LargeMeshTest::faceAboveSixteenBitsIsPickedExtrudedAndDrawnSelected() {
    MainWindow window;
    window.resize(1200, 800);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    Editor& editor = window.editor();
    const MeshPtr grid = editor.selectedMesh();
    QVERIFY(grid != nullptr);
    Model& model = *grid->model();

    // Mesh "Subdivide", applied with the button: 32 triangles become 32 · 3⁸ = 209,952.
    editor.modeSelected(2);
    editor.toolSelected(1);
    auto* apply = window.findChild<QPushButton*>(QStringLiteral("applyButton"));
    QVERIFY(apply != nullptr && apply->isEnabled());
    for (int level = 0; level < 8; ++level) {
        QTest::mouseClick(apply, Qt::LeftButton);
    }
    LayerPtr layer = model.committed();
    QCOMPARE(layer->triangles.size(), size_t{209952});
    QCOMPARE(layer->positions.size(), size_t{25 + 104960});

    // Polygon "Extrude"; the face: of those above id 65,535 near the middle, the one closest to
    // equilateral (every face of a level has the same area), seen from close by.
    editor.modeSelected(1);
    editor.toolSelected(3);
    size_t face = 0;
    float best = 0;
    for (size_t id = 65536; id < layer->triangles.size(); ++id) {
        const Vector3 c = centreOf(*layer, id);
        if (std::abs(c.x) > 0.1f || std::abs(c.y) > 0.1f) {
            continue;
        }
        const Triangle& t = layer->triangles[id];
        const Vector3 a = layer->positions[t[0]];
        const Vector3 b = layer->positions[t[1]];
        const Vector3 d = layer->positions[t[2]];
        const float longest = std::max({(b - a).length(), (d - b).length(), (a - d).length()});
        const float area = 0.5f * (b - a).cross(d - a).length();
        const float roundness = area / (longest * longest);
        if (roundness > best) {
            face = id;
            best = roundness;
        }
    }
    QVERIFY(face > 65535);
    const Vector3 centre = centreOf(*layer, face);
    editor.cameras()[0]->localMatrix = Matrix::translation({centre.x, centre.y, 0.16f});

    // Press on the face's centroid, drag up by a hundredth of the view (0.02 device units).
    GLView* view = window.viewports()[0];
    const QPointF at = widgetPosition(*view, centre);
    sendMouse(view, QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton);
    QCOMPARE(editor.selectedFacesIds(),
             std::vector<std::uint32_t>{static_cast<std::uint32_t>(face)});
    const QPointF to = at - QPointF(0, view->height() / 100.0);
    sendMouse(view, QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton);
    sendMouse(view, QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton);

    layer = model.committed();
    QCOMPARE(layer->triangles.size(), size_t{209952 + 6});
    const Triangle cap = layer->triangles[face];
    for (const std::uint32_t v : cap) {
        QVERIFY(std::abs(layer->positions[v].z - 0.02f) < 1e-4f);
    }
    QVERIFY(!testing::layerFault(*layer, editor.selectedFacesIds(), editor.selectedPointsIds()));

    // The cap's indices are its own points, all past 16 bits.
    const IndexData drawn = handleIndexDataForTriangles(*layer, true, editor.selectedFacesIds());
    for (const std::uint32_t v : cap) {
        QVERIFY(v > 65535);
    }
    QCOMPARE(drawn.selected, std::vector<std::uint32_t>(cap.begin(), cap.end()));

    // Faces only, in the pressed viewport: the grid covers the whole view without a gap, and
    // the orange of the selection lies where the cap is seen and nowhere else.
    for (const char* name : {"pointsButton", "linesButton"}) {
        auto* button = window.findChild<QToolButton*>(QLatin1String(name));
        QVERIFY(button != nullptr && button->isChecked());
        QTest::mouseClick(button, Qt::LeftButton);
    }
    QVERIFY(!view->viewport().renderPoints && !view->viewport().renderLines &&
            view->viewport().renderFilled);
    QApplication::processEvents();
    const QImage image = view->grabFramebuffer();
    const double scale = image.width() / double(view->width());
    double left = 1e9, top = 1e9, right = -1e9, bottom = -1e9;
    for (const std::uint32_t v : cap) {
        const QPointF p = widgetPosition(*view, layer->positions[v]) * scale;
        left = std::min(left, p.x());
        right = std::max(right, p.x());
        top = std::min(top, p.y());
        bottom = std::max(bottom, p.y());
    }
    const QRectF box = QRectF(left, top, right - left, bottom - top).adjusted(-2, -2, 2, 2);
    int gaps = 0;
    int selected = 0;
    int strays = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y);
            gaps += isBackground(p);
            if (isSelectedColour(p)) {
                ++selected;
                strays += !box.contains(QPointF(x + 0.5, y + 0.5));
            }
        }
    }
    QCOMPARE(gaps, 0);
    QVERIFY2(selected > 0, "the selected cap is not drawn");
    QCOMPARE(strays, 0);
}

int main(int argc, char* argv[]) {
    GLView::setDefaultFormat();
    QApplication app(argc, argv);
    LargeMeshTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "large_mesh_test.moc"
