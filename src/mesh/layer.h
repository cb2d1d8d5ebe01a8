#pragma once

#include "geometry/vector.h"

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace tessel {

// A face: three point ids. Seen from the front the corners run counter-clockwise, so
// (B − A) × (C − A) points to the front.
using Triangle = std::array<std::uint32_t, 3>;

// A ray from `first` through `second` and beyond.
using Line = std::pair<Vector3, Vector3>;

// One mesh as flat data: the positions of its points and the triangles over them.
//
// A point's id is its index in `positions`, a face's id its index in `triangles`. "The same
// vertex" means "the same id": two points at one position are different vertices. Edits keep
// ids stable in the way a modeller's user sees them: removals keep the survivors' order (later
// ids shift down), additions are appended, and an edit that replaces a face in place keeps its id.
//
// Invariants: every corner of every triangle is an id below positions.size(), and no triangle
// repeats a corner. Every edit keeps them; ids passed to an edit are the caller's obligation (a bad
// one is a programming error that stops the program, never undefined behaviour).
struct Layer {
    std::vector<Vector3> positions;
    std::vector<Triangle> triangles;
    // The fragment stage the renderer draws the faces with, when not the default.
    std::optional<std::string> fragmentShader;
};

using LayerPtr = std::shared_ptr<Layer>;

inline LayerPtr makeLayer(std::vector<Vector3> positions = {},
                          std::vector<Triangle> triangles = {}) {
    return std::make_shared<Layer>(Layer{std::move(positions), std::move(triangles), std::nullopt});
}

// Marks an id that a remap table sends nowhere.
inline constexpr std::uint32_t kRemoved = UINT32_MAX;

// Every point used by at least one of the given faces, each once, in the order first met going
// through the faces' corners. Face ids must be valid.
std::vector<std::uint32_t> pointsOfFaces(const Layer& layer, std::span<const std::uint32_t> faces);

// Mean of the points' positions: components summed in list order, divided by the count
// (not-a-number for an empty list). Ids must be valid.
Vector3 centroid(const Layer& layer, std::span<const std::uint32_t> points);

// Stops the program when a face id is out of range; `operation` names the caller.
void checkFace(const Layer& layer, size_t face, const char* operation);

} // namespace tessel
