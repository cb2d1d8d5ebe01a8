#include "mesh/model.h"

#include "base/check.h"

#include <array>
#include <limits>

namespace tessel {

// --- QuadGenerator ---

QuadGenerator::QuadGenerator(std::int64_t horizontalSegmentsNum, std::int64_t verticalSegmentsNum)
    : horizontalSegmentsNum(horizontalSegmentsNum), verticalSegmentsNum(verticalSegmentsNum) {
    TESSEL_CHECK(horizontalSegmentsNum >= 1 && verticalSegmentsNum >= 1, "QuadGenerator",
                 "segment counts must be at least 1, got " << horizontalSegmentsNum << " × "
                                                           << verticalSegmentsNum);
    // Every triangle's corner must fit a 32-bit id (and memory).
    constexpr std::int64_t maxPoints = std::numeric_limits<std::uint32_t>::max() / 4;
    TESSEL_CHECK(verticalSegmentsNum < maxPoints &&
                     horizontalSegmentsNum < maxPoints / (verticalSegmentsNum + 1),
                 "QuadGenerator",
                 "too many points for " << horizontalSegmentsNum << " × " << verticalSegmentsNum
                                        << " segments");
}

ModelPtr QuadGenerator::generate() const { return Model::make(generateLayer()); }

LayerPtr QuadGenerator::generateLayer() const {
    const std::int64_t h = horizontalSegmentsNum;
    const std::int64_t v = verticalSegmentsNum;
    const std::vector<float> xs = NormalizedRange(h + 1);
    const std::vector<float> ys = NormalizedRange(v + 1);
    const auto row = static_cast<std::uint32_t>(h + 1);

    // Point (i, j) has id j * (H + 1) + i: row by row.
    LayerPtr layer = makeLayer();
    layer->positions.reserve(static_cast<size_t>(row) * static_cast<size_t>(v + 1));
    for (std::int64_t j = 0; j <= v; ++j) {
        for (std::int64_t i = 0; i <= h; ++i) {
            layer->positions.push_back({xs[i] - 0.5f, ys[j] - 0.5f, 0});
        }
    }
    std::vector<std::uint32_t> corners;
    corners.reserve(6 * static_cast<size_t>(h) * static_cast<size_t>(v));
    for (std::int64_t j = 0; j < v; ++j) {
        for (std::int64_t i = 0; i < h; ++i) {
            const auto k = static_cast<std::uint32_t>(j) * row + static_cast<std::uint32_t>(i);
            // (i, j), (i + 1, j), (i + 1, j + 1), (i, j + 1)
            corners.insert(corners.end(), {k, k + 1, k + row + 1, k, k + row + 1, k + row});
        }
    }
    layer->faces = FaceList(std::move(corners), 3);
    return layer;
}

LayerPtr QuadGenerator::generateQuadLayer() const {
    LayerPtr layer = generateLayer();
    const auto h = static_cast<std::uint32_t>(horizontalSegmentsNum);
    const auto v = static_cast<std::uint32_t>(verticalSegmentsNum);
    std::vector<std::uint32_t> corners;
    corners.reserve(4 * static_cast<size_t>(h) * v);
    for (std::uint32_t j = 0; j < v; ++j) {
        for (std::uint32_t i = 0; i < h; ++i) {
            const std::uint32_t k = j * (h + 1) + i;
            corners.insert(corners.end(), {k, k + 1, k + h + 2, k + h + 1});
        }
    }
    layer->faces = FaceList(std::move(corners), 4);
    return layer;
}

// --- Model generators ---

ModelPtr Model::makeQuad(const ParamsPtr& params) {
    TESSEL_CHECK(params != nullptr, "Model::makeQuad", "no grid parameters");
    ModelPtr model = Model::make(QuadGenerator(params->u(), params->v()).generateLayer());
    model->params_ = params;
    model->followsParams_ = true;
    // The params may outlive the model: they refer back weakly.
    const auto regenerate = [weak = std::weak_ptr<Model>(model)](std::int64_t old,
                                                                 std::int64_t now) {
        const ModelPtr self = weak.lock();
        if (self && self->followsParams_ && old != now) {
            self->committed_ =
                QuadGenerator(self->params_->u(), self->params_->v()).generateLayer();
            self->stale_ = true;
        }
    };
    params->uChanged.connect(regenerate);
    params->vChanged.connect(regenerate);
    return model;
}

ModelPtr Model::makePrimitive(const PrimitiveParamsPtr& params) {
    TESSEL_CHECK(params != nullptr, "Model::makePrimitive", "no primitive parameters");
    ModelPtr model = Model::make(params->generate());
    model->primitive_ = params;
    model->followsParams_ = true;
    params->changed.connect([weak = std::weak_ptr<Model>(model)](std::size_t, double, double) {
        const ModelPtr self = weak.lock();
        if (self && self->followsParams_) {
            self->committed_ = self->primitive_->generate();
            self->stale_ = true;
        }
    });
    return model;
}

ModelPtr Model::makeCube() {
    LayerPtr layer = makeLayer({{-1, -1, -1},
                                {1, -1, -1},
                                {1, 1, -1},
                                {-1, 1, -1},
                                {-1, -1, 1},
                                {1, -1, 1},
                                {1, 1, 1},
                                {-1, 1, 1}},
                               {{2, 1, 0},
                                {3, 2, 0},
                                {5, 6, 4},
                                {6, 7, 4},
                                {4, 7, 0},
                                {7, 3, 0},
                                {6, 5, 1},
                                {2, 6, 1},
                                {1, 5, 0},
                                {5, 4, 0},
                                {6, 2, 3},
                                {7, 6, 3}});
    return Model::make(std::move(layer));
}

ModelPtr Model::makePlane(const Plane& plane) {
    TESSEL_CHECK(plane.origin_.has_value(), "Model::makePlane",
                 "the plane " << plane.coefficients << " has no origin");
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
    LayerPtr layer =
        makeLayer({{0, 0, 0}, p, q, -p, -q}, {{0, 1, 2}, {0, 2, 3}, {0, 3, 4}, {0, 4, 1}});
    for (Vector3& point : layer->positions) {
        point = point * 2.2f;
        point += *plane.origin_;
    }
    layer->fragmentShader = "cuttingPlaneFragmentShader";
    return Model::make(std::move(layer));
}

} // namespace tessel
