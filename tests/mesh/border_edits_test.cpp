// Fill, bridge and connect on small exact meshes: what they add, how it is wound, what they refuse.
#include "mesh/bridge.h"
#include "mesh/connect.h"
#include "mesh/fill.h"
#include "mesh/model.h"
#include "mesh/orientation.h"
#include "mesh/polygon.h"
#include "support/layer_checks.h"
#include "support/mesh_helpers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace tessel {
namespace {

// The unit box of six four-cornered faces pointing out; point x + 2y + 4z sits at (x, y, z), the
// top face (z = 1) is face 1.
Layer box() {
    std::vector<Vector3> points;
    for (int p = 0; p < 8; ++p) {
        points.push_back({static_cast<float>(p & 1), static_cast<float>(p >> 1 & 1),
                          static_cast<float>(p >> 2 & 1)});
    }
    return {
        points,
        FaceList::polygons(
            {{0, 2, 3, 1}, {4, 5, 7, 6}, {0, 1, 5, 4}, {2, 6, 7, 3}, {0, 4, 6, 2}, {1, 3, 7, 5}}),
        std::nullopt};
}

// Every edge of the listed faces, each once.
std::vector<Edge> rims(const Layer& layer, std::initializer_list<std::uint32_t> faces) {
    std::vector<Edge> edges;
    for (const std::uint32_t f : faces) {
        const FaceList::Face face = layer.faces[f];
        for (size_t k = 0; k < face.size(); ++k) {
            edges.push_back(Edge::between(face[k], face[(k + 1) % face.size()]));
        }
    }
    return edges;
}

Layer without(Layer layer, std::vector<std::uint8_t> keep) {
    layer.faces.compact(keep);
    return layer;
}

Vector3 normalOf(const Layer& layer, size_t face) {
    return polygon::normal(layer.positions, layer.faces[face]);
}

TEST(FillTest, ClosesEachHoleWoundAsItsNeighboursOrRefusesWhatIsNoClosedBorder) {
    // The top's rim, in any order and either way round, closes the box; turned inside out, the
    // box gets a face pointing in.
    const Layer open = without(box(), {1, 0, 1, 1, 1, 1});
    const Edge top[] = {{6, 7}, {4, 5}, {7, 5}, {4, 6}, {5, 4}};
    for (const float z : {1.0f, -1.0f}) {
        Layer layer = open;
        if (z < 0) {
            flipFaces(layer, std::vector<std::uint32_t>{0, 1, 2, 3, 4});
        }
        EXPECT_EQ(fillBorders(layer, top).faces, (std::vector<std::uint32_t>{5}));
        EXPECT_EQ(testing::openEdges(layer), 0u);
        testing::expectNear(normalOf(layer, 5), {0, 0, z});
    }
    // Two holes: a face each, in the order of their lowest edge.
    Layer layer = without(box(), {0, 0, 1, 1, 1, 1});
    EXPECT_EQ(fillBorders(layer, rims(box(), {0, 1})).faces, (std::vector<std::uint32_t>{4, 5}));
    EXPECT_EQ(testing::openEdges(layer), 0u);

    // Two cells of a 2 × 2 grid that meet at its middle point only: their rims branch there.
    const Layer touching = without(*QuadGenerator(2, 2).generateQuadLayer(), {0, 1, 1, 0});
    const Layer quad = without(box(), {0, 1, 0, 0, 0, 0});
    struct Case {
        const Layer& layer;
        std::vector<Edge> edges;
        BorderFault fault;
    };
    const Case refused[] = {
        {open, {}, BorderFault::Empty},
        {open, {{4, 5}, {5, 7}, {6, 7}}, BorderFault::Open},
        {open, {{4, 5}, {5, 7}, {6, 7}, {4, 6}, {0, 1}}, BorderFault::NotOnBorder},
        {open, {{4, 5}, {5, 7}, {6, 7}, {4, 6}, {4, 99}}, BorderFault::NotOnBorder},
        {touching, rims(touching, {0, 1}), BorderFault::Branching},
        {quad, rims(quad, {0}), BorderFault::AlreadyFace},
    };
    for (const Case& c : refused) {
        layer = c.layer;
        EXPECT_EQ(fillBorders(layer, c.edges).fault, c.fault) << c.edges.size();
        EXPECT_EQ(layer.faces, c.layer.faces);
    }
}

TEST(ConnectTest, CutsTheSharedFaceInTwoKeepingItsWinding) {
    // An L-shaped hexagon facing +z, its notch at the top right.
    const Layer ell{{{0, 0, 0}, {2, 0, 0}, {2, 1, 0}, {1, 1, 0}, {1, 2, 0}, {0, 2, 0}},
                    FaceList::polygons({{0, 1, 2, 3, 4, 5}}),
                    std::nullopt};
    Layer layer = ell;
    EXPECT_EQ(connectPoints(layer, 3, 0), ConnectFault::None);
    EXPECT_EQ(layer.faces, FaceList::polygons({{0, 3, 4, 5}, {0, 1, 2, 3}}));
    testing::expectNear(normalOf(layer, 1), {0, 0, 1});
    // Already an edge (also across the first and last corner), a cut across the notch, which
    // would leave the face, and no common face.
    struct Case {
        std::uint32_t p, q;
        ConnectFault fault;
    };
    for (const Case c :
         {Case{0, 1, ConnectFault::Neighbours}, Case{5, 0, ConnectFault::Neighbours},
          Case{2, 4, ConnectFault::OutsideFace}, Case{2, 2, ConnectFault::NoSharedFace},
          Case{2, 9, ConnectFault::NoSharedFace}}) {
        layer = ell;
        EXPECT_EQ(connectPoints(layer, c.p, c.q), c.fault) << c.p << " " << c.q;
        EXPECT_EQ(layer.faces, ell.faces);
    }
    layer = *QuadGenerator(2, 1).generateQuadLayer();
    EXPECT_EQ(connectPoints(layer, 0, 5), ConnectFault::NoSharedFace);
    EXPECT_EQ(connectPoints(layer, 0, 4), ConnectFault::None);
    EXPECT_EQ(layer.faces, FaceList::polygons({{0, 4, 3}, {1, 2, 5, 4}, {0, 1, 4}}));
}

TEST(BridgeTest, JoinsTwoLoopsWithABandWoundAsTheirFaces) {
    // A unit square at z = 0 facing down and one at z = 1 facing up, its points listed from
    // another corner: the pairing turns to put each above its partner, closing a box.
    const Layer squares{
        {{0, 0, 0}, {0, 1, 0}, {1, 1, 0}, {1, 0, 0}, {1, 1, 1}, {0, 1, 1}, {0, 0, 1}, {1, 0, 1}},
        FaceList::polygons({{0, 1, 2, 3}, {4, 5, 6, 7}}),
        std::nullopt};
    Layer layer = squares;
    EXPECT_EQ(bridgeLoops(layer, rims(squares, {0, 1})).faces,
              (std::vector<std::uint32_t>{2, 3, 4, 5}));
    EXPECT_EQ(testing::openEdges(layer), 0u);
    for (std::uint32_t f = 2; f < 6; ++f) {
        const Vector3 middle = polygon::centroid(layer.positions, layer.faces[f]);
        testing::expectNear(normalOf(layer, f), (middle - Vector3{0.5f, 0.5f, 0.5f}) * 2);
    }
    layer = squares;
    EXPECT_EQ(bridgeLoops(layer, rims(squares, {0})).fault, BorderFault::NotTwoLoops);
    EXPECT_EQ(layer.faces, squares.faces);

    // The square of side 2 at z = 0 facing down and a hexagon around the z axis at z = 1 facing
    // up, in either order: six faces, two of them triangles, every one leaning outward.
    std::vector<Vector3> square{{1, -1, 0}, {-1, -1, 0}, {-1, 1, 0}, {1, 1, 0}};
    std::vector<Vector3> hexagon;
    for (int k = 0; k < 6; ++k) {
        const double a = k * std::numbers::pi / 3;
        hexagon.push_back({static_cast<float>(std::cos(a)), static_cast<float>(std::sin(a)), 1});
    }
    for (const bool squareFirst : {true, false}) {
        layer.positions = squareFirst ? square : hexagon;
        const std::vector<Vector3>& second = squareFirst ? hexagon : square;
        layer.positions.insert(layer.positions.end(), second.begin(), second.end());
        layer.faces = squareFirst ? FaceList::polygons({{0, 1, 2, 3}, {4, 5, 6, 7, 8, 9}})
                                  : FaceList::polygons({{0, 1, 2, 3, 4, 5}, {6, 7, 8, 9}});
        ASSERT_EQ(bridgeLoops(layer, rims(layer, {0, 1})).faces.size(), 6u) << squareFirst;
        EXPECT_EQ(testing::openEdges(layer), 0u) << squareFirst;
        size_t triangles = 0;
        for (std::uint32_t f = 2; f < 8; ++f) {
            triangles += layer.faces.cornerCount(f) == 3;
            const Vector3 n = normalOf(layer, f);
            const Vector3 c = polygon::centroid(layer.positions, layer.faces[f]);
            EXPECT_GT(n.x * c.x + n.y * c.y, 0) << squareFirst << f;
        }
        EXPECT_EQ(triangles, 2u) << squareFirst;
    }
}

} // namespace
} // namespace tessel
