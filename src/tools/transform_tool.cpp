#include "tools/transform_tool.h"

#include "tools/selection.h"
#include "tools/tool_support.h"

#include <numeric>

namespace tessel {

std::shared_ptr<TransformTool> TransformTool::make(ToolContext& context, Kind kind,
                                                   Element element) {
    return std::shared_ptr<TransformTool>(new TransformTool(context, kind, element));
}

bool TransformTool::begin(Viewport& view) {
    cancel();
    const MeshPtr mesh = context_.selectedMesh();
    if (!mesh) {
        return false;
    }
    const ModelPtr model = mesh->model();
    const Layer& committed = *model->committed();
    std::vector<std::uint32_t> points;
    switch (element_) {
    case Element::Point:
        points = pointsToTransform(committed, context_.selectedPointsIds(), {}, {});
        break;
    case Element::Edge:
        points = pointsToTransform(committed, {}, context_.selectedEdges(), {});
        break;
    case Element::Face:
        points = pointsToTransform(committed, {}, {}, context_.selectedFacesIds());
        break;
    case Element::Mesh:
        points.resize(committed.positions.size());
        std::iota(points.begin(), points.end(), std::uint32_t{0});
        break;
    }
    if (points.empty()) {
        return false;
    }
    nodeMatrix_ = mesh->matrix();
    const Vector3 centre = (nodeMatrix_ * Vector4(centroid(committed, points), 1)).dehomogenized();
    gesture_.emplace(kind_, centre, view);
    points_ = std::move(points);
    model_ = model;
    installPreview(*model_, shared_from_this());
    return true;
}

void TransformTool::pointerAt(Vec2 position) {
    if (gesture_ && model_) {
        gesture_->pointerAt(devicePosition(position));
        model_->invalidatePreview();
    }
}

bool TransformTool::key(char c) {
    if (!gesture_ || !gesture_->key(c)) {
        return false;
    }
    if (model_) {
        model_->invalidatePreview();
    }
    return true;
}

void TransformTool::setSnapping(bool snapping) {
    if (gesture_ && gesture_->snapping() != snapping) {
        gesture_->setSnapping(snapping);
        if (model_) {
            model_->invalidatePreview();
        }
    }
}

std::string TransformTool::status() const { return gesture_ ? gesture_->status() : std::string(); }

void TransformTool::commit() {
    if (!gesture_ || !model_) {
        cancel();
        return;
    }
    const LayerPtr before = model_->committed();
    model_->applyModifier();
    removePreview(*model_);
    if (model_->committed() != before) {
        last_ = Committed{model_, before, model_->committed(), *gesture_, points_, nodeMatrix_};
    }
    gesture_.reset();
    model_.reset();
}

void TransformTool::cancel() {
    if (model_ && model_->modifier().get() == this) {
        removePreview(*model_);
    }
    gesture_.reset();
    model_.reset();
}

void TransformTool::press(Vec2 position, Viewport& view) {
    if (!context_.selectedMesh()) {
        return;
    }
    if (element_ == Element::Face && !pressOnPolygon(context_, position, view)) {
        return;
    }
    begin(view);
}

void TransformTool::drag(Vec2 /*delta*/, Viewport& view) { pointerAt(view.pointerPosition); }

void TransformTool::release(Vec2 /*position*/, Viewport& /*view*/) {
    if (gesture_) {
        commit();
    }
}

ModifierResult TransformTool::evaluate(const Layer& committed) {
    if (!gesture_) {
        return {std::make_shared<Layer>(committed), nullptr};
    }
    return {
        transformedLayer(committed, points_, inLayerCoordinates(gesture_->matrix(), nodeMatrix_)),
        nullptr};
}

const TransformTool::Committed* TransformTool::adjustable() const {
    if (!last_ || gesture_ || last_->model->committed() != last_->after) {
        return nullptr;
    }
    const MeshPtr mesh = context_.selectedMesh();
    return mesh && mesh->model() == last_->model ? &*last_ : nullptr;
}

std::vector<ToolSetting> TransformTool::settings() const {
    const Committed* last = adjustable();
    if (!last) {
        return {};
    }
    const TransformGesture::Amount a = last->gesture.amount();
    const auto number = [](const char* name, double value, double minimum, double maximum,
                           int decimals) {
        return ToolSetting{name, ToolSetting::Kind::Number, value, minimum, maximum, decimals, {}};
    };
    switch (kind_) {
    case Kind::Move:
        return {number("X", a.offset.x, -1e6, 1e6, 4), number("Y", a.offset.y, -1e6, 1e6, 4),
                number("Z", a.offset.z, -1e6, 1e6, 4)};
    case Kind::Rotate: return {number("Angle (°)", a.degrees, -36000, 36000, 2)};
    case Kind::Scale: return {number("Factor", a.factor, -1e4, 1e4, 4)};
    }
    return {};
}

void TransformTool::set(size_t index, double value) {
    const Committed* found = adjustable();
    if (!found) {
        return;
    }
    Committed& last = *last_;
    TransformGesture::Amount a = last.gesture.amount();
    switch (kind_) {
    case Kind::Move:
        if (index > 2) {
            return;
        }
        (index == 0   ? a.offset.x
         : index == 1 ? a.offset.y
                      : a.offset.z) = static_cast<float>(value);
        break;
    case Kind::Rotate:
        if (index != 0) {
            return;
        }
        a.degrees = value;
        break;
    case Kind::Scale:
        if (index != 0) {
            return;
        }
        a.factor = value;
        break;
    }
    last.gesture.setAmount(a);
    last.after = transformedLayer(*last.before, last.points,
                                  inLayerCoordinates(last.gesture.matrix(), last.nodeMatrix));
    last.model->setCommitted(last.after);
}

} // namespace tessel
