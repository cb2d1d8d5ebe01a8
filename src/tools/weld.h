#pragma once

#include "mesh/model.h"
#include "tools/operation.h"

#include <memory>

namespace tessel {

// Vertex "Weld": on release, merges the selected points into one at their mean position and
// commits. The weld makes the merged point the whole point selection (or empties the selection
// when the weld removed that point again). Nothing stays installed after the commit, so a later
// selection gesture or Apply never welds.
class Weld final : public Operation, public Modifier, public std::enable_shared_from_this<Weld> {
public:
    static std::shared_ptr<Weld> make(ToolContext& context);

    // Removes any preview from the selected mesh's model.
    void onMouseDown(Vec2 position, Viewport& view) override;
    void onMouseDragged(Vec2 delta, Viewport& view) override;
    // Installs the weld preview on the selected mesh's model, commits it and removes it.
    void onMouseUp(Vec2 position, Viewport& view) override;

    // The committed layer with the selected points welded; the merged point becomes the
    // selection.
    ModifierResult evaluate(const Layer& committed) override;

private:
    explicit Weld(ToolContext& context) : context_(context) {}

    ToolContext& context_;
};

} // namespace tessel
