#pragma once

#include "mesh/edge.h"
#include "scene/mesh.h"
#include "scene/viewport.h"

#include <cstdint>
#include <vector>

namespace tessel {

// The elements of a mesh one works on in each editing mode (Mesh mode works on the whole mesh).
enum class Element { Point, Edge, Face, Mesh };

// What a tool sees of the editor it works in: the selected mesh and the scene's meshes, the
// point and face selections it reads and rewrites, and how the press in progress selects. Whatever
// else a tool needs it keeps itself. Tools refer to their context without owning it.
class ToolContext {
public:
    // The selected node when it is a mesh, else null.
    virtual MeshPtr selectedMesh() const = 0;
    // Selects `mesh` (null selects nothing); the editor answers with a new tool.
    virtual void selectMesh(MeshPtr mesh) = 0;
    // The meshes of the scene in its order; none for an empty scene.
    virtual std::vector<MeshPtr> meshes() const = 0;
    // Point ids of the selected mesh, as picked (not renumbered by edits).
    virtual std::vector<std::int64_t>& selectedPointsIds() = 0;
    // Edges of the selected mesh, as picked.
    virtual std::vector<Edge>& selectedEdges() = 0;
    // Face ids of the selected mesh, as picked (not renumbered by edits).
    virtual std::vector<std::uint32_t>& selectedFacesIds() = 0;
    // Whether the press in progress adds the pressed face to the faces selected before it
    // (Shift in Polygon mode, for a tool that acts on several faces) rather than replacing them.
    virtual bool pressAddsFaces() const = 0;

protected:
    ~ToolContext() = default;
};

} // namespace tessel
