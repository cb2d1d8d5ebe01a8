#include "editor/primitive_panel.h"

namespace tessel {

PrimitiveParamsPtr PrimitivePanel::params() const {
    if (document == nullptr) {
        return nullptr;
    }
    const MeshPtr mesh = asMesh(document->selectedNode());
    return mesh && mesh->model() ? mesh->model()->primitive() : nullptr;
}

bool PrimitivePanel::applies() const {
    const MeshPtr mesh = document ? asMesh(document->selectedNode()) : nullptr;
    return params() && mesh->model()->followsParams();
}

void PrimitivePanel::setValue(std::size_t index, std::optional<double> value) {
    const PrimitiveParamsPtr settings = params();
    if (!settings || !applies() || index >= settings->parameters().size()) {
        return;
    }
    const double old = settings->value(index);
    settings->set(index, value.value_or(old));
    if (settings->value(index) != old) {
        valueChanged.emit(asMesh(document->selectedNode()), index, old, settings->value(index));
    }
}

} // namespace tessel
