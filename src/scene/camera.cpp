#include "scene/camera.h"

namespace tessel {

Camera::Camera(std::string name) : Node(std::move(name), {}) {}

Matrix Camera::projection() const { return Matrix::projection(zn, zf, fov); }

Matrix Camera::viewProjection(float aspectRatio) const {
    return projection() * Matrix::view(aspectRatio) * matrix().inverted();
}

} // namespace tessel
