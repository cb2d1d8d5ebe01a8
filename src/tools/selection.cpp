#include "tools/selection.h"

#include "base/check.h"
#include "mesh/triangle.h"
#include "tools/picking.h"
#include "tools/tool_context.h"
#include "tools/tool_support.h"

#include <algorithm>

namespace tessel {

ScreenRectangle ScreenRectangle::between(Vec2 a, Vec2 b) {
    return {std::min(a.x, b.x), std::max(a.y, b.y), std::max(a.x, b.x), std::min(a.y, b.y)};
}

ScreenRectangle ScreenRectangle::around(Vec2 click) {
    return {click.x - 0.02f, click.y + 0.02f, click.x + 0.02f, click.y - 0.02f};
}

std::array<Vector3, 8> selectionCorners(const ScreenRectangle& r, const Matrix& inverse) {
    const float n = selectionNearDepth;
    const float f = selectionFarDepth;
    return {unproject(r.x2, r.y2, f, inverse), unproject(r.x1, r.y2, f, inverse),
            unproject(r.x1, r.y1, f, inverse), unproject(r.x2, r.y1, f, inverse),
            unproject(r.x2, r.y2, n, inverse), unproject(r.x1, r.y2, n, inverse),
            unproject(r.x1, r.y1, n, inverse), unproject(r.x2, r.y1, n, inverse)};
}

std::array<Plane, 4> selectionSides(const std::array<Vector3, 8>& c) {
    // Each side through three of its corners, wound so that its normal faces outward on the
    // right and left and inward at the bottom and top.
    return {triangle::plane(c[0], c[7], c[4]), triangle::plane(c[1], c[5], c[6]),
            triangle::plane(c[0], c[5], c[1]), triangle::plane(c[3], c[2], c[6])};
}

namespace {

// Calls inside(i) for each point i of the layer inside the four sides, in id order.
template <class F>
void forEachPointInside(const std::array<Plane, 4>& sides, const Layer& layer, F&& inside) {
    struct Side {
        Vector3 normal;
        Vector3 origin;
    };
    Side s[4];
    for (int k = 0; k < 4; ++k) {
        TESSEL_CHECK(sides[k].origin_.has_value(), "pointsInside",
                     "side " << k << " has no origin");
        s[k] = {sides[k].normal(), *sides[k].origin_};
    }
    // Distances as Plane::signedDistance computes them, so a point on a side stays inside.
    const size_t count = layer.positions.size();
    for (size_t i = 0; i < count; ++i) {
        const Vector3& p = layer.positions[i];
        if (s[0].normal.dot(p - s[0].origin) <= 0 && s[1].normal.dot(p - s[1].origin) <= 0 &&
            s[2].normal.dot(p - s[2].origin) >= 0 && s[3].normal.dot(p - s[3].origin) >= 0) {
            inside(i);
        }
    }
}

} // namespace

std::vector<std::int64_t> pointsInside(const std::array<Plane, 4>& sides, const Layer& layer) {
    std::vector<std::int64_t> inside;
    forEachPointInside(sides, layer,
                       [&](size_t i) { inside.push_back(static_cast<std::int64_t>(i)); });
    return inside;
}

std::vector<std::uint8_t> insideFlags(const std::array<Plane, 4>& sides, const Layer& layer) {
    std::vector<std::uint8_t> flags(layer.positions.size(), 0);
    forEachPointInside(sides, layer, [&](size_t i) { flags[i] = 1; });
    return flags;
}

std::optional<Vector3> pressOnPolygon(ToolContext& context, Vec2 /*position*/, Viewport& view) {
    std::vector<std::uint32_t>& faces = context.selectedFacesIds();
    if (!context.pressAddsFaces()) {
        faces.clear();
    }
    const MeshPtr mesh = context.selectedMesh();
    TESSEL_CHECK(mesh != nullptr, "pressOnPolygon", "no mesh is selected");
    const LayerPtr layer = mesh->model()->layer();
    const CameraPtr& camera = view.camera;
    TESSEL_CHECK(camera != nullptr, "pressOnPolygon", "the viewport has no camera");

    // The line runs from the camera's own position through the pointer on the near plane.
    const Vector3 eye = camera->localMatrix.translationPart();
    const Vec2 pointer = devicePosition(view.pointerPosition);
    const Vector3 nearPoint = unproject(pointer.x, pointer.y, 0, view);
    const auto hit = nearestIntersection(*layer, {eye, nearPoint}, view, *mesh);
    if (!hit) {
        return std::nullopt;
    }
    const auto face = static_cast<std::uint32_t>(hit->first);
    if (std::find(faces.begin(), faces.end(), face) == faces.end()) {
        faces.push_back(face);
    }
    return hit->second;
}

} // namespace tessel
