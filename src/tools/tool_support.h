#pragma once

#include "geometry/vector.h"
#include "mesh/model.h"
#include "scene/mesh.h"
#include "scene/viewport.h"

#include <cstdint>

namespace tessel {

class ToolContext;

// Shared conventions of the tools.

// Device coordinates of a world point in the viewport (view-projection, then / w).
Vector3 project(const Vector3& p, Viewport& view);
// World point at device position (x, y) and depth z (inverse view-projection, then / w).
Vector3 unproject(float x, float y, float z, Viewport& view);
// The same with the viewport's view-projection (or its inverse) computed once by the caller, for
// loops over many points.
Vector3 project(const Vector3& p, const Matrix& viewProjection);
Vector3 unproject(float x, float y, float z, const Matrix& inverseViewProjection);
// (2u − 1, 2v − 1) of a normalized position.
inline Vec2 devicePosition(Vec2 normalized) { return {2 * normalized.x - 1, 2 * normalized.y - 1}; }

// Installs a tool's preview on the model, replacing whatever was installed.
inline void installPreview(Model& model, ModifierPtr modifier) {
    model.setModifier(std::move(modifier));
}
// Removes any preview.
inline void removePreview(Model& model) { model.setModifier(nullptr); }

// The model of the context's selected mesh, or null when no mesh is selected.
ModelPtr selectedModel(const ToolContext& context);
// Whether a point id names a point of the layer. Selections are not renumbered when an edit
// shifts or removes points, so tools skip ids that went stale.
inline bool isValidPointId(std::int64_t id, const Layer& layer) {
    return id >= 0 && static_cast<std::uint64_t>(id) < layer.positions.size();
}
// A copy of the committed layer for a preview to edit, with room for the points and faces the
// edit will add (so that growing it copies nothing again). Without added faces, its faces are
// the committed ones, shared until the edit changes them.
LayerPtr copyOf(const Layer& committed, size_t addedPoints = 0, size_t addedFaces = 0);

} // namespace tessel
