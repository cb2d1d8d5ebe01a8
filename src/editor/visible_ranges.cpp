#include "editor/visible_ranges.h"

#include <algorithm>
#include <cmath>

namespace tessel {

ListBounds boundsOfRuns(std::span<const Vector3> positions, std::span<const std::uint32_t> list,
                        size_t entriesPerRun) {
    ListBounds bounds;
    bounds.entriesPerRun = std::max<size_t>(entriesPerRun, 1);
    const size_t entries = list.empty() ? positions.size() : list.size();
    const size_t runs = (entries + bounds.entriesPerRun - 1) / bounds.entriesPerRun;
    bounds.boxes.resize(runs);
    for (size_t r = 0; r < runs; ++r) {
        const size_t first = r * bounds.entriesPerRun;
        const size_t last = std::min(entries, first + bounds.entriesPerRun);
        Vector3 low{INFINITY, INFINITY, INFINITY};
        Vector3 high{-INFINITY, -INFINITY, -INFINITY};
        bool bounded = true;
        for (size_t i = first; i < last; ++i) {
            const size_t id = list.empty() ? i : list[i];
            if (id >= positions.size()) {
                continue;
            }
            const Vector3& p = positions[id];
            low = {std::min(low.x, p.x), std::min(low.y, p.y), std::min(low.z, p.z)};
            high = {std::max(high.x, p.x), std::max(high.y, p.y), std::max(high.z, p.z)};
            // A point that is not a number would make min and max lose it: the run is unbounded.
            bounded = bounded && std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z);
        }
        if (bounded && low.x <= high.x) {
            bounds.boxes[r] = Box{low, high};
        }
    }
    return bounds;
}

Visibility visibility(const Box& box, const Matrix& mvp) {
    // Corners outside each clip plane: -w ≤ x, y ≤ w and 0 ≤ z ≤ w (this projection's depth).
    int outside[6] = {0, 0, 0, 0, 0, 0};
    bool allInside = true;
    for (int corner = 0; corner < 8; ++corner) {
        const Vector3 p = box.corner(corner);
        const Vector4 c = mvp * Vector4(p, 1);
        const bool out[6] = {c.x() < -c.w(), c.x() > c.w(), c.y() < -c.w(),
                             c.y() > c.w(),  c.z() < 0,     c.z() > c.w()};
        for (int k = 0; k < 6; ++k) {
            outside[k] += out[k] ? 1 : 0;
            allInside = allInside && !out[k];
        }
    }
    if (std::any_of(std::begin(outside), std::end(outside), [](int n) { return n == 8; })) {
        return Visibility::Outside;
    }
    return allInside ? Visibility::Inside : Visibility::Partly;
}

IndexRanges visibleParts(const IndexRanges& ranges, const ListBounds& bounds, const Matrix& mvp) {
    // The runs the view may see, as ranges of entries, merged where they touch.
    IndexRanges seen;
    for (size_t r = 0; r < bounds.boxes.size(); ++r) {
        const std::optional<Box>& box = bounds.boxes[r];
        if (box && visibility(*box, mvp) == Visibility::Outside) {
            continue;
        }
        const auto first = static_cast<std::uint32_t>(r * bounds.entriesPerRun);
        const auto count = static_cast<std::uint32_t>(bounds.entriesPerRun);
        if (!seen.empty() && seen.back().first + seen.back().count == first) {
            seen.back().count += count;
        } else {
            seen.push_back({first, count});
        }
    }
    // Both lists are sorted: intersect them in one pass.
    IndexRanges parts;
    size_t j = 0;
    for (const IndexRange& range : ranges) {
        const std::uint64_t end = std::uint64_t{range.first} + range.count;
        while (j < seen.size() && std::uint64_t{seen[j].first} + seen[j].count <= range.first) {
            ++j;
        }
        for (size_t k = j; k < seen.size() && seen[k].first < end; ++k) {
            const std::uint32_t from = std::max(range.first, seen[k].first);
            const auto to = static_cast<std::uint32_t>(
                std::min<std::uint64_t>(end, std::uint64_t{seen[k].first} + seen[k].count));
            if (to > from) {
                parts.push_back({from, to - from});
            }
        }
    }
    return parts;
}

namespace {

bool isOpaque(const DrawItem& item) {
    return !item.isSelectionVolume && !item.layer->fragmentShader &&
           (!item.material || item.material->opacity >= 1);
}

// The nearest depth of the item's box in front of the camera, or 0 when it has none.
float nearestDepth(const DrawItem& item) {
    const std::optional<Box>& box = item.data->bounds;
    if (!box) {
        return 0;
    }
    float nearest = INFINITY;
    for (int corner = 0; corner < 8; ++corner) {
        const Vector3 p = box->corner(corner);
        nearest = std::min(nearest, (item.matrix * Vector4(p, 1)).w());
    }
    return nearest;
}

} // namespace

std::vector<size_t> drawOrder(const std::vector<DrawItem>& items) {
    std::vector<size_t> order(items.size());
    for (size_t i = 0; i < order.size(); ++i) {
        order[i] = i;
    }
    const bool allOpaque = std::all_of(items.begin(), items.end(), [](const DrawItem& item) {
        return item.isSelectionVolume || isOpaque(item);
    });
    if (!allOpaque) {
        return order;
    }
    std::vector<float> depth(items.size());
    for (size_t i = 0; i < items.size(); ++i) {
        depth[i] = items[i].isSelectionVolume ? INFINITY : nearestDepth(items[i]);
    }
    std::stable_sort(order.begin(), order.end(),
                     [&](size_t a, size_t b) { return depth[a] < depth[b]; });
    return order;
}

bool worthHiddenTest(const DrawItem& item) {
    // Below this, drawing the mesh costs about what the test does.
    constexpr size_t kTriangles = 20000;
    const std::optional<Box>& box = item.data->bounds;
    if (!box || !isOpaque(item) || item.data->triangles.size() < 3 * kTriangles) {
        return false;
    }
    for (int corner = 0; corner < 8; ++corner) {
        const Vector3 p = box->corner(corner);
        const Vector4 c = item.matrix * Vector4(p, 1);
        if (c.w() <= 0 || c.z() < 0) {
            return false;
        }
    }
    return true;
}

} // namespace tessel
