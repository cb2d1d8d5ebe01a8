#pragma once

#include "scene/node.h"

namespace tessel {

// A copy of the tree under `root` as it stands: names, matrices, materials, shading and each
// mesh's committed layer (shared: layers are replaced, never changed in place). The copy shares
// nothing that editing changes, so another thread may read it while the user goes on. Costs a
// few allocations per node, whatever the meshes' sizes.
NodePtr snapshotOf(const Node& root);

} // namespace tessel
