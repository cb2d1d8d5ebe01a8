#pragma once

#include "mesh/model.h"
#include "tools/operation.h"

#include <memory>
#include <optional>

namespace tessel {

// Mesh "Move": a press selects the mesh under the pointer (a press on empty space deselects)
// and starts dragging all of its points parallel to the screen, so that the pressed point
// follows the pointer at its own depth; the release commits and removes the preview. The
// node's own matrix is not touched.
//
// Selecting a mesh makes the editor build a new tool; the gesture stays with the preview
// this tool installed, which keeps the tool alive until the release removes it.
class MeshTranslation final : public Operation,
                              public Modifier,
                              public std::enable_shared_from_this<MeshTranslation> {
public:
    // Installs nothing.
    static std::shared_ptr<MeshTranslation> make(ToolContext& context);

    void press(Vec2 position, Viewport& view) override;
    void drag(Vec2 delta, Viewport& view) override;
    void release(Vec2 position, Viewport& view) override;

    // The committed layer moved by the pointer's offset since the press; no tool.
    ModifierResult evaluate(const Layer& committed) override;

    // The point of the pressed mesh that the last press hit (layer coordinates); kept after the
    // release until the next press.
    const std::optional<Vector3>& intersection() const { return intersection_; }

private:
    explicit MeshTranslation(ToolContext& context) : context_(context) {}

    ToolContext& context_;
    std::optional<Vector3> intersection_;
    // The view's projection at the press, and where the pointer is now (device coordinates).
    Matrix viewProjection_;
    Vec2 pointer_;
};

// Mesh "Subdivide": previews every polygon of the mesh selected at creation subdivided around
// its centroid; the apply button commits it, and as the preview stays installed every further
// apply goes one level deeper. Mouse events do nothing.
class MeshSubdivide final : public Operation, public Modifier {
public:
    // Installs the preview on the selected mesh's model (if any).
    static std::shared_ptr<MeshSubdivide> make(ToolContext& context);

    void press(Vec2 position, Viewport& view) override;
    void drag(Vec2 delta, Viewport& view) override;
    void release(Vec2 position, Viewport& view) override;

    // The committed layer with each of its faces subdivided once.
    ModifierResult evaluate(const Layer& committed) override;
    // Three times the committed faces.
    size_t trianglesAfter(const Layer& committed) const override;

private:
    MeshSubdivide() = default;
};

} // namespace tessel
