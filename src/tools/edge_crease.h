#pragma once

#include "mesh/edge.h"
#include "mesh/model.h"
#include "scene/viewport.h"

#include <string>
#include <vector>

namespace tessel {

// The "Edge Crease" the keyboard starts on the selected edges, as a preview: the committed layer
// with one crease weight (0 … 1) on every one of the edges, shown through the modifier the mesh
// had (a subdivision surface shows the creases as they change; other previews the layer as
// creased). The weight starts at the edges' largest; the pointer coming toward the edges' centre
// on the screen raises it, going away lowers it (from where it started: the whole distance to the
// centre is the whole range), and typed digits set it exactly.
class EdgeCrease final : public Modifier {
public:
    // `edges` of `committed`, whose centre on the screen of `view` the pointer at `position`
    // measures from; `shown` is the modifier the preview shows the creased layer through (null:
    // the layer itself).
    EdgeCrease(const Layer& committed, std::vector<Edge> edges, const Viewport& view, Vec2 position,
               ModifierPtr shown);

    // The pointer is at `position`.
    void pointAt(Vec2 position);
    // Digits and "." type the weight, Backspace ('\b') takes the last key back (none typed: the
    // pointer sets it again); whether the key was taken.
    bool key(char c);

    float weight() const;
    // "Edge Crease: 0.500" ("Edge Crease: 0.5|" while typed), for the status bar.
    std::string status() const;
    const ModifierPtr& shown() const { return shown_; }
    // `committed` with the weight on the edges.
    LayerPtr creased(const Layer& committed) const;

    ModifierResult evaluate(const Layer& committed) override;
    std::size_t trianglesAfter(const Layer& committed) const override;

private:
    std::vector<Edge> edges_;
    ModifierPtr shown_;
    float aspectRatio_ = 1;
    Vec2 centre_;
    float startDistance_ = 1;
    float startWeight_ = 0;
    float pointerWeight_ = 0;
    std::string typed_;
};

} // namespace tessel
