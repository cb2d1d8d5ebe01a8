// Randomized properties of layer edits, from fixed seeds:
// - every vertex of every polygon is in the same layer's points, after every edit;
// - a copy is never affected by later edits of its source (nor the source by the copy's);
// - the removals, the weld and the lookups give exactly what the step-by-step algorithms
//   give, checked against a literal (quadratic) reference implementation written below.
#include "mesh/layer.h"

#include "support/mesh_helpers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <random>
#include <set>
#include <sstream>

namespace tessel {
namespace {

using Points = std::vector<PointPtr>;
using Polygons = std::vector<PolygonPtr>;

using testing::ring;

// --- Layers to start from ---

LayerPtr makeGrid(int w, int h) {
    Points points;
    for (int j = 0; j <= h; ++j) {
        for (int i = 0; i <= w; ++i) {
            points.push_back(Point::make(float(i) / float(w) - 0.5f, float(j) / float(h) - 0.5f, 0));
        }
    }
    Polygons polygons;
    auto at = [&](int i, int j) { return points[size_t(j * (w + 1) + i)]; };
    for (int j = 0; j < h; ++j) {
        for (int i = 0; i < w; ++i) {
            polygons.push_back(Triangle::make(at(i, j), at(i + 1, j), at(i + 1, j + 1)));
            polygons.push_back(Triangle::make(at(i, j), at(i + 1, j + 1), at(i, j + 1)));
        }
    }
    return Layer::make(std::move(points), std::move(polygons));
}

// A closed cube: 8 shared corners, 12 outward triangles.
LayerPtr makeCube() {
    Points p;
    for (int k = 0; k < 8; ++k) {
        p.push_back(Point::make(k & 1 ? 1.0f : -1.0f, k & 2 ? 1.0f : -1.0f, k & 4 ? 1.0f : -1.0f));
    }
    const int faces[12][3] = {{0, 2, 1}, {1, 2, 3}, {4, 5, 6}, {5, 7, 6}, {0, 1, 4}, {1, 5, 4},
                              {2, 6, 3}, {3, 6, 7}, {0, 4, 2}, {2, 4, 6}, {1, 3, 5}, {3, 7, 5}};
    Polygons polygons;
    for (const auto& f : faces) {
        polygons.push_back(Triangle::make(p[f[0]], p[f[1]], p[f[2]]));
    }
    return Layer::make(p, polygons);
}

// --- Reference: the step-by-step algorithms, literally ---

struct RefFace {
    const Polygon* identity;
    Points ring;
};

struct RefLayer {
    Points points;
    std::vector<RefFace> faces;

    explicit RefLayer(const Layer& layer) : points(layer.points) {
        for (const auto& p : layer.polygons) {
            faces.push_back({p.get(), ring(*p)});
        }
    }

    static bool contains(const RefFace& f, const PointPtr& v) {
        return std::find(f.ring.begin(), f.ring.end(), v) != f.ring.end();
    }
    bool isOrphaned(const PointPtr& v) const {
        return std::none_of(faces.begin(), faces.end(), [&](const RefFace& f) { return contains(f, v); });
    }
    std::vector<RefFace> polygonsSharing(const PointPtr& v) const {
        std::vector<RefFace> owners;
        for (const auto& f : faces) {
            if (contains(f, v)) {
                owners.push_back(f);
            }
        }
        return owners;
    }
    void removePolygons(const std::vector<RefFace>& list) {
        for (const auto& p : list) {
            std::erase_if(faces, [&](const RefFace& f) { return f.identity == p.identity; });
            for (const auto& v : p.ring) {
                if (isOrphaned(v)) {
                    removeVerts({v});
                }
            }
        }
    }
    void removeVerts(const Points& list) {
        for (const auto& v : list) {
            for (const auto& owner : polygonsSharing(v)) {
                removePolygons({owner});
            }
            std::erase(points, v);
        }
    }
    void removeDegeneratedPolygons() {
        std::vector<RefFace> degenerate;
        for (const auto& f : faces) {
            const auto& r = f.ring;
            if (r[0] == r[1] || r[0] == r[2] || r[1] == r[2]) {
                degenerate.push_back(f);
            }
        }
        removePolygons(degenerate);
    }
    void removeOrphanedPoints() {
        Points kept;
        for (const auto& p : points) {
            if (!isOrphaned(p)) {
                kept.push_back(p);
            }
        }
        points = kept;
    }
    PointPtr weld(const Points& list) {
        if (list.empty()) {
            return nullptr;
        }
        float x = 0, y = 0, z = 0;
        for (const auto& p : list) {
            x += p->position.x;
            y += p->position.y;
            z += p->position.z;
        }
        const float n = float(list.size());
        const PointPtr merged = Point::make(x / n, y / n, z / n);
        for (const auto& v : list) {
            for (auto& f : faces) {
                if (contains(f, v)) {
                    *std::find(f.ring.begin(), f.ring.end(), v) = merged;
                }
            }
        }
        removeVerts(list);
        points.push_back(merged);
        removeDegeneratedPolygons();
        removeOrphanedPoints();
        return merged;
    }
    std::optional<size_t> indexOf(const PointPtr& v) const {
        for (size_t i = 0; i < points.size(); ++i) {
            if (points[i] == v) {
                return i;
            }
        }
        return std::nullopt;
    }
};

// The layer equals the reference: same point objects in the same order, same face objects in
// the same order, same rings (`substitute` maps the reference's weld point to the layer's).
::testing::AssertionResult equalsReference(const Layer& layer, const RefLayer& ref,
                                           const std::map<const Point*, PointPtr>& substitute = {}) {
    auto mapped = [&](const PointPtr& p) {
        const auto it = substitute.find(p.get());
        return it == substitute.end() ? p : it->second;
    };
    if (layer.points.size() != ref.points.size()) {
        return ::testing::AssertionFailure()
               << "points: " << layer.points.size() << " vs reference " << ref.points.size();
    }
    for (size_t i = 0; i < ref.points.size(); ++i) {
        if (layer.points[i] != mapped(ref.points[i])) {
            return ::testing::AssertionFailure() << "point " << i << " differs";
        }
    }
    if (layer.polygons.size() != ref.faces.size()) {
        return ::testing::AssertionFailure()
               << "polygons: " << layer.polygons.size() << " vs reference " << ref.faces.size();
    }
    for (size_t i = 0; i < ref.faces.size(); ++i) {
        if (layer.polygons[i].get() != ref.faces[i].identity) {
            return ::testing::AssertionFailure() << "polygon " << i << " is another object";
        }
        const Points actual = ring(*layer.polygons[i]);
        for (size_t k = 0; k < actual.size(); ++k) {
            if (actual[k] != mapped(ref.faces[i].ring[k])) {
                return ::testing::AssertionFailure() << "vertex " << k << " of polygon " << i << " differs";
            }
        }
    }
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult invariantHolds(const Layer& layer) {
    const std::set<PointPtr> members(layer.points.begin(), layer.points.end());
    for (size_t i = 0; i < layer.polygons.size(); ++i) {
        for (const auto& v : layer.polygons[i]->verts()) {
            if (!members.count(v)) {
                return ::testing::AssertionFailure() << "a vertex of polygon " << i << " is not in points";
            }
        }
    }
    return ::testing::AssertionSuccess();
}

// A deep snapshot: positions and, for each face, the ids of its vertices.
struct Snapshot {
    std::vector<Vector3> positions;
    std::vector<std::vector<size_t>> faces;
    std::optional<std::string> shader;

    explicit Snapshot(const Layer& layer) : shader(layer.fragmentShader) {
        std::map<const Point*, size_t> ids;
        for (size_t i = layer.points.size(); i-- > 0;) {
            ids[layer.points[i].get()] = i;
        }
        for (const auto& p : layer.points) {
            positions.push_back(p->position);
        }
        for (const auto& f : layer.polygons) {
            std::vector<size_t> r;
            for (const auto& v : f->verts()) {
                r.push_back(ids.at(v.get()));
            }
            faces.push_back(r);
        }
    }
    bool operator==(const Snapshot& o) const {
        if (faces != o.faces || shader != o.shader || positions.size() != o.positions.size()) {
            return false;
        }
        for (size_t i = 0; i < positions.size(); ++i) {
            // NaN positions (extrusions of zero-area faces) compare by their bits' meaning.
            const Vector3 a = positions[i], b = o.positions[i];
            auto same = [](float x, float y) { return x == y || (std::isnan(x) && std::isnan(y)); };
            if (!same(a.x, b.x) || !same(a.y, b.y) || !same(a.z, b.z)) {
                return false;
            }
        }
        return true;
    }
};

// --- The random walk ---

class Walk {
public:
    explicit Walk(std::uint32_t seed) : rng_(seed) {}

    size_t below(size_t n) { return std::uniform_int_distribution<size_t>(0, n - 1)(rng_); }
    float uniform(float lo, float hi) { return std::uniform_real_distribution<float>(lo, hi)(rng_); }
    bool chance(double p) { return std::bernoulli_distribution(p)(rng_); }

    // Some points of the layer: random ones, or the vertices of a few neighbouring faces, with
    // occasional repeats and strangers.
    Points pickPoints(const Layer& layer) {
        Points list;
        if (layer.points.empty()) {
            return list;
        }
        const size_t count = 1 + below(chance(0.3) ? 20 : 5);
        if (chance(0.5) && !layer.polygons.empty()) {
            const size_t start = below(layer.polygons.size());
            for (size_t k = start; k < layer.polygons.size() && list.size() < count; ++k) {
                for (const auto& v : layer.polygons[k]->verts()) {
                    if (list.size() < count && std::find(list.begin(), list.end(), v) == list.end()) {
                        list.push_back(v);
                    }
                }
            }
        } else {
            for (size_t k = 0; k < count; ++k) {
                list.push_back(layer.points[below(layer.points.size())]);
            }
        }
        if (chance(0.1)) {
            list.push_back(list[below(list.size())]);
        }
        if (chance(0.1)) {
            list.insert(list.begin() + long(below(list.size())), Point::make(uniform(-1, 1), 0, 0));
        }
        return list;
    }

    Polygons pickPolygons(const Layer& layer) {
        Polygons list;
        if (layer.polygons.empty()) {
            return list;
        }
        const size_t count = 1 + below(chance(0.3) ? 24 : 4);
        const size_t start = below(layer.polygons.size());
        for (size_t k = 0; k < count; ++k) {
            const size_t id = chance(0.5) ? (start + k) % layer.polygons.size() : below(layer.polygons.size());
            list.push_back(layer.polygons[id]);
        }
        if (chance(0.15)) {
            // A face not in the layer, over two of its points and a stranger.
            const auto& a = layer.points[below(layer.points.size())];
            const auto& b = layer.points[below(layer.points.size())];
            list.insert(list.begin() + long(below(list.size())), Triangle::make(a, b, Point::make(9, 9, 9)));
        }
        return list;
    }

private:
    std::mt19937 rng_;
};

struct Tracked {
    LayerPtr layer;
    Snapshot snapshot;
};

// Applies one random edit to `layer`, checking it against the reference where the rules give
// the exact outcome. Returns a description for failure messages.
std::string randomEdit(Walk& walk, const LayerPtr& layer) {
    std::ostringstream what;
    const size_t n = layer->polygons.size();
    const size_t m = layer->points.size();
    // Raw pointers: holding the faces would change how an edit may treat a face no one else holds.
    std::vector<const Polygon*> before;
    for (const auto& p : layer->polygons) {
        before.push_back(p.get());
    }
    switch (walk.below(n == 0 ? 3 : 11)) {
    case 0: {
        const auto list = walk.pickPoints(*layer);
        what << "removeVerts(" << list.size() << ")";
        RefLayer ref(*layer);
        ref.removeVerts(list);
        layer->removeVerts(list);
        EXPECT_TRUE(equalsReference(*layer, ref)) << what.str();
        break;
    }
    case 1: {
        const auto list = walk.pickPoints(*layer);
        what << "weld(" << list.size() << ")";
        RefLayer ref(*layer);
        // The reference works on rings, so it must see the faces before the weld edits them.
        const PointPtr expected = ref.weld(list);
        const PointPtr merged = layer->weld(list);
        if (list.empty()) {
            EXPECT_EQ(merged, nullptr);
        } else if (merged == nullptr) {
            ADD_FAILURE() << what.str() << " returned null";
        } else {
            EXPECT_TRUE(merged->position == expected->position ||
                        std::isnan(merged->position.x + merged->position.y + merged->position.z))
                << what.str();
            EXPECT_TRUE(equalsReference(*layer, ref, {{expected.get(), merged}})) << what.str();
        }
        break;
    }
    case 2: {
        what << "removeOrphanedPoints";
        layer->points.push_back(Point::make(5, 5, 5)); // an orphan to remove
        RefLayer ref(*layer);
        ref.removeOrphanedPoints();
        layer->removeOrphanedPoints();
        EXPECT_TRUE(equalsReference(*layer, ref)) << what.str();
        break;
    }
    case 3: {
        const auto list = walk.pickPolygons(*layer);
        what << "removePolygons(" << list.size() << ")";
        RefLayer ref(*layer);
        std::vector<RefFace> refList;
        for (const auto& p : list) {
            refList.push_back({p.get(), ring(*p)});
        }
        ref.removePolygons(refList);
        layer->removePolygons(list);
        EXPECT_TRUE(equalsReference(*layer, ref)) << what.str();
        break;
    }
    case 4: {
        what << "removeDegeneratedPolygons";
        // Make one face degenerate first (by identity), the way a weld would.
        const size_t id = walk.below(n);
        auto v = layer->polygons[id]->verts();
        v[2] = v[0];
        RefLayer ref(*layer);
        ref.removeDegeneratedPolygons();
        layer->removeDegeneratedPolygons();
        EXPECT_TRUE(equalsReference(*layer, ref)) << what.str();
        break;
    }
    case 5: {
        const size_t id = walk.below(n);
        what << "subdividePolygon(" << id << ")";
        layer->subdividePolygon(id);
        EXPECT_EQ(layer->polygons.size(), n + 2);
        EXPECT_EQ(layer->points.size(), m + 1);
        break;
    }
    case 6: {
        const size_t id = walk.below(n);
        const float h = walk.uniform(-1, 1);
        what << "extrudeTriangle(" << id << ", " << h << ")";
        layer->extrudeTriangle(id, h);
        EXPECT_EQ(layer->polygons.size(), n + 6);
        EXPECT_EQ(layer->points.size(), m + 3);
        break;
    }
    case 7: {
        const size_t id = walk.below(n);
        const int k = int(walk.below(3));
        what << "splitTriangle(" << id << ", " << k << ")";
        const auto ids = layer->splitTriangle(id, k, walk.uniform(0, 1));
        EXPECT_EQ(ids, (std::pair<size_t, size_t>{id, n}));
        EXPECT_EQ(layer->points.size(), m + 1);
        break;
    }
    case 8: {
        const size_t id = walk.below(n);
        const int i = int(walk.below(3));
        const int j = (i + 1 + int(walk.below(2))) % 3;
        what << "splitTriangle(" << id << ", (" << i << ", " << j << "))";
        layer->splitTriangle(id, {i, j}, {walk.uniform(0, 1), walk.uniform(0, 1)});
        EXPECT_EQ(layer->polygons.size(), n + 2);
        EXPECT_EQ(layer->points.size(), m + 2);
        break;
    }
    case 9: {
        what << "move points";
        for (int k = 0; k < 3; ++k) {
            layer->points[walk.below(m)]->position += Vector3(walk.uniform(-0.1f, 0.1f), 0, 0.05f);
        }
        break;
    }
    case 10: {
        what << "lookups";
        const RefLayer ref(*layer);
        const auto list = walk.pickPoints(*layer);
        Points inLayer;
        for (const auto& p : list) {
            if (ref.indexOf(p)) {
                inLayer.push_back(p);
            }
        }
        const auto ids = layer->indexesOf(inLayer);
        for (size_t k = 0; k < inLayer.size(); ++k) {
            EXPECT_EQ(ids[k], *ref.indexOf(inLayer[k]));
            EXPECT_EQ(layer->indexOf(inLayer[k]), ref.indexOf(inLayer[k]));
        }
        std::vector<size_t> polygonIds;
        std::set<PointPtr> expected;
        for (int k = 0; k < 1 + int(walk.below(12)); ++k) {
            polygonIds.push_back(walk.below(n));
            for (const auto& v : layer->polygons[polygonIds.back()]->verts()) {
                expected.insert(v);
            }
        }
        const auto shared = layer->pointsSharedBy(polygonIds);
        EXPECT_EQ(shared.size(), expected.size());
        EXPECT_EQ(std::set<PointPtr>(shared.begin(), shared.end()), expected);
        for (const auto& p : list) {
            const auto owners = layer->polygonsSharing(p);
            const auto refOwners = ref.polygonsSharing(p);
            EXPECT_EQ(owners.size(), refOwners.size());
            for (size_t k = 0; k < std::min(owners.size(), refOwners.size()); ++k) {
                EXPECT_EQ(owners[k].get(), refOwners[k].identity);
            }
            EXPECT_EQ(layer->isOrphaned(p), ref.isOrphaned(p));
        }
        break;
    }
    }
    // Edits never change the other faces' ids: faces that were not edited or removed keep
    // their place (checked for the edits that add geometry).
    if (layer->polygons.size() >= n && what.str().rfind("remove", 0) != 0 && what.str().rfind("weld", 0) != 0) {
        size_t changed = 0;
        for (size_t k = 0; k < n; ++k) {
            changed += layer->polygons[k].get() != before[k] ? 1 : 0;
        }
        EXPECT_LE(changed, 1u) << what.str();
    }
    return what.str();
}

void runWalk(std::uint32_t seed, LayerPtr start, int steps) {
    Walk walk(seed);
    std::vector<Tracked> copies;
    std::vector<LayerPtr> layers{std::move(start)};
    for (int step = 0; step < steps; ++step) {
        LayerPtr& layer = layers[walk.below(layers.size())];
        if (walk.chance(0.1)) {
            // copy(): same ids, nothing shared, and later recorded to check independence.
            layer->fragmentShader = walk.chance(0.5) ? std::optional<std::string>("s" + std::to_string(step)) : std::nullopt;
            const auto copy = layer->copy();
            ASSERT_TRUE(Snapshot(*copy) == Snapshot(*layer)) << "seed " << seed << " step " << step;
            const std::set<PointPtr> sourcePoints(layer->points.begin(), layer->points.end());
            for (const auto& p : copy->points) {
                ASSERT_FALSE(sourcePoints.count(p));
            }
            for (size_t i = 0; i < copy->polygons.size(); ++i) {
                ASSERT_NE(copy->polygons[i], layer->polygons[i]);
            }
            copies.push_back({copy, Snapshot(*copy)});
            if (walk.chance(0.5)) {
                layers.push_back(copy); // the copy gets edited too; its snapshot moves on with it
            }
            continue;
        }
        const std::string what = randomEdit(walk, layer);
        ASSERT_TRUE(invariantHolds(*layer)) << "seed " << seed << " step " << step << ": " << what;
        if (::testing::Test::HasFailure()) {
            FAIL() << "seed " << seed << " step " << step << ": " << what;
        }
        // Every recorded copy that is not being edited itself is unchanged.
        for (auto& tracked : copies) {
            const bool edited = std::find(layers.begin(), layers.end(), tracked.layer) != layers.end();
            if (edited) {
                tracked.snapshot = Snapshot(*tracked.layer);
            } else {
                ASSERT_TRUE(Snapshot(*tracked.layer) == tracked.snapshot)
                    << "seed " << seed << " step " << step << ": a copy changed after " << what;
            }
        }
        if (layer->points.empty()) {
            layer = walk.chance(0.5) ? makeCube() : makeGrid(3, 2);
        }
    }
}

TEST(LayerPropertyTest, RandomEditsOnGrids) {
    for (std::uint32_t seed = 1; seed <= 60; ++seed) {
        Walk sizes(seed * 7919u);
        runWalk(seed, makeGrid(2 + int(sizes.below(7)), 2 + int(sizes.below(7))), 60);
        if (HasFatalFailure() || HasFailure()) {
            return;
        }
    }
}

TEST(LayerPropertyTest, RandomEditsOnCubes) {
    for (std::uint32_t seed = 1001; seed <= 1060; ++seed) {
        runWalk(seed, makeCube(), 60);
        if (HasFatalFailure() || HasFailure()) {
            return;
        }
    }
}

TEST(LayerPropertyTest, LargeListsMatchTheReference) {
    // Lists longer than any small-list shortcut, on a bigger grid.
    for (std::uint32_t seed = 2001; seed <= 2020; ++seed) {
        Walk walk(seed);
        const auto layer = makeGrid(12, 10);
        Points list;
        for (int k = 0; k < 40; ++k) {
            list.push_back(layer->points[walk.below(layer->points.size())]);
        }
        {
            const auto l = layer->copy();
            Points mapped;
            for (const auto& p : list) {
                mapped.push_back(l->points[*layer->indexOf(p)]);
            }
            RefLayer ref(*l);
            ref.removeVerts(mapped);
            l->removeVerts(mapped);
            ASSERT_TRUE(equalsReference(*l, ref)) << "removeVerts, seed " << seed;
        }
        {
            const auto l = layer->copy();
            Points mapped;
            for (const auto& p : list) {
                mapped.push_back(l->points[*layer->indexOf(p)]);
            }
            RefLayer ref(*l);
            const PointPtr expected = ref.weld(mapped);
            const PointPtr merged = l->weld(mapped);
            ASSERT_TRUE(equalsReference(*l, ref, {{expected.get(), merged}})) << "weld, seed " << seed;
        }
        {
            const auto l = layer->copy();
            Polygons faces;
            std::vector<RefFace> refFaces;
            for (int k = 0; k < 60; ++k) {
                faces.push_back(l->polygons[walk.below(l->polygons.size())]);
                refFaces.push_back({faces.back().get(), ring(*faces.back())});
            }
            RefLayer ref(*l);
            ref.removePolygons(refFaces);
            l->removePolygons(faces);
            ASSERT_TRUE(equalsReference(*l, ref)) << "removePolygons, seed " << seed;
        }
    }
}

} // namespace
} // namespace tessel
