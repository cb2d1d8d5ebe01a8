#pragma once

namespace tessel {

// What the viewports draw beside the scene's shaded faces, the same in all four.
struct ViewOptions {
    // Faces coloured by the side the camera sees, front or back, in place of their shading.
    bool faceOrientation = false;
    // A short line along the normal of each face of the selected mesh.
    bool normals = false;

    friend bool operator==(const ViewOptions&, const ViewOptions&) = default;
};

} // namespace tessel
