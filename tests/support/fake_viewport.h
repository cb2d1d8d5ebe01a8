#pragma once

#include "editor/editor.h"
#include "editor/history.h"
#include "tools/tool_support.h"

#include <array>
#include <string>
#include <vector>

namespace tessel::testing {

// A viewport without a window: its state, and gestures at normalized positions (0 to 1 across,
// (0, 0) bottom-left) or over world points sent to the editor it is bound to.
struct FakeViewport : Viewport {
    explicit FakeViewport(float aspect = 1.0f) { aspectRatio = aspect; }

    // Where this viewport shows a world point.
    Vec2 normalizedOf(const Vector3& world) {
        const Vector3 device = project(world, *this);
        return {(device.x + 1) / 2, (device.y + 1) / 2};
    }

    using Change = Editor::SelectionChange;
    void press(float x, float y, Change change = Change::Replace) {
        editor->press(*this, {x, y}, change);
    }
    void press(const Vector3& world, Change change = Change::Replace) {
        editor->press(*this, normalizedOf(world), change);
    }
    // Moves the pointer to (x, y); the delta is the movement in device units (2 across the view).
    void dragTo(float x, float y) {
        const Vec2 from = pointerPosition;
        editor->drag(*this, {x, y}, {2 * (x - from.x), 2 * (y - from.y)});
    }
    void dragTo(const Vector3& world) { dragTo(normalizedOf(world).x, normalizedOf(world).y); }
    void release() { editor->release(*this); }
    void click(float x, float y) {
        press(x, y);
        release();
    }
    // A key typed in this viewport.
    void key(const std::optional<std::string>& characters) { editor->key(characters); }

    Editor* editor = nullptr;
};

// The editor with four fake viewports as at start-up. The "Quad" grid is selected: point 5j + i
// at (i/4 − 0.5, j/4 − 0.5, 0); faces 2c = (k, k + 1, k + 6) and 2c + 1 = (k, k + 6, k + 5) for
// cell c = 4j + i, k = 5j + i. The "Cube" is beside it. Camera 0 sits at z = 0.5, so viewport 0
// shows z = 0 at (0.5 − x, 0.5 + y); the other cameras sit at z = 2.5. The history takes the
// document's steps, as the window's does.
struct FakeEditor {
    explicit FakeEditor(float aspect = 1.0f)
        : views{FakeViewport(aspect), FakeViewport(aspect), FakeViewport(aspect),
                FakeViewport(aspect)},
          controller(window) {
        controller.bindViewports({&views[0], &views[1], &views[2], &views[3]});
        for (FakeViewport& view : views) {
            view.editor = &controller;
        }
        window.stepRecorded.connect([this](const StepPtr& step) { history.record(step); });
    }
    FakeEditor(const FakeEditor&) = delete;
    FakeEditor& operator=(const FakeEditor&) = delete;

    MeshPtr quad() const { return asMesh(window.scene()->root()->children().at(0)); }
    MeshPtr cube() const { return asMesh(window.scene()->root()->children().at(1)); }
    Model& grid() const { return *quad()->model(); }

    void pick(Editor::Mode mode, int tool) {
        controller.modeSelected(static_cast<int>(mode));
        controller.toolSelected(tool);
    }
    template <class Tool> std::shared_ptr<Tool> tool() const {
        return std::dynamic_pointer_cast<Tool>(controller.tool());
    }
    // The kept steps' names, the oldest first.
    std::vector<std::string> stepNames() const {
        std::vector<std::string> names;
        for (std::size_t i = 0; i < history.count(); ++i) {
            names.push_back(history.step(i).name());
        }
        return names;
    }

    Document window;
    std::array<FakeViewport, 4> views;
    Editor controller;
    History history;
};

} // namespace tessel::testing
