// Layer structure, lookups, removals, weld and copy.
#include "mesh/layer.h"

#include "support/mesh_helpers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

namespace tessel {
namespace {

using Points = std::vector<PointPtr>;
using Polygons = std::vector<PolygonPtr>;

TrianglePtr tri(const PointPtr& a, const PointPtr& b, const PointPtr& c) { return Triangle::make(a, b, c); }

using testing::ring;

// The two-triangle layer: (a, b, c) and (b, d, c) sharing edge b–c.
struct TwoTriangles : ::testing::Test {
    PointPtr a = Point::make(0, 0, 0);
    PointPtr b = Point::make(1, 0, 0);
    PointPtr c = Point::make(0, 1, 0);
    PointPtr d = Point::make(1, 1, 0);
    PolygonPtr first = tri(a, b, c);
    PolygonPtr second = tri(b, d, c);
    LayerPtr layer = Layer::make({a, b, c, d}, {first, second});
};

// A (w × h)-cell grid with two triangles per cell, laid out as QuadGenerator does.
LayerPtr makeGrid(int w, int h) {
    Points points;
    for (int j = 0; j <= h; ++j) {
        for (int i = 0; i <= w; ++i) {
            points.push_back(Point::make(float(i), float(j), 0));
        }
    }
    Polygons polygons;
    auto at = [&](int i, int j) { return points[size_t(j * (w + 1) + i)]; };
    for (int j = 0; j < h; ++j) {
        for (int i = 0; i < w; ++i) {
            polygons.push_back(tri(at(i, j), at(i + 1, j), at(i + 1, j + 1)));
            polygons.push_back(tri(at(i, j), at(i + 1, j + 1), at(i, j + 1)));
        }
    }
    return Layer::make(std::move(points), std::move(polygons));
}

// --- Lookups ---

TEST_F(TwoTriangles, IndexOfIsByIdentity) {
    EXPECT_EQ(layer->indexOf(a), 0u);
    EXPECT_EQ(layer->indexOf(d), 3u);
    EXPECT_EQ(layer->indexOf(Point::make(0, 0, 0)), std::nullopt);
    const auto other = layer->copy();
    EXPECT_EQ(layer->indexOf(other->points[0]), std::nullopt);
}

TEST_F(TwoTriangles, IndexOfGivesTheFirstOccurrence) {
    layer->points = {a, b, a};
    EXPECT_EQ(layer->indexOf(a), 0u);
    const Points list{a, b};
    EXPECT_EQ(layer->indexesOf(list), (std::vector<size_t>{0, 1}));
}

TEST_F(TwoTriangles, IndexesOfInTheGivenOrder) {
    const Points list{d, a, c, a};
    EXPECT_EQ(layer->indexesOf(list), (std::vector<size_t>{3, 0, 2, 0}));
    EXPECT_TRUE(layer->indexesOf({}).empty());
}

TEST_F(TwoTriangles, IndexesOfAfterTheLayerChanged) {
    // The hints of an earlier numbering must not leak into a later lookup.
    const Points all{a, b, c, d};
    EXPECT_EQ(layer->indexesOf(all), (std::vector<size_t>{0, 1, 2, 3}));
    layer->points = {d, c, b, a};
    EXPECT_EQ(layer->indexesOf(all), (std::vector<size_t>{3, 2, 1, 0}));
}

TEST_F(TwoTriangles, IndexesOfAPointNotInTheLayerStops) {
    const Points list{a, Point::make(0, 0, 0)};
    EXPECT_DEATH(layer->indexesOf(list), "Layer.indexes\\(of:\\).*list position 1");
}

TEST_F(TwoTriangles, IndexesOfAPointNumberedByAnotherLayerStops) {
    // A foreign point whose hint happens to be a valid id of this layer is still rejected.
    const auto other = layer->copy();
    const Points all{other->points[0], other->points[1]};
    other->indexesOf(all);
    const Points list{other->points[1]};
    EXPECT_DEATH(layer->indexesOf(list), "Layer.indexes");
}

TEST_F(TwoTriangles, PolygonsSharingInLayerOrder) {
    EXPECT_EQ(layer->polygonsSharing(b), (Polygons{first, second}));
    EXPECT_EQ(layer->polygonsSharing(a), (Polygons{first}));
    EXPECT_EQ(layer->polygonsSharing(d), (Polygons{second}));
    EXPECT_TRUE(layer->polygonsSharing(Point::make(1, 0, 0)).empty());
}

TEST_F(TwoTriangles, PointsSharedByInvalidIdStops) {
    const std::vector<size_t> ids{0, 2};
    EXPECT_DEATH(layer->pointsSharedBy(ids), "Layer.pointsSharedBy.*polygon id 2 out of range for 2");
}

TEST_F(TwoTriangles, PointIdsRelativeToAscending) {
    const Plane plane = Plane::through({1, 0, 0}, {0.5f, 0, 0});
    EXPECT_EQ(layer->pointIdsRelativeTo(plane, std::greater<float>()), (std::vector<size_t>{1, 3}));
    EXPECT_EQ(layer->pointIdsRelativeTo(plane, std::less<float>()), (std::vector<size_t>{0, 2}));
    const Plane through = Plane::through({1, 0, 0}, {1, 0, 0});
    EXPECT_EQ(layer->pointIdsRelativeTo(through, std::equal_to<float>()), (std::vector<size_t>{1, 3}));
    EXPECT_EQ(layer->pointIdsRelativeTo(through, std::greater_equal<float>()), (std::vector<size_t>{1, 3}));
    EXPECT_EQ(layer->pointIdsRelativeTo(through, std::less_equal<float>()), (std::vector<size_t>{0, 1, 2, 3}));
}

TEST_F(TwoTriangles, PointIdsRelativeToReceivesDistanceAndZero) {
    std::vector<std::pair<float, float>> calls;
    const Plane plane = Plane::through({0, 1, 0}, {0, 0.25f, 0});
    layer->pointIdsRelativeTo(plane, [&](float x, float y) {
        calls.emplace_back(x, y);
        return false;
    });
    ASSERT_EQ(calls.size(), 4u);
    EXPECT_FLOAT_EQ(calls[0].first, -0.25f);
    EXPECT_FLOAT_EQ(calls[2].first, 0.75f);
    for (const auto& call : calls) {
        EXPECT_EQ(call.second, 0.0f);
    }
}

// --- remove(polygons:) ---

TEST_F(TwoTriangles, RemovePolygonsDropsUnusedVertices) {
    layer->removePolygons({&first, 1});
    EXPECT_EQ(layer->polygons, Polygons{second});
    EXPECT_EQ(layer->points, (Points{b, c, d}));
}

TEST_F(TwoTriangles, RemovePolygonsKeepsOrphansThatWereNotItsVertices) {
    const auto e = Point::make(5, 5, 5);
    layer->points.insert(layer->points.begin() + 1, e);
    layer->removePolygons({&first, 1});
    EXPECT_EQ(layer->points, (Points{e, b, c, d}));
}

TEST_F(TwoTriangles, RemovePolygonsRemovesEveryOccurrence) {
    layer->polygons = {first, second, first};
    layer->removePolygons({&first, 1});
    EXPECT_EQ(layer->polygons, Polygons{second});
    EXPECT_EQ(layer->points, (Points{b, c, d}));
}

TEST_F(TwoTriangles, RemovePolygonsRemovesEveryOccurrenceOfAnUnusedVertex) {
    layer->points = {a, b, a, c, d, a};
    layer->removePolygons({&first, 1});
    EXPECT_EQ(layer->points, (Points{b, c, d}));
}

TEST_F(TwoTriangles, RemovePolygonsOfAFaceNotInTheLayerStillDropsItsUnusedVertices) {
    // A foreign face over a (a vertex of `first`) and e (an orphan of the layer): nothing is
    // removed from polygons, but e, being unused, goes; a stays because `first` uses it.
    const auto e = Point::make(5, 5, 5);
    const auto outsider = Point::make(6, 6, 6);
    layer->points.push_back(e);
    const PolygonPtr foreign = tri(a, e, outsider);
    layer->removePolygons({&foreign, 1});
    EXPECT_EQ(layer->polygons, (Polygons{first, second}));
    EXPECT_EQ(layer->points, (Points{a, b, c, d}));
}

TEST_F(TwoTriangles, RemovePolygonsWithTheLayersOwnList) {
    const auto e = Point::make(5, 5, 5);
    layer->points.push_back(e);
    layer->removePolygons(layer->polygons);
    EXPECT_TRUE(layer->polygons.empty());
    EXPECT_EQ(layer->points, Points{e});
}

// --- remove(verts:) ---

TEST_F(TwoTriangles, RemoveSharedVertexRemovesEverythingButUnrelatedOrphans) {
    const auto e = Point::make(5, 5, 5);
    layer->points.push_back(e);
    layer->removeVerts({&b, 1});
    EXPECT_TRUE(layer->polygons.empty());
    EXPECT_EQ(layer->points, Points{e});
}

TEST_F(TwoTriangles, RemoveUnsharedVertexRemovesItsFaceOnly) {
    layer->removeVerts({&a, 1});
    EXPECT_EQ(layer->polygons, Polygons{second});
    EXPECT_EQ(layer->points, (Points{b, c, d}));
}

TEST_F(TwoTriangles, RemoveOrphanedVertex) {
    const auto e = Point::make(5, 5, 5);
    layer->points.insert(layer->points.begin() + 2, e);
    layer->removeVerts({&e, 1});
    EXPECT_EQ(layer->polygons.size(), 2u);
    EXPECT_EQ(layer->points, (Points{a, b, c, d}));
}

TEST_F(TwoTriangles, RemoveVertsInListOrder) {
    // a first: face 0 goes with a (b and c stay, used by `second`); then e: the third face
    // (c, d, e) goes with e, while c and d stay, used by `second`.
    const auto e = Point::make(2, 2, 0);
    const PolygonPtr third = tri(c, d, e);
    layer->points.push_back(e);
    layer->polygons.push_back(third);
    const Points list{a, e};
    layer->removeVerts(list);
    EXPECT_EQ(layer->polygons, Polygons{second});
    EXPECT_EQ(layer->points, (Points{b, c, d}));
}

TEST_F(TwoTriangles, RemoveVertsWithTheLayersOwnList) {
    layer->removeVerts(layer->points);
    EXPECT_TRUE(layer->polygons.empty());
    EXPECT_TRUE(layer->points.empty());
}

TEST(LayerRemoveTest, RemoveVertexOfAGridKeepsTheRest) {
    const auto layer = makeGrid(2, 2);
    // The centre point (1, 1) has id 4 and is used by 6 of the 8 faces; the corners (0, 0) and
    // (2, 2) were used only by those faces and go with them.
    const PointPtr centre = layer->points[4];
    const Points before = layer->points;
    const Polygons facesBefore = layer->polygons;
    layer->removeVerts({&centre, 1});
    // Cells: (0,0) faces 0,1 use centre; (1,0): face 3 uses centre (2 doesn't: (1,0),(2,0),(2,1));
    // (0,1): face 4 uses centre ((0,1),(1,1),(1,2)); face 5 doesn't ((0,1),(1,2),(0,2));
    // (1,1): faces 6, 7 use centre.
    EXPECT_EQ(layer->polygons, (Polygons{facesBefore[2], facesBefore[5]}));
    EXPECT_EQ(layer->points, (Points{before[1], before[2], before[3], before[5], before[6], before[7]}));
}

// --- removeDegeneratedPolygons / removeOrphanedPoints ---

TEST_F(TwoTriangles, RemoveDegeneratedPolygons) {
    const auto e = Point::make(5, 5, 5);
    const auto f = Point::make(6, 6, 6);
    const PolygonPtr collapsed = tri(d, e, e);
    const PolygonPtr alsoCollapsed = tri(f, a, f);
    // Distinct points at one position do not count.
    const auto g = Point::make(1, 1, 0);
    const PolygonPtr flat = tri(d, g, b);
    layer->points.insert(layer->points.end(), {e, f, g});
    layer->polygons.insert(layer->polygons.begin() + 1, collapsed);
    layer->polygons.push_back(flat);
    layer->polygons.push_back(alsoCollapsed);
    layer->removeDegeneratedPolygons();
    EXPECT_EQ(layer->polygons, (Polygons{first, second, flat}));
    EXPECT_EQ(layer->points, (Points{a, b, c, d, g}));
}

TEST(LayerCleanupTest, RemoveOrphanedPointsKeepsOrder) {
    const auto a = Point::make(0, 0, 0), e = Point::make(9, 9, 9), b = Point::make(1, 0, 0),
               f = Point::make(8, 8, 8), c = Point::make(0, 1, 0);
    const auto layer = Layer::make({a, e, b, f, c}, {tri(a, b, c)});
    layer->removeOrphanedPoints();
    EXPECT_EQ(layer->points, (Points{a, b, c}));
    EXPECT_EQ(layer->polygons.size(), 1u);
}

TEST(LayerCleanupTest, RemoveOrphanedPointsKeepsRepeatedUsedPoints) {
    const auto a = Point::make(0, 0, 0), b = Point::make(1, 0, 0), c = Point::make(0, 1, 0),
               e = Point::make(9, 9, 9);
    const auto layer = Layer::make({a, e, b, a, c, e}, {tri(a, b, c)});
    layer->removeOrphanedPoints();
    EXPECT_EQ(layer->points, (Points{a, b, a, c}));
}

TEST(LayerCleanupTest, RemoveDegeneratedOfAQuadStops) {
    const auto a = Point::make(0, 0, 0), b = Point::make(1, 0, 0), c = Point::make(1, 1, 0),
               d = Point::make(0, 1, 0);
    const auto layer = Layer::make({a, b, c, d}, {Quad::make(a, b, c, d)});
    EXPECT_DEATH(layer->removeDegeneratedPolygons(), "Quad.isDegenerated");
}

// --- weld(vertices:) ---

TEST_F(TwoTriangles, WeldNothing) {
    const auto e = Point::make(5, 5, 5);
    layer->points.push_back(e);
    EXPECT_EQ(layer->weld({}), nullptr);
    EXPECT_EQ(layer->points, (Points{a, b, c, d, e}));
    EXPECT_EQ(layer->polygons, (Polygons{first, second}));
}

TEST_F(TwoTriangles, WeldOnePointMovesItToTheEnd) {
    const PointPtr p = layer->weld({&a, 1});
    ASSERT_NE(p, nullptr);
    EXPECT_NE(p, a);
    EXPECT_EQ(p->position, a->position);
    EXPECT_EQ(layer->points, (Points{b, c, d, p}));
    EXPECT_EQ(ring(layer->polygons[0]), (Points{p, b, c}));
    EXPECT_EQ(layer->polygons, (Polygons{first, second})); // faces edited in place
}

TEST_F(TwoTriangles, WeldTwoUnsharedPoints) {
    const Points list{a, d};
    const PointPtr p = layer->weld(list);
    EXPECT_EQ(p->position, Vector3(0.5f, 0.5f, 0));
    EXPECT_EQ(layer->points, (Points{b, c, p}));
    ASSERT_EQ(layer->polygons.size(), 2u);
    EXPECT_EQ(ring(layer->polygons[0]), (Points{p, b, c}));
    EXPECT_EQ(ring(layer->polygons[1]), (Points{b, p, c}));
}

TEST_F(TwoTriangles, WeldAlsoRemovesEarlierOrphans) {
    const auto e = Point::make(5, 5, 5);
    layer->points.insert(layer->points.begin(), e);
    const Points list{a, d};
    const PointPtr p = layer->weld(list);
    EXPECT_EQ(layer->points, (Points{b, c, p}));
}

TEST_F(TwoTriangles, WeldSharedEdgeCollapsesEverything) {
    const Points list{b, c};
    const PointPtr p = layer->weld(list);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->position, Vector3(0.5f, 0.5f, 0));
    EXPECT_TRUE(layer->polygons.empty());
    EXPECT_TRUE(layer->points.empty());
    EXPECT_EQ(layer->indexOf(p), std::nullopt);
}

TEST_F(TwoTriangles, WeldCountsAPointNotInTheLayerInTheMean) {
    const auto stranger = Point::make(3, 0, 0);
    const Points list{a, stranger};
    const PointPtr p = layer->weld(list);
    EXPECT_EQ(p->position, Vector3(1.5f, 0, 0));
    EXPECT_EQ(layer->points, (Points{b, c, d, p}));
    EXPECT_EQ(ring(layer->polygons[0]), (Points{p, b, c}));
}

TEST_F(TwoTriangles, WeldOfAnUnusedListedPointRemovesIt) {
    const auto e = Point::make(4, 0, 0);
    layer->points.push_back(e);
    const Points list{e, a};
    const PointPtr p = layer->weld(list);
    EXPECT_EQ(p->position, Vector3(2, 0, 0));
    EXPECT_EQ(layer->points, (Points{b, c, d, p}));
}

TEST_F(TwoTriangles, WeldRepeatedPointReplacesBothOccurrences) {
    // Face (a, b, a) with a listed twice: both occurrences become P, so it collapses (it did
    // anyway); the other face loses a and is rewritten.
    const PolygonPtr loop = tri(a, b, a);
    layer->polygons.push_back(loop);
    const Points list{a, a};
    const PointPtr p = layer->weld(list);
    EXPECT_EQ(layer->polygons, (Polygons{first, second}));
    EXPECT_EQ(ring(first), (Points{p, b, c}));
    EXPECT_EQ(layer->points, (Points{b, c, d, p}));
}

TEST_F(TwoTriangles, WeldLeavesADegenerateFaceWithAnUnlistedRepeat) {
    // Face (a, d, a): weld [a] replaces only the first a, so the face still holds a; remove(verts:)
    // then removes it with a, and its d stays (used by `second`).
    const PolygonPtr loop = tri(a, d, a);
    layer->polygons.push_back(loop);
    const PointPtr p = layer->weld({&a, 1});
    EXPECT_EQ(layer->polygons, (Polygons{first, second}));
    EXPECT_EQ(ring(first), (Points{p, b, c}));
    EXPECT_EQ(layer->points, (Points{b, c, d, p}));
}

TEST(LayerWeldTest, WeldRemovesAQuadStillHoldingAListedPointBeforeAskingIt) {
    // Quad (a, b, a, c) with a listed once: only its first a becomes P, so step 4 removes it with
    // the listed a and step 6 never asks it whether it is degenerated.
    const auto a = Point::make(0, 0, 0), b = Point::make(1, 0, 0), c = Point::make(0, 1, 0),
               d = Point::make(1, 1, 0);
    const PolygonPtr t = tri(b, d, c);
    const auto layer = Layer::make({a, b, c, d}, {Quad::make(a, b, a, c), t});
    const PointPtr p = layer->weld({&a, 1});
    EXPECT_EQ(layer->polygons, Polygons{t});
    EXPECT_EQ(layer->points, (Points{b, c, d}));
    EXPECT_EQ(layer->indexOf(p), std::nullopt);
}

TEST(LayerWeldTest, WeldWithARemainingQuadStops) {
    const auto a = Point::make(0, 0, 0), b = Point::make(1, 0, 0), c = Point::make(1, 1, 0),
               d = Point::make(0, 1, 0);
    const auto layer = Layer::make({a, b, c, d}, {Quad::make(a, b, c, d)});
    EXPECT_DEATH(layer->weld({&a, 1}), "Quad.isDegenerated");
}

TEST(LayerWeldTest, WeldRingOfAGridCentre) {
    // The 8 neighbours of the centre of a 4 × 4 grid merge into P; faces holding two of them
    // collapse, the others keep their ids' order and hold P where they held a ring point.
    const auto layer = makeGrid(4, 4);
    const auto pts = layer->points;
    auto at = [&](int i, int j) { return pts[size_t(j * 5 + i)]; };
    Points ring8;
    for (int dj = -1; dj <= 1; ++dj) {
        for (int di = -1; di <= 1; ++di) {
            if (di || dj) {
                ring8.push_back(at(2 + di, 2 + dj));
            }
        }
    }
    const std::set<PointPtr> inRing(ring8.begin(), ring8.end());
    Polygons survivors;
    std::vector<Points> expectedRings;
    for (const auto& polygon : layer->polygons) {
        int count = 0;
        for (const auto& v : polygon->verts()) {
            count += inRing.count(v) ? 1 : 0;
        }
        if (count < 2) {
            survivors.push_back(polygon);
            expectedRings.push_back(ring(polygon));
        }
    }
    ASSERT_EQ(survivors.size(), 16u); // 16 of the 32 faces hold two ring points or more
    const PointPtr p = layer->weld(ring8);
    EXPECT_EQ(p->position, Vector3(2, 2, 0));
    EXPECT_EQ(layer->polygons, survivors);
    for (size_t k = 0; k < survivors.size(); ++k) {
        for (auto& v : expectedRings[k]) {
            if (inRing.count(v)) {
                v = p;
            }
        }
        EXPECT_EQ(ring(survivors[k]), expectedRings[k]) << "face " << k;
    }
    // Every survivor's vertex is in the layer and every point is used; P is last.
    EXPECT_EQ(layer->points.back(), p);
    std::set<PointPtr> used;
    for (const auto& polygon : layer->polygons) {
        for (const auto& v : polygon->verts()) {
            EXPECT_TRUE(layer->indexOf(v).has_value());
            used.insert(v);
        }
    }
    EXPECT_EQ(used.size(), layer->points.size());
    EXPECT_EQ(layer->indexOf(at(2, 2)), std::nullopt);
}

TEST_F(TwoTriangles, NullArgumentsStop) {
    const Points withNull{a, nullptr};
    EXPECT_DEATH(layer->removeVerts(withNull), "Layer.remove\\(verts:\\).*null point at list position 1");
    EXPECT_DEATH(layer->weld(withNull), "Layer.weld\\(vertices:\\).*null point at list position 1");
    const Polygons faces{nullptr};
    EXPECT_DEATH(layer->removePolygons(faces), "Layer.remove\\(polygons:\\).*null face at list position 0");
    EXPECT_DEATH(layer->indexesOf(withNull), "Layer.indexes");
}

// --- copy() ---

TEST_F(TwoTriangles, CopyIsDeepAndPreservesIds) {
    layer->fragmentShader = "wireframe";
    const auto copy = layer->copy();
    EXPECT_EQ(copy->fragmentShader, std::optional<std::string>("wireframe"));
    ASSERT_EQ(copy->points.size(), 4u);
    ASSERT_EQ(copy->polygons.size(), 2u);
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_NE(copy->points[i], layer->points[i]);
        EXPECT_EQ(copy->points[i]->position, layer->points[i]->position);
    }
    for (size_t i = 0; i < 2; ++i) {
        EXPECT_NE(copy->polygons[i], layer->polygons[i]);
        EXPECT_TRUE(copy->polygons[i]->isTriangle());
        const auto source = ring(layer->polygons[i]);
        const auto copied = ring(copy->polygons[i]);
        EXPECT_EQ(copy->indexesOf(copied), layer->indexesOf(source));
    }
    copy->points[0]->position = {7, 7, 7};
    EXPECT_EQ(a->position, Vector3(0, 0, 0));
    copy->removeVerts({&copy->points[1], 1});
    EXPECT_EQ(layer->points.size(), 4u);
    EXPECT_EQ(layer->polygons.size(), 2u);
}

TEST_F(TwoTriangles, CopyWithoutShaderAndWithRepeatedPoints) {
    layer->points = {a, b, c, d, a};
    const auto copy = layer->copy();
    EXPECT_FALSE(copy->fragmentShader.has_value());
    ASSERT_EQ(copy->points.size(), 5u);
    EXPECT_NE(copy->points[4], copy->points[0]); // each entry gets its own copy
    EXPECT_EQ(ring(copy->polygons[0])[0], copy->points[0]); // first occurrence wins
}

TEST(LayerCopyTest, CopyKeepsQuadsAndOrphans) {
    const auto a = Point::make(0, 0, 0), b = Point::make(1, 0, 0), c = Point::make(1, 1, 0),
               d = Point::make(0, 1, 0), e = Point::make(3, 3, 3);
    const auto layer = Layer::make({e, a, b, c, d}, {Quad::make(a, b, c, d)});
    const auto copy = layer->copy();
    ASSERT_EQ(copy->polygons.size(), 1u);
    EXPECT_FALSE(copy->polygons[0]->isTriangle());
    EXPECT_EQ(ring(copy->polygons[0]), (Points{copy->points[1], copy->points[2], copy->points[3], copy->points[4]}));
    EXPECT_EQ(copy->points[0]->position, Vector3(3, 3, 3));
}

TEST_F(TwoTriangles, CopyOfALayerBreakingTheInvariantStops) {
    layer->points = {a, b, c}; // d, used by `second`, is missing
    EXPECT_DEATH(layer->copy(), "Layer.copy\\(\\).*polygon id 1");
}

} // namespace
} // namespace tessel
