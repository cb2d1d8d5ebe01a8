#include "mesh/model.h"

#include "base/check.h"

#include <algorithm>
#include <cmath>

namespace tessel {

// --- CachedModifier ---

const ModifierResult& CachedModifier::invoke(Model& model) {
    if (!result) {
        // Evaluate into a local first: the closure must not see a half-filled cache.
        ModifierResult fresh = closure(model);
        result = std::move(fresh);
    }
    return *result;
}

// --- Model.Params ---

namespace {

// Truncates toward zero and clamps in double precision, so that huge and infinite values clamp
// without an out-of-range conversion. Not-a-number keeps the old value.
std::int64_t clampedWrite(const Model::Clamped& storage, double value) {
    if (std::isnan(value)) {
        return storage.value;
    }
    double t = std::trunc(value);
    t = std::max(static_cast<double>(storage.lower), t);
    t = std::min(static_cast<double>(storage.upper), t);
    return static_cast<std::int64_t>(t);
}

} // namespace

Model::Params::Params(double u, double v) {
    setU(u);
    setV(v);
}

void Model::Params::setU(double value) {
    const std::int64_t old = _u.value;
    _u.value = clampedWrite(_u, value);
    uChanged.emit(old, _u.value);
}

void Model::Params::setV(double value) {
    const std::int64_t old = _v.value;
    _v.value = clampedWrite(_v, value);
    vChanged.emit(old, _v.value);
}

// --- Model ---

Model::Model(std::vector<LayerPtr> layers) : _layers([] { return std::vector<LayerPtr>{}; }) {
    setLayers(std::move(layers));
}

std::vector<LayerPtr> Model::layers() {
    if (!modifier_) {
        return _layers();
    }
    // Hold the modifier and the preview model: a closure or a nested read must not be able to
    // free them while we use them.
    const CachedModifierPtr modifier = modifier_;
    const ModelPtr preview = modifier->invoke(*this).model;
    TESSEL_CHECK(preview != nullptr, "Model.layers", "the modifier returned no model");
    return preview->layers();
}

void Model::setLayers(std::vector<LayerPtr> layers) {
    if (modifier_) {
        modifier_->result.reset();
    }
    _layers = [layers = std::move(layers)] { return layers; };
}

void Model::applyModifier() {
    if (!modifier_) {
        return;
    }
    const CachedModifierPtr modifier = modifier_;
    // A fresh evaluation: the cache is neither used nor filled; the tool model is dropped.
    const ModelPtr fresh = modifier->closure(*this).model;
    TESSEL_CHECK(fresh != nullptr, "Model.applyModifier", "the modifier returned no model");
    const std::vector<LayerPtr> freshLayers = fresh->_layers();
    TESSEL_CHECK(!freshLayers.empty(), "Model.applyModifier",
                 "the modifier's result model has no base layers");
    // In-place change of layers: read (the preview, computed now when the cache is empty),
    // replace element 0, write back (empties the cache and freezes the model).
    std::vector<LayerPtr> current = layers();
    TESSEL_CHECK(!current.empty(), "Model.applyModifier", "the model's layers are empty");
    current[0] = freshLayers[0];
    setLayers(std::move(current));
}

ModelPtr Model::copy() const {
    const std::vector<LayerPtr> base = _layers();
    TESSEL_CHECK(!base.empty(), "Model.copy", "the model has no base layers");
    return Model::make({base[0]->copy()});
}

void Model::setGeneratorContext(std::any context) {
    generatorContext_ = std::move(context);
    generatorContextChanged.emit();
}

CachedModifier::Closure Model::modifier() const {
    return modifier_ ? modifier_->closure : CachedModifier::Closure{};
}

void Model::setModifier(CachedModifier::Closure closure) {
    if (closure) {
        modifier_ = CachedModifier::make(std::move(closure));
    } else {
        modifier_.reset();
    }
}

Model::ParamsPtr Model::params() const {
    if (const auto* params = std::any_cast<ParamsPtr>(&generatorContext_)) {
        return *params;
    }
    return nullptr;
}

} // namespace tessel
