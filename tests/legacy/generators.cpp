#include "legacy/generators.h"

#include "geometry/plane.h"

#include <array>

namespace tessel::legacy {

LayerPtr gridLayer(std::int64_t h, std::int64_t v) {
    const std::vector<float> xs = NormalizedRange(h + 1);
    const std::vector<float> ys = NormalizedRange(v + 1);
    const size_t row = static_cast<size_t>(h + 1);

    // The record of key (i, j) is points[j * (H + 1) + i]: creation order, row by row.
    std::vector<PointPtr> points;
    points.reserve(row * static_cast<size_t>(v + 1));
    for (std::int64_t j = 0; j <= v; ++j) {
        for (std::int64_t i = 0; i <= h; ++i) {
            points.push_back(Point::make(xs[i] - 0.5f, ys[j] - 0.5f, 0));
        }
    }

    std::vector<PolygonPtr> polygons;
    polygons.reserve(2 * static_cast<size_t>(h) * static_cast<size_t>(v));
    for (std::int64_t j = 0; j < v; ++j) {
        for (std::int64_t i = 0; i < h; ++i) {
            const size_t k = static_cast<size_t>(j) * row + static_cast<size_t>(i);
            const PointPtr& p00 = points[k];           // (i, j)
            const PointPtr& p10 = points[k + 1];       // (i + 1, j)
            const PointPtr& p11 = points[k + row + 1]; // (i + 1, j + 1)
            const PointPtr& p01 = points[k + row];     // (i, j + 1)
            polygons.push_back(Triangle::make(p00, p10, p11));
            polygons.push_back(Triangle::make(p00, p11, p01));
        }
    }
    return Layer::make(std::move(points), std::move(polygons));
}

LayerPtr cubeLayer() {
    static constexpr std::array<Vector3, 8> corners{{
        {-1, -1, -1},
        {1, -1, -1},
        {1, 1, -1},
        {-1, 1, -1},
        {-1, -1, 1},
        {1, -1, 1},
        {1, 1, 1},
        {-1, 1, 1},
    }};
    static constexpr std::array<std::array<int, 3>, 12> triangles{{
        {0, 1, 2},
        {0, 2, 3},
        {4, 6, 5},
        {4, 7, 6},
        {0, 7, 4},
        {0, 3, 7},
        {1, 5, 6},
        {1, 6, 2},
        {0, 5, 1},
        {0, 4, 5},
        {3, 2, 6},
        {3, 6, 7},
    }};
    std::vector<PointPtr> points;
    points.reserve(corners.size());
    for (const Vector3& corner : corners) {
        points.push_back(Point::make(corner));
    }
    std::vector<PolygonPtr> polygons;
    polygons.reserve(triangles.size());
    for (const auto& t : triangles) {
        polygons.push_back(Triangle::make(points[t[0]], points[t[1]], points[t[2]]));
    }
    return Layer::make(std::move(points), std::move(polygons));
}

} // namespace tessel::legacy
