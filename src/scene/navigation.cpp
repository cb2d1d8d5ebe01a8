#include "scene/navigation.h"

#include <algorithm>
#include <cmath>

namespace tessel {

namespace {

struct Frame {
    Vector3 x, y, z, position;
};

Frame frameOf(const Camera& camera) {
    const Matrix& m = camera.localMatrix;
    return {{m(0, 0), m(1, 0), m(2, 0)},
            {m(0, 1), m(1, 1), m(2, 1)},
            {m(0, 2), m(1, 2), m(2, 2)},
            m.translationPart()};
}

// Stores the frame with its axes made orthonormal again (y kept first), so that rounding never
// accumulates into a skewed camera.
void setFrame(Camera& camera, const Frame& f) {
    const Vector3 y = f.y.normalized();
    const Vector3 x = y.cross(f.z).normalized();
    const Vector3 z = x.cross(y);
    camera.localMatrix = Matrix::columns({x, y, z, f.position});
}

// `v` turned by `angle` radians about the unit `axis`.
Vector3 rotated(const Vector3& v, const Vector3& axis, float angle) {
    const float c = std::cos(angle);
    const float s = std::sin(angle);
    return v * c + axis.cross(v) * s + axis * (axis.dot(v) * (1 - c));
}

// The point of the line from the eye through device point (x, y) that lies at `pivot`'s depth
// along the view; a pivot behind the near plane counts as one unit ahead.
Vector3 pointAtPivotDepth(const Camera& camera, float aspectRatio, const Vector3& pivot, float x,
                          float y) {
    const Frame f = frameOf(camera);
    const Vector3 forward = -f.z;
    float depth = (pivot - f.position).dot(forward);
    if (!(depth > camera.zn)) {
        depth = 1;
    }
    const Matrix inverse = camera.viewProjection(aspectRatio).inverted();
    const Vector3 nearPoint = (inverse * Vector4(x, y, 0, 1)).dehomogenized();
    const Vector3 ray = nearPoint - f.position;
    return f.position + ray * (depth / ray.dot(forward));
}

} // namespace

void Box::add(const Vector3& p) {
    min = {std::min(min.x, p.x), std::min(min.y, p.y), std::min(min.z, p.z)};
    max = {std::max(max.x, p.x), std::max(max.y, p.y), std::max(max.z, p.z)};
}

std::optional<Box> boundsOf(const std::vector<Vector3>& points, const Matrix& transform) {
    if (points.empty()) {
        return std::nullopt;
    }
    const auto place = [&transform](const Vector3& p) {
        return (transform * Vector4(p, 1)).dehomogenized();
    };
    Box box{place(points.front()), place(points.front())};
    for (const Vector3& p : points) {
        // Points of a failed edit may not be numbers; they bound nothing.
        if (std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z)) {
            box.add(place(p));
        }
    }
    return box;
}

void orbit(Camera& camera, const Vector3& pivot, float yaw, float pitch) {
    Frame f = frameOf(camera);
    const Vector3 up{0, 1, 0};
    const Vector3 side = f.x.normalized();
    const auto turn = [&](const Vector3& v) { return rotated(rotated(v, side, pitch), up, yaw); };
    f.position = pivot + turn(f.position - pivot);
    f.x = turn(f.x);
    f.y = turn(f.y);
    f.z = turn(f.z);
    setFrame(camera, f);
}

void pan(Camera& camera, float aspectRatio, const Vector3& pivot, float fromX, float fromY,
         float toX, float toY) {
    const Vector3 from = pointAtPivotDepth(camera, aspectRatio, pivot, fromX, fromY);
    const Vector3 to = pointAtPivotDepth(camera, aspectRatio, pivot, toX, toY);
    Frame f = frameOf(camera);
    f.position -= to - from;
    setFrame(camera, f);
}

void zoom(Camera& camera, float aspectRatio, const Vector3& pivot, float x, float y, float factor) {
    Frame f = frameOf(camera);
    const Vector3 target = pointAtPivotDepth(camera, aspectRatio, pivot, x, y);
    const Vector3 moved = target + (f.position - target) * factor;
    // Coming closer stops while a pivot ahead is still clear of the near plane; backing away
    // always works.
    if (factor < 1 && (pivot - f.position).dot(-f.z) > 0 &&
        (pivot - moved).dot(-f.z) < 2 * camera.zn) {
        return;
    }
    // Far enough from the target to tell directions apart, near enough to keep precision.
    const float distance = (moved - target).length();
    if (!(distance > 1e-4f && distance < 1e6f)) {
        return;
    }
    f.position = moved;
    setFrame(camera, f);
}

void lookFrom(Camera& camera, const Vector3& pivot, const Vector3& direction, const Vector3& up,
              float distance) {
    const Vector3 z = direction.normalized();
    setFrame(camera, {up.cross(z), up, z, pivot + z * distance});
}

void frame(Camera& camera, float aspectRatio, const Box& box, float margin) {
    Frame f = frameOf(camera);
    const Vector3 centre = box.centre();
    const float fill = 1 - margin;
    // With the eye at centre + d·z, a corner at r from the centre lies r·z less deep than d and
    // r·x, r·y aside: it is inside the view when its sideways offsets fit the view's half-size
    // at its depth (fov·depth high, aspect times that wide).
    float distance = 0;
    for (int corner = 0; corner < 8; ++corner) {
        const Vector3 p{(corner & 1) ? box.max.x : box.min.x, (corner & 2) ? box.max.y : box.min.y,
                        (corner & 4) ? box.max.z : box.min.z};
        const Vector3 r = p - centre;
        const float along = r.dot(f.z);
        const float across = std::abs(r.dot(f.x)) / (fill * aspectRatio * camera.fov);
        const float upward = std::abs(r.dot(f.y)) / (fill * camera.fov);
        distance = std::max({distance, along + across, along + upward, along + 2 * camera.zn});
    }
    f.position = centre + f.z * distance;
    setFrame(camera, f);
}

} // namespace tessel
