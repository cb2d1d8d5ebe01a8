#pragma once

#include "scene/camera.h"
#include "scene/mesh.h"

#include <optional>
#include <string>

namespace tessel {

class Editor;

// A pointer position or a drag delta.
struct Vec2 {
    float x = 0;
    float y = 0;
    bool operator==(const Vec2&) const = default;
};

// What the editor core sees of one viewport: the platform view and its renderer's state.
//
// Positions are normalized: 0 to 1 across the viewport on every display, (0, 0) at the
// bottom-left. Drag deltas are in device units (a drag across the whole width is 2, y up).
// The platform view (the OpenGL widget, or a fake in tests) implements aspectRatio() and
// update(), converts its events and calls mouseDown/mouseDragged/mouseUp/keyDown.
class Viewport {
public:
    Viewport();
    virtual ~Viewport();
    Viewport(const Viewport&) = delete;
    Viewport& operator=(const Viewport&) = delete;

    // Width over height of the drawable, in pixels.
    virtual float aspectRatio() const = 0;
    // Asks for a repaint; the platform view coalesces requests.
    virtual void update() {}

    // The node whose world matrix is the viewport's view-projection once attach() has run.
    const NodePtr& node() const { return node_; }

    // Binds the viewport to its camera and controller (the renderer's construction): installs
    // the finalizer camera.viewProjection(aspectRatio()).
    void attach(CameraPtr camera, Editor* owner);
    const CameraPtr& camera() const { return camera_; }
    Editor* owner() const { return owner_; }

    // Render options of this viewport.
    bool renderPoints = true;
    bool renderLines = true;
    bool renderFilled = true;

    // The box a rectangle selection draws (a cube mesh), set by the editor when it binds the
    // viewport.
    MeshPtr selectionVolume;

    // Pointer state.
    Vec2 normalizedPointerPosition;
    Vec2 normalizedMouseStartLocation;
    // A mouse-down the controller did not take as a tool gesture is held.
    bool isMouseDown = false;
    // A rectangle selection drag is in progress.
    bool isMouseDragged = false;

    // Event entry points.
    void mouseDown(Vec2 normalizedPosition);
    void mouseDragged(Vec2 normalizedPosition, Vec2 deviceDelta);
    void mouseUp();
    void keyDown(const std::optional<std::string>& characters);

private:
    NodePtr node_;
    CameraPtr camera_;
    Editor* owner_ = nullptr;
};

} // namespace tessel
