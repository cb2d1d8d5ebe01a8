// Models: grid parameters, the preview a modifier shows and commits, and the generated shapes.
#include "mesh/model.h"
#include "mesh/subdivide.h"

#include <gtest/gtest.h>

#include <cmath>

namespace tessel {
namespace {

TEST(ModelParamsTest, WritesTruncateTowardZeroThenClampToOneThroughTen) {
    const struct {
        double written;
        std::int64_t stored;
    } cases[] = {
        {3.99, 3},      {-3.99, 1},     {0.99, 1}, {10.99, 10}, {11, 10},          {1e300, 10},
        {HUGE_VAL, 10}, {-HUGE_VAL, 1}, {-0.0, 1}, {7, 7},      {std::nan(""), 4},
    };
    for (const auto& c : cases) {
        Model::Params params(4, 4);
        std::vector<std::int64_t> announced;
        params.uChanged.connect([&](std::int64_t old, std::int64_t now) {
            announced = {old, now};
        });
        params.setU(c.written);
        EXPECT_EQ(params.u(), c.stored) << c.written;
        // Every write is announced, also one that changes nothing.
        EXPECT_EQ(announced, (std::vector<std::int64_t>{4, c.stored}));
        EXPECT_EQ(Model::Params(c.written, 2).u(), std::isnan(c.written) ? 1 : c.stored);
    }
}

TEST(ModelTest, GridFollowsItsParamsUntilTheFirstCommit) {
    const Model::ParamsPtr params = Model::Params::make(2, 3);
    const ModelPtr model = Model::makeQuad(params);
    EXPECT_EQ(model->committed()->positions.size(), 12u);
    params->setU(4);
    EXPECT_EQ(model->committed()->positions.size(), 20u);
    EXPECT_EQ(model->committed()->triangles, QuadGenerator(4, 3).generateLayer()->triangles);

    const LayerPtr edited = model->committed();
    model->setCommitted(edited);
    params->setV(1);
    EXPECT_EQ(model->committed(), edited);
    EXPECT_EQ(model->params(), params);
}

// Subdivides face 0 of what it is given and counts its evaluations.
class CountingModifier : public Modifier {
public:
    ModifierResult evaluate(const Layer& committed) override {
        ++evaluations;
        LayerPtr layer = makeLayer(committed.positions, committed.triangles);
        subdivide(*layer, 0);
        return {layer, tool};
    }
    int evaluations = 0;
    LayerPtr tool = makeLayer();
};

TEST(ModelTest, PreviewIsEvaluatedOnlyWhenReadStale) {
    const ModelPtr model = Model::makeCube();
    const auto modifier = std::make_shared<CountingModifier>();
    model->setModifier(modifier);
    // Drawing never evaluates: before the first evaluation it shows the committed layer.
    EXPECT_EQ(model->shownLayer(), model->committed());
    EXPECT_EQ(modifier->evaluations, 0);

    const LayerPtr preview = model->layer();
    EXPECT_EQ(preview->triangles.size(), 14u);
    EXPECT_EQ(model->layer(), preview);
    model->updatePreview();
    EXPECT_EQ(modifier->evaluations, 1);
    EXPECT_EQ(model->shownLayer(), preview);
    EXPECT_EQ(model->toolLayer(), modifier->tool);

    model->invalidatePreview();
    EXPECT_EQ(model->shownLayer(), preview);
    model->updatePreview();
    model->updatePreview();
    EXPECT_EQ(modifier->evaluations, 2);

    // Applying commits a fresh evaluation; the next preview builds on it.
    model->applyModifier();
    EXPECT_EQ(modifier->evaluations, 3);
    EXPECT_EQ(model->committed()->triangles.size(), 14u);
    EXPECT_EQ(model->layer()->triangles.size(), 16u);
    EXPECT_EQ(modifier->evaluations, 4);

    model->setModifier(nullptr);
    EXPECT_EQ(model->shownLayer(), model->committed());
    EXPECT_EQ(model->toolLayer(), nullptr);
    model->applyModifier();
    EXPECT_EQ(model->committed()->triangles.size(), 14u);
}

TEST(GeneratorsTest, PlaneIsAFanOfFourAroundItsOrigin) {
    const float s = 2.2f;
    const struct {
        Vector3 normal;
        std::vector<Vector3> positions;
    } cases[] = {
        {{0, 0, 1}, {{1, 2, 3}, {1, 2 + s, 3}, {1 + s, 2, 3}, {1, 2 - s, 3}, {1 - s, 2, 3}}},
        // b² + c² < a² + c² takes the other pair of directions.
        {{1, 0, 0}, {{1, 2, 3}, {1, 2, 3 - s}, {1, 2 - s, 3}, {1, 2, 3 + s}, {1, 2 + s, 3}}},
    };
    for (const auto& c : cases) {
        const Layer plane = *Model::makePlane(Plane::through(c.normal, {1, 2, 3}))->committed();
        EXPECT_EQ(plane.positions, c.positions) << c.normal;
        EXPECT_EQ(plane.triangles,
                  (std::vector<Triangle>{{0, 1, 2}, {0, 2, 3}, {0, 3, 4}, {0, 4, 1}}));
    }
}

} // namespace
} // namespace tessel
