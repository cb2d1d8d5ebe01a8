#include "tools/picking.h"

#include "base/check.h"
#include "tools/tool_support.h"

#include <algorithm>
#include <cmath>

namespace tessel {

namespace {

// projection * aspect correction * camera⁻¹ * node: the frame in which depths are judged.
Matrix depthMatrix(Viewport& view, const Node* node) {
    const CameraPtr& camera = view.camera();
    TESSEL_CHECK(camera != nullptr, "currentPosition", "the viewport has no camera");
    Matrix m =
        camera->projection() * Matrix::view(view.aspectRatio()) * camera->matrix().inverted();
    if (node != nullptr) {
        m = m * node->matrix();
    }
    return m;
}

// Every polygon hit by the ray, ascending by id: the same list as Layer::intersections, which
// computes a plane hit and an inside test for every triangle. A cheap test first drops the
// triangles that lie entirely to one side of the line; the margin is far above the rounding
// of the exact test, so no triangle that test would accept is dropped.
std::vector<std::pair<size_t, Vector3>> hitsOf(const Layer& layer, const Line& line) {
    const Vector3& p0 = line.first;
    const Vector3 dir = line.second - p0;
    const double dx = dir.x, dy = dir.y, dz = dir.z;
    const double length = std::sqrt(dx * dx + dy * dy + dz * dz);
    if (!(length > 0) || !std::isfinite(length)) {
        return layer.intersections(line);
    }
    // Two unit vectors perpendicular to the line: e1 across its largest component, e2 = d × e1.
    const double d[3] = {dx / length, dy / length, dz / length};
    double e1[3];
    if (std::abs(d[0]) <= std::abs(d[1]) && std::abs(d[0]) <= std::abs(d[2])) {
        const double l = std::sqrt(d[1] * d[1] + d[2] * d[2]);
        e1[0] = 0, e1[1] = d[2] / l, e1[2] = -d[1] / l;
    } else if (std::abs(d[1]) <= std::abs(d[2])) {
        const double l = std::sqrt(d[0] * d[0] + d[2] * d[2]);
        e1[0] = -d[2] / l, e1[1] = 0, e1[2] = d[0] / l;
    } else {
        const double l = std::sqrt(d[0] * d[0] + d[1] * d[1]);
        e1[0] = d[1] / l, e1[1] = -d[0] / l, e1[2] = 0;
    }
    const double e2[3] = {d[1] * e1[2] - d[2] * e1[1], d[2] * e1[0] - d[0] * e1[2],
                          d[0] * e1[1] - d[1] * e1[0]};
    const auto magnitude = [](const Vector3& v) {
        return std::max({std::abs(v.x), std::abs(v.y), std::abs(v.z)});
    };
    const float startMagnitude = magnitude(p0);

    std::vector<std::pair<size_t, Vector3>> result;
    double u[3];
    double v[3];
    for (size_t id = 0; id < layer.polygons.size(); ++id) {
        const Polygon& polygon = *layer.polygons[id];
        if (polygon.isTriangle()) {
            const auto verts = polygon.verts();
            float largest = startMagnitude;
            for (int k = 0; k < 3; ++k) {
                const Vector3& p = verts[k]->position;
                const double rx = double(p.x) - p0.x, ry = double(p.y) - p0.y,
                             rz = double(p.z) - p0.z;
                u[k] = rx * e1[0] + ry * e1[1] + rz * e1[2];
                v[k] = rx * e2[0] + ry * e2[1] + rz * e2[2];
                largest = std::max(largest, magnitude(p));
            }
            const double margin = 1e-4 * (1.0 + largest);
            // Comparisons with not-a-number fail, leaving such triangles to the exact test.
            if ((u[0] > margin && u[1] > margin && u[2] > margin) ||
                (u[0] < -margin && u[1] < -margin && u[2] < -margin) ||
                (v[0] > margin && v[1] > margin && v[2] > margin) ||
                (v[0] < -margin && v[1] < -margin && v[2] < -margin)) {
                continue;
            }
        }
        if (auto x = layer.intersection(id, line)) {
            result.emplace_back(id, *x);
        }
    }
    return result;
}

} // namespace

Vector3 currentPosition(const Vector3& point, Viewport& view, const Node* node) {
    return project(point, depthMatrix(view, node));
}

std::optional<std::pair<size_t, Vector3>> nearestIntersection(const Layer& layer, const Line& line,
                                                              Viewport& view, const Node& node) {
    const std::vector<std::pair<size_t, Vector3>> hits = hitsOf(layer, line);
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
    const CameraPtr& camera = view.camera();
    TESSEL_CHECK(camera != nullptr, "nearestMesh", "the viewport has no camera");
    // The eye is the camera's own translation, not its world position.
    const Vector3 eye = camera->localMatrix.translationPart();
    const Vector3 nearPoint = unproject(position.x, position.y, 0, view);
    const Line line{eye, nearPoint};

    std::vector<std::pair<MeshPtr, Vector3>> candidates;
    for (const MeshPtr& mesh : meshes) {
        TESSEL_CHECK(mesh != nullptr, "nearestMesh", "null mesh in the list");
        const LayerPtr layer = firstLayer(*mesh->model(), "nearestMesh");
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
