// One drag event as the user experiences it, with the selected mesh a QuadGenerator grid of
// 100,352 (224 × 224) or 200,978 (317 × 317) triangles and the tool active in an editor with four
// viewports: the event goes through Editor::drag to the tool, which
// evaluates the preview before the repaint is asked for, and then every viewport prepares its
// frame as the renderer does on the CPU (flatten the scene, take each mesh's shown layer and the
// index lists, which the first viewport builds for all four). Only the GL calls are left out.
//
// Names are Interaction/<tool>/<triangles>. The time that counts is CPU time; the previous
// preview is released inside the event, as it is for the user. Mesh "Subdivide" has no drag:
// its event is the apply button followed by the next frame, which shows the following level's
// preview of the committed mesh.
#include "editor/frame_data.h"
#include "tools/plane_cut.h"
#include "tools/selection.h"
#include "tools/tool_support.h"
#include "tools/vertex_translation.h"

#include "../tests/support/fake_viewport.h"

#include "grid_sizes.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>

namespace tessel {
namespace {

using Mode = Editor::Mode;

struct FrameStats {
    size_t triangles = 0;
    size_t points = 0;
};

// The CPU side of Renderer::render for one viewport.
FrameStats prepareFrame(Editor& controller, Viewport& view) {
    const std::vector<DrawItem> items = controller.prepareFrame(view);
    FrameStats stats;
    for (const DrawItem& item : items) {
        stats.triangles += item.data->triangles.size() / 3;
        stats.points += item.layer->positions.size();
    }
    benchmark::DoNotOptimize(items.data());
    return stats;
}

// The loaded editor (grid and cube under the root, four viewports) with the grid replaced by a
// large one, selected, in `mode` with tool `tool`.
struct Session {
    Session(std::int64_t triangles, Mode mode, int tool) {
        const int n = grid_sizes::segmentsFor(triangles);
        grid = editor.quad();
        grid->setModel(QuadGenerator(n, n).generate());
        // Selecting again builds the tool for the new model.
        editor.controller.selectMesh(grid);
        editor.controller.modeSelected(static_cast<int>(mode));
        editor.controller.toolSelected(tool);
    }

    FrameStats frame() {
        FrameStats total;
        for (size_t i = 0; i < editor.views.size(); ++i) {
            const FrameStats s = prepareFrame(editor.controller, editor.views[i]);
            total.triangles += s.triangles;
            total.points += s.points;
        }
        return total;
    }

    const Layer& committedLayer() { return *grid->model()->committed(); }
    testing::FakeViewport& view() { return editor.views[0]; }

    testing::FakeEditor editor{1.0f};
    MeshPtr grid;
};

// Viewport 0's camera sees world (x, y) of the grid at normalized (0.5 − x, 0.5 + y).
Vec2 normalizedOf(const Vector3& world) { return {0.5f - world.x, 0.5f + world.y}; }

// A position inside a grid face near the centre, off every edge at both sizes.
constexpr Vec2 kInsideAFace{0.39f, 0.54f};

// Drags back and forth along `direction` (normalized units per event) from the press position,
// turning every 40 events, so that every event changes the preview.
class DragPath {
public:
    DragPath(Vec2 start, Vec2 direction) : position_(start), step_(direction) {}
    Vec2 next() {
        if (count_++ % 40 == 0) {
            sign_ = -sign_;
        }
        position_.x += sign_ * step_.x;
        position_.y += sign_ * step_.y;
        return position_;
    }

private:
    Vec2 position_;
    Vec2 step_;
    float sign_ = -1;
    int count_ = 0;
};

void setCounters(benchmark::State& state, const FrameStats& stats) {
    // Per frame of all four viewports: what the viewports drew in total.
    state.counters["tris_drawn"] = static_cast<double>(stats.triangles);
    state.counters["points_drawn"] = static_cast<double>(stats.points);
}

// The measured event, kept out of line so that a profiler can collect exactly it
// (valgrind --tool=callgrind --toggle-collect='*dragEvent*').
[[gnu::noinline]] FrameStats dragEvent(Session& session, Vec2 to) {
    session.view().dragTo(to.x, to.y);
    return session.frame();
}

[[gnu::noinline]] FrameStats applyEvent(Session& session) {
    session.editor.controller.apply();
    return session.frame();
}

void runDrag(benchmark::State& state, Session& session, Vec2 start, Vec2 direction) {
    DragPath path(start, direction);
    FrameStats stats;
    for (auto _ : state) {
        stats = dragEvent(session, path.next());
    }
    setCounters(state, stats);
    session.view().release();
}

// --- Vertex "Move": 1,000 points selected, the press on one of them ---

void VertexMove(benchmark::State& state) {
    Session session(state.range(0), Mode::Vertex, 0);
    Editor& controller = session.editor.controller;
    testing::FakeViewport& view = session.view();
    const Layer& layer = session.committedLayer();
    const int n = grid_sizes::segmentsFor(state.range(0));
    const size_t row = static_cast<size_t>(n + 1);
    const Vector3 pressed = layer.positions[(row / 2 + 3) * row + row / 2 + 5];
    const Vec2 at = normalizedOf(pressed);

    // The selection holds every point the click box there catches (so that the press keeps the
    // selection and drags it), then points spread over the grid up to 1,000.
    view.pressPosition = at;
    view.pointerPosition = at;
    std::vector<std::int64_t> ids = pointsInside(controller.selectionSides(view, true), layer);
    const size_t count = layer.positions.size();
    for (size_t i = 0; ids.size() < 1000; ++i) {
        const auto id = static_cast<std::int64_t>(i * (count / 1000));
        if (std::find(ids.begin(), ids.end(), id) == ids.end()) {
            ids.push_back(id);
        }
    }
    std::sort(ids.begin(), ids.end());
    controller.selectedPointsIds() = ids;
    view.press(at.x, at.y);
    const auto* tool = dynamic_cast<const VertexTranslation*>(controller.tool().get());
    if (controller.selectedPointsIds().size() != 1000 || tool == nullptr ||
        !tool->initialPosition()) {
        state.SkipWithError("the press did not pick a selected point");
        return;
    }
    session.frame();
    runDrag(state, session, at, {0.002f, 0.001f});
}

// --- Polygon "Move", "Scale", "Extrude": the press on a face of the grid ---

void pressedFaceDrag(benchmark::State& state, int tool) {
    Session session(state.range(0), Mode::Polygon, tool);
    session.frame();
    session.view().press(kInsideAFace.x, kInsideAFace.y);
    if (session.editor.controller.selectedFacesIds().empty()) {
        state.SkipWithError("the press hit no face");
        return;
    }
    session.frame();
    runDrag(state, session, kInsideAFace, {0.002f, 0.001f});
}

void PolygonMove(benchmark::State& state) { pressedFaceDrag(state, 0); }
void PolygonScale(benchmark::State& state) { pressedFaceDrag(state, 1); }
void Extrude(benchmark::State& state) { pressedFaceDrag(state, 3); }

// --- Polygon "Plane cut": the plane x = 0.001 (turned there beforehand), grabbed on the grid
// and moved sideways, so every event cuts one column of cells somewhere else ---

void PlaneCutMove(benchmark::State& state) {
    Session session(state.range(0), Mode::Polygon, 2);
    auto* tool = dynamic_cast<PlaneCut*>(session.editor.controller.tool().get());
    if (tool == nullptr) {
        state.SkipWithError("Plane cut is not the active tool");
        return;
    }
    tool->normal = {1, 0, 0};
    tool->cuttingPlaneOrigin = {0.001f, 0, 0};
    // Installed again, the preview has not been evaluated yet and shows no plane patch, so the
    // press takes the mesh (the edge-on patch could not be hit from these cameras).
    Model& model = *session.grid->model();
    model.setModifier(model.modifier());
    session.view().press(kInsideAFace.x, kInsideAFace.y);
    if (!tool->intersection) {
        state.SkipWithError("the press hit nothing");
        return;
    }
    session.frame();
    runDrag(state, session, kInsideAFace, {0.002f, 0});
}

// --- Mesh "Move": the press on the grid ---

void MeshMove(benchmark::State& state) {
    Session session(state.range(0), Mode::Mesh, 0);
    session.frame();
    session.view().press(kInsideAFace.x, kInsideAFace.y);
    if (session.editor.controller.selectedNode() != session.grid ||
        !session.grid->model()->modifier()) {
        state.SkipWithError("the press did not take the grid");
        return;
    }
    session.frame();
    runDrag(state, session, kInsideAFace, {0.002f, 0.001f});
}

// --- Mesh "Subdivide": apply, then the next frame ---

void MeshSubdivide(benchmark::State& state) {
    Session session(state.range(0), Mode::Mesh, 1);
    Model& model = *session.grid->model();
    const LayerPtr original = model.committed();
    if (!model.modifier()) {
        state.SkipWithError("Subdivide installed no preview");
        return;
    }
    FrameStats stats;
    for (auto _ : state) {
        state.PauseTiming();
        // Back to the grid, its preview shown once, as before the user presses the button. The
        // committed layer is a layer of its own, which the apply releases as it would the user's.
        model.setCommitted(std::make_shared<Layer>(*original));
        session.editor.controller.refresh();
        session.frame();
        state.ResumeTiming();

        stats = applyEvent(session);
    }
    setCounters(state, stats);
}

// --- Navigation: one orbit, pan or zoom event of viewport 0 and the next frame, with a Polygon
// "Move" preview of the grid installed (navigation must leave it as it is) ---

[[gnu::noinline]] FrameStats navigationEvent(Session& session, int kind, float sign) {
    Editor& controller = session.editor.controller;
    testing::FakeViewport& view = session.view();
    switch (kind) {
    case 0: controller.orbit(view, {0.01f * sign, 0.005f * sign}); break;
    case 1: controller.pan(view, {0.5f, 0.5f}, {0.5f + 0.01f * sign, 0.5f}); break;
    default: controller.zoom(view, kInsideAFace, sign); break;
    }
    return session.frame();
}

void navigate(benchmark::State& state, int kind) {
    Session session(state.range(0), Mode::Polygon, 0);
    session.frame();
    const LayerPtr shown = session.grid->model()->layer();
    session.editor.controller.beginNavigation(session.view());
    FrameStats stats;
    int count = 0;
    for (auto _ : state) {
        // Back and forth, so that the camera stays near the grid.
        stats = navigationEvent(session, kind, (count++ / 20) % 2 == 0 ? 1.0f : -1.0f);
    }
    if (session.grid->model()->layer() != shown) {
        state.SkipWithError("navigation evaluated the preview again");
        return;
    }
    setCounters(state, stats);
}

void Orbit(benchmark::State& state) { navigate(state, 0); }
void Pan(benchmark::State& state) { navigate(state, 1); }
void Zoom(benchmark::State& state) { navigate(state, 2); }

// A transform the keyboard started on every tenth point, driven by the pointer with no button
// held: each event is Editor::hover (the preview follows) and the four viewports' frames.
void keyboardTransform(benchmark::State& state, TransformGesture::Kind kind) {
    Session session(state.range(0), Mode::Vertex, 0);
    Editor& controller = session.editor.controller;
    const size_t points = session.committedLayer().positions.size();
    for (size_t i = 0; i < points; i += 10) {
        controller.selectedPointsIds().push_back(static_cast<std::int64_t>(i));
    }
    controller.startTransform(kind, session.view(), {0.7f, 0.6f});
    session.frame();
    DragPath path({0.7f, 0.6f}, {0.002f, 0.001f});
    FrameStats stats;
    for (auto _ : state) {
        controller.hover(session.view(), path.next());
        stats = session.frame();
    }
    if (!controller.isTransforming()) {
        state.SkipWithError("the transform did not run");
    }
    setCounters(state, stats);
}

void TransformMove(benchmark::State& state) {
    keyboardTransform(state, TransformGesture::Kind::Move);
}
void TransformRotate(benchmark::State& state) {
    keyboardTransform(state, TransformGesture::Kind::Rotate);
}
void TransformScale(benchmark::State& state) {
    keyboardTransform(state, TransformGesture::Kind::Scale);
}

const bool registered = [] {
    const std::pair<const char*, void (*)(benchmark::State&)> tools[] = {
        {"Interaction/VertexMove", VertexMove},
        {"Interaction/PolygonMove", PolygonMove},
        {"Interaction/PolygonScale", PolygonScale},
        {"Interaction/Extrude", Extrude},
        {"Interaction/PlaneCut", PlaneCutMove},
        {"Interaction/MeshMove", MeshMove},
        {"Interaction/MeshSubdivide", MeshSubdivide},
        {"Navigation/Orbit", Orbit},
        {"Navigation/Pan", Pan},
        {"Navigation/Zoom", Zoom},
    };
    for (const auto& [name, function] : tools) {
        benchmark::RegisterBenchmark(name, function)->Apply(grid_sizes::triangles);
    }
    const std::pair<const char*, void (*)(benchmark::State&)> transforms[] = {
        {"Interaction/KeyboardMove", TransformMove},
        {"Interaction/KeyboardRotate", TransformRotate},
        {"Interaction/KeyboardScale", TransformScale},
    };
    for (const auto& [name, function] : transforms) {
        benchmark::RegisterBenchmark(name, function)->Apply(grid_sizes::millionTriangles);
    }
    return true;
}();

} // namespace
} // namespace tessel
