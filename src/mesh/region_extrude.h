#pragma once

#include "mesh/layer.h"

#include <cstdint>
#include <span>
#include <vector>

namespace tessel {

// What extrudeRegion did: the points that form the cap, for the caller to move, and the
// direction to move them in.
struct ExtrudedRegion {
    // The cap's points in the order the faces first use them: a new copy of each point on the
    // region's border (or used by a face outside the region), and the region's other points
    // under their own ids, since only the cap uses them.
    std::vector<std::uint32_t> points;
    // The unit mean of the faces' normals weighted by their areas; zero when the faces have no
    // such direction (no area, or they enclose a volume and their areas cancel out).
    Vector3 normal;
};

// Pulls the listed faces out as one region (stale ids and repeats are skipped), leaving the cap
// where it is for the caller to move (offsetPoints). The faces keep their ids and become the cap:
// their corners on the region's border are replaced by new points at the same positions,
// appended in the order the faces first use them. Each border side (a side whose edge is not
// shared, in opposite directions, with exactly one other listed face and no other face) gets a
// four-cornered wall (a, b, b', a'), appended face by face in corner order, wound as the cap.
// Neighbouring listed faces go on sharing their edge. One face of n corners gives exactly
// extrude()'s n-cornered layout: n new points in corner order and one wall per edge. A region
// without border (a whole closed mesh) gains nothing: all its points are the cap's.
ExtrudedRegion extrudeRegion(Layer& layer, std::span<const std::uint32_t> faces);

// Moves the listed points (ids out of range skipped, repeats moved once) by `offset`; when any
// would leave the finite range, none moves and false is returned.
bool offsetPoints(Layer& layer, std::span<const std::uint32_t> points, const Vector3& offset);

} // namespace tessel
