#include "mesh/model.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace tessel {
namespace {

LayerPtr triangleLayer(float z = 0) {
    auto a = Point::make(0, 0, z);
    auto b = Point::make(1, 0, z);
    auto c = Point::make(0, 1, z);
    return Layer::make({a, b, c}, {Triangle::make(a, b, c)});
}

// A modifier that records every evaluation: each call returns a new two-layer model.
struct RecordingModifier {
    std::vector<ModelPtr> results;
    std::vector<Model*> arguments;

    CachedModifier::Closure closure() {
        return [this](Model& model) {
            arguments.push_back(&model);
            results.push_back(Model::make({triangleLayer(1), triangleLayer(2)}));
            return ModifierResult{results.back(), Model::makeCube()};
        };
    }
    size_t calls() const { return results.size(); }
    LayerPtr layer(size_t call, size_t index) const {
        return results.at(call)->_layers().at(index);
    }
};

TEST(ModelTest, WritingBackTheModifierReadKeepsItsFunctionWithAFreshCache) {
    const ModelPtr model = Model::make({triangleLayer()});
    RecordingModifier recorder;
    model->setModifier(recorder.closure());
    model->layers();
    model->setModifier(model->modifier());
    ASSERT_NE(model->modifier_, nullptr);
    EXPECT_FALSE(model->modifier_->result.has_value());
    const std::vector<LayerPtr> shown = model->layers();
    ASSERT_EQ(recorder.calls(), 2u);
    EXPECT_EQ(shown, recorder.results[1]->layers());
    EXPECT_EQ(recorder.arguments, (std::vector<Model*>{model.get(), model.get()}));
}

TEST(ModelTest, ApplyCommitsTheFreshEvaluationsFirstBaseLayerIntoTheCurrentLayers) {
    const ModelPtr model = Model::make({triangleLayer()});
    RecordingModifier recorder;
    model->setModifier(recorder.closure());
    model->applyModifier();
    // Evaluation 0 is the fresh one; evaluation 1 fills the cache for reading the current layers.
    EXPECT_EQ(recorder.arguments, (std::vector<Model*>{model.get(), model.get()}));
    EXPECT_EQ(model->_layers(), (std::vector<LayerPtr>{recorder.layer(0, 0), recorder.layer(1, 1)}));
}

TEST(ModelTest, ApplyTakesTheResultsBaseLayersNotItsPreview) {
    const ModelPtr model = Model::make({triangleLayer()});
    const LayerPtr base = triangleLayer(5);
    const LayerPtr preview = triangleLayer(6);
    model->setModifier([&](Model&) {
        const ModelPtr result = Model::make({base});
        result->setModifier([&](Model&) {
            return ModifierResult{Model::make({preview}), nullptr};
        });
        return ModifierResult{result, nullptr};
    });
    EXPECT_EQ(model->layers(), std::vector<LayerPtr>{preview});
    model->applyModifier();
    EXPECT_EQ(model->_layers(), std::vector<LayerPtr>{base});
}


TEST(ModelTest, WritingOrApplyingFreezesAGeneratedModel) {
    for (const bool apply : {false, true}) {
        const auto params = Model::Params::make(2, 2);
        const ModelPtr model = Model::makeQuad(params);
        if (apply) {
            model->setModifier([](Model& m) { return ModifierResult{m.copy(), nullptr}; });
            model->applyModifier();
            model->modifier_.reset();
        } else {
            model->setLayers(model->layers());
        }
        const std::vector<LayerPtr> frozen = model->layers();
        params->setU(4);
        params->setV(4);
        EXPECT_EQ(model->layers(), frozen) << apply;
        EXPECT_EQ(frozen.at(0)->points.size(), 9u);
        EXPECT_EQ(model->params(), params); // generatorContext is left as it was
    }
}


TEST(ModelTest, CopyTakesTheFirstBaseLayerOnly) {
    const LayerPtr first = triangleLayer();
    first->fragmentShader = "selectedPrimitive";
    const ModelPtr source = Model::make({first, triangleLayer(9)});
    source->setGeneratorContext(Model::Params::make(3, 3));
    RecordingModifier recorder;
    source->setModifier(recorder.closure());
    const ModelPtr copy = source->copy();
    EXPECT_EQ(recorder.calls(), 0u);
    EXPECT_EQ(copy->modifier_, nullptr);
    EXPECT_FALSE(copy->generatorContext().has_value());
    ASSERT_EQ(copy->layers().size(), 1u);
    EXPECT_NE(copy->layers()[0], first);
    EXPECT_EQ(copy->layers()[0]->fragmentShader, first->fragmentShader);
    EXPECT_EQ(copy->layers()[0]->points[1]->position, Vector3(1, 0, 0));
}

TEST(ModelTest, CopyOfAGridIsAFixedSnapshot) {
    const auto params = Model::Params::make(3, 1);
    const ModelPtr grid = Model::makeQuad(params);
    const ModelPtr copy = grid->copy();
    params->setU(1);
    EXPECT_EQ(copy->layers()[0]->points.size(), 8u);
    EXPECT_EQ(copy->layers()[0], copy->layers()[0]);
}

TEST(ModelParamsTest, WritesTruncateTowardZeroThenClampWithoutOverflow) {
    const double inf = std::numeric_limits<double>::infinity();
    const std::pair<double, std::int64_t> cases[] = {
        {7.9, 7}, {-0.5, 1}, {10.99, 10}, {0, 1}, {25, 10}, {1e300, 10}, {-1e300, 1}, {inf, 10}, {-inf, 1},
        {9.2233720368547758e18, 10}, // 2^63: not representable as int64
        {std::nan(""), 5},           // not-a-number leaves the value
    };
    for (const auto& [value, expected] : cases) {
        Model::Params params(5, 5);
        params.setU(value);
        params.setV(value);
        EXPECT_EQ(params.u(), expected) << value;
        EXPECT_EQ(params.v(), expected) << value;
        EXPECT_EQ(Model::Params(value, value).v(), std::isnan(value) ? 1 : expected) << value;
    }
}

TEST(ModelParamsTest, EveryWriteIsAnnouncedWithOldAndNew) {
    Model::Params params(2, 3);
    std::vector<std::pair<std::int64_t, std::int64_t>> us;
    std::vector<std::pair<std::int64_t, std::int64_t>> vs;
    params.uChanged.connect([&](std::int64_t o, std::int64_t n) { us.emplace_back(o, n); });
    params.vChanged.connect([&](std::int64_t o, std::int64_t n) { vs.emplace_back(o, n); });
    params.setU(5);
    params.setU(5.5); // unchanged value: still announced
    params.setU(99);
    params.setV(1);
    using P = std::pair<std::int64_t, std::int64_t>;
    EXPECT_EQ(us, (std::vector<P>{{2, 5}, {5, 5}, {5, 10}}));
    EXPECT_EQ(vs, (std::vector<P>{{3, 1}}));
}

TEST(ModelTest, GeneratorContextIsObservable) {
    const ModelPtr model = Model::make({});
    int changes = 0;
    model->generatorContextChanged.connect([&] { ++changes; });
    const auto params = Model::Params::make(3, 4);
    model->setGeneratorContext(params);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(model->params(), params);
    model->setGeneratorContext(42);
    EXPECT_EQ(changes, 2);
    EXPECT_EQ(model->params(), nullptr);
    model->setGeneratorContext({});
    EXPECT_EQ(changes, 3);
    EXPECT_FALSE(model->generatorContext().has_value());
}

TEST(ModelDeathTest, CopyWithoutLayersStops) {
    const ModelPtr model = Model::make({});
    EXPECT_DEATH(model->copy(), "Model.copy");
}

TEST(ModelDeathTest, ApplyWhenTheResultHasNoBaseLayersStops) {
    const ModelPtr model = Model::make({triangleLayer()});
    model->setModifier([](Model&) { return ModifierResult{Model::make({}), nullptr}; });
    EXPECT_DEATH(model->applyModifier(), "Model.applyModifier.*no base layers");
}

TEST(ModelDeathTest, ApplyWhenTheCurrentLayersAreEmptyStops) {
    const ModelPtr model = Model::make({triangleLayer()});
    model->setModifier([](Model&) {
        // Base layers present, preview (the result's own modifier) empty.
        const ModelPtr result = Model::make({triangleLayer()});
        result->setModifier([](Model&) { return ModifierResult{Model::make({}), nullptr}; });
        return ModifierResult{result, nullptr};
    });
    EXPECT_DEATH(model->applyModifier(), "Model.applyModifier.*layers are empty");
}

} // namespace
} // namespace tessel
