// Coverage-guided fuzzing of the layer edits: each input is a walk of edits checked step by step
// (tests/support/layer_walk.h). Built and run by scripts/fuzz.
#include "support/layer_walk.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (const auto fault = tessel::walk::run({data, size})) {
        std::fprintf(stderr, "layer fault: %s\n", fault->c_str());
        std::abort();
    }
    return 0;
}
