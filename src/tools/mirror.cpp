#include "tools/mirror.h"

#include "mesh/mirror.h"
#include "mesh/region.h"
#include "tools/tool_context.h"
#include "tools/tool_support.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace tessel {

namespace {

// The seam tolerance as a share of the mesh's largest extent: far above float rounding of
// coordinates at that scale, far below any detail a user models.
constexpr float kSeamShare = 1e-4f;

// The largest extent of the points' bounds along an axis; 0 for no points or unbounded ones.
float largestExtent(const std::vector<Vector3>& points) {
    constexpr float kMax = std::numeric_limits<float>::max();
    Vector3 low{kMax, kMax, kMax};
    Vector3 high{-kMax, -kMax, -kMax};
    for (const Vector3& p : points) {
        low = {std::min(low.x, p.x), std::min(low.y, p.y), std::min(low.z, p.z)};
        high = {std::max(high.x, p.x), std::max(high.y, p.y), std::max(high.z, p.z)};
    }
    const float extent = std::max({high.x - low.x, high.y - low.y, high.z - low.z, 0.0f});
    return std::isfinite(extent) ? extent : 0;
}

} // namespace

std::shared_ptr<Mirror> Mirror::make(ToolContext& context, Element scope) {
    std::shared_ptr<Mirror> tool(new Mirror(context, scope));
    if (const MeshPtr mesh = context.selectedMesh()) {
        tool->matrix_ = mesh->matrix();
    }
    tool->installOwnPreview();
    return tool;
}

void Mirror::selectionChanged() {
    if (const MeshPtr mesh = context_.selectedMesh()) {
        matrix_ = mesh->matrix();
    }
    SelectionEdit::selectionChanged();
}

ModifierResult Mirror::evaluate(const Layer& committed) {
    std::vector<std::uint32_t> faces;
    if (scope_ == Element::Face) {
        faces = distinctFaces(committed, faces_);
        if (faces.empty()) {
            // An empty list would mirror every face.
            return {copyOf(committed), nullptr};
        }
    }
    const bool whole = faces.empty();
    LayerPtr layer = copyOf(committed, whole ? committed.positions.size() : 0,
                            whole ? committed.faces.size() : faces.size());
    const size_t before = layer->positions.size();

    // Mirrored in world coordinates; the points it did not add are put back exactly after.
    const bool placed = !(matrix_ == Matrix{});
    if (placed) {
        for (Vector3& p : layer->positions) {
            p = project(p, matrix_);
        }
    }
    mirrorFaces(*layer, faces, axis_, weldSeam_, kSeamShare * largestExtent(layer->positions));
    if (placed) {
        std::copy(committed.positions.begin(), committed.positions.end(), layer->positions.begin());
        const Matrix inverse = matrix_.inverted();
        for (size_t i = before; i < layer->positions.size(); ++i) {
            Vector3& p = layer->positions[i];
            p = project(p, inverse);
            if (!isFinite(p)) {
                return {copyOf(committed), nullptr};
            }
        }
    }
    return {layer, nullptr};
}

size_t Mirror::trianglesAfter(const Layer& committed) const {
    const size_t mirrored = scope_ == Element::Mesh ? committed.faces.triangleCount()
                                                    : trianglesOfFaces(committed, faces_);
    return committed.faces.triangleCount() + mirrored;
}

std::vector<ToolSetting> Mirror::settings() const {
    ToolSetting axis{.name = "Axis",
                     .kind = ToolSetting::Kind::Choice,
                     .value = static_cast<double>(axis_),
                     .minimum = 0,
                     .maximum = 2,
                     .decimals = 0,
                     .choices = {"X", "Y", "Z"}};
    ToolSetting weld{.name = "Weld seam",
                     .kind = ToolSetting::Kind::Toggle,
                     .value = weldSeam_ ? 1.0 : 0.0,
                     .minimum = 0,
                     .maximum = 1,
                     .decimals = 0,
                     .choices = {}};
    return {axis, weld};
}

void Mirror::set(size_t index, double value) {
    if (std::isnan(value)) {
        return;
    }
    if (index == 0) {
        axis_ = static_cast<int>(std::clamp(std::round(value), 0.0, 2.0));
    } else if (index == 1) {
        weldSeam_ = value >= 0.5;
    }
}

} // namespace tessel
