#include "tools/face_tools.h"

#include "mesh/inset.h"
#include "mesh/orientation.h"
#include "mesh/region.h"
#include "tools/tool_support.h"

#include <cmath>

namespace tessel {

// --- Inset ---

std::shared_ptr<Inset> Inset::make(ToolContext& context) {
    std::shared_ptr<Inset> tool(new Inset(context));
    tool->installOwnPreview();
    return tool;
}

ModifierResult Inset::evaluate(const Layer& committed) {
    const float thickness = delta_ ? delta_->x + delta_->y : 0;
    // Zero-width strips would only clutter the mesh.
    if (!intersection_ || !(thickness > 0)) {
        return {copyOf(committed), nullptr};
    }
    const std::vector<std::uint32_t> faces = distinctFaces(committed, faces_);
    LayerPtr layer = copyOf(committed, 0, faces.size() * 4);
    insetFaces(*layer, faces, thickness, asRegion_);
    return {layer, nullptr};
}

size_t Inset::trianglesAfter(const Layer& committed) const {
    return committed.faces.triangleCount() + sideTrianglesBound(committed, faces_);
}

std::vector<ToolSetting> Inset::settings() const {
    ToolSetting region{.name = "Region",
                       .kind = ToolSetting::Kind::Toggle,
                       .value = asRegion_ ? 1.0 : 0.0,
                       .minimum = 0,
                       .maximum = 1,
                       .decimals = 0,
                       .choices = {}};
    return {region};
}

void Inset::set(size_t index, double value) {
    if (index == 0 && !std::isnan(value)) {
        asRegion_ = value >= 0.5;
    }
}

// --- Flip ---

std::shared_ptr<Flip> Flip::make(ToolContext& context) {
    std::shared_ptr<Flip> tool(new Flip(context));
    tool->installOwnPreview();
    return tool;
}

ModifierResult Flip::evaluate(const Layer& committed) {
    LayerPtr layer = copyOf(committed);
    if (intersection_) {
        flipFaces(*layer, faces_);
    }
    return {layer, nullptr};
}

} // namespace tessel
