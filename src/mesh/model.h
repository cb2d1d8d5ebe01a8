#pragma once

#include "base/signal.h"
#include "mesh/layer.h"

#include <any>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace tessel {

class Model;
class CachedModifier;
using ModelPtr = std::shared_ptr<Model>;
using CachedModifierPtr = std::shared_ptr<CachedModifier>;

// What a modifier produces: the modified copy, and optional geometry that visualises the tool
// (drawn by the renderer, ignored by applyModifier()).
struct ModifierResult {
    ModelPtr model;
    ModelPtr tool;
};

// A modifier function with the cache of its last evaluation.
class CachedModifier {
public:
    // Always called with the model it is installed on; it must not read that model's layers.
    using Closure = std::function<ModifierResult(Model&)>;

    Closure closure;
    std::optional<ModifierResult> result;

    explicit CachedModifier(Closure c) : closure(std::move(c)) {}
    static CachedModifierPtr make(Closure c) { return std::make_shared<CachedModifier>(std::move(c)); }

    // The cached result, or a fresh evaluation that fills the cache.
    const ModifierResult& invoke(Model& model);
};

// The editable content of a mesh: an ordered list of layers produced by `_layers`, plus an
// optional non-destructive modifier whose result replaces the layers on reading.
class Model : public std::enable_shared_from_this<Model> {
public:
    // Clamped storage of a boxed integer.
    struct Clamped {
        std::int64_t value;
        std::int64_t lower;
        std::int64_t upper;
    };

    // Segment counts of a quad grid: u horizontal, v vertical; each clamped to 1 … 10.
    class Params {
    public:
        Params(double u, double v);
        static std::shared_ptr<Params> make(double u, double v) {
            return std::make_shared<Params>(u, v);
        }

        std::int64_t u() const { return _u.value; }
        std::int64_t v() const { return _v.value; }
        // Truncates toward zero, then clamps. Not-a-number leaves the value as it was.
        void setU(double value);
        void setV(double value);

        // Emitted after every write of u (old, new) and of v (old, new).
        Signal<std::int64_t, std::int64_t> uChanged;
        Signal<std::int64_t, std::int64_t> vChanged;

    private:
        Clamped _u{1, 1, 10};
        Clamped _v{1, 1, 10};
    };
    using ParamsPtr = std::shared_ptr<Params>;

    using LayersFunction = std::function<std::vector<LayerPtr>()>;

    // The only constructor: stores `layers` through the layers write.
    explicit Model(std::vector<LayerPtr> layers);
    static ModelPtr make(std::vector<LayerPtr> layers) {
        return std::make_shared<Model>(std::move(layers));
    }

    // The modifier's preview layers when a modifier is installed (evaluated once per emptied
    // cache), else the base layers from `_layers`.
    std::vector<LayerPtr> layers();
    // Empties the modifier's cache and freezes the model to `layers`.
    void setLayers(std::vector<LayerPtr> layers);

    // Commits the modifier: a fresh evaluation's first base layer becomes element 0 of the
    // current layers. The modifier stays installed. No modifier: nothing happens.
    void applyModifier();

    // A one-layer model holding a deep copy of the first base layer (any modifier ignored).
    ModelPtr copy() const;

    const std::any& generatorContext() const { return generatorContext_; }
    void setGeneratorContext(std::any context);
    Signal<> generatorContextChanged;

    // The installed modifier, if any.
    CachedModifierPtr modifier_;
    // Source of the base layers.
    LayersFunction _layers;

    // Convenience view of modifier_: its closure, or an empty function.
    CachedModifier::Closure modifier() const;
    // Installs a new CachedModifier (empty cache) holding `closure`; an empty function removes it.
    void setModifier(CachedModifier::Closure closure);

    // The grid's Params when this is a quad grid model, else null.
    ParamsPtr params() const;

    // --- Generators ---

    // A grid regenerated from `params` on every read of layers, until the first layers write.
    static ModelPtr makeQuad(const ParamsPtr& params);
    // The 2-unit cube centred on the origin: 8 shared corners, 12 triangles.
    static ModelPtr makeCube();
    // A 4-triangle patch in the plane around its origin; the plane must carry an origin.
    static ModelPtr makePlane(const Plane& plane);

private:
    std::any generatorContext_;
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
};

} // namespace tessel
