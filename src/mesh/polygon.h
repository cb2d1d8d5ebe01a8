#pragma once

#include "geometry/vector.h"
#include "mesh/face_list.h"

#include <array>
#include <optional>
#include <span>
#include <vector>

namespace tessel {

// Geometry of one face of any number of corners, given the layer's positions and the face's
// corner ids. A face of three corners gets exactly what the triangle functions give it, so that
// triangle meshes keep their results bit for bit.
namespace polygon {

// Newell's sum of the edges' cross terms, in double: twice the face's area along its normal.
std::array<double, 3> areaVector(std::span<const Vector3> positions, FaceList::Face face);
// The unit normal: for a triangle triangle::normal; else Newell's sum of the edges' cross terms,
// normalised, which suits faces that are concave or a little off their plane. Not-a-number for a
// face without area.
Vector3 normal(std::span<const Vector3> positions, FaceList::Face face);
// The mean of the corners, summed in corner order (triangle::centroid for a triangle).
Vector3 centroid(std::span<const Vector3> positions, FaceList::Face face);
// The hit origin + direction · s, s ≥ 0, of the ray with the face: with its plane (through the
// centroid, along the normal), strictly inside the face's outline seen along the normal. A
// triangle uses triangle::intersection.
std::optional<Vector3> intersection(std::span<const Vector3> positions, FaceList::Face face,
                                    const Vector3& origin, const Vector3& direction);
// Appends the face cut into corners − 2 triangles over its own corners, wound as the face: a
// triangle as it is, a convex face as a fan from its first corner, any other by ear clipping in
// its plane (a face that folds over itself still gets corners − 2 triangles).
void triangulate(std::span<const Vector3> positions, FaceList::Face face,
                 std::vector<Triangle>& out);

} // namespace polygon

} // namespace tessel
