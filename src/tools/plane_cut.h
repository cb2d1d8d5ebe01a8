#pragma once

#include "mesh/model.h"
#include "tools/operation.h"

#include <memory>
#include <optional>

namespace tessel {

// Polygon "Plane cut": cuts the selected mesh along a plane the user places. The preview shows
// the mesh split along the plane together with a patch showing the plane (the result's tool
// model); the cut is committed only by the apply button, and the preview stays installed after
// it, so a second apply cuts again along the same plane.
//
// A press that hits the shown plane patch (or, without one, the mesh) grabs the plane: dragging
// moves it parallel to the screen, keeping the pressed point under the pointer at its depth. A
// press elsewhere turns the plane's normal about the world z axis by the angle the pointer
// sweeps around the plane origin's screen position.
class PlaneCut final : public Operation, public Modifier {
public:
    // Creates the tool with the plane y = 0 through the origin, empties the face selection and
    // installs the preview on the selected mesh's model (if any). The preview keeps the tool
    // alive; the tool refers to its context without owning it.
    static std::shared_ptr<PlaneCut> make(ToolContext& context);

    // Remembers where the ray through `position` meets the shown patch (anywhere on it, its inner
    // edges and centre included), leaving the face selection empty; without a patch, picks the
    // first triangle in layer order (not the nearest) of the preview's layer that the ray hits and
    // selects it. Freezes the normal as the base of a turning drag.
    void press(Vec2 position, Viewport& view) override;
    // Moves the plane by this event's `delta` when the press hit something, else turns it.
    void drag(Vec2 delta, Viewport& view) override;
    // Ends the gesture; commits nothing.
    void release(Vec2 position, Viewport& view) override;

    // A copy of the committed layer cut along the plane, and the plane patch as the tool.
    ModifierResult evaluate(const Layer& committed) override;
    // The triangles that draw the committed faces and those the cut adds (exact).
    size_t trianglesAfter(const Layer& committed) const override;

    // The press point, moved along by the drag; empty between gestures or after a miss.
    std::optional<Vector3> intersection;
    // The plane's normal (any length; normalised where used) and a point of the plane.
    Vector3 normal{0, 1, 0};
    Vector3 cuttingPlaneOrigin{0, 0, 0};
    // The normal as it was at the press.
    std::optional<Vector3> frozenNormal;

private:
    explicit PlaneCut(ToolContext& context) : context_(context) {}

    ToolContext& context_;
};

} // namespace tessel
