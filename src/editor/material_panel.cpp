#include "editor/material_panel.h"

#include "base/check.h"

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
    if (const MaterialPtr material = materialOf(document)) {
        material->opacity = static_cast<float>(value / maximum);
        opacityChanged.emit();
    }
}

} // namespace tessel
