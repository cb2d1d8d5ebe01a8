// Layer structure, lookups, deep copy, removals and weld (spec Part 2.2).
//
// The spec describes these operations as linear scans with identity comparisons (quadratic for
// the cascades). Here every operation gives the same result (same order, same first match) with
// a bounded number of passes over the lists: ids come from the points' index hints, and the
// cascades of remove(polygons:) / remove(verts:) are computed in one batch (see removeUnused).
#include "mesh/layer.h"

#include "base/check.h"

#include <algorithm>

namespace tessel {

namespace {

// Calls f(const PointPtr&) for each vertex of the face, in ring order, without a virtual call
// for triangles.
template <class F>
inline void forEachVertex(const Polygon& polygon, F&& f) {
    if (polygon.isTriangle()) {
        const auto& t = static_cast<const Triangle&>(polygon);
        f(t.a());
        f(t.b());
        f(t.c());
    } else {
        for (const auto& v : polygon.verts()) {
            f(v);
        }
    }
}

// A list of point objects with constant-time membership: small lists are compared directly,
// larger ones number their elements in the points' index hints (verified on every lookup).
// Only one PointLookup (or layer numbering) may be live at a time.
class PointLookup {
public:
    static constexpr size_t kLinearLimit = 8;

    explicit PointLookup(std::vector<const Point*> items) : items_(std::move(items)) {
        if (items_.size() > kLinearLimit) {
            // From last to first, so a repeated point gets the index of its first occurrence.
            for (size_t i = items_.size(); i-- > 0;) {
                items_[i]->indexHint_ = static_cast<std::uint32_t>(i);
            }
        }
    }

    size_t size() const { return items_.size(); }
    bool empty() const { return items_.empty(); }

    // Index of the first occurrence of p in the list, or -1.
    long find(const Point* p) const {
        if (items_.size() <= kLinearLimit) {
            for (size_t i = 0; i < items_.size(); ++i) {
                if (items_[i] == p) {
                    return static_cast<long>(i);
                }
            }
            return -1;
        }
        const std::uint32_t h = p->indexHint_;
        return h < items_.size() && items_[h] == p ? static_cast<long>(h) : -1;
    }

private:
    std::vector<const Point*> items_;
};

// Membership test for a list of polygon objects.
class PolygonLookup {
public:
    explicit PolygonLookup(std::span<const PolygonPtr> polygons) {
        items_.reserve(polygons.size());
        for (const auto& p : polygons) {
            items_.push_back(p.get());
        }
        std::sort(items_.begin(), items_.end());
        items_.erase(std::unique(items_.begin(), items_.end()), items_.end());
    }

    bool contains(const Polygon* p) const {
        if (items_.size() <= 8) {
            return std::find(items_.begin(), items_.end(), p) != items_.end();
        }
        return std::binary_search(items_.begin(), items_.end(), p);
    }

private:
    std::vector<const Polygon*> items_;
};

} // namespace

Layer::Layer(std::vector<PointPtr> points_, std::vector<PolygonPtr> polygons_)
    : points(std::move(points_)), polygons(std::move(polygons_)) {}

LayerPtr Layer::make(std::vector<PointPtr> points, std::vector<PolygonPtr> polygons) {
    return std::make_shared<Layer>(std::move(points), std::move(polygons));
}

// --- Index hints ---

void Layer::numberPoints() const {
    TESSEL_CHECK(points.size() < UINT32_MAX, "Layer.numberPoints",
                 "too many points: " << points.size());
    for (size_t i = points.size(); i-- > 0;) {
        points[i]->indexHint_ = static_cast<std::uint32_t>(i);
    }
}

std::optional<size_t> Layer::numberedIndexOf(const PointPtr& point) const {
    if (!point) {
        return std::nullopt;
    }
    const std::uint32_t h = point->indexHint_;
    if (h < points.size() && points[h] == point) {
        return h;
    }
    return std::nullopt;
}

// --- Lookups ---

std::optional<size_t> Layer::indexOf(const PointPtr& point) const {
    for (size_t i = 0; i < points.size(); ++i) {
        if (points[i] == point) {
            return i;
        }
    }
    return std::nullopt;
}

std::vector<size_t> Layer::indexesOf(std::span<const PointPtr> list) const {
    std::vector<size_t> ids;
    ids.reserve(list.size());
    if (list.empty()) {
        return ids;
    }
    numberPoints();
    for (size_t k = 0; k < list.size(); ++k) {
        const auto id = numberedIndexOf(list[k]);
        TESSEL_CHECK(id.has_value(), "Layer.indexes(of:)",
                     "point " << list[k].get() << " at list position " << k
                              << " is not in the layer");
        ids.push_back(*id);
    }
    return ids;
}

std::vector<PolygonPtr> Layer::polygonsSharing(const PointPtr& vertex) const {
    std::vector<PolygonPtr> result;
    const Point* v = vertex.get();
    for (const auto& polygon : polygons) {
        bool found = false;
        forEachVertex(*polygon, [&](const PointPtr& p) { found = found || p.get() == v; });
        if (found) {
            result.push_back(polygon);
        }
    }
    return result;
}

bool Layer::isOrphaned(const PointPtr& point) const {
    const Point* v = point.get();
    for (const auto& polygon : polygons) {
        bool found = false;
        forEachVertex(*polygon, [&](const PointPtr& p) { found = found || p.get() == v; });
        if (found) {
            return false;
        }
    }
    return true;
}

std::vector<PointPtr> Layer::pointsSharedBy(std::span<const size_t> polygonIds) const {
    for (size_t id : polygonIds) {
        TESSEL_CHECK(id < polygons.size(), "Layer.pointsSharedBy(polygons:)",
                     "polygon id " << id << " out of range for " << polygons.size());
    }
    std::vector<PointPtr> result;
    if (polygonIds.empty()) {
        return result;
    }
    numberPoints();
    std::vector<std::uint8_t> seen(points.size(), 0);
    for (size_t id : polygonIds) {
        forEachVertex(*polygons[id], [&](const PointPtr& v) {
            const auto i = numberedIndexOf(v);
            TESSEL_CHECK(i.has_value(), "Layer.pointsSharedBy(polygons:)",
                         "a vertex of polygon id " << id << " is not in the layer");
            if (!seen[*i]) {
                seen[*i] = 1;
                result.push_back(points[*i]);
            }
        });
    }
    return result;
}

std::vector<size_t> Layer::pointIdsRelativeTo(
    const Plane& plane, const std::function<bool(float, float)>& comparator) const {
    std::vector<size_t> ids;
    for (size_t i = 0; i < points.size(); ++i) {
        if (comparator(plane.signedDistance(points[i]->position), 0.0f)) {
            ids.push_back(i);
        }
    }
    return ids;
}

// --- Removal and clean-up ---
//
// Why the batches below equal the spec's step-by-step cascades:
// remove(polygons: L) erases the listed faces and, after each one, removes those of its vertices
// that no remaining face uses. Faces only ever disappear, so a vertex once unused stays unused:
// a vertex of a listed face is removed exactly when no face left at the end uses it.
// remove(verts: L) removes every face that uses a listed point (each at the latest when that
// point's turn comes), the listed points themselves, and, by the same argument, every vertex of
// a removed face that no face left at the end uses. Removing points never changes the faces and
// every removal keeps the survivors' order, so the order in which points go does not matter.

namespace {

// Removes from `points` every occurrence of each candidate that no face of `polygons` uses.
void removeUnused(std::vector<PointPtr>& points, const std::vector<PolygonPtr>& polygons,
                  const std::vector<const Point*>& candidates) {
    if (candidates.empty()) {
        return;
    }
    PointLookup lookup(candidates);
    std::vector<std::uint8_t> used(lookup.size(), 0);
    size_t usedCount = 0;
    for (const auto& polygon : polygons) {
        forEachVertex(*polygon, [&](const PointPtr& v) {
            const long i = lookup.find(v.get());
            if (i >= 0 && !used[static_cast<size_t>(i)]) {
                used[static_cast<size_t>(i)] = 1;
                ++usedCount;
            }
        });
        if (usedCount == lookup.size()) {
            return;
        }
    }
    std::erase_if(points, [&](const PointPtr& p) {
        const long i = lookup.find(p.get());
        return i >= 0 && !used[static_cast<size_t>(i)];
    });
}

// Removes from `points` every occurrence of the listed points.
void eraseAll(std::vector<PointPtr>& points, const std::vector<const Point*>& listed) {
    if (listed.empty()) {
        return;
    }
    PointLookup lookup(listed);
    std::erase_if(points, [&](const PointPtr& p) { return lookup.find(p.get()) >= 0; });
}

} // namespace

void Layer::removePolygons(std::span<const PolygonPtr> list) {
    if (list.empty()) {
        return;
    }
    // A copy: the span may be (a part of) this layer's own list, and it keeps the faces alive.
    const std::vector<PolygonPtr> removed(list.begin(), list.end());
    std::vector<const Point*> candidates;
    candidates.reserve(removed.size() * 3);
    for (const auto& p : removed) {
        forEachVertex(*p, [&](const PointPtr& v) { candidates.push_back(v.get()); });
    }
    const PolygonLookup lookup(removed);
    std::erase_if(polygons, [&](const PolygonPtr& p) { return lookup.contains(p.get()); });
    removeUnused(points, polygons, candidates);
}

void Layer::removeVerts(std::span<const PointPtr> list) {
    if (list.empty()) {
        return;
    }
    const std::vector<PointPtr> keepAlive(list.begin(), list.end());
    std::vector<const Point*> listed;
    listed.reserve(keepAlive.size());
    for (const auto& p : keepAlive) {
        listed.push_back(p.get());
    }
    // Faces using a listed point go, with their vertices once unused.
    std::vector<const Point*> candidates;
    {
        const PointLookup lookup(listed);
        std::vector<PolygonPtr> kept;
        bool anyRemoved = false;
        for (size_t k = 0; k < polygons.size(); ++k) {
            const auto& polygon = polygons[k];
            bool uses = false;
            forEachVertex(*polygon, [&](const PointPtr& v) { uses = uses || lookup.find(v.get()) >= 0; });
            if (uses) {
                if (!anyRemoved) {
                    anyRemoved = true;
                    kept.reserve(polygons.size());
                    kept.assign(polygons.begin(), polygons.begin() + static_cast<long>(k));
                }
                forEachVertex(*polygon, [&](const PointPtr& v) { candidates.push_back(v.get()); });
            } else if (anyRemoved) {
                kept.push_back(polygon);
            }
        }
        if (anyRemoved) {
            polygons = std::move(kept);
        }
    }
    // The listed points go in any case; none of them is used by a remaining face.
    eraseAll(points, listed);
    removeUnused(points, polygons, candidates);
}

void Layer::removeDegeneratedPolygons() {
    std::vector<PolygonPtr> degenerate;
    for (const auto& polygon : polygons) {
        // isDegenerated() stops for a quad, as the spec requires.
        if (polygon->isDegenerated()) {
            degenerate.push_back(polygon);
        }
    }
    removePolygons(degenerate);
}

void Layer::removeOrphanedPoints() {
    numberPoints();
    std::vector<std::uint8_t> used(points.size(), 0);
    for (const auto& polygon : polygons) {
        forEachVertex(*polygon, [&](const PointPtr& v) {
            if (const auto i = numberedIndexOf(v)) {
                used[*i] = 1;
            }
        });
    }
    // Every point's hint is the id of its first occurrence, so repeated entries agree.
    std::erase_if(points, [&](const PointPtr& p) { return !used[p->indexHint_]; });
}

PointPtr Layer::weld(std::span<const PointPtr> list) {
    // 1.
    if (list.empty()) {
        return nullptr;
    }
    const std::vector<PointPtr> welded(list.begin(), list.end());
    // 2.
    const PointPtr merged = Point::make(centroid(welded));
    // 3. Each face sees the listed points in list order; a replace only changes its own face, so
    //    visiting face by face gives the same result as visiting point by point.
    {
        std::vector<const Point*> raw;
        raw.reserve(welded.size());
        for (const auto& p : welded) {
            raw.push_back(p.get());
        }
        const PointLookup lookup(raw);
        for (const auto& polygon : polygons) {
            bool touches = false;
            forEachVertex(*polygon, [&](const PointPtr& v) { touches = touches || lookup.find(v.get()) >= 0; });
            if (!touches) {
                continue;
            }
            for (const auto& v : welded) {
                if (polygon->contains(v)) {
                    polygon->replace(v, merged);
                }
            }
        }
    }
    // 4.
    removeVerts(welded);
    // 5.
    points.push_back(merged);
    // 6.
    removeDegeneratedPolygons();
    // 7.
    removeOrphanedPoints();
    // 8.
    return merged;
}

LayerPtr Layer::copy() const {
    auto result = make();
    result->fragmentShader = fragmentShader;
    auto& newPoints = result->points;
    newPoints.reserve(points.size());
    for (const auto& p : points) {
        newPoints.push_back(p->copy());
    }
    numberPoints();
    auto& newPolygons = result->polygons;
    newPolygons.reserve(polygons.size());
    for (size_t k = 0; k < polygons.size(); ++k) {
        const Polygon& polygon = *polygons[k];
        auto mapped = [&](const PointPtr& v) -> const PointPtr& {
            const auto i = numberedIndexOf(v);
            TESSEL_CHECK(i.has_value(), "Layer.copy()",
                         "a vertex of polygon id " << k << " (point " << v.get()
                                                   << ") is not in the layer");
            return newPoints[*i];
        };
        if (polygon.isTriangle()) {
            const auto& t = static_cast<const Triangle&>(polygon);
            newPolygons.push_back(Triangle::make(mapped(t.a()), mapped(t.b()), mapped(t.c())));
        } else {
            const auto v = polygon.verts();
            newPolygons.push_back(Quad::make(mapped(v[0]), mapped(v[1]), mapped(v[2]), mapped(v[3])));
        }
    }
    return result;
}

} // namespace tessel
