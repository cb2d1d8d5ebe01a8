#pragma once

#include <optional>
#include <string_view>

namespace tessel {

// The scene file formats the modeller reads and writes. glTF is the document format; the
// others exchange meshes with other programs.
enum class FileFormat { Glb, Gltf, Obj, Ply, Stl };

// How PLY and STL store their numbers; the other formats have one way only.
enum class Encoding { Binary, Ascii };

// The format named by the file name's extension (any letter case), or nullopt.
std::optional<FileFormat> formatOfFileName(std::string_view fileName);

// "glb", "gltf", "obj", "ply", "stl".
std::string_view extensionOf(FileFormat format);

} // namespace tessel
