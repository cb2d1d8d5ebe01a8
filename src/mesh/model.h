#pragma once

#include "base/signal.h"
#include "geometry/plane.h"
#include "mesh/layer.h"
#include "mesh/primitives.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>

namespace tessel {

class Model;
using ModelPtr = std::shared_ptr<Model>;

// The most triangles an edit may leave in a model's layer (a face of n corners counts as the
// n − 2 triangles that draw it). No edit adds more points than that,
// so this also keeps point ids far inside 32 bits, and the largest layer an edit builds far
// inside the memory of the machines the modeller runs on.
inline constexpr std::size_t kMaxTriangles = 4'000'000;

// What a modifier shows: the edited copy of the committed layer, and optional geometry that
// shows the tool itself (drawn, never committed).
struct ModifierResult {
    LayerPtr layer;
    LayerPtr tool;
};

// A non-destructive edit installed on a model: a tool's preview. It computes its result from
// the committed layer and its own state, never by changing the layer it is given.
class Modifier {
public:
    virtual ~Modifier() = default;
    virtual ModifierResult evaluate(const Layer& committed) = 0;
    // An upper bound on the triangles that draw evaluate(committed)'s layer, cheap to compute:
    // the model refuses to evaluate when it exceeds kMaxTriangles. The default suits edits that
    // add no faces.
    virtual std::size_t trianglesAfter(const Layer& committed) const {
        return committed.faces.triangleCount();
    }
};
using ModifierPtr = std::shared_ptr<Modifier>;

// The editable content of a mesh: the committed layer and, while a tool previews an edit, the
// installed modifier with its last result.
//
// The preview is a value. Installing a modifier, committing, or invalidatePreview() (the tool's
// gesture changed) make it stale; layer() and updatePreview() evaluate a stale preview, and
// nothing else does: drawing reads shownLayer(), which never evaluates.
//
// An evaluation whose result could exceed kMaxTriangles is refused before it runs: a refused
// preview shows the committed layer (and no tool) until the preview is stale again, a refused
// commit changes nothing. takeRefusal() tells the editor, so that it can tell the user.
class Model {
public:
    // What the model refused since it was last asked; a refused commit outranks a preview.
    enum class Refusal { None, Preview, Commit };

    // Segment counts of a quad grid: u horizontal, v vertical; each clamped to 1 … 10.
    class Params {
    public:
        Params(double u, double v);
        static std::shared_ptr<Params> make(double u, double v) {
            return std::make_shared<Params>(u, v);
        }

        std::int64_t u() const { return u_; }
        std::int64_t v() const { return v_; }
        // Truncates toward zero, then clamps. Not-a-number leaves the value as it was.
        void setU(double value);
        void setV(double value);

        // Emitted after every write of u (old, new) and of v (old, new).
        Signal<std::int64_t, std::int64_t> uChanged;
        Signal<std::int64_t, std::int64_t> vChanged;

    private:
        std::int64_t u_ = 1;
        std::int64_t v_ = 1;
    };
    using ParamsPtr = std::shared_ptr<Params>;

    // A model committed to `layer` (an empty layer when null).
    explicit Model(LayerPtr layer = nullptr);
    static ModelPtr make(LayerPtr layer = nullptr) {
        return std::make_shared<Model>(std::move(layer));
    }

    // The committed layer. A grid's or primitive's is generated again on every change of its
    // params, until the first commit.
    const LayerPtr& committed() const { return committed_; }
    // Replaces the committed layer; a grid or primitive keeps its params but stops following
    // them. The preview is stale.
    void setCommitted(LayerPtr layer);
    // Whether a grid's or primitive's committed layer still follows its params (false for other
    // models).
    bool followsParams() const { return followsParams_; }
    // Puts back a committed layer as undo or redo finds it, with the grid or primitive following
    // its params again when it did then. The preview is stale.
    void restoreCommitted(LayerPtr layer, bool followsParams);

    // The layer the model shows: the preview's while a modifier is installed (evaluated first
    // when stale), else the committed one.
    LayerPtr layer();
    // The same without evaluating: the last preview, or the committed layer when there is none.
    LayerPtr shownLayer() const;
    // The tool geometry of the last preview, if any.
    LayerPtr toolLayer() const;

    const ModifierPtr& modifier() const { return modifier_; }
    // Installs a modifier (replacing any other) with a stale preview; null removes it.
    void setModifier(ModifierPtr modifier);
    // The installed modifier's inputs changed: its preview is stale.
    void invalidatePreview() { stale_ = true; }
    // Evaluates a stale preview now, unless it could exceed kMaxTriangles.
    void updatePreview();
    // Commits: a fresh evaluation of the modifier becomes the committed layer. The modifier
    // stays installed, with a stale preview. Without a modifier, or when the result could exceed
    // kMaxTriangles, nothing happens.
    void applyModifier();
    // The strongest refusal since the last call, which forgets it.
    Refusal takeRefusal();

    // The grid's Params when this is a quad grid model, else null.
    const ParamsPtr& params() const { return params_; }
    // The settings of a primitive model (a plane, box, sphere …), else null.
    const PrimitiveParamsPtr& primitive() const { return primitive_; }
    // Whether the model is a scene's "Cube" (made by makeCube and marked by whoever added it),
    // which the scene panel describes by its size and centre. Edits keep the mark.
    bool isCube() const { return isCube_; }
    void markAsCube() { isCube_ = true; }

    // A model holding what this one has committed (the layer shared, never changed in place),
    // its grid or primitive params as values and its marks, without a preview: what a document
    // written elsewhere (an autosave on another thread) needs while this model goes on being
    // edited.
    ModelPtr snapshot() const;

    // --- Generators ---

    // A grid generated from `params`, following every change of them until the first commit.
    static ModelPtr makeQuad(const ParamsPtr& params);
    // A primitive generated from `params`, following every change of them until the first
    // commit.
    static ModelPtr makePrimitive(const PrimitiveParamsPtr& params);
    // The 2-unit cube centred on the origin: 8 shared corners, 12 triangles facing outward.
    static ModelPtr makeCube();
    // A 4-triangle patch in the plane around its origin, drawn with the cutting-plane fragment
    // stage; the plane must carry an origin.
    static ModelPtr makePlane(const Plane& plane);

private:
    LayerPtr committed_;
    ParamsPtr params_;
    PrimitiveParamsPtr primitive_;
    bool followsParams_ = false;
    bool isCube_ = false;

    ModifierPtr modifier_;
    ModifierResult preview_;
    bool stale_ = false;
    Refusal refusal_ = Refusal::None;
};

// A flat grid of H × V cells in z = 0 spanning −0.5 … 0.5: (H + 1)(V + 1) points row by row
// and two counter-clockwise triangles per cell.
class QuadGenerator {
public:
    QuadGenerator(std::int64_t horizontalSegmentsNum, std::int64_t verticalSegmentsNum);

    const std::int64_t horizontalSegmentsNum;
    const std::int64_t verticalSegmentsNum;

    ModelPtr generate() const;
    // The grid layer itself.
    LayerPtr generateLayer() const;
    // The same points with one four-cornered face per cell, (i, j), (i + 1, j), (i + 1, j + 1),
    // (i, j + 1), row by row.
    LayerPtr generateQuadLayer() const;
};

} // namespace tessel
