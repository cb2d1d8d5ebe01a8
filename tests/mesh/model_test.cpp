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

TEST(ModelTest, ModifierIsEvaluatedOncePerEmptiedCache) {
    const ModelPtr model = Model::make({triangleLayer()});
    RecordingModifier recorder;
    model->modifier_ = CachedModifier::make(recorder.closure());

    const std::vector<LayerPtr> first = model->layers();
    const std::vector<LayerPtr> second = model->layers();
    EXPECT_EQ(recorder.calls(), 1u);
    EXPECT_EQ(first, second);
    EXPECT_EQ(first, recorder.results[0]->layers());
    ASSERT_EQ(recorder.arguments.size(), 1u);
    EXPECT_EQ(recorder.arguments[0], model.get());
    ASSERT_TRUE(model->modifier_->result.has_value());
    EXPECT_EQ(model->modifier_->result->model, recorder.results[0]);

    // A write empties the cache; the modifier stays installed.
    model->setLayers({triangleLayer()});
    EXPECT_FALSE(model->modifier_->result.has_value());
    const std::vector<LayerPtr> third = model->layers();
    EXPECT_EQ(recorder.calls(), 2u);
    EXPECT_EQ(third, recorder.results[1]->layers());
    EXPECT_NE(third, first);
    model->layers();
    EXPECT_EQ(recorder.calls(), 2u);
}

TEST(ModelTest, ReadingHonoursTheResultModelsOwnModifier) {
    const ModelPtr model = Model::make({triangleLayer()});
    const LayerPtr inner = triangleLayer(7);
    model->setModifier([&](Model&) {
        const ModelPtr copy = Model::make({triangleLayer(3)});
        copy->setModifier([&](Model&) { return ModifierResult{Model::make({inner}), nullptr}; });
        return ModifierResult{copy, nullptr};
    });
    EXPECT_EQ(model->layers(), std::vector<LayerPtr>{inner});
}

TEST(ModelTest, ModifierViewInstallsFreshCacheAndRemoves) {
    const ModelPtr model = Model::make({triangleLayer()});
    RecordingModifier recorder;
    model->setModifier(recorder.closure());
    ASSERT_NE(model->modifier_, nullptr);
    EXPECT_FALSE(model->modifier_->result.has_value());
    EXPECT_TRUE(model->modifier());

    model->layers();
    EXPECT_EQ(recorder.calls(), 1u);
    const CachedModifierPtr installed = model->modifier_;
    // Writing back the value just read keeps the function but discards the preview.
    model->setModifier(model->modifier());
    EXPECT_NE(model->modifier_, installed);
    EXPECT_FALSE(model->modifier_->result.has_value());
    model->layers();
    EXPECT_EQ(recorder.calls(), 2u);

    const std::vector<LayerPtr> base = model->_layers();
    model->setModifier({});
    EXPECT_EQ(model->modifier_, nullptr);
    EXPECT_FALSE(model->modifier());
    EXPECT_EQ(model->layers(), base);
}

TEST(ModelTest, ApplyWithEmptyCacheRunsTheClosureTwice) {
    const ModelPtr model = Model::make({triangleLayer()});
    RecordingModifier recorder;
    model->setModifier(recorder.closure());

    model->applyModifier();
    // Evaluation 0 is the fresh one (its first base layer is committed); evaluation 1 fills the
    // cache for the read of the current layers (its second layer stays in place).
    ASSERT_EQ(recorder.calls(), 2u);
    EXPECT_EQ(recorder.arguments[0], model.get());
    EXPECT_EQ(recorder.arguments[1], model.get());
    EXPECT_EQ(model->_layers(),
              (std::vector<LayerPtr>{recorder.layer(0, 0), recorder.layer(1, 1)}));
    // The modifier stays installed, with its cache emptied by the write.
    ASSERT_NE(model->modifier_, nullptr);
    EXPECT_FALSE(model->modifier_->result.has_value());
    // Removing it shows exactly the committed array.
    model->modifier_.reset();
    EXPECT_EQ(model->layers(), (std::vector<LayerPtr>{recorder.layer(0, 0), recorder.layer(1, 1)}));
}

TEST(ModelTest, ApplyWithFilledCacheRunsTheClosureOnce) {
    const ModelPtr model = Model::make({triangleLayer()});
    RecordingModifier recorder;
    model->setModifier(recorder.closure());
    model->layers(); // evaluation 0 fills the cache

    model->applyModifier(); // evaluation 1 is the fresh one
    ASSERT_EQ(recorder.calls(), 2u);
    EXPECT_EQ(model->_layers(),
              (std::vector<LayerPtr>{recorder.layer(1, 0), recorder.layer(0, 1)}));
    EXPECT_FALSE(model->modifier_->result.has_value());

    // The next read runs the modifier once more, on top of the committed geometry.
    model->layers();
    EXPECT_EQ(recorder.calls(), 3u);
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

TEST(ModelTest, ApplyFreezesAGeneratedModel) {
    const auto params = Model::Params::make(2, 2);
    const ModelPtr model = Model::makeQuad(params);
    model->setModifier([](Model& m) { return ModifierResult{m.copy(), nullptr}; });
    model->applyModifier();
    model->modifier_.reset();
    const std::vector<LayerPtr> committed = model->layers();
    params->setU(5);
    EXPECT_EQ(model->layers(), committed);
    EXPECT_EQ(committed.at(0)->points.size(), 9u);
}

TEST(ModelTest, WritingFreezesAGeneratedModel) {
    const auto params = Model::Params::make(2, 2);
    const ModelPtr model = Model::makeQuad(params);
    EXPECT_EQ(model->layers().at(0)->points.size(), 9u);
    const std::vector<LayerPtr> frozen = model->layers();
    model->setLayers(frozen);
    params->setU(4);
    params->setV(4);
    EXPECT_EQ(model->layers(), frozen);
    // generatorContext is left as it was.
    EXPECT_EQ(model->params(), params);
}

TEST(ModelTest, CopyDeepCopiesTheFirstBaseLayerOnly) {
    const LayerPtr first = triangleLayer();
    first->fragmentShader = "selectedPrimitive";
    const ModelPtr source = Model::make({first, triangleLayer(9)});
    source->setGeneratorContext(Model::Params::make(3, 3));
    RecordingModifier recorder;
    source->setModifier(recorder.closure());

    const ModelPtr copy = source->copy();
    EXPECT_EQ(recorder.calls(), 0u); // the modifier is ignored
    ASSERT_EQ(copy->layers().size(), 1u);
    EXPECT_EQ(copy->modifier_, nullptr);
    EXPECT_FALSE(copy->generatorContext().has_value());

    const LayerPtr copied = copy->layers()[0];
    EXPECT_NE(copied, first);
    ASSERT_EQ(copied->points.size(), 3u);
    ASSERT_EQ(copied->polygons.size(), 1u);
    EXPECT_EQ(copied->fragmentShader, first->fragmentShader);
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_NE(copied->points[i], first->points[i]);
        EXPECT_EQ(copied->points[i]->position, first->points[i]->position);
        EXPECT_EQ(copied->polygons[0]->verts()[i], copied->points[i]);
    }
    copied->points[1]->position = {5, 5, 5};
    EXPECT_EQ(first->points[1]->position, Vector3(1, 0, 0));
}

TEST(ModelTest, CopyOfAGridIsAFixedSnapshot) {
    const auto params = Model::Params::make(3, 1);
    const ModelPtr grid = Model::makeQuad(params);
    const ModelPtr copy = grid->copy();
    params->setU(1);
    EXPECT_EQ(copy->layers()[0]->points.size(), 8u);
    EXPECT_EQ(copy->layers()[0], copy->layers()[0]);
}

TEST(ModelParamsTest, ConstructorClamps) {
    const Model::Params params(0, 25);
    EXPECT_EQ(params.u(), 1);
    EXPECT_EQ(params.v(), 10);
}

TEST(ModelParamsTest, WritesTruncateTowardZeroThenClamp) {
    Model::Params params(5, 5);
    params.setU(7.9);
    EXPECT_EQ(params.u(), 7);
    params.setU(-0.5);
    EXPECT_EQ(params.u(), 1);
    params.setV(10.99);
    EXPECT_EQ(params.v(), 10);
}

TEST(ModelParamsTest, ExtremeValuesClampWithoutOverflow) {
    Model::Params params(5, 5);
    params.setU(1e300);
    EXPECT_EQ(params.u(), 10);
    params.setU(-1e300);
    EXPECT_EQ(params.u(), 1);
    params.setV(std::numeric_limits<double>::infinity());
    EXPECT_EQ(params.v(), 10);
    params.setV(-std::numeric_limits<double>::infinity());
    EXPECT_EQ(params.v(), 1);
    params.setV(9.2233720368547758e18); // 2^63: not representable as int64
    EXPECT_EQ(params.v(), 10);
}

TEST(ModelParamsTest, NotANumberLeavesTheValue) {
    Model::Params params(6, 7);
    params.setU(std::nan(""));
    params.setV(std::nan(""));
    EXPECT_EQ(params.u(), 6);
    EXPECT_EQ(params.v(), 7);
    EXPECT_EQ(Model::Params(std::nan(""), 3).u(), 1);
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
