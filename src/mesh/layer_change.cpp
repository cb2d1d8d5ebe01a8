#include "mesh/layer_change.h"

#include "base/check.h"

#include <algorithm>
#include <cstring>

namespace tessel {

namespace {

// Bit for bit, so that a not-a-number position equals itself and a change is never made up.
template <class T> bool same(const T& a, const T& b) { return std::memcmp(&a, &b, sizeof(T)) == 0; }

template <class T>
bool sameRange(const std::vector<T>& list, std::size_t at, const std::vector<T>& run) {
    return at + run.size() <= list.size() &&
           (run.empty() || std::memcmp(list.data() + at, run.data(), run.size() * sizeof(T)) == 0);
}

} // namespace

template <class T>
LayerChange::ArrayChange<T> LayerChange::arrayBetween(const std::vector<T>& before,
                                                      const std::vector<T>& after) {
    const std::size_t n = before.size();
    const std::size_t m = after.size();
    const std::size_t common = std::min(n, m);
    std::size_t prefix = 0;
    while (prefix < common && same(before[prefix], after[prefix])) {
        ++prefix;
    }

    ArrayChange<T> change{n, m, {}};
    if (prefix == n && prefix == m) {
        return change;
    }

    // Aligned at the start: runs of elements changed in place, then what was appended or cut
    // off. Equal elements closer than kGap join the runs around them: a hunk costs more than a
    // few elements.
    constexpr std::size_t kGap = 4;
    ArrayChange<T> aligned{n, m, {}};
    std::size_t i = prefix;
    while (i < common) {
        if (same(before[i], after[i])) {
            ++i;
            continue;
        }
        std::size_t end = i + 1;
        for (std::size_t equal = 0; end < common && equal < kGap; ++end) {
            equal = same(before[end], after[end]) ? equal + 1 : 0;
        }
        while (end > i && same(before[end - 1], after[end - 1])) {
            --end;
        }
        aligned.hunks.push_back({i,
                                 {before.begin() + i, before.begin() + end},
                                 {after.begin() + i, after.begin() + end}});
        i = end;
    }
    if (n != m) {
        aligned.hunks.push_back({common,
                                 {before.begin() + common, before.end()},
                                 {after.begin() + common, after.end()}});
    }
    if (n == m) {
        return aligned;
    }

    // Aligned at the end: one stretch between the common start and the common end, which is
    // what a removal that keeps the survivors' values leaves.
    std::size_t suffix = 0;
    while (suffix < common - prefix && same(before[n - 1 - suffix], after[m - 1 - suffix])) {
        ++suffix;
    }
    change.hunks.push_back({prefix,
                            {before.begin() + prefix, before.end() - suffix},
                            {after.begin() + prefix, after.end() - suffix}});
    return bytesOf(change) <= bytesOf(aligned) ? change : aligned;
}

template <class T>
std::vector<T> LayerChange::replay(const ArrayChange<T>& change, const std::vector<T>& from,
                                   bool forward) {
    TESSEL_CHECK(from.size() == (forward ? change.beforeSize : change.afterSize),
                 "LayerChange::replay",
                 "a layer of " << from.size() << " elements is not the "
                               << (forward ? "earlier" : "later") << " one");
    std::vector<T> result;
    result.reserve(forward ? change.afterSize : change.beforeSize);
    std::size_t cursor = 0;
    // Hunks are placed by the earlier array; in the later one each starts shifted by what the
    // hunks before it added or removed.
    std::ptrdiff_t shift = 0;
    for (const auto& hunk : change.hunks) {
        const std::size_t at = forward ? hunk.at : hunk.at + static_cast<std::size_t>(shift);
        const std::vector<T>& replaced = forward ? hunk.before : hunk.after;
        const std::vector<T>& replacement = forward ? hunk.after : hunk.before;
        TESSEL_CHECK(sameRange(from, at, replaced), "LayerChange::replay",
                     "the layer differs from the change's at " << at);
        result.insert(result.end(), from.begin() + static_cast<std::ptrdiff_t>(cursor),
                      from.begin() + static_cast<std::ptrdiff_t>(at));
        result.insert(result.end(), replacement.begin(), replacement.end());
        cursor = at + replaced.size();
        shift += static_cast<std::ptrdiff_t>(hunk.after.size()) -
                 static_cast<std::ptrdiff_t>(hunk.before.size());
    }
    result.insert(result.end(), from.begin() + static_cast<std::ptrdiff_t>(cursor), from.end());
    return result;
}

// The heap memory of the change; the change itself is part of the LayerChange.
template <class T> std::size_t LayerChange::bytesOf(const ArrayChange<T>& change) {
    std::size_t bytes = change.hunks.capacity() * sizeof(typename ArrayChange<T>::Hunk);
    for (const auto& hunk : change.hunks) {
        bytes += (hunk.before.capacity() + hunk.after.capacity()) * sizeof(T);
    }
    return bytes;
}

LayerChange::ArrayChange<std::uint32_t> LayerChange::cornersByFace(const FaceList& before,
                                                                   const FaceList& after) {
    const std::vector<std::uint32_t>& b = before.corners();
    const std::vector<std::uint32_t>& a = after.corners();
    ArrayChange<std::uint32_t> change{b.size(), a.size(), {}};
    const auto sameFace = [&](std::size_t f) { return std::ranges::equal(before[f], after[f]); };
    const auto hunk = [&](std::size_t from, std::size_t to, std::size_t toAfter) {
        change.hunks.push_back({before.start(from),
                                {b.begin() + static_cast<std::ptrdiff_t>(before.start(from)),
                                 b.begin() + static_cast<std::ptrdiff_t>(before.start(to))},
                                {a.begin() + static_cast<std::ptrdiff_t>(after.start(from)),
                                 a.begin() + static_cast<std::ptrdiff_t>(after.start(toAfter))}});
    };
    // As for any array, equal faces closer than kGap join the runs around them.
    constexpr std::size_t kGap = 4;
    const std::size_t common = std::min(before.size(), after.size());
    std::size_t f = 0;
    while (f < common) {
        if (sameFace(f)) {
            ++f;
            continue;
        }
        std::size_t end = f + 1;
        for (std::size_t equal = 0; end < common && equal < kGap; ++end) {
            equal = sameFace(end) ? equal + 1 : 0;
        }
        while (end > f && sameFace(end - 1)) {
            --end;
        }
        hunk(f, end, end);
        f = end;
    }
    if (before.size() != after.size()) {
        hunk(common, before.size(), after.size());
    }
    return change;
}

namespace {

// Faces of different sizes: their counts are what a change records.
bool mixed(const FaceList& faces) { return !faces.empty() && faces.uniformCount() == 0; }

} // namespace

LayerChange LayerChange::between(const Layer& before, const Layer& after) {
    LayerChange change;
    change.positions_ = arrayBetween(before.positions, after.positions);
    change.corners_ = arrayBetween(before.faces.corners(), after.faces.corners());
    if (mixed(before.faces) || mixed(after.faces)) {
        change.countsKept_ = true;
        change.counts_ = arrayBetween(before.faces.counts(), after.faces.counts());
        ArrayChange<std::uint32_t> byFace = cornersByFace(before.faces, after.faces);
        if (bytesOf(byFace) < bytesOf(change.corners_)) {
            change.corners_ = std::move(byFace);
        }
    } else {
        change.cornersPerFaceBefore_ = before.faces.uniformCount();
        change.cornersPerFaceAfter_ = after.faces.uniformCount();
    }
    change.shaderBefore_ = before.fragmentShader;
    change.shaderAfter_ = after.fragmentShader;
    if (before.creases != after.creases) {
        change.creases_ = std::make_shared<const Creases>(Creases{before.creases, after.creases});
    }
    return change;
}

FaceList LayerChange::facesFrom(std::vector<std::uint32_t> corners, const FaceList& other,
                                bool forward) const {
    if (countsKept_) {
        return FaceList(std::move(corners), replay(counts_, other.counts(), forward));
    }
    const std::uint32_t cornersPerFace = forward ? cornersPerFaceAfter_ : cornersPerFaceBefore_;
    return cornersPerFace == 0 ? FaceList() : FaceList(std::move(corners), cornersPerFace);
}

LayerPtr LayerChange::undone(const Layer& after) const {
    LayerPtr layer =
        makeLayer(replay(positions_, after.positions, false),
                  facesFrom(replay(corners_, after.faces.corners(), false), after.faces, false));
    layer->fragmentShader = shaderBefore_;
    layer->creases = creases_ ? creases_->before : after.creases;
    return layer;
}

LayerPtr LayerChange::redone(const Layer& before) const {
    LayerPtr layer =
        makeLayer(replay(positions_, before.positions, true),
                  facesFrom(replay(corners_, before.faces.corners(), true), before.faces, true));
    layer->fragmentShader = shaderAfter_;
    layer->creases = creases_ ? creases_->after : before.creases;
    return layer;
}

std::size_t LayerChange::bytes() const {
    return bytesOf(positions_) + bytesOf(corners_) + bytesOf(counts_) +
           (creases_ ? sizeof(Creases) +
                           (creases_->before.size() + creases_->after.size()) * sizeof(Crease)
                     : 0) +
           sizeof(*this);
}

} // namespace tessel
