#pragma once

#include "editor/frame_data.h"
#include "editor/render_index_data.h"
#include "geometry/matrix.h"
#include "scene/navigation.h"

#include <cstdint>
#include <span>
#include <vector>

namespace tessel {

// Boxes around runs of a draw list, so that a viewport that sees a part of a large layer draws
// only the runs it may see. Meshes keep nearby elements near each other in their lists (rows of a
// grid, a file's own order), so runs make tight boxes.
struct ListBounds {
    // Entries of the list per run (the last run may be shorter).
    size_t entriesPerRun = 0;
    // One box per run; a run whose points are not numbers has none and is always drawn.
    std::vector<std::optional<Box>> boxes;
};

// The boxes of runs of `entriesPerRun` entries of `list` (point ids into `positions`); with an
// empty list, of runs of the point ids themselves (0, 1, 2, …). Ids past the positions are
// skipped.
ListBounds boundsOfRuns(std::span<const Vector3> positions, std::span<const std::uint32_t> list,
                        size_t entriesPerRun);

// Where a box lies for a model-view-projection: wholly inside the view, wholly outside, or across
// its edge (also when it reaches behind the camera).
enum class Visibility { Inside, Outside, Partly };
Visibility visibility(const Box& box, const Matrix& mvp);

// The parts of `ranges` (sorted, apart) inside runs that `mvp` may see.
IndexRanges visibleParts(const IndexRanges& ranges, const ListBounds& bounds, const Matrix& mvp);

// The order to draw a frame's items in: as listed, unless every item is opaque (the rectangle
// selection's volume aside, which stays last); then the nearest first, so that a large mesh
// wholly behind the others can be found hidden before it is drawn. Opaque meshes look the same
// in any order.
std::vector<size_t> drawOrder(const std::vector<DrawItem>& items);
// Whether testing the item's box against what is drawn before it may save drawing it: an opaque
// mesh of many triangles whose box lies wholly in front of the camera (a box around the camera
// could show nothing of itself while the mesh shows).
bool worthHiddenTest(const DrawItem& item);

} // namespace tessel
