#include "mesh/model.h"

#include "support/mesh_helpers.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>

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

TEST(QuadGeneratorTest, OneByOne) {
    const LayerPtr layer = QuadGenerator(1, 1).generateLayer();
    EXPECT_EQ(positions(*layer),
              (std::vector<Vector3>{
                  {-0.5f, -0.5f, 0}, {0.5f, -0.5f, 0}, {-0.5f, 0.5f, 0}, {0.5f, 0.5f, 0}}));
    EXPECT_EQ(polygonIds(*layer), (Ids{{0, 1, 3}, {0, 3, 2}}));
    EXPECT_FALSE(layer->fragmentShader.has_value());
}

TEST(QuadGeneratorTest, GeneralGridLayoutAndWinding) {
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
    for (const auto& polygon : layer->polygons) {
        ASSERT_TRUE(polygon->isTriangle());
        const auto verts = polygon->verts();
        const Vector3 n = (verts[1]->position - verts[0]->position)
                              .cross(verts[2]->position - verts[0]->position);
        EXPECT_GT(n.z, 0); // counter-clockwise from +z
    }
}

TEST(QuadGeneratorTest, BenchmarkSizeCounts) {
    const QuadGenerator generator(224, 224);
    const LayerPtr layer = generator.generateLayer();
    EXPECT_EQ(layer->points.size(), 50625u);
    EXPECT_EQ(layer->polygons.size(), 100352u);
    EXPECT_EQ(layer->points.back()->position, Vector3(0.5f, 0.5f, 0));
}

TEST(QuadGeneratorDeathTest, ZeroSegmentsStop) {
    EXPECT_DEATH(QuadGenerator(0, 1), "QuadGenerator");
    EXPECT_DEATH(QuadGenerator(1, -2), "QuadGenerator");
}

TEST(MakeQuadTest, RegeneratesOnEveryRead) {
    const auto params = Model::Params::make(4, 4);
    const ModelPtr model = Model::makeQuad(params);
    EXPECT_EQ(model->params(), params);
    const std::vector<LayerPtr> first = model->layers();
    const std::vector<LayerPtr> second = model->layers();
    ASSERT_EQ(first.size(), 1u);
    ASSERT_EQ(second.size(), 1u);
    EXPECT_NE(first[0], second[0]);
    EXPECT_NE(first[0]->points[0], second[0]->points[0]);
    EXPECT_EQ(positions(*first[0]), positions(*second[0]));
    EXPECT_EQ(polygonIds(*first[0]), polygonIds(*second[0]));
    EXPECT_EQ(first[0]->points.size(), 25u);
    EXPECT_EQ(first[0]->polygons.size(), 32u);
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

TEST(MakeCubeTest, CornersAndTriangles) {
    const ModelPtr model = Model::makeCube();
    ASSERT_EQ(model->layers().size(), 1u);
    const LayerPtr layer = model->layers()[0];
    EXPECT_EQ(model->layers()[0], layer); // fixed model
    EXPECT_FALSE(model->generatorContext().has_value());
    EXPECT_FALSE(layer->fragmentShader.has_value());
    EXPECT_EQ(positions(*layer), (std::vector<Vector3>{{-1, -1, -1},
                                                       {1, -1, -1},
                                                       {1, 1, -1},
                                                       {-1, 1, -1},
                                                       {-1, -1, 1},
                                                       {1, -1, 1},
                                                       {1, 1, 1},
                                                       {-1, 1, 1}}));
    EXPECT_EQ(polygonIds(*layer), (Ids{{0, 1, 2},
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
                                       {3, 6, 7}}));
    for (const auto& polygon : layer->polygons) {
        ASSERT_TRUE(polygon->isTriangle());
        const auto v = polygon->verts();
        const Vector3 n = (v[1]->position - v[0]->position).cross(v[2]->position - v[0]->position);
        const Vector3 c = (v[0]->position + v[1]->position + v[2]->position) * (1.0f / 3);
        EXPECT_LT(n.dot(c), 0); // right-hand normal points into the cube
    }
}

TEST(MakeCubeTest, EachCallMakesNewObjects) {
    const ModelPtr a = Model::makeCube();
    const ModelPtr b = Model::makeCube();
    EXPECT_NE(a->layers()[0], b->layers()[0]);
    EXPECT_NE(a->layers()[0]->points[0], b->layers()[0]->points[0]);
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

TEST(MakePlaneTest, GeneralNormalGivesPerpendicularSquareInThePlane) {
    // n = (0.6, 0.8, 0): b² + c² = 0.64 is not less than a² + c² = 0.36 → second form:
    // p = (0, 0, −0.8), q = (0.64, −0.48, 0).
    const Vector3 n(0.6f, 0.8f, 0);
    const Vector3 origin(-1, 0.5f, 2);
    const ModelPtr model = Model::makePlane(Plane::through(n, origin));
    const LayerPtr layer = model->layers()[0];
    const Vector3 p = (layer->points[1]->position - origin) * (1 / 2.2f);
    const Vector3 q = (layer->points[2]->position - origin) * (1 / 2.2f);
    EXPECT_NEAR(p.x, 0, 1e-6);
    EXPECT_NEAR(p.y, 0, 1e-6);
    EXPECT_NEAR(p.z, -0.8, 1e-6);
    EXPECT_NEAR(q.x, 0.64, 1e-6);
    EXPECT_NEAR(q.y, -0.48, 1e-6);
    EXPECT_NEAR(q.z, 0, 1e-6);
    for (const auto& point : layer->points) {
        EXPECT_NEAR(n.dot(point->position - origin), 0, 1e-5);
    }
    EXPECT_NEAR(p.dot(q), 0, 1e-6);
    // −p and −q are opposite.
    const Vector3 minusP = (layer->points[3]->position - origin) * (1 / 2.2f);
    const Vector3 minusQ = (layer->points[4]->position - origin) * (1 / 2.2f);
    EXPECT_NEAR((minusP + p).length(), 0, 1e-6);
    EXPECT_NEAR((minusQ + q).length(), 0, 1e-6);

    // n = (0.8, 0, 0.6): b² + c² = 0.36 < a² + c² = 1 → first form p = (c, 0, −a).
    const ModelPtr first = Model::makePlane(Plane::through({0.8f, 0, 0.6f}, {0, 0, 0}));
    const Vector3 p1 = first->layers()[0]->points[1]->position;
    const Vector3 q1 = first->layers()[0]->points[2]->position;
    EXPECT_FLOAT_EQ(p1.x, 0.6f * 2.2f);
    EXPECT_FLOAT_EQ(p1.y, 0);
    EXPECT_FLOAT_EQ(p1.z, -0.8f * 2.2f);
    // q = (a·b, −(a² + c²), b·c)
    EXPECT_FLOAT_EQ(q1.x, 0);
    EXPECT_FLOAT_EQ(q1.y, -(0.64f + 0.36f) * 2.2f);
    EXPECT_FLOAT_EQ(q1.z, 0);
}

TEST(MakePlaneDeathTest, PlaneWithoutOriginStops) {
    EXPECT_DEATH(Model::makePlane(Plane{Vector4(0, 0, 1, 0), std::nullopt}), "Model.makePlane");
}

} // namespace
} // namespace tessel
