#pragma once

#include "io/file_format.h"
#include "io/scene_reader.h"
#include "scene/node.h"

#include <string>
#include <string_view>
#include <vector>

namespace tessel {

// A file that goes beside the written one (a .gltf's buffer), named relative to it.
struct SiblingFile {
    std::string name;
    Bytes bytes;
};

// What writing a scene file gave: its bytes and those of its siblings, or one failure.
struct WriteResult {
    Bytes bytes;
    std::vector<SiblingFile> siblings;
    // Why the scene cannot be written in that format; empty on success.
    std::string failure;

    bool ok() const { return failure.empty(); }
    static WriteResult failed(std::string why) { return {{}, {}, std::move(why)}; }
};

// Writes the tree under `root` (the root included) in the format of the file name's extension,
// into memory only: the caller saves the bytes. Each mesh is written as its committed layer.
//
// glTF keeps everything the modeller has: the tree with names, each mesh's points as they are
// (float bits unchanged) and its faces, as the triangles that draw them (one position buffer and
// one index buffer per mesh; a triangle mesh's ids and order unchanged) with the faces' corner
// counts in the mesh's extras when some face is no triangle, material opacity as the base
// colour's alpha (blended below 1), a grid's rows and columns in the mesh's extras, smooth
// shading in the node's extras. A .gltf gets one sibling, "<stem>.bin". OBJ keeps mesh names and
// the faces as they are; PLY holds one nameless mesh of all the faces as they are, STL one of the
// triangles that draw them.
// `encoding` chooses binary or text PLY and STL.
WriteResult writeSceneFile(const Node& root, std::string_view fileName,
                           Encoding encoding = Encoding::Binary);

} // namespace tessel
