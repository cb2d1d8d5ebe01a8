#pragma once

#include "geometry/matrix.h"
#include "geometry/vector.h"
#include "mesh/edge.h"
#include "mesh/layer.h"
#include "scene/viewport.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace tessel {

// A Move, Rotate or Scale about a centre, driven by the pointer in one viewport and by keys: the
// gesture's state and what it amounts to, with nothing of the editor in it.
//
// Pointer positions are device positions: −1 … 1 across the viewport, y up (devicePosition() of a
// normalized one). The view is the one the gesture started in, fixed until it ends. Distances and
// angles on the screen are measured in the viewport's proportions (x times its aspect ratio).
//
// From the pointer:
//   Move    the centre's point follows the pointer in the plane through the centre parallel to
//           the screen; along an axis, the point of the axis nearest the pointer's ray (relative
//           to the start's); in a plane, where the pointer's ray meets it (relative to the
//           start's). An axis pointing at the viewer, or a plane seen edge-on, takes the screen
//           plane's offset projected onto it instead.
//   Rotate  the angle the pointer sweeps around the centre's projection, turns included,
//           counter-clockwise positive, about the view axis (toward the viewer, so that the
//           selection turns with the pointer). About a world axis (also for its plane) the sign
//           follows whether that axis points toward the viewer or away, for the same reason.
//   Scale   the pointer's distance to the centre's projection over that distance at the start (1
//           while the start is on the centre).
// Keys (key()):
//   x y z   hold to that world axis; X Y Z to the plane normal to it (Rotate: about that axis,
//           Scale: along the two other axes); the same key again lets go.
//   0-9 .   type an amount, which replaces the pointer's while any digit or point is typed: Move
//           by that many units along the axis (x unconstrained; in a plane, the first of its two
//           axes), Rotate by that many degrees (about the view axis unconstrained), Scale by that
//           factor.
//   -       toggles the typed amount's sign; with no digit typed, the pointer's amount is negated.
//   \b      (kBackspace) removes the last typed character.
// Snapping (Ctrl held): Move rounds the amount along the axis, or each world component of the
// offset, to 0.1 units; Rotate rounds to 5°; Scale to factors of 0.1. Typed amounts never snap.
//
// status() formats, with <a> the axis letter and <p> the plane's two letters (yz, xz, xy); the
// pointer's amounts with two decimals (angles one), a typed amount exactly as typed:
//   "Move: 0.12, 0.30, 0.00"    "Move x: 0.50"     "Move yz: 0.00, 0.12, 0.30"    "Move x: 0.5"
//   "Rotate: 12.0°"             "Rotate z: 45.0°"  (a plane: its normal's letter)  "Rotate z: 45°"
//   "Scale: 1.10"               "Scale y: 2.00"    "Scale xy: 1.10"                "Scale y: 2"
class TransformGesture {
public:
    enum class Kind { Move, Rotate, Scale };
    // What the transform is held to: nothing, the world axis axis(), or the plane normal to it.
    enum class Constraint { None, Axis, Plane };

    // Backspace as key() takes it.
    static constexpr char kBackspace = '\b';

    // A gesture about `centre` (world) started with the pointer at device position `start`, in a
    // viewport of that view-projection and width over height.
    TransformGesture(Kind kind, const Vector3& centre, const Matrix& viewProjection,
                     float aspectRatio, Vec2 start);
    // The same in `view`, from its pointer position.
    TransformGesture(Kind kind, const Vector3& centre, const Viewport& view);

    // The pointer is at device position `position` now.
    void pointerAt(Vec2 position);
    // Whether the pointer's amounts snap to steps (Ctrl held).
    void setSnapping(bool snapping) { snapping_ = snapping; }
    // Takes one key; returns whether it is one of the gesture's (then it is used, even when it
    // changes nothing, like a second point). Any other key is left to the caller (Return and
    // Escape included).
    bool key(char c);

    Kind kind() const { return kind_; }
    Constraint constraint() const { return constraint_; }
    // 0, 1 or 2 for x, y or z; meaningful under a constraint.
    int axis() const { return axis_; }
    bool snapping() const { return snapping_; }
    // The typed text ("-4.5"), empty when nothing is typed.
    const std::string& typed() const { return typed_; }
    const Vector3& centre() const { return centre_; }

    // The amount of the transform: an offset, or an angle in degrees about a unit axis, or a
    // factor.
    struct Amount {
        Vector3 offset;
        double degrees = 0;
        Vector3 about;
        double factor = 1;
    };
    // The amount as things stand.
    Amount amount() const;
    // Fixes the amount, which then rules over the pointer and the typed text (the panel after the
    // gesture sets exact amounts this way).
    void setAmount(const Amount& amount) { fixed_ = amount; }

    // The world transform as things stand: the identity at the start, and whenever it would not be
    // finite (a not-a-number centre, a typed amount beyond float's range).
    Matrix matrix() const;
    // The status bar's text (formats above).
    std::string status() const;

private:
    Amount pointerAmount() const;
    // matrix() before the check.
    Matrix transform() const;
    // Whether a digit or point is typed (then the typed amount rules).
    bool hasTypedNumber() const;
    double typedNumber() const;
    Vector3 moveOffset() const;
    // Device position to screen proportions.
    Vec2 screen(Vec2 device) const;
    // The view axis: counter-clockwise on the screen is positive about it.
    Vector3 viewAxis() const;

    Kind kind_;
    Vector3 centre_;
    Matrix viewProjection_;
    Matrix inverse_;
    float aspectRatio_;
    // The centre's device position.
    Vector3 projectedCentre_;
    Vec2 start_;
    Vec2 pointer_;
    // Rotate: the angle swept so far, in radians.
    double swept_ = 0;
    Constraint constraint_ = Constraint::None;
    int axis_ = 0;
    bool snapping_ = false;
    std::string typed_;
    std::optional<Amount> fixed_;
};

// A transform of world coordinates as the same transform of a layer's coordinates, for a mesh
// placed by `nodeMatrix` (its node's matrix()): node⁻¹ · world · node.
Matrix inLayerCoordinates(const Matrix& world, const Matrix& nodeMatrix);

// The points a transform of a selection moves, each once and ascending: the given points, the ends
// of the given edges and the corners of the given faces. Ids that name nothing in the layer are
// skipped (selections are not renumbered by edits).
std::vector<std::uint32_t> pointsToTransform(const Layer& layer,
                                             std::span<const std::int64_t> points,
                                             std::span<const Edge> edges,
                                             std::span<const std::uint32_t> faces);

// The committed layer with `points` moved by the affine `matrix` (layer coordinates; its last row
// is ignored): a new layer that shares the committed one's faces until either is edited, with
// positions of its own. Ids out of range are skipped; a repeated id moves its point once.
LayerPtr transformedLayer(const Layer& committed, std::span<const std::uint32_t> points,
                          const Matrix& matrix);

} // namespace tessel
