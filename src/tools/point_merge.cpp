// Merging coincident points as a batch.
//
// Layer::weld scans the whole layer several times per call; a plane cut through a row of grid
// vertices makes hundreds of welds on a layer of 100,000 faces. The batch below replays the same
// welds on an index of its own and rebuilds the layer's lists once at the end:
//
// - Points become records, numbered in layer order; a weld's new point gets the next number.
//   Welds only remove points and append the new one, so the layer's order at any moment is the
//   record order of the live records.
// - The faces around each record (built once, extended for new points) stand in for
//   polygonsSharing(); a use count per record stands in for isOrphaned().
// - A hash of cells a few times the merge distance wide finds the points near a position; a
//   point looks into a neighbouring cell only when it lies within the merge distance of it.
//
// Why one weld here equals Layer::weld, given triangles that never repeat a vertex:
// replacing each listed point by the new point P leaves no face using a listed point, so
// remove(verts:) only drops them from the list; the faces that can collapse are exactly those
// that now hold P twice; the points that a collapse or the final orphan sweep can remove are
// the vertices of the collapsed faces and P itself, plus, at the first weld only, the points
// that were unused from the start.
#include "tools/point_merge.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <span>

namespace tessel {

namespace {

bool isCoincident(const Vector3& p, const Vector3& q) {
    return (p - q).squaredLength() < coincidentDistanceSquared;
}

bool isFinite(const Vector3& p) {
    return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z);
}

// The sequence as written: an all-pairs search and Layer::weld.
void mergeLiterally(Layer& layer) {
    const std::vector<PointPtr> snapshot = layer.points;
    std::vector<PointPtr> list;
    for (const PointPtr& p : snapshot) {
        list.clear();
        for (const PointPtr& q : layer.points) {
            if (q != p && isCoincident(p->position, q->position)) {
                list.push_back(q);
            }
        }
        if (!list.empty()) {
            list.push_back(p);
            layer.weld(list);
        }
    }
}

// Records of points by the cell of their position. Cells are hashed into a bucket array
// without keys: a bucket's list may mix the records of several cells, which costs a few more
// distance tests but keeps the array small enough to stay in cache. Lists keep records that
// have since been removed; callers skip them.
class CellIndex {
  public:
    explicit CellIndex(size_t expected) {
        size_t capacity = 1024;
        while (capacity < 2 * expected) {
            capacity *= 2;
        }
        heads_.assign(capacity, -1);
    }

    // Lists `record`, at position `p` (which must be finite).
    void insert(std::uint32_t record, const Vector3& p, std::vector<std::int32_t>& next) {
        const size_t b = bucket(cell(p.x).index, cell(p.y).index, cell(p.z).index);
        if (next.size() <= record) {
            next.resize(record + 1, -1);
        }
        next[record] = heads_[b];
        heads_[b] = static_cast<std::int32_t>(record);
    }

    // Calls f(record) for every record listed in a cell that a point within the merge distance
    // of `p` (which must be finite) can lie in, and maybe for others. A record may come twice.
    template <class F>
    void forEachNear(const Vector3& p, const std::vector<std::int32_t>& next, F&& f) const {
        const Range rx = range(p.x);
        const Range ry = range(p.y);
        const Range rz = range(p.z);
        for (std::int64_t x = rx.low; x <= rx.high; ++x) {
            for (std::int64_t y = ry.low; y <= ry.high; ++y) {
                for (std::int64_t z = rz.low; z <= rz.high; ++z) {
                    for (std::int32_t r = heads_[bucket(x, y, z)]; r >= 0;
                         r = next[static_cast<size_t>(r)]) {
                        f(static_cast<std::uint32_t>(r));
                    }
                }
            }
        }
    }

  private:
    // Eight merge distances: most points then need their own cell only.
    static constexpr double kCellsPerUnit = 1 / (8 * 5e-7);
    // The merge distance in cells, with a margin for the rounding of positions and distances.
    static constexpr double kReach = 5e-7 * 1.001 * kCellsPerUnit;
    // Cells beyond this index are folded into it. Float coordinates that far out are spaced
    // much wider than the merge distance, so only equal coordinates can coincide there, and
    // equal coordinates fold alike.
    static constexpr double kLimit = 1e15;

    struct Cell {
        std::int64_t index;
        double fraction; // position within the cell, 0 … 1; -1 when folded
    };
    struct Range {
        std::int64_t low;
        std::int64_t high;
    };

    // Cells are centred on multiples of their size, so that round coordinates (0 above all)
    // lie mid-cell and need no neighbour.
    static Cell cell(float coordinate) {
        const double s = static_cast<double>(coordinate) * kCellsPerUnit + 0.5;
        if (s >= kLimit) {
            return {static_cast<std::int64_t>(kLimit), -1};
        }
        if (s <= -kLimit) {
            return {-static_cast<std::int64_t>(kLimit), -1};
        }
        const double f = std::floor(s);
        return {static_cast<std::int64_t>(f), s - f};
    }

    static Range range(float coordinate) {
        const Cell c = cell(coordinate);
        if (c.fraction < 0) {
            return {c.index, c.index};
        }
        return {c.fraction < kReach ? c.index - 1 : c.index,
                c.fraction > 1 - kReach ? c.index + 1 : c.index};
    }

    size_t bucket(std::int64_t x, std::int64_t y, std::int64_t z) const {
        std::uint64_t h = static_cast<std::uint64_t>(x) * 0x9E3779B97F4A7C15ull;
        h ^= static_cast<std::uint64_t>(y) * 0xC2B2AE3D27D4EB4Full;
        h ^= static_cast<std::uint64_t>(z) * 0x165667B19E3779F9ull;
        h ^= h >> 29;
        h *= 0xBF58476D1CE4E5B9ull;
        h ^= h >> 32;
        return static_cast<size_t>(h) & (heads_.size() - 1);
    }

    std::vector<std::int32_t> heads_;
};

class BatchMerge {
  public:
    explicit BatchMerge(Layer& layer) : layer_(layer) {}

    // Numbers the points and counts their uses. False when the layer holds something the batch
    // does not model: a face that is not a triangle, a face with a repeated vertex, a vertex
    // that is not in the layer, a point listed twice.
    bool prepare() {
        const std::vector<PointPtr>& points = layer_.points;
        const size_t count = points.size();
        if (count >= std::numeric_limits<std::int32_t>::max() / 2 ||
            layer_.polygons.size() >= std::numeric_limits<std::uint32_t>::max()) {
            return false;
        }
        for (size_t i = count; i-- > 0;) {
            points[i]->indexHint_ = static_cast<std::uint32_t>(i);
        }
        for (size_t i = 0; i < count; ++i) {
            if (points[i]->indexHint_ != i) {
                return false;
            }
        }
        uses_.assign(count, 0);
        for (const PolygonPtr& polygon : layer_.polygons) {
            if (!polygon->isTriangle()) {
                return false;
            }
            const auto& t = static_cast<const Triangle&>(*polygon);
            if (t.a() == t.b() || t.a() == t.c() || t.b() == t.c()) {
                return false;
            }
            for (const PointPtr* v : {&t.a(), &t.b(), &t.c()}) {
                const std::uint32_t h = (*v)->indexHint_;
                if (h >= count || points[h] != *v) {
                    return false;
                }
                ++uses_[h];
            }
        }
        return true;
    }

    void run() {
        const size_t initialCount = layer_.points.size();
        points_ = std::move(layer_.points);
        alive_.assign(initialCount, 1);
        positions_.reserve(initialCount);
        for (const PointPtr& p : points_) {
            positions_.push_back(p->position);
        }
        CellIndex cells(initialCount + initialCount / 8);
        cells_ = &cells;
        next_.assign(initialCount, -1);
        for (size_t i = 0; i < initialCount; ++i) {
            if (isFinite(positions_[i])) {
                cells.insert(static_cast<std::uint32_t>(i), positions_[i], next_);
            }
        }

        std::vector<std::uint32_t> found;
        for (size_t i = 0; i < initialCount; ++i) {
            const Vector3 p = positions_[i];
            // A position with an infinite or not-a-number coordinate is near nothing.
            if (!isFinite(p)) {
                continue;
            }
            found.clear();
            cells.forEachNear(p, next_, [&](std::uint32_t r) {
                if (r != i && alive_[r] && isCoincident(p, positions_[r])) {
                    found.push_back(r);
                }
            });
            if (!found.empty()) {
                // Layer order; a bucket probed for two cells lists its records twice.
                std::sort(found.begin(), found.end());
                found.erase(std::unique(found.begin(), found.end()), found.end());
                weld(found, static_cast<std::uint32_t>(i));
            }
        }
        cells_ = nullptr;
        finish();
    }

  private:
    // The faces around record r. Live faces in the list are exactly the live faces using r
    // while r is alive.
    std::span<const std::uint32_t> facesOf(std::uint32_t r) const {
        if (r < extraBase()) {
            return {faceIds_.data() + firstFaces_[r], faceIds_.data() + firstFaces_[r + 1]};
        }
        const auto& list = extraFaces_[r - extraBase()];
        return {list.data(), list.size()};
    }
    size_t extraBase() const { return firstFaces_.size() - 1; }

    // Faces around every original point, from the layer as it is before the first weld.
    void buildFaces() {
        const size_t count = uses_.size();
        firstFaces_.assign(count + 1, 0);
        for (size_t i = 0; i < count; ++i) {
            firstFaces_[i + 1] = firstFaces_[i] + uses_[i];
        }
        faceIds_.resize(firstFaces_[count]);
        std::vector<std::uint32_t> fill(firstFaces_.begin(), firstFaces_.end() - 1);
        const auto& polygons = layer_.polygons;
        for (size_t f = 0; f < polygons.size(); ++f) {
            const auto& t = static_cast<const Triangle&>(*polygons[f]);
            for (const PointPtr* v : {&t.a(), &t.b(), &t.c()}) {
                faceIds_[fill[(*v)->indexHint_]++] = static_cast<std::uint32_t>(f);
            }
        }
        faceAlive_.assign(polygons.size(), 1);
    }

    void weld(const std::vector<std::uint32_t>& found, std::uint32_t pRecord) {
        if (!welded_) {
            buildFaces();
        }

        // 1.–2. The new point at the mean of the listed points, in list order.
        listed_.clear();
        for (std::uint32_t r : found) {
            listed_.push_back(r);
        }
        listed_.push_back(pRecord);
        listedPoints_.clear();
        for (std::uint32_t r : listed_) {
            listedPoints_.push_back(points_[r]);
        }
        const PointPtr merged = Point::make(centroid(listedPoints_));
        const auto m = static_cast<std::uint32_t>(points_.size());
        merged->indexHint_ = m;
        points_.push_back(merged);
        positions_.push_back(merged->position);
        alive_.push_back(1);
        uses_.push_back(0);
        extraFaces_.emplace_back();
        if (isFinite(merged->position)) {
            cells_->insert(m, merged->position, next_);
        }

        // 3.–4. Listed points still in the layer hand their faces over and leave.
        for (std::uint32_t v : listed_) {
            if (!alive_[v]) {
                continue;
            }
            const PointPtr& vertex = points_[v];
            for (std::uint32_t f : facesOf(v)) {
                if (!faceAlive_[f]) {
                    continue;
                }
                Polygon& face = *layer_.polygons[f];
                const bool hadMerged = face.contains(merged);
                face.replace(vertex, merged);
                --uses_[v];
                ++uses_[m];
                if (!hadMerged) {
                    extraFaces_[m - extraBase()].push_back(f);
                }
            }
            alive_[v] = 0;
        }

        // 6. Faces holding the new point twice collapse; their vertices go once unused.
        touched_.clear();
        touched_.push_back(m);
        for (std::uint32_t f : extraFaces_[m - extraBase()]) {
            if (!faceAlive_[f]) {
                continue;
            }
            const Polygon& face = *layer_.polygons[f];
            if (!face.isDegenerated()) {
                continue;
            }
            faceAlive_[f] = 0;
            for (const PointPtr& w : face.verts()) {
                const std::uint32_t r = w->indexHint_;
                --uses_[r];
                touched_.push_back(r);
            }
        }
        for (std::uint32_t r : touched_) {
            if (alive_[r] && uses_[r] == 0) {
                alive_[r] = 0;
            }
        }

        // 7. The first weld also sweeps the points that were unused from the start.
        if (!welded_) {
            for (size_t r = 0; r < alive_.size(); ++r) {
                if (alive_[r] && uses_[r] == 0) {
                    alive_[r] = 0;
                }
            }
        }
        welded_ = true;
    }

    void finish() {
        if (!welded_) {
            layer_.points = std::move(points_);
            return;
        }
        std::vector<PointPtr> points;
        points.reserve(points_.size());
        for (size_t r = 0; r < points_.size(); ++r) {
            if (alive_[r]) {
                points.push_back(std::move(points_[r]));
            }
        }
        layer_.points = std::move(points);

        auto& polygons = layer_.polygons;
        size_t kept = 0;
        for (size_t f = 0; f < polygons.size(); ++f) {
            if (faceAlive_[f]) {
                if (kept != f) {
                    polygons[kept] = std::move(polygons[f]);
                }
                ++kept;
            }
        }
        polygons.resize(kept);
    }

    Layer& layer_;
    CellIndex* cells_ = nullptr;
    std::vector<PointPtr> points_;
    // The records' positions, side by side for the neighbour searches.
    std::vector<Vector3> positions_;
    std::vector<std::uint8_t> alive_;
    std::vector<std::uint32_t> uses_;
    std::vector<std::int32_t> next_;
    bool welded_ = false;

    std::vector<std::uint32_t> firstFaces_{0};
    std::vector<std::uint32_t> faceIds_;
    std::vector<std::vector<std::uint32_t>> extraFaces_;
    std::vector<std::uint8_t> faceAlive_;

    std::vector<std::uint32_t> listed_;
    std::vector<PointPtr> listedPoints_;
    std::vector<std::uint32_t> touched_;
};

} // namespace

void mergeCoincidentPoints(Layer& layer) {
    BatchMerge batch(layer);
    if (batch.prepare()) {
        batch.run();
    } else {
        mergeLiterally(layer);
    }
}

} // namespace tessel
