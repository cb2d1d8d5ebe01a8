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
void expectSameAsWelds(const Layer& layer, const std::string& what) {
    const LayerPtr batch = layer.copy();
    const LayerPtr sequence = layer.copy();
    // Face objects are identified through copies taken before the merges: faces keep their
    // identity through a merge, points may not.
    const Layer batchBefore(batch->points, batch->polygons);
    const Layer sequenceBefore(sequence->points, sequence->polygons);
    mergeCoincidentPoints(*batch);
    mergeByWelds(*sequence);
    const Description expected = describe(sequenceBefore, *sequence);
    const Description actual = describe(batchBefore, *batch);
    EXPECT_EQ(actual.pointOrigins, expected.pointOrigins) << what;
    EXPECT_EQ(actual.positions, expected.positions) << what;
    EXPECT_EQ(actual.faceOrigins, expected.faceOrigins) << what;
    EXPECT_EQ(actual.rings, expected.rings) << what;
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

} // namespace
} // namespace tessel
