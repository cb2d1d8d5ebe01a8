#pragma once

#include "mesh/model.h"
#include "tools/operation.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace tessel {

// Vertex "Weld": on release, merges the selected points into one at their mean position and
// commits. The weld makes the merged point the whole point selection (or empties the selection
// when the weld removed that point again). Nothing stays installed after the commit, so a later
// selection gesture or Apply never welds.
class Weld final : public Operation, public Modifier, public std::enable_shared_from_this<Weld> {
public:
    static std::shared_ptr<Weld> make(ToolContext& context);

    // Removes any preview from the selected mesh's model.
    void press(Vec2 position, Viewport& view) override;
    void drag(Vec2 delta, Viewport& view) override;
    // Installs the weld preview of the points selected now on the selected mesh's model, commits
    // it and removes it; the merged point becomes the selection.
    void release(Vec2 position, Viewport& view) override;

    // The committed layer with the points selected at the release welded.
    ModifierResult evaluate(const Layer& committed) override;

private:
    explicit Weld(ToolContext& context) : context_(context) {}

    ToolContext& context_;
    // The points to weld; whether the last evaluation welded any, and where it put the merged
    // point (none when every face around it collapsed).
    std::vector<std::int64_t> points_;
    bool welded_ = false;
    std::optional<std::uint32_t> merged_;
};

} // namespace tessel
