#include "mesh/model.h"

#include "base/check.h"
#include "geometry/plane.h"

#include <array>
#include <limits>

namespace tessel {

// --- QuadGenerator ---

QuadGenerator::QuadGenerator(std::int64_t horizontalSegmentsNum, std::int64_t verticalSegmentsNum)
    : horizontalSegmentsNum(horizontalSegmentsNum), verticalSegmentsNum(verticalSegmentsNum) {
    TESSEL_CHECK(horizontalSegmentsNum >= 1 && verticalSegmentsNum >= 1, "QuadGenerator",
                 "segment counts must be at least 1, got " << horizontalSegmentsNum << " × "
                                                           << verticalSegmentsNum);
    // (H + 1)(V + 1) points must fit the 32-bit index hints of Point (and memory).
    constexpr std::int64_t maxPoints = std::numeric_limits<std::uint32_t>::max();
    TESSEL_CHECK(verticalSegmentsNum < maxPoints &&
                     horizontalSegmentsNum < maxPoints / (verticalSegmentsNum + 1),
                 "QuadGenerator",
                 "too many points for " << horizontalSegmentsNum << " × " << verticalSegmentsNum
                                        << " segments");
}

ModelPtr QuadGenerator::generate() const {
    return Model::make({generateLayer()});
}

LayerPtr QuadGenerator::generateLayer() const {
    const std::int64_t h = horizontalSegmentsNum;
    const std::int64_t v = verticalSegmentsNum;
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

// --- Model generators ---

ModelPtr Model::makeQuad(const ParamsPtr& params) {
    ModelPtr model = Model::make({});
    model->setGeneratorContext(params);
    // The model owns this function, so it refers back weakly: no ownership cycle.
    model->_layers = [weakModel = std::weak_ptr<Model>(model)]() -> std::vector<LayerPtr> {
        const ModelPtr self = weakModel.lock();
        TESSEL_CHECK(self != nullptr, "Model.makeQuad", "the grid's model no longer exists");
        const ParamsPtr current = self->params();
        TESSEL_CHECK(current != nullptr, "Model.makeQuad",
                     "generatorContext does not hold Model.Params (holds "
                         << (self->generatorContext().has_value()
                                 ? self->generatorContext().type().name()
                                 : "nothing")
                         << ")");
        return {QuadGenerator(current->u(), current->v()).generateLayer()};
    };
    return model;
}

ModelPtr Model::makeCube() {
    ModelPtr model = Model::make({});
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
    std::vector<LayerPtr> layers = model->layers();
    layers.push_back(Layer::make(std::move(points), std::move(polygons)));
    model->setLayers(std::move(layers));
    return model;
}

ModelPtr Model::makePlane(const Plane& plane) {
    TESSEL_CHECK(plane.origin_.has_value(), "Model.makePlane",
                 "the plane " << plane.coefficients << " has no origin");
    ModelPtr model = Model::make({});
    const float a = plane.coefficients[0];
    const float b = plane.coefficients[1];
    const float c = plane.coefficients[2];

    // p ⟂ n; q = p × n. Strict comparison: equal values take the second form.
    Vector3 p;
    Vector3 q;
    if (b * b + c * c < a * a + c * c) {
        p = {c, 0, -a};
        q = {a * b, -(a * a + c * c), b * c};
    } else {
        p = {0, c, -b};
        q = {b * b + c * c, -a * b, -a * c};
    }

    std::vector<PointPtr> points{Point::make(0, 0, 0), Point::make(p), Point::make(q),
                                 Point::make(-p), Point::make(-q)};
    std::vector<PolygonPtr> polygons{
        Triangle::make(points[0], points[1], points[2]),
        Triangle::make(points[0], points[2], points[3]),
        Triangle::make(points[0], points[3], points[4]),
        Triangle::make(points[0], points[4], points[1]),
    };
    std::vector<LayerPtr> layers = model->layers();
    layers.push_back(Layer::make(std::move(points), std::move(polygons)));
    model->setLayers(std::move(layers));

    const LayerPtr first = model->layers().front();
    for (const PointPtr& point : first->points) {
        point->position = point->position * 2.2f;
    }
    for (const PointPtr& point : first->points) {
        point->position += *plane.origin_;
    }
    return model;
}

} // namespace tessel
