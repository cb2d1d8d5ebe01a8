#include "mesh/model.h"

#include "base/check.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace tessel {

// --- Model.Params ---

namespace {

// Truncates toward zero and clamps to 1 … 10 in double precision, so that huge and infinite
// values clamp without an out-of-range conversion. Not-a-number keeps the old value.
std::int64_t clampedWrite(std::int64_t old, double value) {
    if (std::isnan(value)) {
        return old;
    }
    return static_cast<std::int64_t>(std::clamp(std::trunc(value), 1.0, 10.0));
}

} // namespace

Model::Params::Params(double u, double v) {
    setU(u);
    setV(v);
}

void Model::Params::setU(double value) {
    const std::int64_t old = u_;
    u_ = clampedWrite(u_, value);
    uChanged.emit(old, u_);
}

void Model::Params::setV(double value) {
    const std::int64_t old = v_;
    v_ = clampedWrite(v_, value);
    vChanged.emit(old, v_);
}

// --- Model ---

Model::Model(LayerPtr layer) : committed_(layer ? std::move(layer) : makeLayer()) {}

ModelPtr Model::snapshot() const {
    auto copy = make(committed_);
    if (params_) {
        copy->params_ =
            Params::make(static_cast<double>(params_->u()), static_cast<double>(params_->v()));
    }
    if (primitive_) {
        copy->primitive_ = primitive_->copy();
    }
    copy->followsParams_ = followsParams_;
    copy->isCube_ = isCube_;
    return copy;
}

void Model::setCommitted(LayerPtr layer) {
    TESSEL_CHECK(layer != nullptr, "Model::setCommitted", "no layer");
    committed_ = std::move(layer);
    followsParams_ = false;
    stale_ = true;
}

void Model::restoreCommitted(LayerPtr layer, bool followsParams) {
    setCommitted(std::move(layer));
    followsParams_ = followsParams && (params_ != nullptr || primitive_ != nullptr);
}

LayerPtr Model::layer() {
    updatePreview();
    return shownLayer();
}

LayerPtr Model::shownLayer() const {
    return modifier_ && preview_.layer ? preview_.layer : committed();
}

LayerPtr Model::toolLayer() const { return modifier_ ? preview_.tool : nullptr; }

void Model::setModifier(ModifierPtr modifier) {
    modifier_ = std::move(modifier);
    preview_ = {};
    stale_ = true;
}

void Model::updatePreview() {
    if (!modifier_ || !stale_) {
        return;
    }
    // Held: the evaluation may replace the installed modifier.
    const ModifierPtr modifier = modifier_;
    const LayerPtr base = committed_;
    if (modifier->trianglesAfter(*base) > kMaxTriangles) {
        preview_ = {};
        stale_ = false;
        refusal_ = std::max(refusal_, Refusal::Preview);
        return;
    }
    ModifierResult result = modifier->evaluate(*base);
    TESSEL_CHECK(result.layer != nullptr, "Model::updatePreview", "the modifier gave no layer");
    if (modifier_ == modifier) {
        preview_ = std::move(result);
        stale_ = false;
    }
}

void Model::applyModifier() {
    if (!modifier_) {
        return;
    }
    const ModifierPtr modifier = modifier_;
    const LayerPtr base = committed_;
    if (modifier->trianglesAfter(*base) > kMaxTriangles) {
        refusal_ = Refusal::Commit;
        return;
    }
    setCommitted(modifier->evaluate(*base).layer);
}

Model::Refusal Model::takeRefusal() { return std::exchange(refusal_, Refusal::None); }

} // namespace tessel
