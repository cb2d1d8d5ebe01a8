#pragma once

// Meshes compressed with Draco, as glTF's KHR_draco_mesh_compression stores them: decoded through
// Google's Draco library.

#include "mesh/layer.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace tessel {

// Decodes a Draco mesh and gives the positions of its points (the attribute with the unique id
// `positionId`) and its triangles, in the order the encoder left them. Why it cannot (not a
// Draco mesh, no such attribute, more than `maxPoints` points or `maxTriangles` triangles), or
// empty. The triangles' corners are not yet checked against the points.
std::string decodeDracoMesh(std::span<const std::uint8_t> bytes, std::uint32_t positionId,
                            std::size_t maxPoints, std::size_t maxTriangles,
                            std::vector<Vector3>& positions, std::vector<Triangle>& triangles);

} // namespace tessel
