#pragma once

#include "mesh/bevel.h"
#include "mesh/edge_topology.h"
#include "mesh/model.h"
#include "scene/viewport.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tessel {

// The bevel the keyboard starts, as a preview of the layer it was started on: the selected edges
// (or points) bevelled by a width that follows the pointer's distance from the selection's
// centre on the screen, or that is typed; the wheel, or "s" then digits, set the segments. The
// bevel is planned once per segment count; the pointer only places points.
class BevelTool final : public Modifier {
public:
    enum class Target { Edges, Points };

    BevelTool(LayerPtr committed, Target target, std::vector<Edge> edges,
              std::vector<std::int64_t> points);

    // Whether there is anything the bevel can cut (the selection may be all skipped).
    bool empty() const { return plan_.empty(); }
    // The pointer is at `position` in `view` where the bevel starts: the width grows as it
    // moves away from the selection's centre, from nothing here.
    void begin(const Viewport& view, Vec2 position);
    // The pointer moved: the width follows unless one is typed. Whether the preview changed.
    bool pointAt(const Viewport& view, Vec2 position);
    // Wheel notches add segments (or take them away, down to 1).
    void addSegments(int notches);
    // Digits and "." type the width ("s" switches typing to the segments, "w" back),
    // Backspace ('\b') takes the last one back; whether the key was taken.
    bool key(char c);

    Target target() const { return target_; }
    // The layer the bevel was planned on.
    const LayerPtr& committed() const { return committed_; }
    // How many of its points the bevelled layer keeps: they come first, the bevel's after them.
    std::size_t keptPoints() const { return plan_.kept.size(); }
    // The width the preview shows, after the clamp that keeps every face valid.
    float width() const;
    int segments() const { return segments_; }
    // "Bevel: width 0.25, 2 segments", for the status bar.
    std::string status() const;

    ModifierResult evaluate(const Layer& committed) override;
    std::size_t trianglesAfter(const Layer& committed) const override;

private:
    void plan();
    // The width the pointer or the typed digits ask for.
    float wanted() const;

    LayerPtr committed_;
    Target target_;
    std::vector<Edge> edges_;
    std::vector<std::int64_t> points_;
    EdgeTopology topology_;
    BevelPlan plan_;
    int segments_ = 1;
    // The selection's centre, and how far the pointer started from it (device units, aspect
    // corrected) and how many layer units one such unit spans there.
    Vector3 centre_;
    float startDistance_ = 0;
    float unitsPerDevice_ = 0;
    float pointerWidth_ = 0;
    std::string typed_;
    bool typingSegments_ = false;
};

} // namespace tessel
