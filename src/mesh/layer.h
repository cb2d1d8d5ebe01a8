#pragma once

#include "geometry/vector.h"
#include "mesh/face_list.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace tessel {

// How sharp the edge between two points is kept by a subdivision surface: from 0 (smooth, never
// stored) to 1 (a sharp edge). Named by the points' ids, the smaller first.
struct Crease {
    std::uint32_t a = 0;
    std::uint32_t b = 0;
    float weight = 0;
    friend bool operator==(const Crease&, const Crease&) = default;
};

// A ray from `first` through `second` and beyond.
using Line = std::pair<Vector3, Vector3>;

// One mesh as flat data: the positions of its points and the faces over them.
//
// A point's id is its index in `positions`, a face's id its index in `faces`. "The same
// vertex" means "the same id": two points at one position are different vertices. Edits keep
// ids stable in the way a modeller's user sees them: removals keep the survivors' order (later
// ids shift down), additions are appended, and an edit that replaces a face in place keeps its id.
//
// Invariants (faultOf checks them): every face has at least three corners, every corner is an id
// below positions.size(), and no face repeats a corner. Every edit keeps them; ids passed to an
// edit are the caller's obligation (a bad one is a programming error that stops the program, never
// undefined behaviour).
struct Layer {
    Layer() = default;
    // Every part but the points may be left out.
    Layer(std::vector<Vector3> positions, FaceList faces = {},
          std::optional<std::string> fragmentShader = std::nullopt,
          std::vector<Crease> creases = {})
        : positions(std::move(positions)), faces(std::move(faces)),
          fragmentShader(std::move(fragmentShader)), creases(std::move(creases)) {}

    std::vector<Vector3> positions;
    FaceList faces;
    // The fragment stage the renderer draws the faces with, when not the default.
    std::optional<std::string> fragmentShader;
    // The creased edges, ascending by their points, each once (crease.h keeps them so). A pair
    // that is no edge of the faces (any more) weighs nothing.
    std::vector<Crease> creases;
};

using LayerPtr = std::shared_ptr<Layer>;

inline LayerPtr makeLayer(std::vector<Vector3> positions = {}, FaceList faces = {}) {
    return std::make_shared<Layer>(Layer{std::move(positions), std::move(faces), std::nullopt, {}});
}
inline LayerPtr makeLayer(std::vector<Vector3> positions, const std::vector<Triangle>& triangles) {
    return makeLayer(std::move(positions), FaceList(triangles));
}

// Marks an id that a remap table sends nowhere.
inline constexpr std::uint32_t kRemoved = UINT32_MAX;

// Every point used by at least one of the given faces, each once, in the order first met going
// through the faces' corners. Face ids must be valid.
std::vector<std::uint32_t> pointsOfFaces(const Layer& layer, std::span<const std::uint32_t> faces);

// One flag per point of the layer, 1 for the points `points` names (ids out of range are
// skipped), and how many it names.
struct PointFlags {
    std::vector<std::uint8_t> flags;
    size_t count = 0;
};
PointFlags flagPoints(const Layer& layer, std::span<const std::int64_t> points);

// Mean of the points' positions: components summed in list order, divided by the count
// (not-a-number for an empty list). Ids must be valid.
Vector3 centroid(const Layer& layer, std::span<const std::uint32_t> points);

// What breaks the layer's invariants, first met ("face 4 repeats point 7"), or empty. One pass
// over the corners.
std::string faultOf(const Layer& layer);

// Stops the program when a face id is out of range; `operation` names the caller.
void checkFace(const Layer& layer, size_t face, const char* operation);

} // namespace tessel
