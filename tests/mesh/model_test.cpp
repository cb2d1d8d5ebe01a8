// Models: grid parameters, the preview a modifier shows and commits, and the generated shapes.
#include "mesh/model.h"
#include "mesh/subdivide.h"
#include "mesh/triangle.h"

#include "support/layer_checks.h"
#include "support/mesh_helpers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>

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

// Subdivides face 0 of what it is given and counts its evaluations; claims `after` triangles
// when asked what the result could hold.
class CountingModifier : public Modifier {
public:
    std::size_t trianglesAfter(const Layer& committed) const override {
        return after ? after : committed.faces.size() + 2;
    }
    ModifierResult evaluate(const Layer& committed) override {
        ++evaluations;
        LayerPtr layer = makeLayer(committed.positions, committed.faces);
        subdivide(*layer, 0);
        return {layer, tool};
    }
    int evaluations = 0;
    std::size_t after = 0;
    LayerPtr tool = makeLayer();
};

TEST(ModelTest, AnEvaluationIsRefusedOnlyWhenItCouldPassTheTriangleLimit) {
    for (const size_t after : {kMaxTriangles, kMaxTriangles + 1}) {
        const ModelPtr model = Model::makeCube();
        const auto modifier = std::make_shared<CountingModifier>();
        modifier->after = after;
        model->setModifier(modifier);
        model->updatePreview();
        model->applyModifier();
        const bool fits = after == kMaxTriangles;
        EXPECT_EQ(modifier->evaluations, fits ? 2 : 0) << after;
        EXPECT_EQ(model->committed()->faces.size(), fits ? 14u : 12u) << after;
        EXPECT_EQ(model->takeRefusal(), fits ? Model::Refusal::None : Model::Refusal::Commit);
    }
}

TEST(ModelTest, PreviewIsEvaluatedOnlyWhenReadStale) {
    const ModelPtr model = Model::makeCube();
    const auto modifier = std::make_shared<CountingModifier>();
    model->setModifier(modifier);
    // Drawing never evaluates: before the first evaluation it shows the committed layer.
    EXPECT_EQ(model->shownLayer(), model->committed());
    EXPECT_EQ(modifier->evaluations, 0);

    const LayerPtr preview = model->layer();
    EXPECT_EQ(preview->faces.size(), 14u);
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
    EXPECT_EQ(model->committed()->faces.size(), 14u);
    EXPECT_EQ(model->layer()->faces.size(), 16u);
    EXPECT_EQ(modifier->evaluations, 4);

    model->setModifier(nullptr);
    EXPECT_EQ(model->shownLayer(), model->committed());
    EXPECT_EQ(model->toolLayer(), nullptr);
    model->applyModifier();
    EXPECT_EQ(model->committed()->faces.size(), 14u);
}

TEST(GeneratorsTest, CubeIsAClosedSurfaceFacingOutward) {
    const Layer cube = *Model::makeCube()->committed();
    EXPECT_EQ(testing::openEdges(cube), 0u);
    const auto& p = cube.positions;
    for (const FaceList::Face t : cube.faces) {
        const Vector3 centre = triangle::centroid(p[t[0]], p[t[1]], p[t[2]]);
        EXPECT_GT(triangle::normal(p[t[0]], p[t[1]], p[t[2]]).dot(centre), 0.99f) << centre;
    }
}

TEST(GeneratorsTest, PlaneIsASquareFanInThePlaneAroundItsOrigin) {
    const Vector3 origin{1, 2, 3};
    for (const Vector3 normal : {Vector3{0, 0, 1}, {1, 0, 0}, {0, 0.6f, 0.8f}, {0.6f, 0, 0.8f}}) {
        SCOPED_TRACE(normal);
        const Layer plane = *Model::makePlane(Plane::through(normal, origin))->committed();
        ASSERT_EQ(plane.positions.size(), 5u);
        EXPECT_EQ(plane.positions[0], origin);
        for (size_t i = 1; i < 5; ++i) {
            const Vector3 arm = plane.positions[i] - origin;
            const Vector3 next = plane.positions[i % 4 + 1] - origin;
            EXPECT_NEAR(arm.length(), 2.2f, 1e-5f);
            EXPECT_NEAR(arm.dot(normal), 0, 1e-5f);
            // A quarter turn on, clockwise seen from where the normal points.
            testing::expectNear(arm.cross(next), normal * -2.2f * 2.2f, 1e-4f);
        }
        EXPECT_EQ(plane.faces, (std::vector<Triangle>{{0, 1, 2}, {0, 2, 3}, {0, 3, 4}, {0, 4, 1}}));
    }
}

} // namespace
} // namespace tessel
