// Merging coincident points as a batch.
//
// weld() goes over the whole layer on every call; a plane cut through a row of grid vertices
// makes hundreds of welds on a layer of 100,000 faces. The batch below replays the same welds
// on records and compacts the layer's lists once at the end:
//
// - Points become records, numbered by id; a weld's new point gets the next number. Welds only
//   remove points and append the new one, so the layer's order at any moment is the record
//   order of the live records.
// - Faces become rings of records, compacted and renumbered at the end.
// - The faces around each record (built once, extended for new points) stand in for a scan of
//   the faces; a use count per record tells whether a point is still used.
// - A hash of cells a few times the merge distance wide finds the points near a position; a
//   point looks into a neighbouring cell only when it lies within the merge distance of it.
// - With a memo, the first `settled` points have an index of their own, kept between calls.
//   When no two of them coincide, a settled point's turn can find nothing but a later point or
//   a merged one: its turn is taken only when such a point lies near it (a later point on
//   entry, or a point merged before its turn); every other turn would find nothing and weld
//   nothing. The turns of the later points are all taken.
//
// Why one weld here equals weld(), given triangles that never repeat a corner:
// replacing each listed point by the new point P leaves no face using a listed point; the faces
// that can collapse are exactly those that now hold P twice; the points that a collapse or the
// final orphan sweep can remove are the vertices of the collapsed faces and P itself, plus, at the
// first weld only, the points that were unused from the start.
#include "mesh/point_merge.h"

#include "base/check.h"
#include "mesh/removal.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <functional>
#include <limits>
#include <optional>
#include <span>

namespace tessel {

namespace {

bool isCoincident(const Vector3& p, const Vector3& q) {
    return (p - q).squaredLength() < coincidentDistanceSquared;
}

bool isFinite(const Vector3& p) {
    return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z);
}

// Records of points by the cell of their position, for records from `first` on. Cells are
// hashed into a bucket array without keys: a bucket's list may mix the records of several cells,
// which costs a few more distance tests but keeps the array small enough to stay in cache. Lists
// keep records that have since been removed; callers skip them.
class CellIndex {
public:
    CellIndex(size_t expected, std::uint32_t first) : first_(first) {
        size_t capacity = 1024;
        while (capacity < 2 * expected) {
            capacity *= 2;
        }
        heads_.assign(capacity, -1);
        next_.reserve(expected);
    }

    // Lists `record` (not below `first`), at position `p` (which must be finite).
    void insert(std::uint32_t record, const Vector3& p) {
        const size_t b = bucket(cell(p.x).index, cell(p.y).index, cell(p.z).index);
        const size_t slot = record - first_;
        if (next_.size() <= slot) {
            next_.resize(slot + 1, -1);
        }
        next_[slot] = heads_[b];
        heads_[b] = static_cast<std::int32_t>(slot);
    }

    // Calls f(record) for every record listed in a cell that a point within the merge distance
    // of `p` (which must be finite) can lie in, and maybe for others. A record may come twice.
    template <class F> void forEachNear(const Vector3& p, F&& f) const {
        const Range rx = range(p.x);
        const Range ry = range(p.y);
        const Range rz = range(p.z);
        for (std::int64_t x = rx.low; x <= rx.high; ++x) {
            for (std::int64_t y = ry.low; y <= ry.high; ++y) {
                for (std::int64_t z = rz.low; z <= rz.high; ++z) {
                    for (std::int32_t r = heads_[bucket(x, y, z)]; r >= 0;
                         r = next_[static_cast<size_t>(r)]) {
                        f(static_cast<std::uint32_t>(r) + first_);
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

    std::uint32_t first_;
    std::vector<std::int32_t> heads_;
    std::vector<std::int32_t> next_;
};

// What is known about a layer's first points.
struct MemoState {
    // Their positions, compared bit for bit.
    std::vector<Vector3> positions;
    CellIndex cells;
    bool coincidenceFree = true;

    explicit MemoState(std::span<const Vector3> first)
        : positions(first.begin(), first.end()), cells(first.size(), 0) {
        for (size_t i = 0; i < positions.size(); ++i) {
            if (isFinite(positions[i])) {
                cells.insert(static_cast<std::uint32_t>(i), positions[i]);
            }
        }
        for (size_t i = 0; i < positions.size() && coincidenceFree; ++i) {
            const Vector3 p = positions[i];
            if (!isFinite(p)) {
                continue;
            }
            cells.forEachNear(p, [&](std::uint32_t r) {
                if (r != i && isCoincident(p, positions[r])) {
                    coincidenceFree = false;
                }
            });
        }
    }

    bool describes(std::span<const Vector3> first) const {
        if (first.size() != positions.size()) {
            return false;
        }
        for (size_t i = 0; i < first.size(); ++i) {
            if (!sameBits(first[i], positions[i])) {
                return false;
            }
        }
        return true;
    }

    static bool sameBits(const Vector3& a, const Vector3& b) {
        return std::bit_cast<std::uint32_t>(a.x) == std::bit_cast<std::uint32_t>(b.x) &&
               std::bit_cast<std::uint32_t>(a.y) == std::bit_cast<std::uint32_t>(b.y) &&
               std::bit_cast<std::uint32_t>(a.z) == std::bit_cast<std::uint32_t>(b.z);
    }
};

// The batch's working lists, kept by a memo from one merge to the next so that their memory is
// reused rather than requested (and faulted in) again.
struct Buffers {
    // Settled points whose turn is due, as a heap of the smallest first; may repeat.
    std::vector<std::uint32_t> queue_;

    // Per record: position, whether it is in the layer, how many live faces use it.
    std::vector<Vector3> positions_;
    std::vector<std::uint8_t> alive_;
    std::vector<std::uint32_t> uses_;

    // Per face: the ring as records, and whether it is in the layer.
    std::vector<Triangle> rings_;
    std::vector<std::uint8_t> faceAlive_;

    // Faces around the original records (CSR, for the wanted ones), around the ones looked up
    // later (as record, first, last of lateFaces_), then around each merged record.
    std::vector<std::uint8_t> wanted_;
    // (record, face) for every use of a wanted record, in face order.
    std::vector<std::array<std::uint32_t, 2>> wantedFaces_;
    std::vector<std::uint32_t> firstFaces_{0};
    std::vector<std::uint32_t> faceIds_;
    std::vector<std::uint32_t> fill_;
    std::vector<std::uint32_t> lateFaces_;
    std::vector<std::array<std::uint32_t, 3>> lateRanges_;
    std::vector<std::uint32_t> extraFirst_;
    std::vector<std::uint32_t> extraFaces_;

    std::vector<std::uint32_t> listed_;
    std::vector<std::uint32_t> touched_;
};

class BatchMerge : private Buffers {
public:
    BatchMerge(Layer& layer, Buffers&& buffers) : Buffers(std::move(buffers)), layer_(layer) {}

    // Hands the working lists back for the next merge.
    Buffers release() && { return std::move(static_cast<Buffers&>(*this)); }

    // The points' positions on entry, valid after preparePoints().
    std::span<const Vector3> positions() const { return positions_; }

    // Takes the points' positions.
    void preparePoints() {
        TESSEL_CHECK(layer_.positions.size() < std::numeric_limits<std::int32_t>::max() / 2 &&
                         layer_.triangles.size() < std::numeric_limits<std::uint32_t>::max() / 4,
                     "mergeCoincidentPoints",
                     "too large a layer: " << layer_.positions.size() << " points, "
                                           << layer_.triangles.size() << " faces");
        positions_.assign(layer_.positions.begin(), layer_.positions.end());
    }

    // Indexes the points and finds the turns to take. The first `settled` records are the ones
    // `memo` (when given) describes.
    void start(size_t settled, const MemoState* memo) {
        const size_t initialCount = positions_.size();
        alive_.assign(initialCount, 1);
        if (memo == nullptr) {
            settled = 0;
        }
        settled_ = settled;
        const size_t later = initialCount - settled;
        cells_.emplace(later + later / 8, static_cast<std::uint32_t>(settled));
        settledCells_ = memo != nullptr ? &memo->cells : nullptr;
        for (size_t i = settled; i < initialCount; ++i) {
            if (isFinite(positions_[i])) {
                cells_->insert(static_cast<std::uint32_t>(i), positions_[i]);
            }
        }

        nearLaterOnly_ = memo != nullptr && memo->coincidenceFree;
        // Only the points that can be welded need the faces around them listed: the later
        // ones and the settled ones whose turn is taken; any other is looked up if listed.
        wanted_.assign(initialCount, nearLaterOnly_ ? 0 : 1);
        std::fill(wanted_.begin() + static_cast<std::ptrdiff_t>(settled), wanted_.end(), 1);
        if (nearLaterOnly_) {
            // Settled points near a later point on entry; welds add those near merged points.
            for (size_t i = settled; i < initialCount; ++i) {
                if (isFinite(positions_[i])) {
                    queueSettledNear(positions_[i], 0);
                }
            }
        }
    }

    // Takes the faces' rings as records, the points' use counts and the faces around the
    // wanted points.
    void prepareFaces() {
        const size_t count = layer_.positions.size();
        const size_t faceCount = layer_.triangles.size();
        uses_.assign(count, 0);
        rings_.assign(layer_.triangles.begin(), layer_.triangles.end());
        wantedFaces_.clear();
        for (size_t f = 0; f < faceCount; ++f) {
            for (const std::uint32_t v : rings_[f]) {
                ++uses_[v];
                if (wanted_[v]) {
                    wantedFaces_.push_back({v, static_cast<std::uint32_t>(f)});
                }
            }
        }
    }

    // Takes the turns and writes the result into the layer.
    void run() {
        const size_t initialCount = positions_.size();
        if (nearLaterOnly_) {
            std::int64_t last = -1;
            while (!queue_.empty()) {
                std::pop_heap(queue_.begin(), queue_.end(), std::greater<>());
                const std::uint32_t i = queue_.back();
                queue_.pop_back();
                if (static_cast<std::int64_t>(i) != last) {
                    last = i;
                    takeTurn(i, true);
                }
            }
        } else {
            for (size_t i = 0; i < settled_; ++i) {
                takeTurn(static_cast<std::uint32_t>(i), false);
            }
        }
        for (size_t i = settled_; i < initialCount; ++i) {
            takeTurn(static_cast<std::uint32_t>(i), false);
        }
        if (welded_) {
            finish();
        }
    }

private:
    using Ring = Triangle;

    // Point i's turn: a weld of the live points near it, in layer order, then i itself. While
    // `queueing`, settled points near the merged point join the queue of turns.
    void takeTurn(std::uint32_t i, bool queueing) {
        const Vector3 p = positions_[i];
        // A position with an infinite or not-a-number coordinate is near nothing.
        if (!isFinite(p)) {
            return;
        }
        listed_.clear();
        const auto take = [&](std::uint32_t r) {
            if (r != i && alive_[r] && isCoincident(p, positions_[r])) {
                listed_.push_back(r);
            }
        };
        if (settledCells_ != nullptr) {
            settledCells_->forEachNear(p, take);
        }
        cells_->forEachNear(p, take);
        if (listed_.empty()) {
            return;
        }
        // Layer order; a bucket probed for two cells lists its records twice.
        std::sort(listed_.begin(), listed_.end());
        listed_.erase(std::unique(listed_.begin(), listed_.end()), listed_.end());
        listed_.push_back(i);
        weld();
        if (queueing && isFinite(positions_.back())) {
            queueSettledNear(positions_.back(), i + 1);
        }
    }

    // Queues the turns of the settled points from `from` on that lie near `p`.
    void queueSettledNear(const Vector3& p, std::uint32_t from) {
        settledCells_->forEachNear(p, [&](std::uint32_t r) {
            if (r >= from && isCoincident(p, positions_[r])) {
                queue_.push_back(r);
                if (!welded_) {
                    wanted_[r] = 1;
                }
                std::push_heap(queue_.begin(), queue_.end(), std::greater<>());
            }
        });
    }

    // The faces around record r, as the range [first, last) of faceIds_ (original records) or
    // of extraFaces_ (merged ones). Live faces in the list are exactly the live faces using r
    // while r is alive.
    struct FaceRange {
        const std::vector<std::uint32_t>* list;
        std::uint32_t first;
        std::uint32_t last;
    };
    FaceRange facesOf(std::uint32_t r) {
        if (r < extraBase()) {
            if (wanted_[r]) {
                return {&faceIds_, firstFaces_[r], firstFaces_[r + 1]};
            }
            return lateFacesOf(r);
        }
        const size_t e = r - extraBase();
        return {&extraFaces_, extraFirst_[e], extraFirst_[e + 1]};
    }
    size_t extraBase() const { return firstFaces_.size() - 1; }

    // The live faces around an original record left out of the CSR, found by a scan the first
    // time they are asked for; faces never gain an original record, so the list stays right.
    FaceRange lateFacesOf(std::uint32_t r) {
        for (const auto& [record, first, last] : lateRanges_) {
            if (record == r) {
                return {&lateFaces_, first, last};
            }
        }
        const auto first = static_cast<std::uint32_t>(lateFaces_.size());
        for (size_t f = 0; f < rings_.size(); ++f) {
            const Ring& ring = rings_[f];
            if (faceAlive_[f] && (ring[0] == r || ring[1] == r || ring[2] == r)) {
                lateFaces_.push_back(static_cast<std::uint32_t>(f));
            }
        }
        const auto last = static_cast<std::uint32_t>(lateFaces_.size());
        lateRanges_.push_back({r, first, last});
        return {&lateFaces_, first, last};
    }

    // Faces around every wanted original point, from the rings as they are before the first
    // weld.
    void buildFaces() {
        const size_t count = uses_.size();
        firstFaces_.assign(count + 1, 0);
        for (size_t i = 0; i < count; ++i) {
            firstFaces_[i + 1] = firstFaces_[i] + (wanted_[i] ? uses_[i] : 0);
        }
        faceIds_.resize(firstFaces_[count]);
        fill_.assign(firstFaces_.begin(), firstFaces_.end() - 1);
        for (const auto& [v, f] : wantedFaces_) {
            faceIds_[fill_[v]++] = f;
        }
        lateFaces_.clear();
        lateRanges_.clear();
        faceAlive_.assign(rings_.size(), 1);
        extraFirst_.assign(1, 0);
        extraFaces_.clear();
    }

    // weld() of listed_, on the records.
    void weld() {
        if (!welded_) {
            buildFaces();
        }

        // 1.–2. The new point at the mean of the listed points, in list order, computed as
        // centroid() does.
        float x = 0, y = 0, z = 0;
        for (std::uint32_t r : listed_) {
            x += positions_[r].x;
            y += positions_[r].y;
            z += positions_[r].z;
        }
        const float n = static_cast<float>(listed_.size());
        const auto m = static_cast<std::uint32_t>(positions_.size());
        positions_.push_back({x / n, y / n, z / n});
        alive_.push_back(1);
        uses_.push_back(0);
        if (isFinite(positions_.back())) {
            cells_->insert(m, positions_.back());
        }

        // 3.–4. Listed points still in the layer hand their faces over and leave.
        for (std::uint32_t v : listed_) {
            if (!alive_[v]) {
                continue;
            }
            // By index: the list may be extraFaces_, which grows below.
            const FaceRange faces = facesOf(v);
            for (std::uint32_t k = faces.first; k < faces.last; ++k) {
                const std::uint32_t f = (*faces.list)[k];
                if (!faceAlive_[f]) {
                    continue;
                }
                Ring& ring = rings_[f];
                const bool hadMerged = ring[0] == m || ring[1] == m || ring[2] == m;
                for (std::uint32_t& w : ring) {
                    if (w == v) {
                        w = m;
                        break;
                    }
                }
                --uses_[v];
                ++uses_[m];
                if (!hadMerged) {
                    extraFaces_.push_back(f);
                }
            }
            alive_[v] = 0;
        }
        extraFirst_.push_back(static_cast<std::uint32_t>(extraFaces_.size()));

        // 6. Faces holding the new point twice collapse; their vertices go once unused.
        touched_.clear();
        touched_.push_back(m);
        for (std::uint32_t k = extraFirst_[extraFirst_.size() - 2]; k < extraFaces_.size(); ++k) {
            const std::uint32_t f = extraFaces_[k];
            if (!faceAlive_[f]) {
                continue;
            }
            const Ring& ring = rings_[f];
            if (ring[0] != ring[1] && ring[0] != ring[2] && ring[1] != ring[2]) {
                continue;
            }
            faceAlive_[f] = 0;
            for (std::uint32_t w : ring) {
                --uses_[w];
                touched_.push_back(w);
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

    // Writes the surviving points and faces back, in record order, and renumbers the rings.
    void finish() {
        layer_.positions.assign(positions_.begin(), positions_.end());
        layer_.triangles.assign(rings_.begin(), rings_.end());
        compact(layer_.triangles, faceAlive_);
        remapCorners(layer_, compact(layer_.positions, alive_));
    }

    Layer& layer_;
    size_t settled_ = 0;
    bool nearLaterOnly_ = false;
    // The later and merged points; the settled ones, from the memo.
    std::optional<CellIndex> cells_;
    const CellIndex* settledCells_ = nullptr;
    bool welded_ = false;
};

} // namespace

void mergeCoincidentPoints(Layer& layer) {
    BatchMerge batch(layer, Buffers{});
    batch.preparePoints();
    batch.start(0, nullptr);
    batch.prepareFaces();
    batch.run();
}

struct PointMergeMemo::State {
    // What is known about the first points of the last merge, if anything.
    std::optional<MemoState> known;
    Buffers buffers;
};

PointMergeMemo::PointMergeMemo() = default;
PointMergeMemo::~PointMergeMemo() = default;
PointMergeMemo::PointMergeMemo(PointMergeMemo&&) noexcept = default;
PointMergeMemo& PointMergeMemo::operator=(PointMergeMemo&&) noexcept = default;

void mergeCoincidentPoints(Layer& layer, size_t settled, PointMergeMemo& memo) {
    if (!memo.state_) {
        memo.state_ = std::make_unique<PointMergeMemo::State>();
    }
    PointMergeMemo::State& state = *memo.state_;
    BatchMerge batch(layer, std::move(state.buffers));
    batch.preparePoints();
    const std::span<const Vector3> first =
        batch.positions().first(std::min(settled, layer.positions.size()));
    if (!state.known || !state.known->describes(first)) {
        state.known.reset();
        state.known.emplace(first);
    }
    batch.start(first.size(), &*state.known);
    batch.prepareFaces();
    batch.run();
    state.buffers = std::move(batch).release();
}

} // namespace tessel
