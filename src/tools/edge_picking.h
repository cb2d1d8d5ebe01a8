#pragma once

#include "geometry/matrix.h"
#include "geometry/plane.h"
#include "mesh/edge.h"
#include "mesh/edge_topology.h"
#include "mesh/layer.h"
#include "scene/viewport.h"

#include <array>
#include <optional>
#include <vector>

namespace tessel {

// The edge whose segment on the screen passes nearest `pointer` (device coordinates), if that is
// within `maxDistance`. The layer's positions go through `viewProjection` as they are (a mesh's
// own matrix is the caller's to fold in). Distances are measured on the screen in device y units:
// a difference in device x counts `aspectRatio` (width over height) times. Only what lies beyond
// the near plane (projected depth ≥ 0) counts: an edge crossing it is cut there, one wholly
// before it is ignored. Faces do not hide edges. Of equally near edges the one nearer the viewer
// at the nearest point wins, then the lower edge.
std::optional<Edge> nearestEdge(const Layer& layer, const Matrix& viewProjection, float aspectRatio,
                                Vec2 pointer, float maxDistance);

// The edges whose two points are inside the four sides (as pointsInside decides), ascending.
// `topology` must be the layer's.
std::vector<Edge> edgesInside(const std::array<Plane, 4>& sides, const Layer& layer,
                              const EdgeTopology& topology);

} // namespace tessel
