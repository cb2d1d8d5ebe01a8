#pragma once

#include "mesh/layer.h"

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tessel {

// The difference between two versions of a layer, kept instead of copies of both: what undo and
// redo hold for an edit. It is small when the edit was: moved points and faces replaced in
// place cost what they changed, appended points and faces what was appended, and a removal
// costs what was removed (as long as the survivors keep their values; a removal that renumbers
// the points afterwards costs the renumbered stretch).
class LayerChange {
public:
    LayerChange() = default;
    static LayerChange between(const Layer& before, const Layer& after);

    // The earlier version from the later one, and the later from the earlier. Each must be given
    // the layer the change leads to or from (equal in content, not necessarily the same object);
    // another layer is a programming error.
    LayerPtr undone(const Layer& after) const;
    LayerPtr redone(const Layer& before) const;

    // Both versions are equal.
    bool isEmpty() const {
        return positions_.hunks.empty() && corners_.hunks.empty() && counts_.hunks.empty() &&
               cornersPerFaceBefore_ == cornersPerFaceAfter_ && shaderBefore_ == shaderAfter_ &&
               !creases_;
    }
    // The memory the change holds, in bytes.
    std::size_t bytes() const;

private:
    // One array's difference: hunks in ascending order, none overlapping, each replacing
    // `before` at `at` (an index into the earlier array) by `after`.
    template <class T> struct ArrayChange {
        struct Hunk {
            std::size_t at = 0;
            std::vector<T> before;
            std::vector<T> after;
        };
        std::size_t beforeSize = 0;
        std::size_t afterSize = 0;
        std::vector<Hunk> hunks;
    };
    template <class T>
    static ArrayChange<T> arrayBetween(const std::vector<T>& before, const std::vector<T>& after);
    template <class T>
    static std::vector<T> replay(const ArrayChange<T>& change, const std::vector<T>& from,
                                 bool forward);
    template <class T> static std::size_t bytesOf(const ArrayChange<T>& change);
    // The corners' difference aligned face by face: runs of faces that differ at the same ids,
    // then the faces appended or cut off. A face replaced in place by one of another size (a quad
    // subdivided, a face cut) shifts every corner after it, which no alignment of the corners
    // alone follows.
    static ArrayChange<std::uint32_t> cornersByFace(const FaceList& before, const FaceList& after);

    ArrayChange<Vector3> positions_;
    // One version's faces from its corners, given the other version's faces.
    FaceList facesFrom(std::vector<std::uint32_t> corners, const FaceList& other,
                       bool forward) const;

    ArrayChange<std::uint32_t> corners_;
    // The faces' corner counts change as a list when either version has faces of different
    // sizes (counts, unlike starts, differ only where faces did). Otherwise every face of a
    // version has the same count, kept here (0 when it has no faces).
    bool countsKept_ = false;
    ArrayChange<std::uint32_t> counts_;
    std::uint32_t cornersPerFaceBefore_ = 0;
    std::uint32_t cornersPerFaceAfter_ = 0;
    std::optional<std::string> shaderBefore_;
    std::optional<std::string> shaderAfter_;
    // The creases of both versions, whole (few, and set apart from the other edits), when they
    // differ.
    struct Creases {
        std::vector<Crease> before;
        std::vector<Crease> after;
    };
    std::shared_ptr<const Creases> creases_;
};

} // namespace tessel
