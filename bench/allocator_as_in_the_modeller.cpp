// Every benchmark program runs with the allocator set as the modeller sets it at start, ours and
// the peers' alike.
#include "base/memory.h"

namespace {

const bool kMemoryKept = (tessel::keepFreedMemoryForReuse(), true);

} // namespace
