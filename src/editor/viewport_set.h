#pragma once

#include "geometry/vector.h"
#include "scene/camera.h"
#include "scene/viewport.h"

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace tessel {

// The four viewports of the editing area (top-left, top-right, bottom-left, bottom-right), each
// with its own camera, and the viewport worked in last.
class ViewportSet {
public:
    // Makes the four cameras ("Camera 1" … "Camera 4") at their starting places.
    ViewportSet();

    // Binds the viewports to the cameras, in order, and gives each its selection volume.
    void bind(const std::array<Viewport*, 4>& viewports);
    bool isBound() const { return !viewports_.empty(); }

    // The camera of each viewport, in viewport order.
    const std::vector<CameraPtr>& cameras() const { return cameras_; }
    const std::vector<Viewport*>& viewports() const { return viewports_; }
    // The viewport of the last press; before any, the first viewport.
    Viewport& recent();
    void setRecent(Viewport& view) { recent_ = &view; }

    // Puts every camera back: the first close to the grid, the others further back. Each bound
    // view is named after its starting camera again.
    void resetCameras();

    // Moves the view's camera one step for a camera key (a, d: sideways; s, w: up and down;
    // q, e: along the view; z, x: pitch; c, v: yaw); whether `characters` was one. A turn makes
    // it a user view.
    static bool stepCamera(Viewport& view, const std::optional<std::string>& characters);
    // Turns the view's camera to look at `centre` as the axis view `name` (Front … Bottom) does,
    // keeping its distance, and names the view so. Any other name is a programming error.
    static void lookAlong(Viewport& view, const Vector3& centre, ViewName name);

private:
    std::vector<CameraPtr> cameras_;
    std::vector<Viewport*> viewports_;
    Viewport* recent_ = nullptr;
};

} // namespace tessel
