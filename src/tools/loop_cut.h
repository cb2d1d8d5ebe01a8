#pragma once

#include "mesh/edge_topology.h"
#include "mesh/loop_cut.h"
#include "mesh/model.h"
#include "scene/viewport.h"

#include <optional>
#include <string>

namespace tessel {

// The loop cut the keyboard starts, as a preview of the layer it was started on: the ring of the
// edge under the pointer is cut `cuts` times (the wheel and typed digits set it), a drag slides
// the cuts along the ring. The ring is walked once per edge the pointer comes onto.
class LoopCutTool final : public Modifier {
public:
    static constexpr int kMaxCuts = 64;

    explicit LoopCutTool(LayerPtr committed);

    // The pointer is at `position` in `view`: the ring of the edge nearest it, within
    // `maxDistance` device units, or none. Whether the preview changed.
    bool pointAt(const Viewport& view, Vec2 position, float maxDistance);
    // The pointer is at `position` with the button held: the cuts' middle follows it along the
    // hovered edge. Whether the preview changed.
    bool slideTo(const Viewport& view, Vec2 position);
    // Wheel notches add cuts (or take them away, down to 1).
    void addCuts(int notches);
    // A typed digit appends to the number of cuts, Backspace ('\b') takes the last one back;
    // whether the key was taken.
    bool key(char c);

    int cuts() const { return cuts_; }
    float slide() const { return slide_; }
    // Whether a click now would cut anything.
    bool hasRing() const { return !ring_.empty(); }
    // "Loop cut: 2 cuts", for the status bar.
    std::string status() const;

    ModifierResult evaluate(const Layer& committed) override;
    std::size_t trianglesAfter(const Layer& committed) const override;

private:
    LayerPtr committed_;
    EdgeTopology topology_;
    std::optional<Edge> edge_;
    LoopCutRing ring_;
    int cuts_ = 1;
    float slide_ = 0.5f;
    std::string typed_;
};

} // namespace tessel
