#include "tools/loop_cut.h"

#include "tools/edge_picking.h"
#include "tools/tool_support.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <utility>

namespace tessel {

LoopCutTool::LoopCutTool(LayerPtr committed)
    : committed_(std::move(committed)), topology_(edgeTopology(*committed_)) {}

bool LoopCutTool::pointAt(const Viewport& view, Vec2 position, float maxDistance) {
    const std::optional<Edge> edge =
        nearestEdge(*committed_, view.viewProjection(), view.aspectRatio, devicePosition(position),
                    maxDistance);
    if (edge == edge_) {
        return false;
    }
    edge_ = edge;
    ring_ = edge ? loopCutRing(topology_, *committed_, *edge) : LoopCutRing{};
    slide_ = 0.5f;
    return true;
}

bool LoopCutTool::slideTo(const Viewport& view, Vec2 position) {
    if (ring_.empty()) {
        return false;
    }
    const Matrix viewProjection = view.viewProjection();
    const Vector3 a = project(committed_->positions[edge_->a], viewProjection);
    const Vector3 b = project(committed_->positions[edge_->b], viewProjection);
    const Vec2 pointer = devicePosition(position);
    const float dx = (b.x - a.x) * view.aspectRatio, dy = b.y - a.y;
    const float length = dx * dx + dy * dy;
    if (!(length > 0) || !std::isfinite(length)) {
        return false;
    }
    const float t = ((pointer.x - a.x) * view.aspectRatio * dx + (pointer.y - a.y) * dy) / length;
    if (!std::isfinite(t)) {
        return false;
    }
    slide_ = std::clamp(t, 0.0f, 1.0f);
    return true;
}

void LoopCutTool::addCuts(int notches) {
    typed_.clear();
    cuts_ = std::clamp(cuts_ + notches, 1, kMaxCuts);
}

bool LoopCutTool::key(char c) {
    if (c == '\b') {
        if (!typed_.empty()) {
            typed_.pop_back();
        }
    } else if (std::isdigit(static_cast<unsigned char>(c)) && typed_.size() < 2) {
        typed_ += c;
    } else {
        return false;
    }
    cuts_ = typed_.empty() ? 1 : std::clamp(std::stoi(typed_), 1, kMaxCuts);
    return true;
}

std::string LoopCutTool::status() const {
    return "Loop cut: " + std::to_string(cuts_) + (cuts_ == 1 ? " cut" : " cuts");
}

ModifierResult LoopCutTool::evaluate(const Layer& committed) {
    auto layer = std::make_shared<Layer>(committed);
    // The ring names the faces of the layer it was found on, and no other.
    if (&committed == committed_.get()) {
        loopCut(*layer, topology_, ring_, cuts_, slide_);
    }
    return {layer, nullptr};
}

std::size_t LoopCutTool::trianglesAfter(const Layer& committed) const {
    const auto cuts = static_cast<std::size_t>(cuts_);
    return committed.faces.triangleCount() +
           2 * cuts * (ring_.faces.size() + 2 * ring_.edges.size());
}

} // namespace tessel
