#include "mesh/face_list.h"

#include "base/check.h"

#include <algorithm>
#include <numeric>
#include <ostream>
#include <utility>

namespace tessel {

const std::shared_ptr<FaceList::Storage>& FaceList::emptyStorage() {
    // Never written: a list holding it shares it, so its first change takes a storage of its own.
    static const std::shared_ptr<Storage> empty = std::make_shared<Storage>();
    return empty;
}

FaceList::FaceList(FaceList&& other) noexcept
    : data_(std::exchange(other.data_, emptyStorage())), uniform_(std::exchange(other.uniform_, 0)),
      count_(std::exchange(other.count_, 0)) {}

FaceList& FaceList::operator=(FaceList&& other) noexcept {
    if (this != &other) {
        data_ = std::exchange(other.data_, emptyStorage());
        uniform_ = std::exchange(other.uniform_, 0);
        count_ = std::exchange(other.count_, 0);
    }
    return *this;
}

FaceList::FaceList(const std::vector<Triangle>& triangles)
    : data_(std::make_shared<Storage>()), uniform_(triangles.empty() ? 0 : 3),
      count_(triangles.size()) {
    static_assert(sizeof(Triangle) == 3 * sizeof(std::uint32_t), "triangles are packed ids");
    std::vector<std::uint32_t>& corners = data_->corners;
    corners.resize(3 * triangles.size());
    if (!triangles.empty()) {
        std::copy_n(triangles.front().data(), corners.size(), corners.data());
    }
}

FaceList::FaceList(std::vector<std::uint32_t> corners, std::span<const std::uint32_t> counts)
    : data_(std::make_shared<Storage>(Storage{std::move(corners), {}})), count_(counts.size()) {
    const std::uint64_t total = std::accumulate(counts.begin(), counts.end(), std::uint64_t{0});
    TESSEL_CHECK(total == data_->corners.size(), "FaceList",
                 "corner counts adding up to " << total << " for " << data_->corners.size()
                                               << " corners");
    if (counts.empty()) {
        return;
    }
    if (std::all_of(counts.begin(), counts.end(),
                    [&](std::uint32_t n) { return n == counts[0]; })) {
        uniform_ = counts[0];
        return;
    }
    std::vector<std::uint32_t>& starts = data_->starts;
    starts.resize(counts.size() + 1);
    starts[0] = 0;
    for (std::size_t f = 0; f < counts.size(); ++f) {
        starts[f + 1] = starts[f] + counts[f];
    }
}

FaceList::FaceList(std::vector<std::uint32_t> corners, std::uint32_t cornersPerFace)
    : data_(std::make_shared<Storage>(Storage{std::move(corners), {}})) {
    const std::size_t size = data_->corners.size();
    TESSEL_CHECK(cornersPerFace > 0 && size % cornersPerFace == 0, "FaceList",
                 size << " corners in faces of " << cornersPerFace);
    count_ = size / cornersPerFace;
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
    const std::vector<std::uint32_t>& starts = data_->starts;
    if (starts.empty()) {
        return i / uniform_;
    }
    return static_cast<std::size_t>(
        std::upper_bound(starts.begin(), starts.end(), static_cast<std::uint32_t>(i)) -
        starts.begin() - 1);
}

std::vector<std::uint32_t> FaceList::counts() const {
    const std::vector<std::uint32_t>& starts = data_->starts;
    std::vector<std::uint32_t> result(count_, uniform_);
    if (!starts.empty()) {
        for (std::size_t f = 0; f < count_; ++f) {
            result[f] = starts[f + 1] - starts[f];
        }
    }
    return result;
}

void FaceList::push_back(Face face) {
    Storage& d = writable();
    const auto n = static_cast<std::uint32_t>(face.size());
    if (count_ == 0 && d.starts.empty()) {
        uniform_ = n;
    } else if (d.starts.empty() && n != uniform_) {
        storeStarts();
    }
    TESSEL_CHECK(d.corners.size() + n <= UINT32_MAX, "FaceList::push_back",
                 "more than " << UINT32_MAX << " corners");
    d.corners.insert(d.corners.end(), face.begin(), face.end());
    if (!d.starts.empty()) {
        d.starts.push_back(static_cast<std::uint32_t>(d.corners.size()));
    }
    ++count_;
}

void FaceList::storeStarts() {
    // From now on the starts are stored: the faces differ in size.
    std::vector<std::uint32_t>& starts = writable().starts;
    starts.resize(count_ + 1);
    for (std::size_t f = 0; f <= count_; ++f) {
        starts[f] = static_cast<std::uint32_t>(f * uniform_);
    }
    uniform_ = 0;
}

void FaceList::append(const FaceList& from, std::size_t first, std::size_t last) {
    if (first >= last) {
        return;
    }
    Storage& d = writable();
    const std::size_t begin = from.start(first);
    const std::size_t end = from.start(last);
    const std::size_t base = d.corners.size();
    TESSEL_CHECK(base + end - begin <= UINT32_MAX, "FaceList::append",
                 "more than " << UINT32_MAX << " corners");
    const std::vector<std::uint32_t>& source = from.data_->corners;
    d.corners.insert(d.corners.end(), source.begin() + static_cast<std::ptrdiff_t>(begin),
                     source.begin() + static_cast<std::ptrdiff_t>(end));
    const std::uint32_t size = from.uniformCount();
    if (d.starts.empty() && size != 0 && (count_ == 0 || size == uniform_)) {
        uniform_ = size;
        count_ += last - first;
        return;
    }
    if (d.starts.empty()) {
        storeStarts();
    }
    for (std::size_t f = first; f < last; ++f) {
        d.starts.push_back(static_cast<std::uint32_t>(base + from.start(f + 1) - begin));
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
    bool keepsSize = data_->starts.empty();
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
    rebuilt.reserve(0, data_->corners.size() + added);
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
    Storage& d = writable();
    // In place, front to back: every write lands at or before what is still to be read. A list
    // of one face size that gets another stores its starts now, the ones past the first changed
    // face as they are written.
    const std::uint32_t size = uniform_;
    const bool wasUniform = d.starts.empty();
    const auto oldStart = [&](std::size_t g) {
        return wasUniform ? g * size : std::size_t{d.starts[g]};
    };
    // With a face of another size kept beside one left as it was, the sizes surely differ.
    bool surelyMixed = false;
    if (!keepsSize && wasUniform) {
        d.starts.resize(count_ + 1);
        for (std::size_t f = 0; f <= changed[0]; ++f) {
            d.starts[f] = static_cast<std::uint32_t>(f * size);
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
                      d.corners.begin() + static_cast<std::ptrdiff_t>(write));
            write += corners.size();
            if (!d.starts.empty()) {
                d.starts[kept + 1] = static_cast<std::uint32_t>(write);
            }
            ++kept;
        }
        // The unchanged faces up to the next changed one move down together.
        if (!d.starts.empty()) {
            const std::size_t shift = runFrom - write;
            for (std::size_t g = f + 1; g < next; ++g) {
                d.starts[kept + (g - f)] = static_cast<std::uint32_t>(oldStart(g + 1) - shift);
            }
        }
        if (write != runFrom) {
            std::copy(d.corners.begin() + static_cast<std::ptrdiff_t>(runFrom),
                      d.corners.begin() + static_cast<std::ptrdiff_t>(runTo),
                      d.corners.begin() + static_cast<std::ptrdiff_t>(write));
        }
        write += runTo - runFrom;
        kept += next - f - 1;
    }
    d.corners.resize(write);
    count_ = kept;
    if (!d.starts.empty()) {
        d.starts.resize(kept + 1);
    }
    if (!surelyMixed) {
        settle();
    }
}

void FaceList::compact(const std::vector<std::uint8_t>& keep) {
    Storage& d = writable();
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
        if (!d.starts.empty()) {
            // Entries up to kept + (last − f) are rewritten; those read later lie beyond them.
            const std::size_t shift = from - write;
            for (std::size_t g = f; g < last; ++g) {
                d.starts[kept + (g - f) + 1] = static_cast<std::uint32_t>(d.starts[g + 1] - shift);
            }
        }
        if (write != from) {
            std::copy(d.corners.begin() + static_cast<std::ptrdiff_t>(from),
                      d.corners.begin() + static_cast<std::ptrdiff_t>(to),
                      d.corners.begin() + static_cast<std::ptrdiff_t>(write));
        }
        write += to - from;
        kept += last - f;
        f = last;
    }
    d.corners.resize(write);
    count_ = kept;
    if (!d.starts.empty()) {
        d.starts.resize(kept + 1);
    }
    settle();
}

void FaceList::truncate(std::size_t faces) {
    if (faces >= count_) {
        return;
    }
    Storage& d = writable();
    d.corners.resize(start(faces));
    if (!d.starts.empty()) {
        d.starts.resize(faces + 1);
    }
    count_ = faces;
    settle();
}

void FaceList::reserve(std::size_t faces, std::size_t corners) {
    if (data_.use_count() > 1) {
        if (corners <= data_->corners.size() && faces <= count_) {
            // Nothing to make room for: the shared storage stays shared.
            return;
        }
        // Copied once, into the room asked for.
        auto own = std::make_shared<Storage>();
        own->corners.reserve(std::max(corners, data_->corners.size()));
        own->corners.assign(data_->corners.begin(), data_->corners.end());
        own->starts = data_->starts;
        data_ = std::move(own);
    }
    data_->corners.reserve(corners);
    if (!data_->starts.empty()) {
        data_->starts.reserve(faces + 1);
    }
}

void FaceList::clear() {
    if (data_.use_count() > 1) {
        data_ = emptyStorage();
    } else {
        data_->corners.clear();
        data_->starts.clear();
    }
    uniform_ = 0;
    count_ = 0;
}

void FaceList::settle() {
    Storage& d = writable();
    if (count_ == 0) {
        d.starts.clear();
        uniform_ = 0;
        return;
    }
    if (d.starts.empty()) {
        return;
    }
    const std::uint32_t first = d.starts[1] - d.starts[0];
    for (std::size_t f = 1; f < count_; ++f) {
        if (d.starts[f + 1] - d.starts[f] != first) {
            return;
        }
    }
    d.starts = {};
    uniform_ = first;
}

std::size_t FaceList::bytes() const {
    return sizeof(*this) +
           (data_->corners.capacity() + data_->starts.capacity()) * sizeof(std::uint32_t);
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
