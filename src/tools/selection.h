#pragma once

#include "editor/viewport.h"
#include "geometry/plane.h"
#include "mesh/layer.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace tessel {

class Editor;

// Near and far device depths of the selection volumes' corners.
inline constexpr float selectionNearDepth = 5e-7f;
inline constexpr float selectionFarDepth = 0.9999995f;

// The planes of all polygons of a selection volume's first layer, in polygon order.
std::vector<Plane> volumePlanes(const Layer& volumeLayer);

// Ids of the layer's points inside the volume bounded by planes 4, 6 (d ≤ 0) and 8, 10 (d ≥ 0).
// Fewer than 11 planes is a programming error. Order unspecified.
std::vector<std::int64_t> pointsInsideVolume(const std::vector<Plane>& planes, const Layer& layer);

// The face click shared by the polygon tools: empties the face selection, picks the polygon of
// the selected mesh under the viewport's pointer, records its id and returns the picked point.
std::optional<Vector3> onPolygonMouseDown(Editor& context, Vec2 position,
                                          Viewport& view);

} // namespace tessel
