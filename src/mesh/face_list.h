#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <iosfwd>
#include <iterator>
#include <memory>
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
// A copy shares the corners (and starts) with the list it was copied from until one of the two
// changes: the first change copies them (copy on write). A preview that only moves points thus
// costs nothing for its faces. A writable span (cornersOf, allCorners) is valid until the list is
// copied or changed otherwise.
//
// Nothing here knows the points: that corners name points, at least three per face and none
// repeated within a face, is the layer's invariant (see faultOf).
class FaceList {
public:
    using Face = std::span<const std::uint32_t>;

    FaceList() : data_(emptyStorage()) {}
    FaceList(const FaceList&) = default;
    FaceList& operator=(const FaceList&) = default;
    // The moved-from list is empty.
    FaceList(FaceList&& other) noexcept;
    FaceList& operator=(FaceList&& other) noexcept;
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
        const Storage& d = *data_;
        if (d.starts.empty()) {
            return {d.corners.data() + f * uniform_, uniform_};
        }
        return {d.corners.data() + d.starts[f], d.starts[f + 1] - d.starts[f]};
    }
    // The same, writable: a face's corners may change, their number not.
    std::span<std::uint32_t> cornersOf(std::size_t f) {
        Storage& d = writable();
        if (d.starts.empty()) {
            return {d.corners.data() + f * uniform_, uniform_};
        }
        return {d.corners.data() + d.starts[f], d.starts[f + 1] - d.starts[f]};
    }
    std::size_t cornerCount(std::size_t f) const { return (*this)[f].size(); }
    // Where face f's corners start in corners(); f may be size() (then: the corners' number).
    std::size_t start(std::size_t f) const {
        return data_->starts.empty() ? f * uniform_ : data_->starts[f];
    }

    // The face that holds corner i of corners().
    std::size_t faceOfCorner(std::size_t i) const;

    // Every corner of every face, face by face.
    const std::vector<std::uint32_t>& corners() const { return data_->corners; }
    // The same, writable in place (renumbering points).
    std::span<std::uint32_t> allCorners() { return writable().corners; }
    // The number of corners every face has, or 0 when they differ (or there are none).
    std::uint32_t uniformCount() const { return data_->starts.empty() ? uniform_ : 0; }
    // Every face is a triangle (true of an empty list).
    bool allTriangles() const { return count_ == 0 || uniformCount() == 3; }
    // How many triangles draw the faces: each face of n corners takes n − 2.
    std::size_t triangleCount() const { return data_->corners.size() - 2 * count_; }
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

    // Bytes held, counting capacity (corners shared with copies count in each).
    std::size_t bytes() const;
    // The storage the corners live in: the same for copies that share it, new when they grow or
    // a shared list changes.
    const void* storage() const { return data_->corners.data(); }

    friend bool operator==(const FaceList& a, const FaceList& b) {
        return a.count_ == b.count_ && a.uniform_ == b.uniform_ &&
               (a.data_ == b.data_ ||
                (a.data_->corners == b.data_->corners && a.data_->starts == b.data_->starts));
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
    struct Storage {
        std::vector<std::uint32_t> corners;
        // Empty while every face has uniform_ corners; else one entry per face and one past the
        // end.
        std::vector<std::uint32_t> starts;
    };
    // The storage of every empty list that has not grown yet.
    static const std::shared_ptr<Storage>& emptyStorage();
    // The storage, made this list's own first when it is shared.
    Storage& writable() {
        if (data_.use_count() > 1) {
            data_ = std::make_shared<Storage>(*data_);
        }
        return *data_;
    }

    // replace() when no face grows.
    void shrink(std::span<const std::uint32_t> changed,
                const std::vector<std::vector<std::uint32_t>>& replacements, bool keepsSize);
    // Appends faces [first, last) of another list.
    void append(const FaceList& from, std::size_t first, std::size_t last);
    // Stores the starts of the faces so far (before a face of another size is added).
    void storeStarts();
    // Stores the starts when the faces differ in number of corners, drops them when they do not.
    void settle();

    // Shared with copies until one of them changes; never null.
    std::shared_ptr<Storage> data_;
    // The common corner count while the starts are empty and there are faces; 0 otherwise.
    std::uint32_t uniform_ = 0;
    std::size_t count_ = 0;
};

// "{0 1 2} {2 3 4 5}": for test failures and check messages.
std::ostream& operator<<(std::ostream& out, const FaceList& faces);

} // namespace tessel
