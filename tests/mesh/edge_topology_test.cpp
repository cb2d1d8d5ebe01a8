#include "mesh/edge_topology.h"

#include "mesh/model.h"
#include "support/mesh_helpers.h"

#include <gmock/gmock.h>

#include <array>

namespace tessel::testing {

using ::testing::ElementsAreArray;

namespace {

// The grid of 4 × 4 four-cornered faces: point 5j + i in column i, row j; face 4j + i over
// (k, k + 1, k + 6, k + 5) for k = 5j + i.
Layer quadGrid() { return *QuadGenerator(4, 4).generateQuadLayer(); }

// A box of n × n four-cornered faces per side: the points of the (n + 1)³ lattice on its surface,
// numbered in lattice order (i fastest). Its corners are poles of three edges, every other point
// has four.
struct QuadBox {
    explicit QuadBox(int sides) : n(sides + 1), ids(n * n * n, kRemoved) {
        for (int k = 0; k < n; ++k) {
            for (int j = 0; j < n; ++j) {
                for (int i = 0; i < n; ++i) {
                    if (i == 0 || j == 0 || k == 0 || i == sides || j == sides || k == sides) {
                        ids[(k * n + j) * n + i] =
                            static_cast<std::uint32_t>(layer.positions.size());
                        layer.positions.push_back(
                            {static_cast<float>(i), static_cast<float>(j), static_cast<float>(k)});
                    }
                }
            }
        }
        for (int axis = 0; axis < 3; ++axis) {
            for (const int level : {0, sides}) {
                for (int v = 0; v < sides; ++v) {
                    for (int u = 0; u < sides; ++u) {
                        layer.faces.push_back(
                            {inPlane(axis, level, u, v), inPlane(axis, level, u + 1, v),
                             inPlane(axis, level, u + 1, v + 1), inPlane(axis, level, u, v + 1)});
                    }
                }
            }
        }
    }
    std::uint32_t at(int i, int j, int k) const { return ids[(k * n + j) * n + i]; }
    std::uint32_t inPlane(int axis, int level, int u, int v) const {
        return axis == 0 ? at(level, u, v) : axis == 1 ? at(u, level, v) : at(u, v, level);
    }
    // The edges between consecutive lattice points.
    std::vector<Edge> path(std::initializer_list<std::array<int, 3>> points) const {
        std::vector<Edge> edges;
        for (auto p = points.begin(); p + 1 != points.end(); ++p) {
            edges.push_back(Edge::between(at((*p)[0], (*p)[1], (*p)[2]),
                                          at((*(p + 1))[0], (*(p + 1))[1], (*(p + 1))[2])));
        }
        return edges;
    }

    int n;
    std::vector<std::uint32_t> ids;
    Layer layer;
};

} // namespace

TEST(EdgeTopologyTest, ListsEveryEdgeOnceWithTheFacesAlongIt) {
    const Layer grid = quadGrid();
    const EdgeTopology t = edgeTopology(grid);
    ASSERT_EQ(t.edges.size(), 40u);
    EXPECT_TRUE(std::is_sorted(t.edges.begin(), t.edges.end()));
    EXPECT_EQ(t.edges[*t.find({6, 7})], (Edge{6, 7}));
    EXPECT_THAT(t.facesOf(*t.find({6, 7})), ElementsAreArray({1u, 5u}));
    EXPECT_THAT(t.facesOf(*t.find({1, 2})), ElementsAreArray({1u}));
    EXPECT_THAT(t.facesAround(6), ElementsAreArray({0u, 1u, 4u, 5u}));
    EXPECT_EQ(t.edgesAround(6).size(), 4u);
    EXPECT_EQ(t.edgesAround(0).size(), 2u);
    // Face 5 is (6, 7, 12, 11): its sides in corner order.
    const std::uint32_t* sides = &t.cornerEdges[20];
    EXPECT_EQ(t.edges[sides[0]], (Edge{6, 7}));
    EXPECT_EQ(t.edges[sides[2]], (Edge{11, 12}));
    EXPECT_FALSE(t.find({0, 6}));
    EXPECT_FALSE(t.find({99, 100}));

    // Three faces on one edge, and a point no face uses.
    Layer fin = *makeLayer({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, -1, 0}, {0, 0, 1}, {5, 5, 5}},
                           FaceList::polygons({{0, 1, 2}, {1, 0, 3}, {0, 1, 4}}));
    const EdgeTopology finned = edgeTopology(fin);
    EXPECT_THAT(finned.facesOf(*finned.find({0, 1})), ElementsAreArray({0u, 1u, 2u}));
    EXPECT_TRUE(finned.edgesAround(5).empty());
}

namespace {

struct WalkCase {
    const char* name;
    Layer layer;
    Edge edge;
    std::vector<Edge> loop;
};

void expectWalks(const std::vector<WalkCase>& cases,
                 std::vector<Edge> (*walk)(const EdgeTopology&, const Layer&, Edge)) {
    for (const WalkCase& c : cases) {
        EXPECT_THAT(walk(edgeTopology(c.layer), c.layer, c.edge), ElementsAreArray(c.loop))
            << c.name;
    }
}

} // namespace

TEST(EdgeTopologyTest, LoopsGoStraightOnThroughFourFacedPointsAndStopElsewhere) {
    const QuadBox box(2);
    Layer split = quadGrid();
    // Face 5 cut along its diagonal: points 6 and 12 get five edges.
    split.faces.replace(5, {6, 7, 12});
    split.faces.push_back({6, 12, 11});
    Layer pentagon = quadGrid();
    // Face 9 (11, 12, 17, 16) gets a fifth corner: point 12 keeps four edges and four faces.
    pentagon.positions.push_back({0.75f, 2.5f, 0});
    pentagon.faces.replace(9, {11, 12, 17, 16, 25});
    const std::vector<WalkCase> cases = {
        {"across the grid", quadGrid(), {11, 12}, {{10, 11}, {11, 12}, {12, 13}, {13, 14}}},
        {"up the grid", quadGrid(), {7, 12}, {{2, 7}, {7, 12}, {12, 17}, {17, 22}}},
        {"along the border, corner to corner",
         quadGrid(),
         {1, 2},
         {{0, 1}, {1, 2}, {2, 3}, {3, 4}}},
        {"round the box, back to the start", box.layer,
         Edge::between(box.at(1, 1, 0), box.at(2, 1, 0)),
         box.path({{1, 1, 0},
                   {2, 1, 0},
                   {2, 1, 1},
                   {2, 1, 2},
                   {1, 1, 2},
                   {0, 1, 2},
                   {0, 1, 1},
                   {0, 1, 0},
                   {1, 1, 0}})},
        {"between two corners of the box, poles of three edges", box.layer,
         Edge::between(box.at(0, 0, 0), box.at(1, 0, 0)),
         box.path({{0, 0, 0}, {1, 0, 0}, {2, 0, 0}})},
        {"at a pole of five edges", split, {12, 13}, {{12, 13}, {13, 14}}},
        {"at a point of four edges beside a pentagon", pentagon, {7, 12}, {{2, 7}, {7, 12}}},
        {"an edge the layer does not have", quadGrid(), {6, 12}, {}},
    };
    expectWalks(cases, edgeLoop);
}

TEST(EdgeTopologyTest, RingsCrossFourCorneredFacesToTheOppositeEdge) {
    const QuadBox cube(1);
    // Four faces in a row; the last one cut into two triangles.
    Layer strip = *QuadGenerator(4, 1).generateQuadLayer();
    strip.faces.replace(3, {3, 4, 9});
    strip.faces.push_back({3, 9, 8});
    Layer fin = *makeLayer({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, -1, 0}, {0, 0, 1}},
                           FaceList::polygons({{0, 1, 2}, {1, 0, 3}, {0, 1, 4}}));
    const std::vector<WalkCase> cases = {
        {"from the border up to the triangles", strip, {0, 5}, {{0, 5}, {1, 6}, {2, 7}, {3, 8}}},
        {"both ways from the middle: the second face's side first",
         strip,
         {1, 6},
         {{3, 8}, {2, 7}, {1, 6}, {0, 5}}},
        {"round the box, back to the start", cube.layer, {0, 1}, {{0, 1}, {4, 5}, {6, 7}, {2, 3}}},
        {"an edge of three faces", fin, {0, 1}, {{0, 1}}},
        {"both ways onto one edge of three faces",
         *makeLayer({{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}, {0, 2, 0}},
                    FaceList::polygons({{0, 1, 2, 3}, {1, 0, 3, 2}, {2, 3, 4}})),
         {0, 1},
         {{0, 1}, {2, 3}}},
    };
    expectWalks(cases, edgeRing);
}

TEST(EdgeTopologyTest, SelectionsConvertBetweenPointsEdgesAndFaces) {
    const Layer grid = quadGrid();
    const EdgeTopology t = edgeTopology(grid);
    // The middle 2 × 2 faces, their 12 edges and 9 points, each list with stale ids and repeats.
    const std::vector<std::int64_t> points = {18, 6, 7, 8, 11, 12, 13, 16, 17, 6, -1, 25};
    const std::vector<Edge> edges = {{6, 7},   {6, 11},  {7, 8},   {7, 12},  {8, 13},  {11, 12},
                                     {11, 16}, {12, 13}, {12, 17}, {13, 18}, {16, 17}, {17, 18}};
    const std::vector<std::uint32_t> faces = {5, 6, 9, 10};
    std::vector<Edge> edgesListed = edges;
    edgesListed.insert(edgesListed.end(), {{0, 6}, {7, 12}, {30, 31}});
    const std::vector<std::uint32_t> facesListed = {10, 6, 5, 9, 16, 5};
    const std::vector<std::int64_t> pointsSorted = {6, 7, 8, 11, 12, 13, 16, 17, 18};

    EXPECT_THAT(pointsToEdges(t, points), ElementsAreArray(edges));
    EXPECT_THAT(pointsToFaces(t, grid, points), ElementsAreArray(faces));
    EXPECT_THAT(edgesToPoints(t, edgesListed), ElementsAreArray(pointsSorted));
    EXPECT_THAT(edgesToFaces(t, grid, edgesListed), ElementsAreArray(faces));
    EXPECT_THAT(facesToPoints(grid, facesListed), ElementsAreArray(pointsSorted));
    EXPECT_THAT(facesToEdges(t, grid, facesListed), ElementsAreArray(edges));

    // Three corners of face 0, and three of its sides, make no face.
    EXPECT_THAT(pointsToEdges(t, std::vector<std::int64_t>{0, 1, 6}),
                ElementsAreArray({Edge{0, 1}, Edge{1, 6}}));
    EXPECT_TRUE(pointsToFaces(t, grid, std::vector<std::int64_t>{0, 1, 6}).empty());
    EXPECT_TRUE(edgesToFaces(t, grid, std::vector<Edge>{{0, 1}, {1, 6}, {5, 6}}).empty());
}

} // namespace tessel::testing
