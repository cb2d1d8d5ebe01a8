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

// Why these corners do not fit `pointCount` points ("index 91 past the 40 points"), or empty.
std::string badIndex(std::span<const std::uint32_t> corners, std::size_t pointCount);

// Joins points whose positions are equal (0 and −0 agree): the first of them keeps its place in
// the order, the others go and the corners are renumbered. Corners must be in range.
void joinPointsAtEqualPositions(std::vector<Vector3>& positions, std::span<std::uint32_t> corners);

// What dropRepeatedCorners took away.
struct RepeatsDropped {
    std::size_t corners = 0; // from faces that stay
    std::size_t faces = 0;   // left with fewer than three corners
};

// Drops from each face every corner that repeats an earlier corner of the same face (the first
// stays, as a weld keeps it), then the faces left with fewer than three corners; the others keep
// their order. Corners must be below `pointCount`.
RepeatsDropped dropRepeatedCorners(FaceList& faces, std::size_t pointCount);

// Checks one mesh as a file gives it and makes it a valid layer: every coordinate finite and
// every corner in range, or the failure; points joined when the file stores them per corner;
// repeated corners dropped as dropRepeatedCorners does. Counts what it changed in `report`.
std::string cleanImportedMesh(std::vector<Vector3>& positions, FaceList& faces,
                              bool storedPerCorner, ImportReport& report);

} // namespace tessel
