#include "tools/bevel.h"

#include "tools/tool_support.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <utility>

namespace tessel {

BevelTool::BevelTool(LayerPtr committed, Target target, std::vector<Edge> edges,
                     std::vector<std::int64_t> points)
    : committed_(std::move(committed)), target_(target), edges_(std::move(edges)),
      points_(std::move(points)), topology_(edgeTopology(*committed_)) {
    plan();
    // The centre of what is bevelled, which the pointer's distance is measured from.
    std::vector<std::uint32_t> ids;
    const auto valid = [&](std::int64_t p) {
        return p >= 0 && static_cast<std::uint64_t>(p) < committed_->positions.size();
    };
    for (const Edge& edge : edges_) {
        if (valid(edge.a) && valid(edge.b)) {
            ids.push_back(edge.a);
            ids.push_back(edge.b);
        }
    }
    for (const std::int64_t p : points_) {
        if (valid(p)) {
            ids.push_back(static_cast<std::uint32_t>(p));
        }
    }
    if (!ids.empty()) {
        centre_ = centroid(*committed_, ids);
    }
}

void BevelTool::plan() {
    plan_ = target_ == Target::Edges ? planEdgeBevel(*committed_, topology_, edges_, segments_)
                                     : planPointBevel(*committed_, topology_, points_, segments_);
}

namespace {

// Device position (aspect corrected in x) of the pointer and of a projected point.
Vec2 screen(Vec2 device, float aspect) { return {device.x * aspect, device.y}; }

} // namespace

void BevelTool::begin(const Viewport& view, Vec2 position) {
    const Matrix viewProjection = view.viewProjection();
    const Vector3 c = project(centre_, viewProjection);
    // How long a step of 0.01 device units up the screen is at the centre's depth.
    const Vector3 up = unproject(c.x, c.y + 0.01f, c.z, viewProjection.inverted());
    const float units = (up - centre_).length() / 0.01f;
    unitsPerDevice_ = std::isfinite(units) ? units : 0;
    const Vec2 p = screen(devicePosition(position), view.aspectRatio);
    const Vec2 centre = screen({c.x, c.y}, view.aspectRatio);
    startDistance_ = std::hypot(p.x - centre.x, p.y - centre.y);
    if (!std::isfinite(startDistance_)) {
        startDistance_ = 0;
    }
    pointerWidth_ = 0;
}

bool BevelTool::pointAt(const Viewport& view, Vec2 position) {
    const Vector3 c = project(centre_, view.viewProjection());
    const Vec2 p = screen(devicePosition(position), view.aspectRatio);
    const Vec2 centre = screen({c.x, c.y}, view.aspectRatio);
    const float distance = std::hypot(p.x - centre.x, p.y - centre.y);
    const float width = std::max(0.0f, distance - startDistance_) * unitsPerDevice_;
    if (!std::isfinite(width) || width == pointerWidth_) {
        return false;
    }
    pointerWidth_ = width;
    return typed_.empty() || typingSegments_;
}

void BevelTool::addSegments(int notches) {
    const int segments = std::clamp(segments_ + notches, 1, kMaxBevelSegments);
    if (segments != segments_) {
        segments_ = segments;
        plan();
    }
}

bool BevelTool::key(char c) {
    if (c == 's' || c == 'w') {
        typingSegments_ = c == 's';
        typed_.clear();
        return true;
    }
    if (c == '\b') {
        if (!typed_.empty()) {
            typed_.pop_back();
        }
    } else if (std::isdigit(static_cast<unsigned char>(c)) && typed_.size() < 8) {
        typed_ += c;
    } else if (c == '.' && !typingSegments_ && typed_.find('.') == std::string::npos) {
        typed_ += c;
    } else {
        return false;
    }
    if (typingSegments_) {
        const int segments =
            typed_.empty() ? 1 : std::clamp(std::atoi(typed_.c_str()), 1, kMaxBevelSegments);
        if (segments != segments_) {
            segments_ = segments;
            plan();
        }
    }
    return true;
}

float BevelTool::wanted() const {
    if (!typingSegments_ && !typed_.empty()) {
        // "." reads as zero.
        return static_cast<float>(std::strtod(typed_.c_str(), nullptr));
    }
    return pointerWidth_;
}

float BevelTool::width() const { return bevelWidth(plan_, wanted()); }

std::string BevelTool::status() const {
    const char* what = target_ == Target::Edges ? "Bevel" : "Bevel points";
    char shown[32];
    std::snprintf(shown, sizeof shown, "%.3g", static_cast<double>(width()));
    std::string text = std::string(what) + ": width ";
    text += !typingSegments_ && !typed_.empty() ? typed_ : std::string(shown);
    if (!typingSegments_ && !typed_.empty() && wanted() > width()) {
        text += std::string(" (limited to ") + shown + ")";
    }
    text += ", " + std::to_string(segments_) + (segments_ == 1 ? " segment" : " segments");
    if (typingSegments_) {
        text += " (typing segments)";
    }
    return text;
}

ModifierResult BevelTool::evaluate(const Layer& committed) {
    auto layer = std::make_shared<Layer>();
    // The plan names the faces of the layer it was made on, and no other.
    if (&committed != committed_.get() || !applyBevel(committed, plan_, wanted(), *layer)) {
        *layer = committed;
    }
    return {layer, nullptr};
}

std::size_t BevelTool::trianglesAfter(const Layer& committed) const {
    return &committed == committed_.get() && !plan_.empty()
               ? std::max(plan_.faces.triangleCount(), committed.faces.triangleCount())
               : committed.faces.triangleCount();
}

} // namespace tessel
