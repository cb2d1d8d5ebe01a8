#include "tools/edge_crease.h"

#include "mesh/crease.h"
#include "tools/tool_support.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace tessel {

namespace {

// A pointer this near the centre (device units) at the start measures from this far instead.
constexpr float kMinStartDistance = 0.05f;

} // namespace

EdgeCrease::EdgeCrease(const Layer& committed, std::vector<Edge> edges, const Viewport& view,
                       Vec2 position, ModifierPtr shown)
    : edges_(std::move(edges)), shown_(std::move(shown)), aspectRatio_(view.aspectRatio) {
    const Matrix viewProjection = view.viewProjection();
    float x = 0, y = 0;
    int count = 0;
    for (const Edge& edge : edges_) {
        if (edge.a < committed.positions.size() && edge.b < committed.positions.size()) {
            for (const std::uint32_t p : {edge.a, edge.b}) {
                const Vector3 q = project(committed.positions[p], viewProjection);
                if (std::isfinite(q.x) && std::isfinite(q.y)) {
                    x += q.x;
                    y += q.y;
                    ++count;
                }
            }
            startWeight_ = std::max(startWeight_, creaseOf(committed, edge));
        }
    }
    centre_ =
        count > 0 ? Vec2{x / static_cast<float>(count), y / static_cast<float>(count)} : Vec2{0, 0};
    const Vec2 at = devicePosition(position);
    startDistance_ = std::max(std::hypot((at.x - centre_.x) * aspectRatio_, at.y - centre_.y),
                              kMinStartDistance);
    pointerWeight_ = startWeight_;
}

void EdgeCrease::pointAt(Vec2 position) {
    const Vec2 at = devicePosition(position);
    const float distance = std::hypot((at.x - centre_.x) * aspectRatio_, at.y - centre_.y);
    const float weight = startWeight_ + 1 - distance / startDistance_;
    // A pointer outside every number leaves the weight as it was.
    if (std::isfinite(weight)) {
        pointerWeight_ = std::clamp(weight, 0.0f, 1.0f);
    }
}

bool EdgeCrease::key(char c) {
    if (c == '\b') {
        if (!typed_.empty()) {
            typed_.pop_back();
        }
    } else if ((std::isdigit(static_cast<unsigned char>(c)) ||
                (c == '.' && typed_.find('.') == std::string::npos)) &&
               typed_.size() < 8) {
        typed_ += c;
    } else {
        return false;
    }
    return true;
}

float EdgeCrease::weight() const {
    if (typed_.empty()) {
        return pointerWeight_;
    }
    return std::clamp(static_cast<float>(std::strtod(typed_.c_str(), nullptr)), 0.0f, 1.0f);
}

std::string EdgeCrease::status() const {
    if (!typed_.empty()) {
        return "Edge Crease: " + typed_ + "|";
    }
    char text[32];
    std::snprintf(text, sizeof text, "Edge Crease: %.3f", static_cast<double>(weight()));
    return text;
}

LayerPtr EdgeCrease::creased(const Layer& committed) const {
    LayerPtr layer = copyOf(committed);
    setCreases(*layer, edges_, weight());
    return layer;
}

ModifierResult EdgeCrease::evaluate(const Layer& committed) {
    const LayerPtr layer = creased(committed);
    if (!shown_) {
        return {layer, nullptr};
    }
    return shown_->evaluate(*layer);
}

std::size_t EdgeCrease::trianglesAfter(const Layer& committed) const {
    return shown_ ? shown_->trianglesAfter(committed) : committed.faces.triangleCount();
}

} // namespace tessel
