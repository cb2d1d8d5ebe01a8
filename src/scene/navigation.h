#pragma once

#include "geometry/vector.h"
#include "scene/camera.h"

#include <optional>
#include <vector>

namespace tessel {

// Camera moves that navigation gestures and view commands make. A camera's local matrix holds
// its frame: the axes x, y (up) and z (from the view toward the eye) as orthonormal columns,
// and its position; it looks along −z. Each function below leaves that frame orthonormal and
// changes nothing but the camera. Device positions run from −1 to 1 across a viewport of the
// given width-to-height ratio.

// An axis-aligned box in world coordinates.
struct Box {
    Vector3 min;
    Vector3 max;
    Vector3 centre() const { return (min + max) * 0.5f; }
    // Corner i of 8: bit 0 takes max.x, bit 1 max.y, bit 2 max.z (else min's).
    Vector3 corner(int i) const {
        return {i & 1 ? max.x : min.x, i & 2 ? max.y : min.y, i & 4 ? max.z : min.z};
    }
    // Grows the box to hold `p`.
    void add(const Vector3& p);
};

// The box around `points` transformed by `transform`; none for no points.
std::optional<Box> boundsOf(const std::vector<Vector3>& points, const Matrix& transform);

// Turns the camera about `pivot`: by `yaw` radians about the world's y axis, then by `pitch`
// about the camera's own x axis. The pivot keeps its distance to the camera and its place on
// the screen.
void orbit(Camera& camera, const Vector3& pivot, float yaw, float pitch);

// Slides the camera parallel to the screen so that what lies at `pivot`'s depth under the device
// point `from` comes under `to`.
void pan(Camera& camera, float aspectRatio, const Vector3& pivot, float fromX, float fromY,
         float toX, float toY);

// Moves the camera along the line through the device point (x, y): by `factor` of its distance
// to the point of that line at `pivot`'s depth (0 < factor < 1 comes closer, > 1 backs away).
// Everything on the line stays under (x, y). Coming closer does nothing when it would leave a
// pivot ahead less than twice the near distance ahead.
void zoom(Camera& camera, float aspectRatio, const Vector3& pivot, float x, float y, float factor);

// Looks at `pivot` from `direction` (from the pivot toward the eye) at `distance`, with `up` the
// screen's up (perpendicular to the direction).
void lookFrom(Camera& camera, const Vector3& pivot, const Vector3& direction, const Vector3& up,
              float distance);

// Moves the camera along its view, keeping its orientation, to where `box` fills the view with
// `margin` (a fraction of the view's half-size left free on the tightest side) and every point
// of the box lies in front of the near plane.
void frame(Camera& camera, float aspectRatio, const Box& box, float margin = 0.1f);

} // namespace tessel
