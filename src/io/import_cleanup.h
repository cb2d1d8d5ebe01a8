#pragma once

#include "io/import_report.h"
#include "mesh/layer.h"

#include <cstddef>
#include <span>
#include <string>
#include <vector>

namespace tessel {

// The coordinate as a float: infinite beyond the float range, not a number for not-a-number (a
// plain conversion of such values is undefined).
float narrowedCoordinate(double coordinate);

// Why these positions cannot make a mesh ("coordinate is not a number", "coordinate is
// infinite"), or empty when every coordinate is finite.
std::string badCoordinate(std::span<const Vector3> positions);

// Why these triangles do not fit `pointCount` points ("index 91 past the 40 points"), or empty.
std::string badIndex(std::span<const Triangle> triangles, std::size_t pointCount);

// Joins points whose positions are equal (0 and −0 agree): the first of them keeps its place in
// the order, the others go and the triangles are renumbered. Corners must be in range.
void joinPointsAtEqualPositions(std::vector<Vector3>& positions, std::vector<Triangle>& triangles);

// Removes the triangles that repeat a corner, keeping the others in order; returns how many.
std::size_t removeRepeatedCornerFaces(std::vector<Triangle>& triangles);

// Checks one mesh as a file gives it and makes it a valid layer: every coordinate finite and
// every corner in range, or the failure; points joined when the file stores them per corner;
// faces with a repeated corner dropped. Counts what it changed in `report`.
std::string cleanImportedMesh(std::vector<Vector3>& positions, std::vector<Triangle>& triangles,
                              bool storedPerCorner, ImportReport& report);

} // namespace tessel
