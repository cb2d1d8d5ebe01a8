#pragma once

#include "editor/viewport.h"
#include "geometry/vector.h"
#include "mesh/model.h"
#include "scene/mesh.h"

namespace tessel {

class DetailViewController;

// Shared conventions of the tools.

// Device coordinates of a world point in the viewport (view-projection, then / w).
Vector3 project(const Vector3& p, Viewport& view);
// World point at device position (x, y) and depth z (inverse view-projection, then / w).
Vector3 unproject(float x, float y, float z, Viewport& view);
// (2u − 1, 2v − 1) of a normalized position.
inline Vec2 devicePosition(Vec2 normalized) { return {2 * normalized.x - 1, 2 * normalized.y - 1}; }

// Installs a preview: a new CachedModifier holding `closure`, replacing whatever was installed.
void installPreview(Model& model, CachedModifier::Closure closure);
// Removes any preview.
inline void removePreview(Model& model) { model.modifier_.reset(); }

} // namespace tessel
