#include "mesh/face_list.h"

#include "base/check.h"

#include <algorithm>
#include <numeric>
#include <ostream>

namespace tessel {

FaceList::FaceList(const std::vector<Triangle>& triangles)
    : uniform_(triangles.empty() ? 0 : 3), count_(triangles.size()) {
    static_assert(sizeof(Triangle) == 3 * sizeof(std::uint32_t), "triangles are packed ids");
    corners_.resize(3 * triangles.size());
    if (!triangles.empty()) {
        std::copy_n(triangles.front().data(), corners_.size(), corners_.data());
    }
}

FaceList::FaceList(std::vector<std::uint32_t> corners, std::span<const std::uint32_t> counts)
    : corners_(std::move(corners)), count_(counts.size()) {
    const std::uint64_t total = std::accumulate(counts.begin(), counts.end(), std::uint64_t{0});
    TESSEL_CHECK(total == corners_.size(), "FaceList",
                 "corner counts adding up to " << total << " for " << corners_.size()
                                               << " corners");
    if (counts.empty()) {
        return;
    }
    if (std::all_of(counts.begin(), counts.end(),
                    [&](std::uint32_t n) { return n == counts[0]; })) {
        uniform_ = counts[0];
        return;
    }
    starts_.resize(counts.size() + 1);
    starts_[0] = 0;
    for (std::size_t f = 0; f < counts.size(); ++f) {
        starts_[f + 1] = starts_[f] + counts[f];
    }
}

FaceList::FaceList(std::vector<std::uint32_t> corners, std::uint32_t cornersPerFace)
    : corners_(std::move(corners)) {
    TESSEL_CHECK(cornersPerFace > 0 && corners_.size() % cornersPerFace == 0, "FaceList",
                 corners_.size() << " corners in faces of " << cornersPerFace);
    count_ = corners_.size() / cornersPerFace;
    uniform_ = count_ ? cornersPerFace : 0;
}

FaceList FaceList::polygons(std::initializer_list<std::initializer_list<std::uint32_t>> faces) {
    FaceList list;
    for (const auto& face : faces) {
        list.push_back(face);
    }
    return list;
}

std::size_t FaceList::faceOfCorner(std::size_t i) const {
    if (starts_.empty()) {
        return i / uniform_;
    }
    return static_cast<std::size_t>(
        std::upper_bound(starts_.begin(), starts_.end(), static_cast<std::uint32_t>(i)) -
        starts_.begin() - 1);
}

std::vector<std::uint32_t> FaceList::counts() const {
    std::vector<std::uint32_t> result(count_, uniform_);
    if (!starts_.empty()) {
        for (std::size_t f = 0; f < count_; ++f) {
            result[f] = starts_[f + 1] - starts_[f];
        }
    }
    return result;
}

void FaceList::push_back(Face face) {
    const auto n = static_cast<std::uint32_t>(face.size());
    if (count_ == 0 && starts_.empty()) {
        uniform_ = n;
    } else if (starts_.empty() && n != uniform_) {
        storeStarts();
    }
    TESSEL_CHECK(corners_.size() + n <= UINT32_MAX, "FaceList::push_back",
                 "more than " << UINT32_MAX << " corners");
    corners_.insert(corners_.end(), face.begin(), face.end());
    if (!starts_.empty()) {
        starts_.push_back(static_cast<std::uint32_t>(corners_.size()));
    }
    ++count_;
}

void FaceList::storeStarts() {
    // From now on the starts are stored: the faces differ in size.
    starts_.resize(count_ + 1);
    for (std::size_t f = 0; f <= count_; ++f) {
        starts_[f] = static_cast<std::uint32_t>(f * uniform_);
    }
    uniform_ = 0;
}

void FaceList::append(const FaceList& from, std::size_t first, std::size_t last) {
    if (first >= last) {
        return;
    }
    const std::size_t begin = from.start(first);
    const std::size_t end = from.start(last);
    const std::size_t base = corners_.size();
    TESSEL_CHECK(base + end - begin <= UINT32_MAX, "FaceList::append",
                 "more than " << UINT32_MAX << " corners");
    corners_.insert(corners_.end(), from.corners_.begin() + static_cast<std::ptrdiff_t>(begin),
                    from.corners_.begin() + static_cast<std::ptrdiff_t>(end));
    const std::uint32_t size = from.uniformCount();
    if (starts_.empty() && size != 0 && (count_ == 0 || size == uniform_)) {
        uniform_ = size;
        count_ += last - first;
        return;
    }
    if (starts_.empty()) {
        storeStarts();
    }
    for (std::size_t f = first; f < last; ++f) {
        starts_.push_back(static_cast<std::uint32_t>(base + from.start(f + 1) - begin));
    }
    count_ += last - first;
}

void FaceList::replace(std::size_t f, Face face) {
    TESSEL_CHECK(f < count_, "FaceList::replace",
                 "face id " << f << " out of range for " << count_);
    const std::span<std::uint32_t> old = cornersOf(f);
    if (old.size() == face.size()) {
        std::copy(face.begin(), face.end(), old.begin());
        return;
    }
    const std::uint32_t id = static_cast<std::uint32_t>(f);
    replace({&id, 1}, {std::vector<std::uint32_t>(face.begin(), face.end())});
}

void FaceList::replace(std::span<const std::uint32_t> changed,
                       const std::vector<std::vector<std::uint32_t>>& replacements) {
    TESSEL_CHECK(changed.size() == replacements.size(), "FaceList::replace",
                 changed.size() << " faces for " << replacements.size() << " replacements");
    if (changed.empty()) {
        return;
    }
    std::size_t added = 0;
    bool shrinks = true;
    bool keepsSize = starts_.empty();
    for (std::size_t i = 0; i < changed.size(); ++i) {
        TESSEL_CHECK(changed[i] < count_ && (i == 0 || changed[i] > changed[i - 1]),
                     "FaceList::replace",
                     "face id " << changed[i] << " out of order or range for " << count_);
        const std::size_t size = replacements[i].size();
        added += size;
        shrinks = shrinks && size <= cornerCount(changed[i]);
        keepsSize = keepsSize && (size == 0 || size == uniform_);
    }
    if (shrinks) {
        shrink(changed, replacements, keepsSize);
        return;
    }
    FaceList rebuilt;
    rebuilt.corners_.reserve(corners_.size() + added);
    std::size_t next = 0;
    for (std::size_t i = 0; i < changed.size(); ++i) {
        const std::size_t f = changed[i];
        rebuilt.append(*this, next, f);
        if (!replacements[i].empty()) {
            rebuilt.push_back(replacements[i]);
        }
        next = f + 1;
    }
    rebuilt.append(*this, next, count_);
    rebuilt.settle();
    *this = std::move(rebuilt);
}

void FaceList::shrink(std::span<const std::uint32_t> changed,
                      const std::vector<std::vector<std::uint32_t>>& replacements, bool keepsSize) {
    // In place, front to back: every write lands at or before what is still to be read. A list
    // of one face size that gets another stores its starts now, the ones past the first changed
    // face as they are written.
    const std::uint32_t size = uniform_;
    const bool wasUniform = starts_.empty();
    const auto oldStart = [&](std::size_t g) {
        return wasUniform ? g * size : std::size_t{starts_[g]};
    };
    // With a face of another size kept beside one left as it was, the sizes surely differ.
    bool surelyMixed = false;
    if (!keepsSize && wasUniform) {
        starts_.resize(count_ + 1);
        for (std::size_t f = 0; f <= changed[0]; ++f) {
            starts_[f] = static_cast<std::uint32_t>(f * size);
        }
        uniform_ = 0;
        for (const auto& corners : replacements) {
            surelyMixed = surelyMixed || (!corners.empty() && corners.size() != size);
        }
        surelyMixed = surelyMixed && changed.size() < count_;
    }
    std::size_t write = oldStart(changed[0]);
    std::size_t kept = changed[0];
    for (std::size_t i = 0; i < changed.size(); ++i) {
        const std::size_t f = changed[i];
        const std::size_t next = i + 1 < changed.size() ? changed[i + 1] : count_;
        const std::size_t runFrom = oldStart(f + 1);
        const std::size_t runTo = oldStart(next);
        const std::vector<std::uint32_t>& corners = replacements[i];
        if (!corners.empty()) {
            std::copy(corners.begin(), corners.end(),
                      corners_.begin() + static_cast<std::ptrdiff_t>(write));
            write += corners.size();
            if (!starts_.empty()) {
                starts_[kept + 1] = static_cast<std::uint32_t>(write);
            }
            ++kept;
        }
        // The unchanged faces up to the next changed one move down together.
        if (!starts_.empty()) {
            const std::size_t shift = runFrom - write;
            for (std::size_t g = f + 1; g < next; ++g) {
                starts_[kept + (g - f)] = static_cast<std::uint32_t>(oldStart(g + 1) - shift);
            }
        }
        if (write != runFrom) {
            std::copy(corners_.begin() + static_cast<std::ptrdiff_t>(runFrom),
                      corners_.begin() + static_cast<std::ptrdiff_t>(runTo),
                      corners_.begin() + static_cast<std::ptrdiff_t>(write));
        }
        write += runTo - runFrom;
        kept += next - f - 1;
    }
    corners_.resize(write);
    count_ = kept;
    if (!starts_.empty()) {
        starts_.resize(kept + 1);
    }
    if (!surelyMixed) {
        settle();
    }
}

void FaceList::compact(const std::vector<std::uint8_t>& keep) {
    // Runs of kept faces move down together.
    std::size_t kept = 0;
    std::size_t write = 0;
    std::size_t f = 0;
    while (f < count_) {
        if (!keep[f]) {
            ++f;
            continue;
        }
        std::size_t last = f + 1;
        while (last < count_ && keep[last]) {
            ++last;
        }
        const std::size_t from = start(f);
        const std::size_t to = start(last);
        if (!starts_.empty()) {
            // Entries up to kept + (last − f) are rewritten; those read later lie beyond them.
            const std::size_t shift = from - write;
            for (std::size_t g = f; g < last; ++g) {
                starts_[kept + (g - f) + 1] = static_cast<std::uint32_t>(starts_[g + 1] - shift);
            }
        }
        if (write != from) {
            std::copy(corners_.begin() + static_cast<std::ptrdiff_t>(from),
                      corners_.begin() + static_cast<std::ptrdiff_t>(to),
                      corners_.begin() + static_cast<std::ptrdiff_t>(write));
        }
        write += to - from;
        kept += last - f;
        f = last;
    }
    corners_.resize(write);
    count_ = kept;
    if (!starts_.empty()) {
        starts_.resize(kept + 1);
    }
    settle();
}

void FaceList::truncate(std::size_t faces) {
    if (faces >= count_) {
        return;
    }
    corners_.resize(start(faces));
    if (!starts_.empty()) {
        starts_.resize(faces + 1);
    }
    count_ = faces;
    settle();
}

void FaceList::reserve(std::size_t faces, std::size_t corners) {
    corners_.reserve(corners);
    if (!starts_.empty()) {
        starts_.reserve(faces + 1);
    }
}

void FaceList::clear() {
    corners_.clear();
    starts_.clear();
    uniform_ = 0;
    count_ = 0;
}

void FaceList::settle() {
    if (count_ == 0) {
        starts_.clear();
        uniform_ = 0;
        return;
    }
    if (starts_.empty()) {
        return;
    }
    const std::uint32_t first = starts_[1] - starts_[0];
    for (std::size_t f = 1; f < count_; ++f) {
        if (starts_[f + 1] - starts_[f] != first) {
            return;
        }
    }
    starts_ = {};
    uniform_ = first;
}

std::size_t FaceList::bytes() const {
    return sizeof(*this) + (corners_.capacity() + starts_.capacity()) * sizeof(std::uint32_t);
}

std::ostream& operator<<(std::ostream& out, const FaceList& faces) {
    const char* separator = "";
    for (const FaceList::Face face : faces) {
        out << separator << '{';
        for (std::size_t k = 0; k < face.size(); ++k) {
            out << (k ? " " : "") << face[k];
        }
        out << '}';
        separator = " ";
    }
    return out;
}

} // namespace tessel
