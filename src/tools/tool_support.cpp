#include "tools/tool_support.h"

#include "base/check.h"
#include "editor/detail_view_controller.h"

namespace tessel {

Vector3 project(const Vector3& p, const Matrix& viewProjection) {
    return (viewProjection * Vector4(p, 1)).dehomogenized();
}

Vector3 unproject(float x, float y, float z, const Matrix& inverseViewProjection) {
    return (inverseViewProjection * Vector4(x, y, z, 1)).dehomogenized();
}

Vector3 project(const Vector3& p, Viewport& view) {
    return project(p, view.node()->matrix());
}

Vector3 unproject(float x, float y, float z, Viewport& view) {
    return unproject(x, y, z, view.node()->matrix().inverted());
}

void installPreview(Model& model, CachedModifier::Closure closure) {
    TESSEL_CHECK(closure != nullptr, "installPreview", "empty preview function");
    model.modifier_ = CachedModifier::make(std::move(closure));
}

ModelPtr selectedModel(const DetailViewController& context) {
    const MeshPtr mesh = context.selectedMesh();
    return mesh ? mesh->model() : nullptr;
}

LayerPtr firstLayer(Model& model, const char* operation) {
    std::vector<LayerPtr> layers = model.layers();
    TESSEL_CHECK(!layers.empty() && layers.front() != nullptr, operation, "the model has no layer");
    return layers.front();
}

} // namespace tessel
