// Layer structure, lookups, removals, weld and copy.
#include "mesh/layer.h"

#include "support/mesh_helpers.h"

#include <gtest/gtest.h>

#include <thread>

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

// --- Lookups ---

TEST_F(TwoTriangles, IndexOfIsByIdentityAndGivesTheFirstOccurrence) {
    EXPECT_EQ(layer->indexOf(Point::make(0, 0, 0)), std::nullopt);
    EXPECT_EQ(layer->indexOf(layer->copy()->points[0]), std::nullopt);
    layer->points = {a, b, a};
    EXPECT_EQ(layer->indexOf(a), 0u);
    const Points list{b, a};
    EXPECT_EQ(layer->indexesOf(list), (std::vector<size_t>{1, 0}));
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

// --- remove(polygons:) ---

TEST_F(TwoTriangles, RemovePolygonsRemovesEveryOccurrenceAndKeepsUnrelatedOrphans) {
    // `first` is listed twice and its unused vertex a appears three times; e is an orphan.
    const auto e = Point::make(5, 5, 5);
    layer->points = {a, e, b, a, c, d, a};
    layer->polygons = {first, second, first};
    layer->removePolygons({&first, 1});
    EXPECT_EQ(layer->polygons, Polygons{second});
    EXPECT_EQ(layer->points, (Points{e, b, c, d}));
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

TEST_F(TwoTriangles, RemoveVertsOfAnOrphanAndOfASharedVertex) {
    const auto e = Point::make(5, 5, 5), f = Point::make(6, 6, 6);
    layer->points.insert(layer->points.begin() + 2, e);
    layer->points.push_back(f);
    layer->removeVerts({&e, 1});
    EXPECT_EQ(layer->polygons, (Polygons{first, second}));
    EXPECT_EQ(layer->points, (Points{a, b, c, d, f}));
    layer->removeVerts({&b, 1});
    EXPECT_TRUE(layer->polygons.empty());
    EXPECT_EQ(layer->points, Points{f});
}

TEST_F(TwoTriangles, RemoveVertsWithTheLayersOwnList) {
    layer->removeVerts(layer->points);
    EXPECT_TRUE(layer->polygons.empty());
    EXPECT_TRUE(layer->points.empty());
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

TEST_F(TwoTriangles, WeldRemovesEveryOrphanAndCountsAListedOneInTheMean) {
    const auto early = Point::make(5, 5, 5), listed = Point::make(4, 0, 0);
    layer->points.insert(layer->points.begin(), early);
    layer->points.push_back(listed);
    const Points list{listed, a};
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
    // Quad (a, b, a, c) with a listed once: only its first a becomes P, so the quad goes with the
    // listed a before the clean-up of degenerate faces could ask it whether it is degenerated.
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

TEST_F(TwoTriangles, NullArgumentsStop) {
    const Points withNull{a, nullptr};
    EXPECT_DEATH(layer->removeVerts(withNull), "Layer.remove\\(verts:\\).*null point at list position 1");
    EXPECT_DEATH(layer->weld(withNull), "Layer.weld\\(vertices:\\).*null point at list position 1");
    const Polygons faces{nullptr};
    EXPECT_DEATH(layer->removePolygons(faces), "Layer.remove\\(polygons:\\).*null face at list position 0");
    EXPECT_DEATH(layer->indexesOf(withNull), "Layer.indexes");
}

// --- copy() ---

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

// Copies and edits draw their points and faces from memory the layers give back; objects made
// on one thread and freed on another pass through the shared part of that memory. Enough
// objects change hands here to move many batches both ways, and every copy must still be an
// exact, independent copy.
TEST(LayerCopyTest, CopiesStayExactWhileMemoryChangesThreads) {
    const LayerPtr source = QuadGenerator(40, 40).generateLayer();
    const std::vector<Vector3> positions = testing::positions(*source);
    auto expectExact = [&](const Layer& copy) {
        ASSERT_EQ(testing::positions(copy), positions);
        ASSERT_EQ(copy.polygons.size(), source->polygons.size());
        for (size_t k = 0; k < copy.polygons.size(); k += 97) {
            const auto want = source->indexesOf(source->polygons[k]->verts());
            EXPECT_EQ(copy.indexesOf(copy.polygons[k]->verts()), want) << k;
        }
    };
    for (int round = 0; round < 10; ++round) {
        std::vector<LayerPtr> made;
        std::thread maker([&] {
            for (int k = 0; k < 4; ++k) {
                made.push_back(source->copy());
                made.back()->subdividePolygon(0);
            }
        });
        maker.join();
        std::vector<LayerPtr> mine{source->copy(), source->copy()};
        made.clear(); // freed here
        std::thread freer([&mine] { mine.clear(); });
        freer.join();
        std::thread user([&] { expectExact(*source->copy()); });
        user.join();
        expectExact(*source->copy());
    }
}

} // namespace
} // namespace tessel
