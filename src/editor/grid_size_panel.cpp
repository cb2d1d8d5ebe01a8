#include "editor/grid_size_panel.h"

namespace tessel {

Model::ParamsPtr GridSizePanel::gridParams() const {
    if (document == nullptr) {
        return nullptr;
    }
    const MeshPtr mesh = asMesh(document->selectedNode());
    return mesh && mesh->model() ? mesh->model()->params() : nullptr;
}

bool GridSizePanel::applies() const {
    const MeshPtr mesh = document ? asMesh(document->selectedNode()) : nullptr;
    return gridParams() && mesh->model()->followsParams();
}

std::optional<std::int64_t> GridSizePanel::rows() const {
    if (const Model::ParamsPtr params = gridParams()) {
        return params->v();
    }
    return std::nullopt;
}

std::optional<std::int64_t> GridSizePanel::columns() const {
    if (const Model::ParamsPtr params = gridParams()) {
        return params->u();
    }
    return std::nullopt;
}

void GridSizePanel::setRows(std::optional<double> value) {
    const Model::ParamsPtr params = gridParams();
    if (!params || !applies()) {
        return;
    }
    const std::int64_t old = params->v();
    params->setV(value.value_or(static_cast<double>(old)));
    if (params->v() != old) {
        rowsChanged.emit(old, params->v());
    }
}

void GridSizePanel::setColumns(std::optional<double> value) {
    const Model::ParamsPtr params = gridParams();
    if (!params || !applies()) {
        return;
    }
    const std::int64_t old = params->u();
    params->setU(value.value_or(static_cast<double>(old)));
    if (params->u() != old) {
        columnsChanged.emit(old, params->u());
    }
}

} // namespace tessel
