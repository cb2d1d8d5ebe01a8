#pragma once

// How a glTF mesh keeps faces of more than three corners: the triangles that draw them, written
// face by face, and the faces' corner counts in the mesh's extras as runs [corners, faces].

#include "mesh/face_list.h"

#include "io/gltf_library.h"

#include <optional>
#include <vector>

namespace tessel::gltf {

// The faces' corner counts as runs [corners, faces]: so many faces in a row with that many
// corners.
tinygltf::Value cornerRunsOf(const FaceList& faces);

// The faces drawn by the triangles, rebuilt from the runs of corner counts stored with them, or
// nothing unless the two agree exactly: the counts take every triangle, and each face's
// triangles outline a loop through exactly their corners.
std::optional<FaceList> facesOf(const std::vector<Triangle>& triangles, const tinygltf::Value& runs);

} // namespace tessel::gltf
