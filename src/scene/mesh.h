#pragma once

#include "mesh/model.h"
#include "scene/node.h"

namespace tessel {

class Mesh;
class Material;
using MeshPtr = std::shared_ptr<Mesh>;
using MaterialPtr = std::shared_ptr<Material>;

class Material {
public:
    Vector3 ambient{1, 1, 1};
    float opacity = 1;

    static MaterialPtr make() { return std::make_shared<Material>(); }
};

// A node carrying geometry.
class Mesh : public Node {
public:
    Mesh(ModelPtr model, std::string name);
    static MeshPtr make(ModelPtr model, std::string name = {});

    const ModelPtr& model() const { return model_; }
    // Stores the model and tells observers (old, new).
    void setModel(ModelPtr model);
    Signal<const ModelPtr&, const ModelPtr&> modelChanged;

    MaterialPtr material = Material::make();
    // Drawn with normals averaged at the points (pointNormals), so that the faces blend into one
    // surface; when false, each face is lit by its own normal (flat).
    bool smoothShading = false;

private:
    ModelPtr model_;
};

// The mesh behind a node, or null when the node is absent or not a mesh.
inline MeshPtr asMesh(const NodePtr& node) { return std::dynamic_pointer_cast<Mesh>(node); }

} // namespace tessel
