// The layer walk (tests/support/layer_walk.h) on fixed seeds: random programs of edits on grids
// and the cube, each step checked against the literal reference.
#include "support/layer_walk.h"

#include <gtest/gtest.h>

#include <random>

namespace tessel {
namespace {

TEST(LayerWalkTest, RandomEditProgramsMatchTheReferenceAtEveryStep) {
    std::mt19937 random(7);
    for (int program = 0; program < 800; ++program) {
        std::vector<std::uint8_t> bytes(16 + random() % 400);
        for (std::uint8_t& b : bytes) {
            b = static_cast<std::uint8_t>(random());
        }
        const auto fault = walk::run(bytes);
        ASSERT_FALSE(fault.has_value()) << "program " << program << ": " << *fault;
    }
}

} // namespace
} // namespace tessel
