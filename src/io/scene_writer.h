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
// glTF keeps everything the modeller has: the tree with names, each mesh's points and triangles
// as they are (one position buffer and one index buffer per mesh, ids and float bits unchanged),
// material opacity as the base colour's alpha (blended below 1), a grid's rows and columns in
// the mesh's extras. A .gltf gets one sibling, "<stem>.bin". OBJ keeps mesh names; PLY and STL
// hold one nameless mesh of all the triangles. `encoding` chooses binary or text PLY and STL.
// A mesh with a point whose position is not finite is not written: no reader would take it.
WriteResult writeSceneFile(const Node& root, std::string_view fileName,
                           Encoding encoding = Encoding::Binary);

} // namespace tessel
