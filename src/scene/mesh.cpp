#include "scene/mesh.h"

namespace tessel {

Mesh::Mesh(ModelPtr model, std::string name)
    : Node(std::move(name), {}), model_(std::move(model)) {}

MeshPtr Mesh::make(ModelPtr model, std::string name) {
    return std::make_shared<Mesh>(std::move(model), std::move(name));
}

void Mesh::setModel(ModelPtr model) {
    ModelPtr old = std::move(model_);
    model_ = std::move(model);
    const ModelPtr current = model_;
    modelChanged.emit(old, current);
}

} // namespace tessel
