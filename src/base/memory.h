#pragma once

namespace tessel {

// Hands the allocator's free memory back to the system. The allocator keeps freed blocks for
// reuse, which keeps repeated previews of one size fast; after a large preview is dropped that
// memory would otherwise stay with the process.
void returnFreeMemory();

} // namespace tessel
