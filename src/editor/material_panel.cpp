#include "editor/material_panel.h"

#include "base/check.h"

#include <utility>

namespace tessel {

namespace {

MaterialPtr materialOf(const Document* document) {
    if (document == nullptr) {
        return nullptr;
    }
    const MeshPtr mesh = asMesh(document->selectedNode());
    return mesh ? mesh->material : nullptr;
}

} // namespace

std::optional<double> MaterialPanel::sliderValue(double maximum) const {
    if (const MaterialPtr material = materialOf(document)) {
        return static_cast<double>(material->opacity) * maximum;
    }
    return std::nullopt;
}

void MaterialPanel::slideAlpha(double value, double maximum) {
    TESSEL_CHECK(maximum > 0, "MaterialPanel::slideAlpha",
                 "slider maximum " << maximum << " is not positive");
    const MeshPtr mesh = document ? asMesh(document->selectedNode()) : nullptr;
    if (!mesh) {
        return;
    }
    const float old = mesh->material->opacity;
    mesh->material->opacity = static_cast<float>(value / maximum);
    opacityChanged.emit();
    if (slide_ && slide_->mesh != mesh) {
        endSlide();
    }
    if (!slide_ && old != mesh->material->opacity) {
        opacitySet.emit(mesh, old, mesh->material->opacity);
    }
}

void MaterialPanel::beginSlide() {
    const MeshPtr mesh = document ? asMesh(document->selectedNode()) : nullptr;
    slide_ = mesh ? std::optional<Slide>(Slide{mesh, mesh->material->opacity}) : std::nullopt;
}

void MaterialPanel::endSlide() {
    if (const std::optional<Slide> slide = std::exchange(slide_, std::nullopt);
        slide && slide->old != slide->mesh->material->opacity) {
        opacitySet.emit(slide->mesh, slide->old, slide->mesh->material->opacity);
    }
}

std::optional<bool> MaterialPanel::smoothShading() const {
    if (const MeshPtr mesh = document ? asMesh(document->selectedNode()) : nullptr) {
        return mesh->smoothShading;
    }
    return std::nullopt;
}

void MaterialPanel::setSmoothShading(bool smooth) {
    const MeshPtr mesh = document ? asMesh(document->selectedNode()) : nullptr;
    if (!mesh || mesh->smoothShading == smooth) {
        return;
    }
    mesh->smoothShading = smooth;
    shadingChanged.emit();
    shadingSet.emit(mesh, smooth);
}

} // namespace tessel
