#include "tools/picking.h"

#include "base/check.h"
#include "mesh/intersections.h"
#include "tools/tool_support.h"

#include <algorithm>
#include <cmath>

namespace tessel {

namespace {

// projection * aspect correction * camera⁻¹ * node: the frame in which depths are judged.
Matrix depthMatrix(Viewport& view, const Node* node) {
    const CameraPtr& camera = view.camera;
    TESSEL_CHECK(camera != nullptr, "currentPosition", "the viewport has no camera");
    Matrix m = camera->viewProjection(view.aspectRatio);
    if (node != nullptr) {
        m = m * node->matrix();
    }
    return m;
}

} // namespace

Vector3 currentPosition(const Vector3& point, Viewport& view, const Node* node) {
    return project(point, depthMatrix(view, node));
}

std::optional<std::pair<size_t, Vector3>> nearestIntersection(const Layer& layer, const Line& line,
                                                              Viewport& view, const Node& node) {
    const std::vector<std::pair<size_t, Vector3>> hits = intersections(layer, line);
    if (hits.empty()) {
        return std::nullopt;
    }
    // The frame does not change between hits, so one matrix serves them all.
    const Matrix m = depthMatrix(view, &node);
    const std::pair<size_t, Vector3>* nearest = nullptr;
    float nearestDepth = 0;
    for (const auto& hit : hits) {
        const float depth = project(hit.second, m).z;
        // Drops hits at or behind the near plane and not-a-number depths; strict < keeps the
        // earlier of equal depths.
        if (depth > 0 && (nearest == nullptr || depth < nearestDepth)) {
            nearest = &hit;
            nearestDepth = depth;
        }
    }
    if (nearest == nullptr) {
        return std::nullopt;
    }
    return *nearest;
}

std::optional<std::pair<MeshPtr, Vector3>> nearestMesh(const std::vector<MeshPtr>& meshes,
                                                       Vec2 position, Viewport& view) {
    const CameraPtr& camera = view.camera;
    TESSEL_CHECK(camera != nullptr, "nearestMesh", "the viewport has no camera");
    // The eye is the camera's own translation, not its world position.
    const Vector3 eye = camera->localMatrix.translationPart();
    const Vector3 nearPoint = unproject(position.x, position.y, 0, view);
    const Line line{eye, nearPoint};

    std::vector<std::pair<MeshPtr, Vector3>> candidates;
    for (const MeshPtr& mesh : meshes) {
        TESSEL_CHECK(mesh != nullptr, "nearestMesh", "null mesh in the list");
        const LayerPtr layer = mesh->model()->layer();
        if (auto hit = nearestIntersection(*layer, line, view, *mesh)) {
            candidates.emplace_back(mesh, hit->second);
        }
    }

    const std::pair<MeshPtr, Vector3>* nearest = nullptr;
    float nearestDepth = 0;
    for (const auto& candidate : candidates) {
        const float depth = currentPosition(candidate.second, view, candidate.first.get()).z;
        if (depth > 0 && (nearest == nullptr || depth < nearestDepth)) {
            nearest = &candidate;
            nearestDepth = depth;
        }
    }
    if (nearest == nullptr) {
        return std::nullopt;
    }
    return *nearest;
}

} // namespace tessel
