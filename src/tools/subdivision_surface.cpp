#include "tools/subdivision_surface.h"

#include "tools/tool_context.h"
#include "tools/tool_support.h"

#include <algorithm>
#include <cmath>

namespace tessel {

std::shared_ptr<SubdivisionSurfaceTool> SubdivisionSurfaceTool::make(ToolContext& context) {
    std::shared_ptr<SubdivisionSurfaceTool> tool(new SubdivisionSurfaceTool(context));
    if (const ModelPtr model = selectedModel(context)) {
        installPreview(*model, tool);
    }
    return tool;
}

void SubdivisionSurfaceTool::press(Vec2 /*position*/, Viewport& view) {
    picked_.reset();
    const ModelPtr model = selectedModel(context_);
    if (model == nullptr || applied_) {
        return;
    }
    const Layer& cage = *model->committed();
    viewProjection_ = view.viewProjection();
    pointer_ = devicePosition(view.pointerPosition);
    // The nearest point on the screen within reach; of points that cover each other, the one
    // nearer the eye.
    float best = kReach;
    for (size_t i = 0; i < cage.positions.size(); ++i) {
        const Vector3 q = project(cage.positions[i], viewProjection_);
        if (!(q.z >= -1 && q.z <= 1)) {
            continue;
        }
        const float distance = std::hypot((q.x - pointer_.x) * view.aspectRatio, q.y - pointer_.y);
        if (distance < best || (distance == best && picked_ && q.z < pickedDevice_.z)) {
            best = distance;
            picked_ = static_cast<std::uint32_t>(i);
            pickedDevice_ = q;
        }
    }
    // The drag sums the weights of the refined points again at every event: made here, once per
    // cage topology and settings (not for a result the model would refuse).
    if (picked_ && (!surface_ || !surface_->fits(cage, level_, boundary_))) {
        if (subdivisionTriangles(cage, level_) > kMaxTriangles) {
            picked_.reset();
            return;
        }
        surface_ = std::make_shared<const SubdivisionSurface>(cage, level_, boundary_);
    }
}

void SubdivisionSurfaceTool::drag(Vec2 /*delta*/, Viewport& view) {
    pointer_ = devicePosition(view.pointerPosition);
}

void SubdivisionSurfaceTool::release(Vec2 /*position*/, Viewport& /*view*/) {
    const ModelPtr model = selectedModel(context_);
    if (model && picked_) {
        const LayerPtr& committed = model->committed();
        if (*picked_ < committed->positions.size()) {
            LayerPtr moved = copyOf(*committed);
            moved->positions = cagePositions(*committed);
            model->setCommitted(std::move(moved));
        }
    }
    picked_.reset();
}

std::vector<Vector3> SubdivisionSurfaceTool::cagePositions(const Layer& committed) const {
    std::vector<Vector3> positions = committed.positions;
    if (picked_ && *picked_ < positions.size()) {
        const Matrix inverse = viewProjection_.inverted();
        const Vector3& q = pickedDevice_;
        positions[*picked_] +=
            unproject(pointer_.x, pointer_.y, q.z, inverse) - unproject(q.x, q.y, q.z, inverse);
    }
    return positions;
}

ModifierResult SubdivisionSurfaceTool::evaluate(const Layer& committed) {
    if (applied_ || &committed == lastResult_.lock().get()) {
        applied_ = true;
        surface_.reset();
        refined_ = {};
        return {copyOf(committed), nullptr};
    }
    std::vector<Vector3> cage = cagePositions(committed);
    LayerPtr layer;
    if (surface_ && surface_->fits(committed, level_, boundary_)) {
        layer = surface_->layer(cage);
    } else {
        // Without a drag, refining once is quicker than making the weights; the result stands
        // while the cage and the settings do.
        if (!refined_.layer || refined_.level != level_ || refined_.boundary != boundary_ ||
            !(refined_.faces == committed.faces) || refined_.creases != committed.creases ||
            refined_.positions != cage) {
            refined_ = {std::make_shared<Layer>(subdivisionSurface(committed, level_, boundary_)),
                        committed.faces,
                        committed.creases,
                        cage,
                        level_,
                        boundary_};
        }
        layer = refined_.layer;
    }
    lastResult_ = layer;
    return {layer, makeLayer(std::move(cage))};
}

size_t SubdivisionSurfaceTool::trianglesAfter(const Layer& committed) const {
    if (applied_ || &committed == lastResult_.lock().get()) {
        return committed.faces.triangleCount();
    }
    return subdivisionTriangles(committed, level_);
}

std::vector<ToolSetting> SubdivisionSurfaceTool::settings() const {
    const LayerPtr cage = selectedModel(context_) ? selectedModel(context_)->committed() : nullptr;
    const bool loop = cage && subdivisionSchemeOf(*cage) == SubdivisionScheme::Loop;
    ToolSetting scheme{.name = "Scheme",
                       .kind = ToolSetting::Kind::Label,
                       .value = loop ? 1.0 : 0.0,
                       .minimum = 0,
                       .maximum = 1,
                       .decimals = 0,
                       .choices = {"Catmull-Clark", "Loop"}};
    ToolSetting level{.name = "Level",
                      .kind = ToolSetting::Kind::Number,
                      .value = static_cast<double>(level_),
                      .minimum = kMinSubdivisionLevel,
                      .maximum = kMaxSubdivisionLevel,
                      .decimals = 0,
                      .choices = {}};
    ToolSetting corners{.name = "Border corners",
                        .kind = ToolSetting::Kind::Choice,
                        .value = boundary_ == SubdivisionBoundary::KeepCorners ? 1.0 : 0.0,
                        .minimum = 0,
                        .maximum = 1,
                        .decimals = 0,
                        .choices = {"Smooth", "Keep"}};
    return {scheme, level, corners};
}

void SubdivisionSurfaceTool::set(size_t index, double value) {
    if (index != 1 || std::isnan(value)) {
        return;
    }
    level_ = static_cast<int>(
        std::clamp(std::round(value), double{kMinSubdivisionLevel}, double{kMaxSubdivisionLevel}));
    applied_ = false;
    lastResult_.reset();
}

} // namespace tessel
