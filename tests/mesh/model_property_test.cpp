// Random sequences of model operations checked against a reference of the model's rules:
// which layers each read returns, how often the modifier runs, and what apply commits.
#include "mesh/model.h"

#include <gtest/gtest.h>

#include <random>

namespace tessel {
namespace {

LayerPtr smallLayer() {
    auto a = Point::make(0, 0, 0);
    auto b = Point::make(1, 0, 0);
    auto c = Point::make(0, 1, 0);
    return Layer::make({a, b, c}, {Triangle::make(a, b, c)});
}

// Reference state of one model.
struct Reference {
    std::vector<LayerPtr> base;
    bool installed = false;
    std::optional<size_t> cached; // index of the evaluation held in the cache
};

TEST(ModelPropertyTest, RandomOperationSequencesFollowTheRules) {
    std::mt19937 random(20240611);
    for (int round = 0; round < 200; ++round) {
        std::vector<ModelPtr> evaluations; // every closure result, in call order
        const CachedModifier::Closure closure = [&](Model&) {
            evaluations.push_back(Model::make({smallLayer(), smallLayer()}));
            return ModifierResult{evaluations.back(), nullptr};
        };
        Reference ref;
        ref.base = {smallLayer()};
        const ModelPtr model = Model::make(ref.base);

        // The reference read: may evaluate the closure once.
        size_t expectedCalls = 0;
        const auto referenceRead = [&]() -> std::vector<LayerPtr> {
            if (!ref.installed) {
                return ref.base;
            }
            if (!ref.cached) {
                ref.cached = expectedCalls++;
            }
            return evaluations.at(*ref.cached)->_layers();
        };

        for (int step = 0; step < 40; ++step) {
            switch (std::uniform_int_distribution<int>(0, 6)(random)) {
            case 0:
            case 1: { // read
                const std::vector<LayerPtr> actual = model->layers();
                EXPECT_EQ(actual, referenceRead());
                break;
            }
            case 2: { // write 0 to 2 new layers
                std::vector<LayerPtr> layers;
                const int n = std::uniform_int_distribution<int>(0, 2)(random);
                for (int i = 0; i < n; ++i) {
                    layers.push_back(smallLayer());
                }
                model->setLayers(layers);
                ref.base = layers;
                ref.cached.reset();
                break;
            }
            case 3: // install (or refresh) the modifier
                model->setModifier(closure);
                ref.installed = true;
                ref.cached.reset();
                break;
            case 4: // remove it
                model->setModifier({});
                ref.installed = false;
                ref.cached.reset();
                break;
            case 5: { // apply
                if (!ref.installed) {
                    model->applyModifier();
                    break;
                }
                const size_t fresh = expectedCalls++;
                model->applyModifier();
                std::vector<LayerPtr> current = referenceRead();
                current[0] = evaluations.at(fresh)->_layers()[0];
                ref.base = current;
                ref.cached.reset();
                break;
            }
            case 6: { // copy: base layers only, never the modifier
                if (ref.base.empty()) {
                    break;
                }
                const ModelPtr copy = model->copy();
                ASSERT_EQ(copy->layers().size(), 1u);
                EXPECT_NE(copy->layers()[0], ref.base[0]);
                EXPECT_EQ(copy->layers()[0]->points.size(), ref.base[0]->points.size());
                break;
            }
            }
            ASSERT_EQ(evaluations.size(), expectedCalls) << "round " << round << " step " << step;
            EXPECT_EQ(model->_layers(), ref.base) << "round " << round << " step " << step;
            EXPECT_EQ(model->modifier_ != nullptr, ref.installed);
            if (model->modifier_) {
                EXPECT_EQ(model->modifier_->result.has_value(), ref.cached.has_value());
            }
        }
    }
}

} // namespace
} // namespace tessel
