#pragma once

#include "mesh/model.h"
#include "tools/operation.h"
#include "tools/point_merge.h"

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
class PlaneCut final : public Operation, public std::enable_shared_from_this<PlaneCut> {
  public:
    // Creates the tool with the plane y = 0 through the origin, empties the face selection and
    // installs the preview on the selected mesh's model (if any). The preview keeps the tool
    // alive; the tool refers to its context without owning it.
    static std::shared_ptr<PlaneCut> make(DetailViewController& context);

    // Picks the first triangle in layer order (not the nearest) that the ray through `position`
    // hits, on the shown patch or else on the preview's layer; records it as the face selection
    // and remembers the hit. Freezes the normal as the base of a turning drag.
    void onMouseDown(Vec2 position, Viewport& view) override;
    // Moves the plane by this event's `delta` when the press hit something, else turns it.
    void onMouseDragged(Vec2 delta, Viewport& view) override;
    // Ends the gesture; commits nothing.
    void onMouseUp(Vec2 position, Viewport& view) override;

    // A fresh copy of `model` cut along the plane, and the plane patch as the tool model.
    ModifierResult preview(Model& model);

    // The press point, moved along by the drag; empty between gestures or after a miss.
    std::optional<Vector3> intersection;
    // The copy the last preview cut.
    ModelPtr cachedModel;
    // The plane's normal (any length; normalised where used) and a point of the plane.
    Vector3 normal{0, 1, 0};
    Vector3 cuttingPlaneOrigin{0, 0, 0};
    // The normal as it was at the press.
    std::optional<Vector3> frozenNormal;

  private:
    explicit PlaneCut(DetailViewController& context) : context_(context) {}

    DetailViewController& context_;
    // What the merges learnt about the mesh's points, for the next preview of the same mesh.
    PointMergeMemo mergeMemo_;
};

// Splits every triangle of the layer that exactly two of its edges cross, at the crossing
// points, in polygon order; the pieces appended are not visited. An edge from a to b crosses at
// t = −(n · (a − o)) / (n · (b − a)) when 0 ≤ t ≤ 1, so a vertex on the plane makes both of its
// edges cross (t = 0 and t = 1). Triangles crossed by no, one or three edges, and faces that are
// not triangles, are left alone. `unitNormal` must be normalised.
void splitAlongPlane(Layer& layer, const Vector3& unitNormal, const Vector3& origin);

// The whole cut: splitAlongPlane, then mergeCoincidentPoints so that the points the splits of
// neighbouring triangles created on a shared edge become one again.
void cutAlongPlane(Layer& layer, const Vector3& unitNormal, const Vector3& origin);
// The same, keeping what the merge learns about the layer's points in `memo` for the next cut of
// a layer whose points stand where these do.
void cutAlongPlane(Layer& layer, const Vector3& unitNormal, const Vector3& origin,
                   PointMergeMemo& memo);

} // namespace tessel
