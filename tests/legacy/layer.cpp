// Layer structure, lookups, deep copy, removals and weld.
//
// These operations are defined as linear scans with identity comparisons (quadratic for the
// cascades). Here every operation gives the same result (same order, same first match) in a
// few passes over the lists: ids come from the points' index hints (numberPoints), the cascades
// of remove(polygons:) and remove(verts:) are computed as one batch (removeFaces, removeUnused),
// and weld(vertices:) runs its steps 3–7 in one pass over the faces. Each batch carries the
// argument why it equals the step-by-step algorithm.
#include "legacy/layer.h"

#include "base/check.h"

#include <algorithm>

namespace tessel::legacy {

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

PointPtr Layer::newPoint(const Vector3& position) {
    return Point::make(position);
}

TrianglePtr Layer::newTriangle(PointPtr a, PointPtr b, PointPtr c) {
    return Triangle::make(std::move(a), std::move(b), std::move(c));
}

// --- Index hints ---

void Layer::numberPoints() const {
    TESSEL_CHECK(points.size() < UINT32_MAX, "Layer.numberPoints",
                 "too many points: " << points.size());
    for (size_t i = points.size(); i-- > 0;) {
        // Written only when it changes: a layer numbered before (the usual case) stays clean in
        // the cache.
        const auto id = static_cast<std::uint32_t>(i);
        if (points[i]->indexHint_ != id) {
            points[i]->indexHint_ = id;
        }
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

// --- Removal and clean-up ---
//
// Why the batches below equal the step-by-step cascades:
// remove(polygons: L) erases the listed faces and, after each one, removes those of its vertices
// that no remaining face uses. Faces only ever disappear, so a vertex once unused stays unused:
// a vertex of a listed face is removed exactly when no face left at the end uses it.
// remove(verts: L) removes every face that uses a listed point (each at the latest when that
// point's turn comes), the listed points themselves, and, by the same argument, every vertex of
// a removed face that no face left at the end uses. Removing points never changes the faces and
// every removal keeps the survivors' order, so the order in which points go does not matter.

namespace {

// Removes from `points` every occurrence of each candidate that no face of `polygons` uses.
// The faces are scanned from `start` on, wrapping around: whether a point is used does not
// depend on the order, and the neighbours of removed faces usually sit at nearby ids, so the
// scan tends to stop early once every candidate is found in use.
void removeUnused(std::vector<PointPtr>& points, const std::vector<PolygonPtr>& polygons,
                  const std::vector<const Point*>& candidates, size_t start = 0) {
    if (candidates.empty()) {
        return;
    }
    PointLookup lookup(candidates);
    std::vector<std::uint8_t> used(lookup.size(), 0);
    size_t usedCount = 0;
    const size_t n = polygons.size();
    start = start < n ? start : 0;
    for (size_t step = 0; step < n; ++step) {
        const size_t k = start + step < n ? start + step : start + step - n;
        forEachVertex(*polygons[k], [&](const PointPtr& v) {
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

// Removes the faces for which goes(face) holds, keeping the order of the others, and passes
// each removed face to removedFace. Returns the new id of the face that followed the first
// removed one (the size when nothing was removed).
template <class Goes, class RemovedFace>
size_t removeFaces(std::vector<PolygonPtr>& polygons, Goes&& goes, RemovedFace&& removedFace) {
    const size_t n = polygons.size();
    size_t first = n;
    size_t w = 0;
    for (size_t k = 0; k < n; ++k) {
        if (goes(polygons[k])) {
            first = first == n ? w : first;
            removedFace(*polygons[k]);
            continue;
        }
        if (w != k) {
            polygons[w] = std::move(polygons[k]);
        }
        ++w;
    }
    polygons.resize(w);
    return first;
}

} // namespace

void Layer::removePolygons(std::span<const PolygonPtr> list) {
    if (list.empty()) {
        return;
    }
    // A copy: the span may be (a part of) this layer's own list, and it keeps the faces alive.
    const std::vector<PolygonPtr> removed(list.begin(), list.end());
    for (size_t k = 0; k < removed.size(); ++k) {
        TESSEL_CHECK(removed[k] != nullptr, "Layer.remove(polygons:)", "null face at list position " << k);
    }
    std::vector<const Point*> candidates;
    candidates.reserve(removed.size() * 3);
    for (const auto& p : removed) {
        forEachVertex(*p, [&](const PointPtr& v) { candidates.push_back(v.get()); });
    }
    const PolygonLookup lookup(removed);
    const size_t start = removeFaces(
        polygons, [&](const PolygonPtr& p) { return lookup.contains(p.get()); },
        [](const Polygon&) {});
    removeUnused(points, polygons, candidates, start);
}

// weld(vertices:) in one pass over the faces. Why this equals steps 3–7:
// - Step 3 replaces, in each face, the first occurrence of each listed entry in turn. Entries
//   equal to different points touch different positions, so position r of a ring (holding v,
//   the k-th occurrence of v in the ring, counting from 0) becomes P exactly when v is listed
//   more than k times. The list order does not matter.
// - Step 4 removes the faces that still hold a listed point (a point repeated in a ring more
//   often than it is listed), then the listed points and those vertices no face uses any more.
// - Step 6 removes the faces whose ring repeats a point (replacement was their last change, so
//   this is known after step 3), and step 7 every point no remaining face uses.
// Points removed in steps 4 and 6 are unused at the end (faces only disappear), and step 7
// removes every unused point, so the final points are those of (points + [P]) that a remaining
// face uses, in that order; the final faces are those in neither removal, in their order.
PointPtr Layer::weld(std::span<const PointPtr> list) {
    // 1.
    if (list.empty()) {
        return nullptr;
    }
    const std::vector<PointPtr> welded(list.begin(), list.end());
    for (size_t k = 0; k < welded.size(); ++k) {
        TESSEL_CHECK(welded[k] != nullptr, "Layer.weld(vertices:)", "null point at list position " << k);
    }
    // 2.
    const PointPtr merged = newPoint(centroid(welded));
    const Point* const mergedRaw = merged.get();

    numberPoints();
    const size_t m = points.size();
    // How often each point is listed; listed points outside the layer are kept aside.
    std::vector<std::uint32_t> listedCount(m, 0);
    std::vector<std::pair<const Point*, std::uint32_t>> listedOutside;
    for (const auto& p : welded) {
        if (const auto id = numberedIndexOf(p)) {
            ++listedCount[*id];
        } else {
            auto it = std::find_if(listedOutside.begin(), listedOutside.end(),
                                   [&](const auto& e) { return e.first == p.get(); });
            if (it == listedOutside.end()) {
                listedOutside.emplace_back(p.get(), 1);
            } else {
                ++it->second;
            }
        }
    }
    constexpr std::uint32_t kOutside = UINT32_MAX;
    // The id of a vertex, or kOutside.
    auto idOf = [&](const Point* v) -> std::uint32_t {
        const std::uint32_t h = v->indexHint_;
        return h < m && points[h].get() == v ? h : kOutside;
    };
    auto timesListed = [&](const Point* v, std::uint32_t id) -> std::uint32_t {
        if (id != kOutside) {
            return listedCount[id];
        }
        for (const auto& [p, count] : listedOutside) {
            if (p == v) {
                return count;
            }
        }
        return 0;
    };

    std::vector<std::uint8_t> used(m, 0);
    bool mergedUsed = false;
    std::vector<std::uint8_t> removed; // filled on the first removal
    const Polygon* firstQuad = nullptr;
    for (size_t k = 0; k < polygons.size(); ++k) {
        Polygon& polygon = *polygons[k];
        // The ring as raw pointers (read without a virtual call for triangles).
        const Point* raw[4];
        size_t n = 0;
        forEachVertex(polygon, [&](const PointPtr& v) { raw[n++] = v.get(); });
        std::uint32_t ids[4];
        bool touched = false;
        for (size_t r = 0; r < n; ++r) {
            ids[r] = idOf(raw[r]);
            touched = touched || timesListed(raw[r], ids[r]) > 0;
        }
        bool holdsListed = false;
        if (touched) {
            // 3. Position r becomes P when its point is listed more often than it occurs
            //    before r in the ring.
            bool replace[4] = {false, false, false, false};
            for (size_t r = 0; r < n; ++r) {
                std::uint32_t earlier = 0;
                for (size_t q = 0; q < r; ++q) {
                    earlier += raw[q] == raw[r] ? 1 : 0;
                }
                replace[r] = timesListed(raw[r], ids[r]) > earlier;
            }
            const auto ring = polygon.verts();
            for (size_t r = 0; r < n; ++r) {
                if (replace[r]) {
                    ring[r] = merged;
                    raw[r] = mergedRaw;
                    ids[r] = kOutside;
                } else {
                    holdsListed = holdsListed || timesListed(raw[r], ids[r]) > 0;
                }
            }
        }
        // 4. and 6.
        bool goes = holdsListed;
        if (!goes) {
            if (polygon.isTriangle()) {
                goes = raw[0] == raw[1] || raw[0] == raw[2] || raw[1] == raw[2];
            } else if (firstQuad == nullptr) {
                firstQuad = &polygon;
            }
        }
        if (goes) {
            if (removed.empty()) {
                removed.assign(polygons.size(), 0);
            }
            removed[k] = 1;
            continue;
        }
        for (size_t r = 0; r < n; ++r) {
            if (ids[r] != kOutside) {
                used[ids[r]] = 1;
            } else if (raw[r] == mergedRaw) {
                mergedUsed = true;
            }
        }
    }
    // Step 6 asks every remaining face whether it is degenerated, which stops for a quad.
    if (firstQuad != nullptr) {
        (void)firstQuad->isDegenerated();
    }
    if (!removed.empty()) {
        size_t w = 0;
        for (size_t k = 0; k < polygons.size(); ++k) {
            if (!removed[k]) {
                if (w != k) {
                    polygons[w] = std::move(polygons[k]);
                }
                ++w;
            }
        }
        polygons.resize(w);
    }
    // 4., 5. and 7. Every point's hint is the id of its first occurrence.
    std::erase_if(points, [&](const PointPtr& p) { return !used[p->indexHint_]; });
    if (mergedUsed) {
        points.push_back(merged);
    }
    // 8.
    return merged;
}

} // namespace tessel::legacy
