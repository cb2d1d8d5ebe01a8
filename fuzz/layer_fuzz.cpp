// Coverage-guided fuzzing of the layer edits: each input is a program of edits on a generated
// grid or cube (see layer_program.h). Built and run by scripts/fuzz.
#include "layer_program.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (const auto fault = tessel::fuzz::runLayerProgram({data, size})) {
        std::fprintf(stderr, "layer fault: %s\n", fault->c_str());
        std::abort();
    }
    return 0;
}
