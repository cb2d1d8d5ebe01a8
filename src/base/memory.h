#pragma once

namespace tessel {

// Hands the allocator's free memory back to the system. The allocator keeps freed blocks for
// reuse, which keeps repeated previews of one size fast; after a large preview is dropped that
// memory would otherwise stay with the process.
void returnFreeMemory();

// Lets the allocator keep freed blocks of up to 32 MB in the process (and not hand them back to
// the system by itself), so that an edit's layers, freed and allocated again at every drag event,
// land on pages already mapped: a fresh page costs a fault, which at 200,000 faces takes longer
// than the edit. Memory goes back when returnFreeMemory() says so. Called once, at start.
void keepFreedMemoryForReuse();

} // namespace tessel
