#include "scene/mesh.h"

namespace tessel {

Mesh::Mesh(ModelPtr model, std::string name, Transform transform)
    : Node(std::move(name), std::move(transform), {}), model_(std::move(model)) {}

MeshPtr Mesh::make(ModelPtr model, std::string name, Transform transform) {
    return std::make_shared<Mesh>(std::move(model), std::move(name), std::move(transform));
}

void Mesh::setModel(ModelPtr model) {
    ModelPtr old = std::move(model_);
    model_ = std::move(model);
    const ModelPtr current = model_;
    modelChanged.emit(old, current);
}

} // namespace tessel
