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
    if (std::all_of(counts.begin(), counts.end(), [&](std::uint32_t n) { return n == counts[0]; })) {
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
        // The first face of another size: from now on the starts are stored.
        starts_.resize(count_ + 1);
        for (std::size_t f = 0; f <= count_; ++f) {
            starts_[f] = static_cast<std::uint32_t>(f * uniform_);
        }
        uniform_ = 0;
    }
    TESSEL_CHECK(corners_.size() + n <= UINT32_MAX, "FaceList::push_back",
                 "more than " << UINT32_MAX << " corners");
    corners_.insert(corners_.end(), face.begin(), face.end());
    if (!starts_.empty()) {
        starts_.push_back(static_cast<std::uint32_t>(corners_.size()));
    }
    ++count_;
}

void FaceList::replace(std::size_t f, Face face) {
    TESSEL_CHECK(f < count_, "FaceList::replace", "face id " << f << " out of range for " << count_);
    const std::span<std::uint32_t> old = cornersOf(f);
    if (old.size() == face.size()) {
        std::copy(face.begin(), face.end(), old.begin());
        return;
    }
    // Rebuilt around the face: the faces after it move.
    FaceList rebuilt;
    rebuilt.reserve(count_, corners_.size() - old.size() + face.size());
    for (std::size_t g = 0; g < count_; ++g) {
        rebuilt.push_back(g == f ? face : (*this)[g]);
    }
    rebuilt.settle();
    *this = std::move(rebuilt);
}

void FaceList::compact(const std::vector<std::uint8_t>& keep) {
    std::size_t kept = 0;
    std::size_t write = 0;
    for (std::size_t f = 0; f < count_; ++f) {
        if (!keep[f]) {
            continue;
        }
        const std::size_t from = start(f);
        const std::size_t to = start(f + 1);
        if (write != from) {
            std::copy(corners_.begin() + static_cast<std::ptrdiff_t>(from),
                      corners_.begin() + static_cast<std::ptrdiff_t>(to),
                      corners_.begin() + static_cast<std::ptrdiff_t>(write));
        }
        write += to - from;
        if (!starts_.empty()) {
            // Entry kept + 1 is read no more: starts_[f + 1] was read above and kept ≤ f.
            starts_[kept + 1] = static_cast<std::uint32_t>(write);
        }
        ++kept;
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
