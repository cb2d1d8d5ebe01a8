#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <iosfwd>
#include <iterator>
#include <span>
#include <vector>

namespace tessel {

// A triangle's three point ids: the faces the generators make, and what drawing cuts faces into.
using Triangle = std::array<std::uint32_t, 3>;

// The faces of a mesh as flat data: the corners (point ids) of every face one after another, face
// by face, and where each face's run starts. A face's id is its index. Seen from the front its
// corners run counter-clockwise.
//
// While every face has the same number of corners (a mesh of triangles, or of quads) the starts
// are implied and not stored: such a list costs its corners and nothing more. Whether the starts
// are stored depends only on the faces, never on how the list was built, so two lists are equal
// exactly when their faces are.
//
// Nothing here knows the points: that corners name points, at least three per face and none
// repeated within a face, is the layer's invariant (see faultOf).
class FaceList {
public:
    using Face = std::span<const std::uint32_t>;

    FaceList() = default;
    // Faces of three corners each, in order. Implicit: a list of triangles is a list of faces.
    FaceList(const std::vector<Triangle>& triangles); // NOLINT(google-explicit-constructor)
    // Faces of the given corner counts, taking the corners in order; the counts must add up to
    // the corners' number.
    FaceList(std::vector<std::uint32_t> corners, std::span<const std::uint32_t> counts);
    // Faces of `cornersPerFace` corners each (at least 1), taking the corners in order; their
    // number must be a multiple of it.
    FaceList(std::vector<std::uint32_t> corners, std::uint32_t cornersPerFace);
    // Literal faces, for tests and small fixed shapes: polygons({{0, 1, 2, 3}, {3, 2, 4}}).
    static FaceList polygons(std::initializer_list<std::initializer_list<std::uint32_t>> faces);

    std::size_t size() const { return count_; }
    bool empty() const { return count_ == 0; }

    // The corners of face f, which must be below size().
    Face operator[](std::size_t f) const {
        if (starts_.empty()) {
            return {corners_.data() + f * uniform_, uniform_};
        }
        return {corners_.data() + starts_[f], starts_[f + 1] - starts_[f]};
    }
    // The same, writable: a face's corners may change, their number not.
    std::span<std::uint32_t> cornersOf(std::size_t f) {
        if (starts_.empty()) {
            return {corners_.data() + f * uniform_, uniform_};
        }
        return {corners_.data() + starts_[f], starts_[f + 1] - starts_[f]};
    }
    std::size_t cornerCount(std::size_t f) const { return (*this)[f].size(); }
    // Where face f's corners start in corners(); f may be size() (then: the corners' number).
    std::size_t start(std::size_t f) const { return starts_.empty() ? f * uniform_ : starts_[f]; }

    // The face that holds corner i of corners().
    std::size_t faceOfCorner(std::size_t i) const;

    // Every corner of every face, face by face.
    const std::vector<std::uint32_t>& corners() const { return corners_; }
    // The same, writable in place (renumbering points).
    std::span<std::uint32_t> allCorners() { return corners_; }
    // The number of corners every face has, or 0 when they differ (or there are none).
    std::uint32_t uniformCount() const { return starts_.empty() ? uniform_ : 0; }
    // Every face is a triangle (true of an empty list).
    bool allTriangles() const { return count_ == 0 || uniformCount() == 3; }
    // How many triangles draw the faces: each face of n corners takes n − 2.
    std::size_t triangleCount() const { return corners_.size() - 2 * count_; }
    // The corner count of every face, in order.
    std::vector<std::uint32_t> counts() const;

    // Appends a face (any number of corners; checking them is the layer's matter).
    void push_back(Face face);
    void push_back(std::initializer_list<std::uint32_t> face) {
        push_back(Face(face.begin(), face.size()));
    }
    // Replaces face f's corners, which may change in number (then the faces after it move).
    void replace(std::size_t f, Face face);
    void replace(std::size_t f, std::initializer_list<std::uint32_t> face) {
        replace(f, Face(face.begin(), face.size()));
    }
    // Replaces several faces in one pass over the list: face changed[i] (ascending ids) gets the
    // corners replacements[i], and an empty replacement removes the face (those after it move
    // down).
    void replace(std::span<const std::uint32_t> changed,
                 const std::vector<std::vector<std::uint32_t>>& replacements);
    // Keeps the faces whose flag is set, in order.
    void compact(const std::vector<std::uint8_t>& keep);
    // Keeps the first `faces` faces.
    void truncate(std::size_t faces);
    void reserve(std::size_t faces, std::size_t corners);
    void clear();

    // Bytes held, counting capacity.
    std::size_t bytes() const;
    // The storage the corners live in (it moves when they grow).
    const void* storage() const { return corners_.data(); }

    friend bool operator==(const FaceList& a, const FaceList& b) {
        return a.count_ == b.count_ && a.uniform_ == b.uniform_ && a.corners_ == b.corners_ &&
               a.starts_ == b.starts_;
    }

    // Walks the faces in order, each as its span of corners.
    class Iterator {
    public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = Face;
        using difference_type = std::ptrdiff_t;
        Iterator() = default;
        Iterator(const FaceList* list, std::size_t f) : list_(list), f_(f) {}
        Face operator*() const { return (*list_)[f_]; }
        Iterator& operator++() {
            ++f_;
            return *this;
        }
        Iterator operator++(int) {
            Iterator before = *this;
            ++f_;
            return before;
        }
        bool operator==(const Iterator& other) const { return f_ == other.f_; }

    private:
        const FaceList* list_ = nullptr;
        std::size_t f_ = 0;
    };
    Iterator begin() const { return {this, 0}; }
    Iterator end() const { return {this, count_}; }

private:
    // replace() when no face grows.
    void shrink(std::span<const std::uint32_t> changed,
                const std::vector<std::vector<std::uint32_t>>& replacements, bool keepsSize);
    // Appends faces [first, last) of another list.
    void append(const FaceList& from, std::size_t first, std::size_t last);
    // Stores the starts of the faces so far (before a face of another size is added).
    void storeStarts();
    // Stores the starts when the faces differ in number of corners, drops them when they do not.
    void settle();

    std::vector<std::uint32_t> corners_;
    // Empty while every face has uniform_ corners; else one entry per face and one past the end.
    std::vector<std::uint32_t> starts_;
    // The common corner count while starts_ is empty and there are faces; 0 otherwise.
    std::uint32_t uniform_ = 0;
    std::size_t count_ = 0;
};

// "{0 1 2} {2 3 4 5}": for test failures and check messages.
std::ostream& operator<<(std::ostream& out, const FaceList& faces);

} // namespace tessel
