#include "scene/camera.h"

namespace tessel {

Camera::Camera(std::string name) : Node(std::move(name), {}, {}) {}

Matrix Camera::projection() const {
    return Matrix::projection(zn, zf, fov);
}

} // namespace tessel
