#pragma once

#include "editor/detail_view_controller.h"
#include "editor/split_view_controller.h"
#include "editor/viewport.h"

#include <array>

namespace tessel::testing {

// A viewport without a window: a settable aspect ratio, a count of repaint requests, and
// gestures given in normalized coordinates (0 to 1 across, (0, 0) bottom-left).
class FakeViewport : public Viewport {
public:
    explicit FakeViewport(float aspect = 1.0f) : aspect(aspect) {}

    float aspectRatio() const override { return aspect; }
    void update() override { ++updateCount; }

    void press(float x, float y) { mouseDown({x, y}); }
    // Moves the pointer to (x, y); the delta is the movement in device units (2 across the view).
    void dragTo(float x, float y) {
        const Vec2 delta{2 * (x - normalizedPointerPosition.x), 2 * (y - normalizedPointerPosition.y)};
        mouseDragged({x, y}, delta);
    }
    void release() { mouseUp(); }
    void click(float x, float y) {
        press(x, y);
        release();
    }

    float aspect;
    int updateCount = 0;
};

// A window's editing state with four fake viewports, loaded as at start-up: the scene holds the
// "Quad" grid and the "Cube", the grid is selected, and repaint requests reach every viewport.
struct FakeEditor {
    explicit FakeEditor(float aspect = 1.0f)
        : views{FakeViewport(aspect), FakeViewport(aspect), FakeViewport(aspect),
                FakeViewport(aspect)},
          controller(window) {
        controller.needsDisplay.connect([this] {
            for (FakeViewport& view : views) {
                view.update();
            }
        });
        controller.viewDidLoad({&views[0], &views[1], &views[2], &views[3]});
    }

    MeshPtr mesh(size_t childIndex) const {
        return asMesh(window.scene()->root()->children().at(childIndex));
    }
    MeshPtr quad() const { return mesh(0); }
    MeshPtr cube() const { return mesh(1); }

    // Declaration order is destruction order reversed: the controller goes first, while the
    // viewports it detaches still exist.
    SplitViewController window;
    std::array<FakeViewport, 4> views;
    DetailViewController controller;
};

} // namespace tessel::testing
