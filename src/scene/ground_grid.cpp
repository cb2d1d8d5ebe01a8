#include "scene/ground_grid.h"

#include <algorithm>
#include <cmath>

namespace tessel {

namespace {

Vector3 unitAxis(int axis) {
    return {axis == 0 ? 1.0f : 0.0f, axis == 1 ? 1.0f : 0.0f, axis == 2 ? 1.0f : 0.0f};
}

float component(const Vector3& v, int axis) { return axis == 0 ? v.x : axis == 1 ? v.y : v.z; }

} // namespace

GridPlane gridPlaneFor(ViewName name) {
    switch (name) {
    case ViewName::Top:
    case ViewName::Bottom: return GridPlane::Y;
    case ViewName::Left:
    case ViewName::Right: return GridPlane::X;
    default: return GridPlane::Z;
    }
}

GroundGrid placeGroundGrid(const Camera& camera, float aspectRatio, GridPlane plane) {
    const int across = static_cast<int>(plane);
    const int a = across == 0 ? 1 : 0;
    const int b = across == 2 ? 1 : 2;

    // Where the line of sight meets the plane, or the point under the camera.
    const Matrix& m = camera.localMatrix;
    const Vector3 eye = m.translationPart();
    const Vector3 forward{-m(0, 2), -m(1, 2), -m(2, 2)};
    const float height = component(eye, across);
    const float approach = component(forward, across);
    Vector3 centre = eye - unitAxis(across) * height;
    if (height * approach < 0) {
        centre = eye + forward * (-height / approach);
    }

    // The wider side of the view at the centre's distance sets the spacing. Degenerate cameras
    // get a spacing of 1 rather than none.
    const float distance = std::max((centre - eye).length(), camera.zn);
    const float aspect = aspectRatio > 0 && std::isfinite(aspectRatio) ? aspectRatio : 1.0f;
    float wide = 2 * camera.fov * distance * std::max(aspect, 1 / aspect);
    if (!(wide > 0 && std::isfinite(wide))) {
        wide = 10;
    }
    const float decades = std::clamp(std::log10(wide / 10), -30.0f, 30.0f);
    const float spacing = std::pow(10.0f, std::floor(decades));

    GroundGrid grid;
    grid.spacing = spacing;
    // 10^0.7 ≈ 5: the lines' share of the view at which they are gone.
    grid.minorWeight = std::clamp(1 - (decades - std::floor(decades)) / 0.7f, 0.0f, 1.0f);
    grid.centre = {10 * std::round(component(centre, a) / (10 * spacing)),
                   10 * std::round(component(centre, b) / (10 * spacing))};
    const Vector3 u = unitAxis(a);
    const Vector3 v = unitAxis(b);
    grid.placement = Matrix::columns({u * spacing, v * spacing, unitAxis(across) * spacing,
                                      (u * grid.centre[0] + v * grid.centre[1]) * spacing});
    grid.axisColours = {axisColour(a), axisColour(b)};
    return grid;
}

Vector3 axisColour(int axis) {
    switch (axis) {
    case 0: return {0.96f, 0.2f, 0.18f};
    case 1: return {0.62f, 1.0f, 0.22f};
    default: return {0.25f, 0.5f, 1.0f};
    }
}

Matrix axisTriad(const Camera& camera) {
    // The inverse of a rotation is its transpose; the position plays no part.
    Matrix turn;
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c) {
            turn(r, c) = camera.localMatrix(c, r);
        }
    }
    return Matrix::view(1) * turn;
}

} // namespace tessel
