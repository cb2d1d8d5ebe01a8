#pragma once

#include "scene/mesh.h"

namespace tessel {

// Where a panel finds the mesh it edits. The outline panel serves both of its sub-panels.
class MeshProvider {
public:
    virtual ~MeshProvider() = default;
    // The selected node when it is a mesh, else null.
    virtual MeshPtr mesh() const = 0;
};

} // namespace tessel
