#include "tools/tool_support.h"

#include "tools/tool_context.h"

namespace tessel {

Vector3 project(const Vector3& p, const Matrix& viewProjection) {
    return (viewProjection * Vector4(p, 1)).dehomogenized();
}

Vector3 unproject(float x, float y, float z, const Matrix& inverseViewProjection) {
    return (inverseViewProjection * Vector4(x, y, z, 1)).dehomogenized();
}

Vector3 project(const Vector3& p, Viewport& view) { return project(p, view.viewProjection()); }

Vector3 unproject(float x, float y, float z, Viewport& view) {
    return unproject(x, y, z, view.viewProjection().inverted());
}

LayerPtr copyOf(const Layer& committed, size_t addedPoints, size_t addedFaces) {
    LayerPtr copy = makeLayer();
    copy->positions.reserve(committed.positions.size() + addedPoints);
    copy->positions.assign(committed.positions.begin(), committed.positions.end());
    // Shared with the committed faces until the edit changes them; room for what it adds makes
    // them its own at once.
    copy->faces = committed.faces;
    if (addedFaces > 0) {
        copy->faces.reserve(committed.faces.size() + addedFaces,
                            committed.faces.corners().size() + 4 * addedFaces);
    }
    copy->fragmentShader = committed.fragmentShader;
    copy->creases = committed.creases;
    return copy;
}

ModelPtr selectedModel(const ToolContext& context) {
    const MeshPtr mesh = context.selectedMesh();
    return mesh ? mesh->model() : nullptr;
}

} // namespace tessel
