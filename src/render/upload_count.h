#pragma once

#include <cstdint>

namespace tessel {

// Bytes the viewports have handed to the GPU so far in this process: meshes' points and lists
// uploaded where they changed.
std::uint64_t bytesUploadedToGpu();

} // namespace tessel
