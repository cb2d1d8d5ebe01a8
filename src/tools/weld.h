#pragma once

#include "tools/operation.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace tessel {

// Vertex "Weld": on release, merges the selected points into one at their mean position and
// commits. The weld preview makes the merged point the whole point selection (or empties the
// selection when the weld removed that point again); it stays installed after the commit until
// the next press, then welding the selection as it stands (the merged point alone: no change).
class Weld final : public Operation, public std::enable_shared_from_this<Weld> {
public:
    static std::shared_ptr<Weld> make(DetailViewController& context);

    // Removes any preview from the selected mesh's model.
    void onMouseDown(Vec2 position, Viewport& view) override;
    void onMouseDragged(Vec2 delta, Viewport& view) override;
    // Installs the weld preview on the selected mesh's model and commits it.
    void onMouseUp(Vec2 position, Viewport& view) override;

private:
    explicit Weld(DetailViewController& context) : context_(context) {}
    ModifierResult preview(Model& model) const;

    DetailViewController& context_;
    // The selection being welded while the release commits. The commit evaluates the preview
    // twice from the same geometry, and the first evaluation already replaces the selection
    // with the merged point; both must weld the points the user selected.
    std::optional<std::vector<std::int64_t>> welding_;
};

} // namespace tessel
