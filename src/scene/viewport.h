#pragma once

#include "geometry/matrix.h"
#include "scene/camera.h"
#include "scene/mesh.h"

#include <string>

namespace tessel {

// A pointer position or a drag delta.
struct Vec2 {
    float x = 0;
    float y = 0;
    bool operator==(const Vec2&) const = default;
};

// Where a viewport looks from: its starting camera, one of the six axis views, or a camera
// turned away from those (a user view).
enum class ViewName { Perspective, User, Front, Back, Left, Right, Top, Bottom };

// The state of one viewport: what it looks through, how it draws, and where the pointer is.
//
// Positions are normalized: 0 to 1 across the viewport on every display, (0, 0) at the
// bottom-left. Drag deltas are in device units (a drag across the whole width is 2, y up).
// The platform view owns one, keeps aspectRatio up to date and hands it to the editor with
// each gesture; the editor binds the camera and the selection volume.
struct Viewport {
    CameraPtr camera;
    // Width over height of the drawable, in pixels.
    float aspectRatio = 1.0f;

    // Set by the commands and gestures that place the camera; panning and zooming keep it.
    ViewName viewName = ViewName::Perspective;

    bool renderPoints = true;
    bool renderLines = true;
    bool renderFilled = true;

    // The box a rectangle selection draws (a cube mesh).
    MeshPtr selectionVolume;

    // Where the last press was, and where the pointer is now.
    Vec2 pressPosition;
    Vec2 pointerPosition;
    // A press the editor did not hand to a tool alone is held (Vertex mode).
    bool isMouseDown = false;
    // A rectangle selection drag is in progress.
    bool isMouseDragged = false;

    // What this viewport shows of the world: the camera's view-projection at this aspect.
    Matrix viewProjection() const { return camera->viewProjection(aspectRatio); }
};

// The viewport's caption: "<camera name> · Perspective" for a starting camera, else the view's
// name ("Front", "User" …).
std::string viewLabel(const Viewport& view);

} // namespace tessel
