#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace tessel {

// What an import changed in a file's geometry, counted as it goes.
struct ImportReport {
    std::size_t cornersJoined = 0;          // corners stored one point each...
    std::size_t pointsAfterJoining = 0;     // ...and the points they became
    std::size_t repeatedCornersDropped = 0; // from faces that stay
    std::size_t degenerateFacesDropped = 0; // left with fewer than three corners
    std::size_t pointsAndLinesSkipped = 0;
    std::size_t primitivesSkipped = 0; // glTF primitives of lines, or without positions
    std::size_t transformsApplied = 0;
    std::size_t meshesKeptAsTriangles = 0; // glTF meshes whose stored faces disagree with them

    // One sentence per nonzero count, e.g. "24 corners joined into 8 points".
    std::vector<std::string> sentences() const;
};

// A count with thousands separated by commas: "4,000,000".
std::string countText(std::size_t count);

} // namespace tessel
