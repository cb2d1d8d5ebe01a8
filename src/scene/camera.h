#pragma once

#include "scene/node.h"

namespace tessel {

class Camera;
using CameraPtr = std::shared_ptr<Camera>;

// A viewpoint. Cameras live outside the scene tree, so their matrix is their localMatrix.
class Camera : public Node {
public:
    explicit Camera(std::string name);
    static CameraPtr make(std::string name = {}) {
        return std::make_shared<Camera>(std::move(name));
    }

    float fov = 1.0f;
    float zn = 0.125f;
    float zf = 1.0f;

    // Matrix::projection(zn, zf, fov).
    Matrix projection() const;
    // What a viewport of that width-to-height ratio shows of the world through this camera:
    // projection * Matrix::view(aspectRatio) * matrix()⁻¹.
    Matrix viewProjection(float aspectRatio) const;
};

} // namespace tessel
