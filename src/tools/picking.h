#pragma once

#include "mesh/layer.h"
#include "scene/mesh.h"
#include "scene/viewport.h"

#include <optional>
#include <utility>
#include <vector>

namespace tessel {

// Device coordinates (x, y in −1 … 1, projected depth) of `point`, given in the frame of `node`
// (world when null), as seen in `view`: projection * view(aspect) * camera⁻¹ * node, then / w.
Vector3 currentPosition(const Vector3& point, Viewport& view, const Node* node);

// The hit of `line` on `layer` nearest to the viewer (smallest depth > 0, earlier hit on ties),
// depth judged in the frame of `node`. Returns (polygon id, hit point in layer coordinates).
std::optional<std::pair<size_t, Vector3>> nearestIntersection(const Layer& layer, const Line& line,
                                                              Viewport& view, const Node& node);

// The mesh whose first layer is hit nearest to the viewer by the line from the camera's eye
// (its localMatrix translation) through device position `position` on the near plane.
std::optional<std::pair<MeshPtr, Vector3>> nearestMesh(const std::vector<MeshPtr>& meshes,
                                                       Vec2 position, Viewport& view);

} // namespace tessel
