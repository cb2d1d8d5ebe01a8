#pragma once

#include "scene/node.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tessel {

using Bytes = std::vector<std::uint8_t>;

// The bytes of a file that the one being read refers to (a .gltf's buffer), by the name written
// in it: a relative path, to be resolved against the folder of the file being read. Nothing
// when it cannot be read. Absolute paths and paths that climb out of that folder never reach it.
using SiblingReader = std::function<std::optional<Bytes>(const std::string& name)>;

// What reading a scene file gave: a loaded tree, or one failure.
struct ReadResult {
    // The file's nodes under one root (the file's own root when it has exactly one), with their
    // names and nesting; null when the read failed.
    NodePtr root;
    // What the import changed in the file's geometry, one sentence each
    // ("24 corners joined into 8 points"); empty when the geometry is as the file has it.
    std::vector<std::string> changes;
    // Why the file cannot be read, in one phrase without the file's name
    // ("not a glTF file (wrong magic)", "index 91 past the 40 points"); empty on success.
    std::string failure;

    bool ok() const { return root != nullptr; }
    static ReadResult failed(std::string why) { return {nullptr, {}, std::move(why)}; }
};

// Reads a scene file held in memory. The format comes from the file name's extension and is
// checked against the bytes. Every mesh of the result satisfies the layer invariants and the
// whole tree holds at most kMaxTriangles triangles (a face of n corners counts n − 2).
//
// glTF is read exactly: points, triangles and their order as stored, names, nesting, material
// opacity, smooth shading (flat when the file does not say), a grid's rows and columns, and the
// faces of any number of corners that the triangles draw when the mesh's extras give their corner
// counts and the two agree (else the triangles are kept, and said so). OBJ and PLY faces keep their
// corners in order. A node transform is applied to its mesh's points (the modeller's nodes carry
// none). From every format, points stored once per corner are joined where their positions are
// equal, a corner that repeats an earlier one of its face is dropped and then faces left with fewer
// than three corners, points and lines are skipped; `changes` counts each. Hostile input
// (truncated, counts past the end, indices out of range, coordinates that are not finite numbers)
// fails with a message, never with a crash or an allocation the file's size does not justify.
ReadResult readSceneFile(std::string_view fileName, std::span<const std::uint8_t> bytes,
                         const SiblingReader& sibling = {});

} // namespace tessel
