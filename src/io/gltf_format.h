#pragma once

// glTF 2.0, the document format: read and written through tinygltf. Used by the scene reader
// and writer only.

#include "io/scene_reader.h"
#include "io/scene_writer.h"

namespace tessel::gltf {

// The keys of a grid's segment counts in a mesh's extras.
inline constexpr const char* kGridRows = "gridRows";
inline constexpr const char* kGridColumns = "gridColumns";
// The key of a primitive's settings in a mesh's extras: {"kind": its name, "settings": its
// values in order}.
inline constexpr const char* kPrimitive = "primitive";
// The key of a mesh's face corner counts in its extras, as runs [corners, faces]: so many faces
// in a row with that many corners, each drawn by corners − 2 triangles in a row, the first of
// them starting with the face's first two corners. Written only when some face is no triangle.
inline constexpr const char* kFaceCornerRuns = "faceCornerRuns";
// The key of a mesh's creased edges in its extras: [a, b, weight, a, b, weight …], the points
// numbered as the mesh's positions, each weight above 0 and at most 1.
inline constexpr const char* kEdgeCreases = "edgeCreases";
// The key, in a mesh node's extras, of its smooth shading: true when smooth, absent when flat.
inline constexpr const char* kSmoothShading = "smoothShading";

// Reads a .glb (`binary`) or a .gltf whose buffers come from data URIs or `sibling`.
ReadResult read(std::span<const std::uint8_t> bytes, bool binary, const SiblingReader& sibling);

// Writes a .glb (`binary`), or a .gltf with its buffer in the sibling "<stem>.bin".
WriteResult write(const Node& root, std::string_view fileName, bool binary);

} // namespace tessel::gltf
