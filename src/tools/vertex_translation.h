#pragma once

#include "mesh/model.h"
#include "tools/operation.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace tessel {

// Vertex "Move": drags the selected points parallel to the screen so that the selected point
// nearest to the press follows the pointer at its own device depth.
//
// The preview is installed at creation and stays installed; each evaluation starts from the
// committed geometry and moves the selection by the pointer's offset since the press. A press
// without drag therefore still snaps the picked point under the pointer when released.
class VertexTranslation final : public Operation, public Modifier {
public:
    // Creates the tool and installs its preview on the selected mesh's model (if any). The
    // preview keeps the tool alive; the tool refers to its context without owning it.
    static std::shared_ptr<VertexTranslation> make(ToolContext& context);

    // Picks the selected point nearest to the pointer (device depth counts: the pointer is taken
    // at depth 0) and remembers its world position.
    void press(Vec2 position, Viewport& view) override;
    void drag(Vec2 delta, Viewport& view) override;
    // Commits the preview, then forgets the picked point.
    void release(Vec2 position, Viewport& view) override;

    const std::optional<Vector3>& initialPosition() const { return initialPosition_; }

    // The committed layer with the selection moved by the pointer's offset since the press.
    ModifierResult evaluate(const Layer& committed) override;

private:
    explicit VertexTranslation(ToolContext& context) : context_(context) {}

    ToolContext& context_;
    // The gesture: the points selected at the press, the view's projection then, the picked
    // point and where the pointer is now (device coordinates).
    std::vector<std::int64_t> points_;
    Matrix viewProjection_;
    std::optional<Vector3> initialPosition_;
    Vec2 pointer_;
};

} // namespace tessel
