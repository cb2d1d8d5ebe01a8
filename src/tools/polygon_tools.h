#pragma once

#include "mesh/model.h"
#include "tools/operation.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace tessel {

// The Polygon-mode tools that act on the polygon the user presses on. Each press runs the face
// click, which makes the polygon under the pointer the face selection's only element (or adds it
// to the faces selected before, when the context says the press adds) and returns the point hit
// on it; the tool then keeps the selection as its own. "Move",
// "Scale", "Extrude", "Inset", "Flip" and "Delete" act on every selected face, "Subdivide" on the
// first. Every
// preview evaluation starts again from the committed geometry. A press that misses leaves the
// preview an unchanged copy, and the gesture then commits that copy.
//
// A selected face id that is no longer valid for the layer being edited is ignored. Events that
// arrive while no mesh is selected change nothing but the tool's gesture state.
class PolygonTool : public Operation,
                    public Modifier,
                    public std::enable_shared_from_this<PolygonTool> {
public:
    // The face click.
    void press(Vec2 position, Viewport& view) override;
    void drag(Vec2 delta, Viewport& view) override;
    // Commits the preview; the gesture's press point is forgotten.
    void release(Vec2 position, Viewport& view) override;

    // The point of the pressed polygon that the current press hit (layer coordinates).
    const std::optional<Vector3>& intersection() const { return intersection_; }

protected:
    explicit PolygonTool(ToolContext& context) : context_(context) {}
    // Puts this tool's preview on the selected mesh's model, replacing any other; the preview
    // keeps the tool alive.
    void installOwnPreview();

    ToolContext& context_;
    std::optional<Vector3> intersection_;
    // The gesture: the faces selected once the press was taken (each once, in selection order;
    // evaluations skip those the layer they edit lacks) and the view's projection then.
    std::vector<std::uint32_t> faces_;
    Matrix viewProjection_;
};

// The tools whose drag amount is the pointer's offset since the press (device units), kept while
// the button is held.
class DraggingPolygonTool : public PolygonTool {
public:
    // Writes the offset of the viewport's pointer from its press position; the per-event delta
    // is not used.
    void drag(Vec2 delta, Viewport& view) override;
    // Commits, then forgets the press point and the offset.
    void release(Vec2 position, Viewport& view) override;

protected:
    using PolygonTool::PolygonTool;

    // The pointer's offset since the press, while the button is held.
    std::optional<Vec2> delta_;
};

// "Move": drags the pressed polygon's vertices parallel to the screen so that the pressed point
// stays under the pointer at its own depth; neighbouring faces stretch along.
class PolygonTranslation final : public DraggingPolygonTool {
public:
    static std::shared_ptr<PolygonTranslation> make(ToolContext& context);
    ModifierResult evaluate(const Layer& committed) override;

private:
    using DraggingPolygonTool::DraggingPolygonTool;
};

// "Scale": scales the pressed polygon about its centroid by 1 + dx + dy (unbounded: at −1 the
// polygon collapses to its centroid, below that it turns inside out).
class PolygonScale final : public DraggingPolygonTool {
public:
    static std::shared_ptr<PolygonScale> make(ToolContext& context);
    ModifierResult evaluate(const Layer& committed) override;

private:
    using DraggingPolygonTool::DraggingPolygonTool;
};

// "Extrude": pulls the selected faces out as one region by dx + dy world units along their
// area-weighted mean normal (negative against it): neighbours go on sharing their edges, walls rise
// along the region's border only (extrudeRegion). One face alone is extruded along its normal as a
// prism (extrude()). Whatever the drag's history, each evaluation extrudes once.
class Extrude final : public DraggingPolygonTool {
public:
    static std::shared_ptr<Extrude> make(ToolContext& context);
    ModifierResult evaluate(const Layer& committed) override;
    // Two triangles more than the committed layer per side of a selected face.
    size_t trianglesAfter(const Layer& committed) const override;

private:
    using DraggingPolygonTool::DraggingPolygonTool;
};

// "Subdivide": splits the pressed polygon around its centroid while the button is held; the
// release commits it. Each press subdivides once.
class PolygonSubdivide final : public PolygonTool {
public:
    static std::shared_ptr<PolygonSubdivide> make(ToolContext& context);
    ModifierResult evaluate(const Layer& committed) override;
    // Two faces more than the committed layer.
    size_t trianglesAfter(const Layer& committed) const override;

private:
    using PolygonTool::PolygonTool;
};

// "Delete": removes the selected polygons at the release, with those of their vertices no other
// face uses; the release empties the face selection when it deleted. Nothing is previewed: creating
// the tool removes any preview from the selected mesh's model.
class PolygonDelete final : public PolygonTool {
public:
    static std::shared_ptr<PolygonDelete> make(ToolContext& context);
    // Installs the delete preview, commits it and removes it again.
    void release(Vec2 position, Viewport& view) override;
    // Deletes the polygons selected at the press (when there is a press point).
    ModifierResult evaluate(const Layer& committed) override;

private:
    using PolygonTool::PolygonTool;
};

} // namespace tessel
