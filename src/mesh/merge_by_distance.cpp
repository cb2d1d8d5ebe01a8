#include "mesh/merge_by_distance.h"

#include "mesh/weld.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <numeric>
#include <utility>

namespace tessel {

namespace {

// Cells per axis stay below 2^21, so that a cell's three indices pack into one key.
constexpr int kBits = 21;
constexpr double kMaxCells = 1 << (kBits - 1);

std::uint64_t keyOf(std::uint64_t i, std::uint64_t j, std::uint64_t k) {
    return (i << (2 * kBits)) | (j << kBits) | k;
}

// Every bit of the value moves every bit of the result.
std::uint64_t hashOf(std::uint64_t key) {
    key ^= key >> 30;
    key *= 0xbf58476d1ce4e5b9ULL;
    key ^= key >> 27;
    key *= 0x94d049bb133111ebULL;
    return key ^ (key >> 31);
}

// Sorts by key, keeping the order of equal keys, eleven bits at a time; a digit that every key
// shares takes no pass.
void radixSort(std::vector<std::pair<std::uint64_t, std::uint32_t>>& items) {
    constexpr int kDigitBits = 11;
    constexpr int kDigits = (64 + kDigitBits - 1) / kDigitBits;
    constexpr size_t kBuckets = size_t{1} << kDigitBits;
    std::vector<std::array<std::uint32_t, kBuckets>> counts(kDigits);
    for (const auto& item : items) {
        for (int d = 0; d < kDigits; ++d) {
            ++counts[d][(item.first >> (d * kDigitBits)) & (kBuckets - 1)];
        }
    }
    std::vector<std::pair<std::uint64_t, std::uint32_t>> other(items.size());
    for (int d = 0; d < kDigits; ++d) {
        std::array<std::uint32_t, kBuckets>& next = counts[d];
        if (std::ranges::find(next, items.size()) != next.end()) {
            continue;
        }
        std::uint32_t sum = 0;
        for (std::uint32_t& n : next) {
            sum += std::exchange(n, sum);
        }
        for (const auto& item : items) {
            other[next[(item.first >> (d * kDigitBits)) & (kBuckets - 1)]++] = item;
        }
        items.swap(other);
    }
}

// Removes every face over the same corners as a lower face (in any order) among the faces holding
// a flagged point: two faces that have become doubles of each other share the point merged into.
void removeDoubledFaces(FaceList& faces, const std::vector<std::uint8_t>& flagged) {
    std::vector<std::pair<std::uint64_t, std::uint32_t>> keyed;
    std::vector<std::uint32_t> sorted;
    const auto sortedCorners = [&](size_t f, std::vector<std::uint32_t>& out) {
        out.assign(faces[f].begin(), faces[f].end());
        std::ranges::sort(out);
    };
    for (size_t f = 0; f < faces.size(); ++f) {
        if (std::ranges::none_of(faces[f], [&](std::uint32_t v) { return flagged[v] != 0; })) {
            continue;
        }
        sortedCorners(f, sorted);
        std::uint64_t key = sorted.size();
        for (const std::uint32_t v : sorted) {
            key = hashOf(key ^ (v + 0x9e3779b97f4a7c15ULL));
        }
        keyed.emplace_back(key, static_cast<std::uint32_t>(f));
    }
    // The faces by key, in id order, in an open-addressing table; a face whose key is met again
    // is compared in full with the kept faces of that key.
    const size_t size = std::bit_ceil(std::max<size_t>(2 * keyed.size(), 16));
    std::vector<std::pair<std::uint64_t, std::uint32_t>> slots(size, {0, kRemoved});
    std::vector<std::uint8_t> keep;
    std::vector<std::uint32_t> other;
    for (const auto& [key, face] : keyed) {
        bool doubled = false;
        size_t s = key & (size - 1);
        for (; slots[s].second != kRemoved; s = (s + 1) & (size - 1)) {
            if (slots[s].first == key) {
                sortedCorners(face, sorted);
                sortedCorners(slots[s].second, other);
                if (other == sorted) {
                    doubled = true;
                    break;
                }
            }
        }
        if (!doubled) {
            slots[s] = {key, face};
            continue;
        }
        if (keep.empty()) {
            keep.assign(faces.size(), 1);
        }
        keep[face] = 0;
    }
    if (!keep.empty()) {
        faces.compact(keep);
    }
}

} // namespace

size_t mergeByDistance(Layer& layer, std::span<const std::int64_t> points, float distance) {
    if (!(distance >= 0)) {
        return 0;
    }
    const std::vector<Vector3>& p = layer.positions;
    const size_t count = p.size();
    const auto finite = [&](size_t v) {
        return std::isfinite(p[v].x) && std::isfinite(p[v].y) && std::isfinite(p[v].z);
    };
    // The points taking part, in id order.
    std::vector<std::uint8_t> listed(count, points.empty() ? 1 : 0);
    for (const std::int64_t v : points) {
        if (v >= 0 && static_cast<std::uint64_t>(v) < count) {
            listed[static_cast<size_t>(v)] = 1;
        }
    }
    std::vector<std::uint32_t> members;
    std::array<double, 3> low{INFINITY, INFINITY, INFINITY};
    std::array<double, 3> high{-INFINITY, -INFINITY, -INFINITY};
    for (size_t v = 0; v < count; ++v) {
        if (listed[v] && finite(v)) {
            members.push_back(static_cast<std::uint32_t>(v));
            const std::array<double, 3> q{p[v].x, p[v].y, p[v].z};
            for (int a = 0; a < 3; ++a) {
                low[a] = std::min(low[a], q[a]);
                high[a] = std::max(high[a], q[a]);
            }
        }
    }
    if (members.size() < 2) {
        return 0;
    }

    // Cells at least `distance` wide (a little more, against rounding) put two points within reach
    // of each other in the same or neighbouring cells; no fewer than the extent over 2^20 keep the
    // indices in their bits however small the distance.
    const double extent = std::max({high[0] - low[0], high[1] - low[1], high[2] - low[2]});
    double cell = std::max(static_cast<double>(distance), extent / kMaxCells) * (1 + 1e-6);
    if (!(cell > 0)) {
        cell = 1;
    }
    const auto indexOf = [&](float x, int a) {
        return static_cast<std::uint64_t>(
            std::clamp(std::floor((x - low[a]) / cell), 0.0, kMaxCells));
    };
    // The members sorted by cell (by id within one), and the cells as runs of them.
    std::vector<std::pair<std::uint64_t, std::uint32_t>> sorted(members.size());
    for (size_t m = 0; m < members.size(); ++m) {
        const Vector3& q = p[members[m]];
        sorted[m] = {keyOf(indexOf(q.x, 0), indexOf(q.y, 1), indexOf(q.z, 2)),
                     static_cast<std::uint32_t>(m)};
    }
    radixSort(sorted);
    std::vector<std::uint64_t> cellKey;
    std::vector<std::uint32_t> cellStart;
    std::vector<std::uint32_t> cellOf(members.size());
    for (size_t s = 0; s < sorted.size(); ++s) {
        if (s == 0 || sorted[s].first != sorted[s - 1].first) {
            cellKey.push_back(sorted[s].first);
            cellStart.push_back(static_cast<std::uint32_t>(s));
        }
        cellOf[sorted[s].second] = static_cast<std::uint32_t>(cellKey.size() - 1);
        // From here on the entry names the point itself.
        sorted[s].second = members[sorted[s].second];
    }
    const size_t cellCount = cellKey.size();
    cellStart.push_back(static_cast<std::uint32_t>(sorted.size()));

    // Which cells neighbour which, found by walking the sorted keys once per forward step (a key
    // plus a step stays in key order, so a second cursor only moves on) and recorded both ways.
    std::vector<std::pair<std::uint32_t, std::uint32_t>> touching;
    for (int step = 14; step < 27; ++step) {
        const std::uint64_t offset = keyOf(step / 9, step / 3 % 3, step % 3) - keyOf(1, 1, 1);
        size_t other = 0;
        for (size_t c = 0; c < cellCount; ++c) {
            const std::uint64_t wanted = cellKey[c] + offset;
            while (other < cellCount && cellKey[other] < wanted) {
                ++other;
            }
            if (other == cellCount) {
                break;
            }
            if (cellKey[other] == wanted) {
                touching.emplace_back(static_cast<std::uint32_t>(c),
                                      static_cast<std::uint32_t>(other));
                touching.emplace_back(static_cast<std::uint32_t>(other),
                                      static_cast<std::uint32_t>(c));
            }
        }
    }
    std::vector<std::uint32_t> neighbourStart(cellCount + 1, 0);
    for (const auto& t : touching) {
        ++neighbourStart[t.first + 1];
    }
    std::partial_sum(neighbourStart.begin(), neighbourStart.end(), neighbourStart.begin());
    std::vector<std::uint32_t> neighbours(touching.size());
    {
        std::vector<std::uint32_t> next(neighbourStart.begin(), neighbourStart.end() - 1);
        for (const auto& t : touching) {
            neighbours[next[t.first]++] = t.second;
        }
    }

    // Each point not yet taken takes the later ones within reach.
    std::vector<std::uint32_t> into(count);
    std::iota(into.begin(), into.end(), 0u);
    const double reach = static_cast<double>(distance) * distance;
    bool merged = false;
    const auto takeFrom = [&](std::uint32_t v, std::uint32_t c) {
        const Vector3& q = p[v];
        for (std::uint32_t s = cellStart[c]; s < cellStart[c + 1]; ++s) {
            const std::uint32_t w = sorted[s].second;
            if (w <= v || into[w] != w) {
                continue;
            }
            const double dx = static_cast<double>(p[w].x) - q.x;
            const double dy = static_cast<double>(p[w].y) - q.y;
            const double dz = static_cast<double>(p[w].z) - q.z;
            if (dx * dx + dy * dy + dz * dz <= reach) {
                into[w] = v;
                merged = true;
            }
        }
    };
    for (size_t m = 0; m < members.size(); ++m) {
        const std::uint32_t v = members[m];
        if (into[v] != v) {
            continue;
        }
        const std::uint32_t c = cellOf[m];
        takeFrom(v, c);
        for (std::uint32_t n = neighbourStart[c]; n < neighbourStart[c + 1]; ++n) {
            takeFrom(v, neighbours[n]);
        }
    }
    if (!merged) {
        return 0;
    }
    const std::vector<std::uint32_t> remap = mergePoints(layer, into, true);
    std::vector<std::uint8_t> target(layer.positions.size(), 0);
    for (size_t v = 0; v < count; ++v) {
        if (into[v] != v && remap[into[v]] != kRemoved) {
            target[remap[into[v]]] = 1;
        }
    }
    removeDoubledFaces(layer.faces, target);
    return count - layer.positions.size();
}

} // namespace tessel
