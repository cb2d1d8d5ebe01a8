#include "tools/selection.h"

#include "base/check.h"
#include "editor/editor.h"
#include "mesh/triangle.h"
#include "tools/picking.h"
#include "tools/tool_support.h"

namespace tessel {

std::vector<Plane> volumePlanes(const Layer& volumeLayer) {
    std::vector<Plane> planes;
    planes.reserve(volumeLayer.triangles.size());
    const std::vector<Vector3>& p = volumeLayer.positions;
    for (const Triangle& t : volumeLayer.triangles) {
        planes.push_back(triangle::plane(p[t[0]], p[t[1]], p[t[2]]));
    }
    return planes;
}

std::vector<std::int64_t> pointsInsideVolume(const std::vector<Plane>& planes, const Layer& layer) {
    TESSEL_CHECK(planes.size() >= 11, "pointsInsideVolume",
                 "a selection volume needs at least 11 planes, got " << planes.size());
    // One triangle of each side face; the near and far faces do not limit the volume.
    struct Side {
        Vector3 normal;
        Vector3 origin;
    };
    auto side = [&](size_t k) {
        TESSEL_CHECK(planes[k].origin_.has_value(), "pointsInsideVolume",
                     "plane " << k << " has no origin");
        return Side{planes[k].normal(), *planes[k].origin_};
    };
    const Side x2 = side(4);
    const Side x1 = side(6);
    const Side y2 = side(8);
    const Side y1 = side(10);

    // One pass with all four tests is the intersection of the four per-plane sets. The
    // distances are computed as Plane::signedDistance does, so a point on a side stays inside.
    std::vector<std::int64_t> inside;
    const size_t count = layer.positions.size();
    for (size_t i = 0; i < count; ++i) {
        const Vector3& p = layer.positions[i];
        if (x2.normal.dot(p - x2.origin) <= 0 && x1.normal.dot(p - x1.origin) <= 0 &&
            y2.normal.dot(p - y2.origin) >= 0 && y1.normal.dot(p - y1.origin) >= 0) {
            inside.push_back(static_cast<std::int64_t>(i));
        }
    }
    return inside;
}

std::optional<Vector3> onPolygonMouseDown(Editor& context, Vec2 /*position*/,
                                          Viewport& view) {
    context.selectedFacesIds.clear();
    const MeshPtr mesh = context.selectedMesh();
    TESSEL_CHECK(mesh != nullptr, "onPolygonMouseDown", "no mesh is selected");
    const LayerPtr layer = mesh->model()->layer();
    const CameraPtr& camera = view.camera();
    TESSEL_CHECK(camera != nullptr, "onPolygonMouseDown", "the viewport has no camera");

    // The line runs from the camera's own position through the pointer on the near plane.
    const Vector3 eye = camera->localMatrix.translationPart();
    const Vec2 pointer = devicePosition(view.normalizedPointerPosition);
    const Vector3 nearPoint = unproject(pointer.x, pointer.y, 0, view);
    const auto hit = nearestIntersection(*layer, {eye, nearPoint}, view, *mesh);
    if (!hit) {
        return std::nullopt;
    }
    context.selectedFacesIds.push_back(static_cast<std::uint32_t>(hit->first));
    return hit->second;
}

} // namespace tessel
