#include "tools/point_merge.h"

#include "mesh/model.h"
#include "tools/plane_cut.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <random>
#include <unordered_map>

namespace tessel {
namespace {

// The merge as a plain sequence: for each point of the layer on entry, every other point now in
// the layer closer than the merge distance, then a weld of those followed by the point itself.
void mergeByWelds(Layer& layer) {
    const std::vector<PointPtr> snapshot = layer.points;
    for (const PointPtr& p : snapshot) {
        std::vector<PointPtr> near;
        for (const PointPtr& q : layer.points) {
            const Vector3 d = p->position - q->position;
            if (q != p && d.dot(d) < 2.5e-13f) {
                near.push_back(q);
            }
        }
        if (!near.empty()) {
            near.push_back(p);
            layer.weld(near);
        }
    }
}

// Describes a layer by where its objects came from: each point is the index it had in `before`
// or "new" with its exact position; each face is the index it had in `before` and its ring as
// point ids of the layer itself.
struct Description {
    std::vector<long> pointOrigins;
    // Bit patterns, so that not-a-number coordinates compare too.
    std::vector<std::array<std::uint32_t, 3>> positions;
    std::vector<long> faceOrigins;
    std::vector<std::vector<size_t>> rings;
    bool operator==(const Description&) const = default;
};

Description describe(const Layer& before, const Layer& after) {
    std::unordered_map<const Point*, long> pointIndex;
    for (size_t i = 0; i < before.points.size(); ++i) {
        pointIndex.emplace(before.points[i].get(), static_cast<long>(i));
    }
    std::unordered_map<const Polygon*, long> faceIndex;
    for (size_t i = 0; i < before.polygons.size(); ++i) {
        faceIndex.emplace(before.polygons[i].get(), static_cast<long>(i));
    }
    Description d;
    std::unordered_map<const Point*, size_t> id;
    for (size_t i = 0; i < after.points.size(); ++i) {
        const auto it = pointIndex.find(after.points[i].get());
        d.pointOrigins.push_back(it == pointIndex.end() ? -1 : it->second);
        const Vector3& p = after.points[i]->position;
        d.positions.push_back({std::bit_cast<std::uint32_t>(p.x), std::bit_cast<std::uint32_t>(p.y),
                               std::bit_cast<std::uint32_t>(p.z)});
        id.emplace(after.points[i].get(), i);
    }
    for (const PolygonPtr& face : after.polygons) {
        const auto it = faceIndex.find(face.get());
        d.faceOrigins.push_back(it == faceIndex.end() ? -1 : it->second);
        std::vector<size_t> ring;
        for (const PointPtr& v : face->verts()) {
            ring.push_back(id.at(v.get()));
        }
        d.rings.push_back(ring);
    }
    return d;
}

// Runs both merges on their own copies of `layer` and compares the outcomes.
template <class Merge>
void expectSameAsWelds(const Layer& layer, const std::string& what, Merge&& merge) {
    const LayerPtr batch = layer.copy();
    const LayerPtr sequence = layer.copy();
    // Face objects are identified through copies taken before the merges: faces keep their
    // identity through a merge, points may not.
    const Layer batchBefore(batch->points, batch->polygons);
    const Layer sequenceBefore(sequence->points, sequence->polygons);
    merge(*batch);
    mergeByWelds(*sequence);
    const Description expected = describe(sequenceBefore, *sequence);
    const Description actual = describe(batchBefore, *batch);
    EXPECT_EQ(actual.pointOrigins, expected.pointOrigins) << what;
    EXPECT_EQ(actual.positions, expected.positions) << what;
    EXPECT_EQ(actual.faceOrigins, expected.faceOrigins) << what;
    EXPECT_EQ(actual.rings, expected.rings) << what;
}

void expectSameAsWelds(const Layer& layer, const std::string& what) {
    expectSameAsWelds(layer, what, [](Layer& l) { mergeCoincidentPoints(l); });
}

// Random triangles over a few base positions, each position carried by several point objects
// that sit exactly on it or within (or just beyond) the merge distance; some points are used by
// no face.
LayerPtr randomLayer(std::mt19937& random) {
    std::uniform_int_distribution<int> baseCount(2, 7);
    std::uniform_real_distribution<float> coordinate(-1, 1);
    std::uniform_int_distribution<int> copies(1, 4);
    std::uniform_int_distribution<int> offsetKind(0, 4);
    std::uniform_real_distribution<float> unit(-1, 1);

    std::vector<PointPtr> points;
    const int bases = baseCount(random);
    for (int b = 0; b < bases; ++b) {
        Vector3 base{coordinate(random), coordinate(random), 0};
        if (random() % 3 == 0) {
            // On multiples of small steps, where the search's cells have their sides.
            base.x = std::round(base.x / 2e-6f) * 2e-6f;
            base.y = std::round(base.y / 5e-7f) * 5e-7f;
        }
        for (int c = copies(random); c > 0; --c) {
            Vector3 p = base;
            // Exactly on it, near it, near the merge distance, or just beyond it.
            const Vector3 offsets[] = {{0, 0, 0},
                                       Vector3{unit(random), unit(random), unit(random)} * 1e-7f,
                                       Vector3{unit(random), 0, 0} * 4.9e-7f,
                                       Vector3{unit(random), unit(random), 0} * 4e-7f,
                                       Vector3{1, 0, 0} * 6e-7f};
            p += offsets[offsetKind(random)];
            points.push_back(Point::make(p));
        }
    }
    std::shuffle(points.begin(), points.end(), random);

    std::vector<PolygonPtr> faces;
    std::uniform_int_distribution<size_t> pick(0, points.size() - 1);
    std::uniform_int_distribution<int> faceCount(1, 12);
    for (int f = faceCount(random); f > 0; --f) {
        const size_t a = pick(random), b = pick(random), c = pick(random);
        if (a != b && a != c && b != c) {
            faces.push_back(Triangle::make(points[a], points[b], points[c]));
        }
    }
    return Layer::make(std::move(points), std::move(faces));
}

TEST(PointMergeTest, RandomClustersMergeAsTheWeldSequenceDoes) {
    std::mt19937 random(20240607);
    for (int round = 0; round < 400; ++round) {
        const LayerPtr layer = randomLayer(random);
        expectSameAsWelds(*layer, "round " + std::to_string(round));
    }
}

TEST(PointMergeTest, SplitsOfACutMergeAsTheWeldSequenceDoes) {
    // Grids cut through vertex rows, along edges and across cells, in several directions: the
    // splits leave pairs and fans of coincident points.
    std::mt19937 random(7);
    std::uniform_real_distribution<float> angle(0, 6.2831853f);
    for (int round = 0; round < 60; ++round) {
        const int h = 1 + round % 5;
        const int v = 1 + (round / 5) % 4;
        const LayerPtr grid = QuadGenerator(h, v).generateLayer();
        Vector3 n{0, 1, 0};
        Vector3 o{0, 0, 0};
        if (round % 3 == 1) {
            const float a = angle(random);
            n = Vector3{std::cos(a), std::sin(a), 0};
        } else if (round % 3 == 2) {
            n = Vector3{1, 1, 0}.normalized();
            o = grid->points[static_cast<size_t>(round) % grid->points.size()]->position;
        }
        splitAlongPlane(*grid, n, o);
        expectSameAsWelds(*grid, "round " + std::to_string(round));
    }
}

TEST(PointMergeTest, FarApartAndNonFinitePointsStayAlone) {
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    auto a = Point::make(0, 0, 0);
    auto b = Point::make(5.1e-7f, 0, 0);
    auto c = Point::make(inf, 0, 0);
    auto d = Point::make(inf, 0, 0);
    auto e = Point::make(nan, 1, 0);
    auto f = Point::make(1e30f, 0, 0);
    auto g = Point::make(1e30f, 0, 0);
    const LayerPtr layer =
        Layer::make({a, b, c, d, e, f, g},
                    {Triangle::make(a, b, c), Triangle::make(d, e, f), Triangle::make(a, e, g)});
    expectSameAsWelds(*layer, "extremes");
    mergeCoincidentPoints(*layer);
    // Only the two equal huge points coincide; they become one point, appended last.
    ASSERT_EQ(layer->points.size(), 6u);
    EXPECT_EQ(layer->points.back()->position, Vector3(1e30f, 0, 0));
}

// Points on a small lattice spaced around the merge distance (5e-7), so that merged points
// land near points that none of the merged ones was near; then a few more points among them.
// The first `settled` are the lattice's points, in shuffled order.
LayerPtr latticeLayer(std::mt19937& random, float spacingLow, size_t& settled) {
    std::uniform_real_distribution<float> spacing(spacingLow, 1.1e-6f);
    std::uniform_real_distribution<float> jitter(-5e-8f, 5e-8f);
    const float s = spacing(random);
    const int side = 2 + static_cast<int>(random() % 3);
    std::vector<PointPtr> points;
    for (int i = 0; i < side; ++i) {
        for (int j = 0; j < side; ++j) {
            points.push_back(
                Point::make(0.25f + i * s + jitter(random), 0.5f + j * s + jitter(random), 0));
        }
    }
    std::shuffle(points.begin(), points.end(), random);
    settled = points.size();
    std::uniform_real_distribution<float> x(0.25f, 0.25f + side * s);
    std::uniform_real_distribution<float> y(0.5f, 0.5f + side * s);
    for (int k = 1 + static_cast<int>(random() % 5); k > 0; --k) {
        points.push_back(Point::make(x(random), y(random), 0));
    }
    std::vector<PolygonPtr> faces;
    std::uniform_int_distribution<size_t> pick(0, points.size() - 1);
    for (int f = 2 + static_cast<int>(random() % 10); f > 0; --f) {
        const size_t a = pick(random), b = pick(random), c = pick(random);
        if (a != b && a != c && b != c) {
            faces.push_back(Triangle::make(points[a], points[b], points[c]));
        }
    }
    return Layer::make(std::move(points), std::move(faces));
}

TEST(PointMergeTest, MergeAfterSettledPointsMatchesTheWeldSequence) {
    std::mt19937 random(99);
    PointMergeMemo memo;
    for (int round = 0; round < 600; ++round) {
        size_t settled = 0;
        LayerPtr layer;
        if (round % 3 == 0) {
            // Clusters: the first points may coincide among themselves.
            layer = randomLayer(random);
            settled = random() % (layer->points.size() + 1);
        } else {
            // Spaced wide enough apart (or, every other round, not) that no two coincide.
            layer = latticeLayer(random, round % 3 == 1 ? 6e-7f : 3e-7f, settled);
        }
        const auto merge = [&](Layer& l) { mergeCoincidentPoints(l, settled, memo); };
        // The second merge finds the memo describing the first points already.
        expectSameAsWelds(*layer, "round " + std::to_string(round), merge);
        expectSameAsWelds(*layer, "round " + std::to_string(round) + " again", merge);
    }
}

TEST(PointMergeTest, MergedPointPullsInASettledPointNeitherOfItsPartsWasNear) {
    // P and C (a later point) lie on a chord of the ball around Z, each just outside it; their
    // merged point lies inside, so Z's turn welds it although no later point was near Z.
    constexpr float u = 5e-7f;
    const Vector3 z{1e-3f, 2e-3f, 0};
    auto p = Point::make(z + Vector3{-0.45f * u, -0.95f * u, 0});
    auto zp = Point::make(z);
    auto c = Point::make(z + Vector3{0.45f * u, -0.95f * u, 0});
    auto a = Point::make(1, 0, 0);
    auto b = Point::make(0, 1, 0);
    const LayerPtr layer =
        Layer::make({p, zp, a, b, c},
                    {Triangle::make(p, a, b), Triangle::make(zp, a, b), Triangle::make(c, b, a)});
    PointMergeMemo memo;
    expectSameAsWelds(*layer, "chord", [&](Layer& l) { mergeCoincidentPoints(l, 4, memo); });
    mergeCoincidentPoints(*layer, 4, memo);
    EXPECT_EQ(layer->points.size(), 3u);
}

TEST(PointMergeTest, CutsSharingAMemoMergeAsTheWeldSequenceDoes) {
    const LayerPtr grid = QuadGenerator(6, 5).generateLayer();
    // A second point object on the position of a corner far from every cut, used by one face.
    const LayerPtr seam = grid->copy();
    seam->points.push_back(Point::make(seam->points[0]->position));
    seam->polygons[0]->replace(seam->points[0], seam->points.back());
    const float row = grid->points[14]->position.y;
    const struct {
        Vector3 normal;
        Vector3 origin;
    } planes[] = {
        {{1, 0, 0}, {0.001f, 0, 0}},                // across a column of cells
        {{0, 1, 0}, {0, row, 0}},                   // through a row of vertices
        {Vector3{1, 1, 0}.normalized(), {0, 0, 0}}, // along diagonals, through vertices
        {{0, 1, 0}, {0, 2, 0}},                     // beside the grid
        {{0.6f, 0.8f, 0}, {0.05f, -0.1f, 0}},       // at an angle
    };
    PointMergeMemo memo;
    for (const LayerPtr& base : {grid, seam, grid}) {
        for (size_t k = 0; k < std::size(planes); ++k) {
            const LayerPtr layer = base->copy();
            const size_t settled = layer->points.size();
            splitAlongPlane(*layer, planes[k].normal, planes[k].origin);
            expectSameAsWelds(*layer, "plane " + std::to_string(k),
                              [&](Layer& l) { mergeCoincidentPoints(l, settled, memo); });
        }
    }
    // The seam is welded wherever the plane lies.
    const LayerPtr cut = seam->copy();
    cutAlongPlane(*cut, {0, 1, 0}, {0, 2, 0}, memo);
    EXPECT_EQ(cut->points.size(), grid->points.size());
}

} // namespace
} // namespace tessel
