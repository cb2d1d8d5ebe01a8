// Layer edit programs (see fuzz/layer_program.h) outside the fuzzer: every input the fuzzer once
// failed on, kept in inputs/, and a fixed batch of random programs, all checked step by step.
#include "../../fuzz/layer_program.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

namespace tessel {
namespace {

std::vector<std::uint8_t> readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(LayerProgramTest, SavedFailingInputsNowRunClean) {
    const std::filesystem::path inputs = std::filesystem::path(__FILE__).parent_path() / "inputs";
    ASSERT_TRUE(std::filesystem::is_directory(inputs)) << inputs;
    for (const auto& entry : std::filesystem::directory_iterator(inputs)) {
        if (!entry.is_regular_file() || entry.path().filename() == "README") {
            continue;
        }
        const std::vector<std::uint8_t> bytes = readFile(entry.path());
        const auto fault = fuzz::runLayerProgram(bytes);
        EXPECT_FALSE(fault.has_value()) << entry.path().filename() << ": " << *fault;
    }
}

TEST(LayerProgramTest, RandomProgramsKeepTheLayerWellFormed) {
    std::mt19937 rng(7);
    for (int program = 0; program < 3000; ++program) {
        std::vector<std::uint8_t> bytes(16 + rng() % 240);
        for (std::uint8_t& b : bytes) {
            b = static_cast<std::uint8_t>(rng());
        }
        const auto fault = fuzz::runLayerProgram(bytes);
        ASSERT_FALSE(fault.has_value()) << "program " << program << ": " << *fault;
    }
}

} // namespace
} // namespace tessel
