#include "mesh/model.h"

#include "support/mesh_helpers.h"

#include <gtest/gtest.h>

#include <set>

namespace tessel {
namespace {

// Point ids of each polygon's vertices (by identity within the layer).
std::vector<std::vector<size_t>> polygonIds(const Layer& layer) {
    std::vector<std::vector<size_t>> result;
    for (const auto& polygon : layer.polygons) {
        std::vector<size_t> ids;
        for (const auto& vertex : polygon->verts()) {
            size_t id = layer.points.size();
            for (size_t i = 0; i < layer.points.size(); ++i) {
                if (layer.points[i] == vertex) {
                    id = i;
                    break;
                }
            }
            EXPECT_LT(id, layer.points.size()) << "vertex not in the layer";
            ids.push_back(id);
        }
        result.push_back(ids);
    }
    return result;
}

using testing::positions;

using Ids = std::vector<std::vector<size_t>>;

TEST(QuadGeneratorTest, GridLayoutAndWinding) {
    const std::int64_t h = 4;
    const std::int64_t v = 3;
    const LayerPtr layer = QuadGenerator(h, v).generateLayer();
    ASSERT_EQ(layer->points.size(), static_cast<size_t>((h + 1) * (v + 1)));
    ASSERT_EQ(layer->polygons.size(), static_cast<size_t>(2 * h * v));
    for (std::int64_t j = 0; j <= v; ++j) {
        for (std::int64_t i = 0; i <= h; ++i) {
            const Vector3 p = layer->points[j * (h + 1) + i]->position;
            EXPECT_EQ(
                p, Vector3(static_cast<float>(i) / h - 0.5f, static_cast<float>(j) / v - 0.5f, 0))
                << i << ", " << j;
        }
    }
    const Ids ids = polygonIds(*layer);
    size_t t = 0;
    for (std::int64_t j = 0; j < v; ++j) {
        for (std::int64_t i = 0; i < h; ++i) {
            const size_t k = j * (h + 1) + i;
            const size_t row = h + 1;
            EXPECT_EQ(ids[t], (std::vector<size_t>{k, k + 1, k + row + 1}));
            EXPECT_EQ(ids[t + 1], (std::vector<size_t>{k, k + row + 1, k + row}));
            t += 2;
        }
    }
}

TEST(QuadGeneratorDeathTest, ZeroSegmentsStop) {
    EXPECT_DEATH(QuadGenerator(0, 1), "QuadGenerator");
    EXPECT_DEATH(QuadGenerator(1, -2), "QuadGenerator");
}

TEST(MakeQuadTest, RegeneratesOnEveryRead) {
    const ModelPtr model = Model::makeQuad(Model::Params::make(4, 4));
    const LayerPtr first = model->layers().at(0);
    const LayerPtr second = model->layers().at(0);
    EXPECT_NE(first->points[0], second->points[0]);
    EXPECT_EQ(positions(*first), positions(*second));
    EXPECT_EQ(polygonIds(*first), polygonIds(*second));
}

TEST(MakeQuadTest, ParameterChangesShowOnTheNextRead) {
    const auto params = Model::Params::make(1, 1);
    const ModelPtr model = Model::makeQuad(params);
    EXPECT_EQ(model->layers()[0]->points.size(), 4u);
    params->setU(5); // u is horizontal: points per row
    const LayerPtr layer = model->layers()[0];
    ASSERT_EQ(layer->points.size(), 12u);
    EXPECT_EQ(layer->points[5]->position, Vector3(0.5f, -0.5f, 0));
    EXPECT_EQ(layer->points[6]->position, Vector3(-0.5f, 0.5f, 0));
    params->setV(2);
    EXPECT_EQ(model->layers()[0]->points.size(), 18u);
    // Replacing the context object is seen too.
    model->setGeneratorContext(Model::Params::make(3, 3));
    EXPECT_EQ(model->layers()[0]->points.size(), 16u);
    EXPECT_EQ(model->layers()[0]->polygons.size(), 18u);
}

TEST(MakeQuadTest, GeneratorHoldsNoOwnershipCycle) {
    std::weak_ptr<Model> weak;
    {
        const ModelPtr model = Model::makeQuad(Model::Params::make(2, 2));
        weak = model;
        model->layers();
    }
    EXPECT_TRUE(weak.expired());
}

TEST(MakeQuadDeathTest, WrongGeneratorContextStops) {
    const ModelPtr model = Model::makeQuad(Model::Params::make(2, 2));
    model->setGeneratorContext(3);
    EXPECT_DEATH(model->layers(), "Model.makeQuad.*generatorContext");
    model->setGeneratorContext({});
    EXPECT_DEATH(model->layers(), "Model.makeQuad.*generatorContext");
    model->setGeneratorContext(Model::ParamsPtr{});
    EXPECT_DEATH(model->layers(), "Model.makeQuad.*generatorContext");
}

TEST(MakeCubeTest, ClosedAndWoundInwards) {
    const ModelPtr model = Model::makeCube();
    ASSERT_EQ(model->layers().size(), 1u);
    const LayerPtr layer = model->layers()[0];
    EXPECT_EQ(model->layers()[0], layer); // fixed model
    EXPECT_NE(Model::makeCube()->layers()[0]->points[0], layer->points[0]);
    EXPECT_EQ(positions(*layer), (std::vector<Vector3>{{-1, -1, -1}, {1, -1, -1}, {1, 1, -1}, {-1, 1, -1},
                                                       {-1, -1, 1}, {1, -1, 1}, {1, 1, 1}, {-1, 1, 1}}));
    // Closed with one orientation: every directed edge appears once, and so does its reverse.
    std::set<std::pair<size_t, size_t>> edges;
    for (const auto& ids : polygonIds(*layer)) {
        for (size_t k = 0; k < 3; ++k) {
            EXPECT_TRUE(edges.insert({ids[k], ids[(k + 1) % 3]}).second);
        }
    }
    EXPECT_EQ(edges.size(), 36u);
    for (const auto& [from, to] : edges) {
        EXPECT_TRUE(edges.count({to, from})) << from << "-" << to;
    }
    for (const auto& polygon : layer->polygons) {
        const auto v = polygon->verts();
        const Vector3 n = (v[1]->position - v[0]->position).cross(v[2]->position - v[0]->position);
        const Vector3 c = (v[0]->position + v[1]->position + v[2]->position) * (1.0f / 3);
        EXPECT_LT(n.dot(c), 0); // right-hand normal points into the cube
    }
}

TEST(MakePlaneTest, EqualValuesTakeTheSecondForm) {
    const ModelPtr model = Model::makePlane(Plane{Vector4(0, 0, 1, 0), Vector3(0, 0, 0)});
    ASSERT_EQ(model->layers().size(), 1u);
    const LayerPtr layer = model->layers()[0];
    EXPECT_EQ(positions(*layer),
              (std::vector<Vector3>{
                  {0, 0, 0}, {0, 2.2f, 0}, {2.2f, 0, 0}, {0, -2.2f, 0}, {-2.2f, 0, 0}}));
    EXPECT_EQ(polygonIds(*layer), (Ids{{0, 1, 2}, {0, 2, 3}, {0, 3, 4}, {0, 4, 1}}));
    EXPECT_EQ(model->layers()[0], layer);
}

TEST(MakePlaneTest, FirstFormScaledThenTranslated) {
    const ModelPtr model = Model::makePlane(Plane{Vector4(1, 0, 0, 0), Vector3(1, 2, 3)});
    const LayerPtr layer = model->layers()[0];
    // p = (0, 0, −1), q = (0, −1, 0): scaled by 2.2, then the origin (unscaled) is added.
    ASSERT_EQ(layer->points.size(), 5u);
    EXPECT_EQ(layer->points[0]->position, Vector3(1, 2, 3));
    EXPECT_FLOAT_EQ(layer->points[1]->position.x, 1);
    EXPECT_FLOAT_EQ(layer->points[1]->position.y, 2);
    EXPECT_FLOAT_EQ(layer->points[1]->position.z, 0.8f);
    EXPECT_FLOAT_EQ(layer->points[2]->position.x, 1);
    EXPECT_FLOAT_EQ(layer->points[2]->position.y, -0.2f);
    EXPECT_FLOAT_EQ(layer->points[2]->position.z, 3);
    EXPECT_FLOAT_EQ(layer->points[3]->position.z, 5.2f);
    EXPECT_FLOAT_EQ(layer->points[4]->position.y, 4.2f);
}

TEST(MakePlaneTest, GeneralNormalsInBothForms) {
    // n = (0.6, 0.8, 0): b² + c² = 0.64 is not less than a² + c² = 0.36 → second form:
    // p = (0, 0, −0.8), q = (0.64, −0.48, 0).
    const Vector3 n(0.6f, 0.8f, 0);
    const Vector3 origin(-1, 0.5f, 2);
    const ModelPtr model = Model::makePlane(Plane::through(n, origin));
    const LayerPtr layer = model->layers()[0];
    const Vector3 p = (layer->points[1]->position - origin) * (1 / 2.2f);
    const Vector3 q = (layer->points[2]->position - origin) * (1 / 2.2f);
    const Vector3 minusP = (layer->points[3]->position - origin) * (1 / 2.2f);
    const Vector3 minusQ = (layer->points[4]->position - origin) * (1 / 2.2f);
    testing::expectNear(p, {0, 0, -0.8f});
    testing::expectNear(q, {0.64f, -0.48f, 0});
    testing::expectNear(minusP, {0, 0, 0.8f});
    testing::expectNear(minusQ, {-0.64f, 0.48f, 0});

    // n = (0.8, 0, 0.6): b² + c² = 0.36 < a² + c² = 1 → first form p = (c, 0, −a),
    // q = (a·b, −(a² + c²), b·c).
    const ModelPtr first = Model::makePlane(Plane::through({0.8f, 0, 0.6f}, {0, 0, 0}));
    const Vector3 p1 = first->layers()[0]->points[1]->position;
    const Vector3 q1 = first->layers()[0]->points[2]->position;
    EXPECT_FLOAT_EQ(p1.x, 0.6f * 2.2f);
    EXPECT_FLOAT_EQ(p1.y, 0);
    EXPECT_FLOAT_EQ(p1.z, -0.8f * 2.2f);
    EXPECT_FLOAT_EQ(q1.x, 0);
    EXPECT_FLOAT_EQ(q1.y, -(0.64f + 0.36f) * 2.2f);
    EXPECT_FLOAT_EQ(q1.z, 0);
}

TEST(MakePlaneDeathTest, PlaneWithoutOriginStops) {
    EXPECT_DEATH(Model::makePlane(Plane{Vector4(0, 0, 1, 0), std::nullopt}), "Model.makePlane");
}

} // namespace
} // namespace tessel
