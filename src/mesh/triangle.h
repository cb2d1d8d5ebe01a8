#pragma once

#include "geometry/plane.h"
#include "geometry/vector.h"

#include <optional>

namespace tessel {

// Geometry of one triangle given by its corners A, B, C. These are the only definitions of a
// face's normal, centre, inside test and ray hit; everything else calls them.
namespace triangle {

// Normalised (B − A) × (C − A), no guard: a degenerate triangle gives not-a-number.
Vector3 normal(const Vector3& a, const Vector3& b, const Vector3& c);
// ((A + B) + C) / 3, component by component.
Vector3 centroid(const Vector3& a, const Vector3& b, const Vector3& c);
// Strictly inside (edges and corners excluded), for a position q in the triangle's plane.
bool contains(const Vector3& a, const Vector3& b, const Vector3& c, const Vector3& q);
// The hit origin + direction · s of the ray with the triangle: the plane is met at s ≥ 0 and the
// hit lies strictly inside.
std::optional<Vector3> intersection(const Vector3& a, const Vector3& b, const Vector3& c,
                                    const Vector3& origin, const Vector3& direction);
// The hit origin + direction · s, s ≥ 0, with the closed triangle: edges and corners included,
// within rounding. Nothing for a ray parallel to it.
std::optional<Vector3> closedIntersection(const Vector3& a, const Vector3& b, const Vector3& c,
                                          const Vector3& origin, const Vector3& direction);
// The plane through the triangle: its unit normal, through the centroid.
Plane plane(const Vector3& a, const Vector3& b, const Vector3& c);

} // namespace triangle

} // namespace tessel
