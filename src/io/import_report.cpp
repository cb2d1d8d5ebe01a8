#include "io/import_report.h"

namespace tessel {

std::string countText(std::size_t count) {
    const std::string digits = std::to_string(count);
    std::string text;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) {
            text += ',';
        }
        text += digits[i];
    }
    return text;
}

namespace {

std::string counted(std::size_t count, const char* one, const char* many) {
    return countText(count) + " " + (count == 1 ? one : many);
}

} // namespace

std::vector<std::string> ImportReport::sentences() const {
    std::vector<std::string> lines;
    if (cornersJoined > pointsAfterJoining) {
        lines.push_back(counted(cornersJoined, "corner", "corners") + " joined into " +
                        counted(pointsAfterJoining, "point", "points"));
    }
    if (repeatedCornersDropped > 0) {
        lines.push_back(
            counted(repeatedCornersDropped, "repeated corner", "repeated corners") +
            (repeatedCornersDropped == 1 ? " dropped from its face" : " dropped from their faces"));
    }
    if (degenerateFacesDropped > 0) {
        lines.push_back(counted(degenerateFacesDropped, "face", "faces") +
                        " with a repeated corner dropped");
    }
    if (pointsAndLinesSkipped > 0) {
        lines.push_back(counted(pointsAndLinesSkipped, "point or line", "points and lines") +
                        " skipped");
    }
    if (primitivesSkipped > 0) {
        lines.push_back(counted(primitivesSkipped, "part", "parts") +
                        " drawn as lines or without positions skipped");
    }
    if (transformsApplied > 0) {
        lines.push_back("the transforms of " + counted(transformsApplied, "node", "nodes") +
                        " applied to their points");
    }
    if (meshesKeptAsTriangles > 0) {
        lines.push_back(counted(meshesKeptAsTriangles, "mesh", "meshes") +
                        " kept as triangles: " + (meshesKeptAsTriangles == 1 ? "its" : "their") +
                        " stored face corners do not match them");
    }
    return lines;
}

} // namespace tessel
