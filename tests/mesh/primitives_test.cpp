#include "mesh/model.h"
#include "mesh/orientation.h"
#include "mesh/polygon.h"
#include "mesh/primitives.h"

#include "support/layer_checks.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace tessel::testing {

namespace {

struct Expected {
    const char* name;
    LayerPtr layer;
    size_t points;
    size_t faces;
    bool closed;
};

} // namespace

// Exact counts of each shape; the closed ones are closed, wound one way and facing outward, and
// no face is broken or has no area.
TEST(PrimitivesTest, ShapesHaveTheirCountsAndClosedOnesFaceOutward) {
    const Expected shapes[] = {
        {"plane", makePlaneLayer(2), 4, 1, false},
        {"box", makeBoxLayer(2), 8, 6, true},
        {"uv sphere", makeUvSphereLayer(32, 16, 1), 482, 512, true},
        {"small uv sphere", makeUvSphereLayer(3, 3, 1), 8, 9, true},
        {"icosahedron", makeIcosphereLayer(1, 1), 12, 20, true},
        {"icosphere", makeIcosphereLayer(2, 1), 42, 80, true},
        {"finer icosphere", makeIcosphereLayer(3, 1), 162, 320, true},
        {"cylinder", makeCylinderLayer(32, 1, 2, CapFill::NGon), 64, 34, true},
        {"fan cylinder", makeCylinderLayer(32, 1, 2, CapFill::Fan), 66, 96, true},
        {"cone", makeConeLayer(32, 1, 2, CapFill::NGon), 33, 33, true},
        {"fan cone", makeConeLayer(3, 1, 2, CapFill::Fan), 5, 6, true},
        {"torus", makeTorusLayer(48, 12, 1, 0.25f), 576, 576, true},
    };
    for (const Expected& shape : shapes) {
        SCOPED_TRACE(shape.name);
        Layer& layer = *shape.layer;
        EXPECT_EQ(layer.positions.size(), shape.points);
        EXPECT_EQ(layer.faces.size(), shape.faces);
        EXPECT_FALSE(hasBrokenFace(layer));
        for (const FaceList::Face face : layer.faces) {
            Vector3 area;
            for (size_t k = 0; k < face.size(); ++k) {
                area +=
                    layer.positions[face[k]].cross(layer.positions[face[(k + 1) % face.size()]]);
            }
            EXPECT_GT(area.length(), 1e-4f);
        }
        if (shape.closed) {
            EXPECT_EQ(openEdges(layer), 0u);
            EXPECT_TRUE(orientOutward(layer, {}).empty());
        }
    }
    // The plane faces up; quads and n-gons where they are natural.
    EXPECT_TRUE(orientOutward(*shapes[0].layer, {}).empty());
    EXPECT_EQ(shapes[0].layer->faces.uniformCount(), 4u);
    EXPECT_EQ(shapes[1].layer->faces.uniformCount(), 4u);
    EXPECT_EQ(shapes[7].layer->faces.cornerCount(33), 32u);
    EXPECT_EQ(shapes[11].layer->faces.uniformCount(), 4u);
}

// Sizes as given: a side, a radius, a depth, the torus's outer radius.
TEST(PrimitivesTest, ShapesHaveTheirSizes) {
    const auto extent = [](const LayerPtr& layer) {
        Vector3 most;
        for (const Vector3& p : layer->positions) {
            most = {std::max(most.x, p.x), std::max(most.y, p.y), std::max(most.z, p.z)};
        }
        return most;
    };
    EXPECT_EQ(extent(makePlaneLayer(3)), (Vector3{1.5f, 1.5f, 0}));
    EXPECT_EQ(extent(makeBoxLayer(2)), (Vector3{1, 1, 1}));
    for (const LayerPtr& sphere : {makeUvSphereLayer(7, 5, 2), makeIcosphereLayer(3, 2)}) {
        for (const Vector3& p : sphere->positions) {
            EXPECT_NEAR(p.length(), 2, 1e-5);
        }
    }
    const Vector3 cylinder = extent(makeCylinderLayer(4, 1, 3, CapFill::Fan));
    EXPECT_NEAR(cylinder.x, 1, 1e-6);
    EXPECT_NEAR(cylinder.z, 1.5, 1e-6);
    // In the modeller's world it stands along y, its top cap facing +y.
    const auto standing = PrimitiveParams::make(PrimitiveKind::Cylinder);
    standing->set(2, 3);
    const LayerPtr upright = standing->generate();
    EXPECT_NEAR(extent(upright).y, 1.5, 1e-6);
    EXPECT_NEAR(extent(upright).z, 1, 1e-6);
    EXPECT_GT(polygon::normal(upright->positions, upright->faces[32]).y, 0.99f);
    EXPECT_NEAR(extent(makeTorusLayer(48, 12, 1, 0.25f)).x, 1.25, 1e-6);
}

TEST(PrimitivesTest, SettingsClampAndTheLargestStayFarBelowTheTriangleLimit) {
    const auto params = PrimitiveParams::make(PrimitiveKind::Torus);
    std::vector<std::size_t> changes;
    params->changed.connect([&](std::size_t i, double, double) { changes.push_back(i); });
    params->set(0, 40.9);
    EXPECT_EQ(params->value(0), 40);
    params->set(0, std::numeric_limits<double>::quiet_NaN());
    params->set(0, 40);
    EXPECT_EQ(params->value(0), 40);
    params->set(1, -5);
    EXPECT_EQ(params->value(1), 3);
    // The tube never closes the hole: the minor radius stays below the major one either way.
    params->set(3, 2);
    EXPECT_LT(params->value(3), params->value(2));
    params->set(2, 0.1);
    EXPECT_EQ(params->value(2), 1);
    EXPECT_EQ(changes, (std::vector<std::size_t>{0, 1, 3}));

    for (const PrimitiveKind kind :
         {PrimitiveKind::Plane, PrimitiveKind::Box, PrimitiveKind::UvSphere,
          PrimitiveKind::Icosphere, PrimitiveKind::Cylinder, PrimitiveKind::Cone,
          PrimitiveKind::Torus}) {
        SCOPED_TRACE(PrimitiveParams::nameOf(kind));
        PrimitiveParams largest(kind);
        for (std::size_t i = 0; i < largest.parameters().size(); ++i) {
            largest.set(i, std::numeric_limits<double>::infinity());
        }
        const LayerPtr layer = largest.generate();
        EXPECT_LT(layer->faces.triangleCount(), kMaxTriangles / 10);
        EXPECT_FALSE(hasBrokenFace(*layer));
    }
}

// A primitive follows its settings until its points are edited, and again once that is undone.
TEST(PrimitivesTest, ModelFollowsItsSettingsUntilACommit) {
    const auto params = PrimitiveParams::make(PrimitiveKind::Cylinder);
    const ModelPtr model = Model::makePrimitive(params);
    EXPECT_EQ(model->committed()->positions.size(), 64u);
    params->set(3, 1);
    EXPECT_EQ(model->committed()->positions.size(), 66u);
    const LayerPtr generated = model->committed();
    model->setCommitted(makeBoxLayer(1));
    params->set(0, 5);
    EXPECT_EQ(model->committed()->positions.size(), 8u);
    model->restoreCommitted(generated, true);
    params->set(0, 6);
    EXPECT_EQ(model->committed()->positions.size(), 14u);
}

} // namespace tessel::testing
