#pragma once

// OBJ, PLY and STL, the formats that exchange meshes with other programs: read and written
// through Assimp. Used by the scene reader and writer only.

#include "io/file_format.h"
#include "io/scene_reader.h"
#include "io/scene_writer.h"

namespace tessel::exchange {

// Reads an OBJ, PLY or STL file whose declared counts have been checked; the root is named
// `rootName`.
ReadResult read(std::span<const std::uint8_t> bytes, FileFormat format,
                const std::string& rootName);

// Writes the tree's meshes as OBJ, PLY or STL.
WriteResult write(const Node& root, FileFormat format, Encoding encoding);

} // namespace tessel::exchange
