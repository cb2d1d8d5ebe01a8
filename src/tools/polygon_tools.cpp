#include "tools/polygon_tools.h"

#include "mesh/extrude.h"
#include "mesh/region.h"
#include "mesh/region_extrude.h"
#include "mesh/removal.h"
#include "mesh/subdivide.h"
#include "tools/selection.h"
#include "tools/tool_context.h"
#include "tools/tool_support.h"

#include <algorithm>
#include <utility>

namespace tessel {

namespace {

// The selected face ids that name a polygon of `layer`. Selections are not renumbered when an
// edit removes faces, so an id may have gone stale.
std::vector<std::uint32_t> validFaceIds(const std::vector<std::uint32_t>& ids, const Layer& layer) {
    std::vector<std::uint32_t> valid;
    valid.reserve(ids.size());
    for (const std::uint32_t id : ids) {
        if (id < layer.faces.size()) {
            valid.push_back(id);
        }
    }
    return valid;
}

// The valid selected face ids, each once, in selection order.
std::vector<std::uint32_t> distinctFaceIds(const std::vector<std::uint32_t>& ids,
                                           const Layer& layer) {
    std::vector<std::uint32_t> valid = validFaceIds(ids, layer);
    std::vector<std::uint8_t> seen(layer.faces.size(), 0);
    std::erase_if(valid, [&seen](std::uint32_t id) { return std::exchange(seen[id], 1) != 0; });
    return valid;
}

// The drag measure: right and up count positive, so a diagonal drag up-left cancels out.
float dragMeasure(Vec2 delta) { return delta.x + delta.y; }

} // namespace

// --- Shared gesture ---

void PolygonTool::installOwnPreview() {
    if (const ModelPtr model = selectedModel(context_)) {
        installPreview(*model, shared_from_this());
    }
}

void PolygonTool::press(Vec2 position, Viewport& view) {
    const ModelPtr model = selectedModel(context_);
    if (!model) {
        return;
    }
    intersection_ = pressOnPolygon(context_, position, view);
    faces_ = distinctFaceIds(context_.selectedFacesIds(), *model->committed());
    viewProjection_ = view.viewProjection();
    // The preview shows the press at once, not only once the pointer moves.
    model->invalidatePreview();
}

void PolygonTool::drag(Vec2 /*delta*/, Viewport& /*view*/) {}

void PolygonTool::release(Vec2 /*position*/, Viewport& /*view*/) {
    if (const ModelPtr model = selectedModel(context_)) {
        // The preview stays installed; without a press point it yields the committed geometry.
        model->applyModifier();
    }
    intersection_.reset();
}

void DraggingPolygonTool::drag(Vec2 /*delta*/, Viewport& view) {
    if (!selectedModel(context_)) {
        return;
    }
    const Vec2 p = view.pointerPosition;
    const Vec2 s = view.pressPosition;
    delta_ = Vec2{2 * (p.x - s.x), 2 * (p.y - s.y)};
}

void DraggingPolygonTool::release(Vec2 position, Viewport& view) {
    PolygonTool::release(position, view);
    delta_.reset();
}

// --- Move ---

std::shared_ptr<PolygonTranslation> PolygonTranslation::make(ToolContext& context) {
    std::shared_ptr<PolygonTranslation> tool(new PolygonTranslation(context));
    tool->installOwnPreview();
    return tool;
}

ModifierResult PolygonTranslation::evaluate(const Layer& committed) {
    LayerPtr layer = copyOf(committed);
    if (!intersection_ || !delta_) {
        return {layer, nullptr};
    }
    const Vector3 pressed = *intersection_;
    const Vec2 d = *delta_;
    const Matrix& viewProjection = viewProjection_;
    // The point seen where the pressed point is, shifted on screen by the drag, at its depth.
    const Vector3 q = project(pressed, viewProjection);
    const Vector3 target = unproject(q.x + d.x, q.y + d.y, q.z + 0, viewProjection.inverted());
    const Vector3 offset = target - pressed;

    for (const std::uint32_t point : pointsOfFaces(*layer, distinctFaceIds(faces_, committed))) {
        layer->positions[point] += offset;
    }
    return {layer, nullptr};
}

// --- Scale ---

std::shared_ptr<PolygonScale> PolygonScale::make(ToolContext& context) {
    std::shared_ptr<PolygonScale> tool(new PolygonScale(context));
    tool->installOwnPreview();
    return tool;
}

ModifierResult PolygonScale::evaluate(const Layer& committed) {
    LayerPtr layer = copyOf(committed);
    if (!intersection_ || !delta_) {
        return {layer, nullptr};
    }
    const float s = dragMeasure(*delta_) + 1;
    const std::vector<std::uint32_t> points =
        pointsOfFaces(*layer, distinctFaceIds(faces_, committed));
    if (points.empty()) {
        return {layer, nullptr};
    }
    const Vector3 c = centroid(*layer, points);
    for (const std::uint32_t point : points) {
        Vector3& p = layer->positions[point];
        p = c + s * (p - c);
    }
    return {layer, nullptr};
}

// --- Extrude ---

std::shared_ptr<Extrude> Extrude::make(ToolContext& context) {
    std::shared_ptr<Extrude> tool(new Extrude(context));
    tool->installOwnPreview();
    return tool;
}

ModifierResult Extrude::evaluate(const Layer& committed) {
    if (!intersection_ || !delta_) {
        return {copyOf(committed), nullptr};
    }
    const std::vector<std::uint32_t> faces = distinctFaceIds(faces_, committed);
    const float distance = dragMeasure(*delta_);
    // The added points are at most the regions' corners.
    const size_t corners = sideTrianglesBound(committed, faces) / 2;
    LayerPtr layer = copyOf(committed, corners, corners);
    if (faces.size() == 1) {
        extrude(*layer, faces.front(), distance);
        return {layer, nullptr};
    }
    const ExtrudedRegion region = extrudeRegion(*layer, faces);
    if (!offsetPoints(*layer, region.points, region.normal * distance)) {
        return {copyOf(committed), nullptr};
    }
    return {layer, nullptr};
}

size_t Extrude::trianglesAfter(const Layer& committed) const {
    // A face of n corners adds at most n four-cornered walls (a triangle alone six triangles).
    return committed.faces.triangleCount() + sideTrianglesBound(committed, faces_);
}

// --- Subdivide ---

std::shared_ptr<PolygonSubdivide> PolygonSubdivide::make(ToolContext& context) {
    std::shared_ptr<PolygonSubdivide> tool(new PolygonSubdivide(context));
    tool->installOwnPreview();
    return tool;
}

ModifierResult PolygonSubdivide::evaluate(const Layer& committed) {
    LayerPtr layer = copyOf(committed, 1, 2);
    if (!intersection_) {
        return {layer, nullptr};
    }
    if (const auto faces = distinctFaceIds(faces_, committed); !faces.empty()) {
        subdivide(*layer, faces.front());
    }
    return {layer, nullptr};
}

size_t PolygonSubdivide::trianglesAfter(const Layer& committed) const {
    // n triangles replace the n − 2 of a face of n corners.
    return committed.faces.triangleCount() + 2;
}

// --- Delete ---

std::shared_ptr<PolygonDelete> PolygonDelete::make(ToolContext& context) {
    std::shared_ptr<PolygonDelete> tool(new PolygonDelete(context));
    // No earlier tool's preview may stay visible: this tool shows nothing until it deletes.
    if (const ModelPtr model = selectedModel(context)) {
        removePreview(*model);
    }
    return tool;
}

void PolygonDelete::release(Vec2 /*position*/, Viewport& /*view*/) {
    if (const ModelPtr model = selectedModel(context_)) {
        const LayerPtr before = model->committed();
        installOwnPreview();
        model->applyModifier();
        removePreview(*model);
        if (model->committed() != before) {
            context_.selectedFacesIds().clear();
        }
    }
    intersection_.reset();
}

ModifierResult PolygonDelete::evaluate(const Layer& committed) {
    LayerPtr layer = copyOf(committed);
    if (!intersection_) {
        return {layer, nullptr};
    }
    if (const auto faces = distinctFaceIds(faces_, committed); !faces.empty()) {
        removeFaces(*layer, faces);
    }
    return {layer, nullptr};
}

} // namespace tessel
