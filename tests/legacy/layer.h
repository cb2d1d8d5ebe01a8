#pragma once

#include "geometry/plane.h"
#include "legacy/point.h"
#include "legacy/polygon.h"

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace tessel::legacy {

class Layer;
using LayerPtr = std::shared_ptr<Layer>;

// A ray from `first` through `second` and beyond.
using Line = std::pair<Vector3, Vector3>;

// One mesh: an ordered list of shared vertices and an ordered list of faces that refer to them.
//
// Ids are positions: point id i is points[i], polygon id j is polygons[j]. Removals keep the
// survivors' order (later ids shift down); additions are appended; an edit that replaces a face
// in place keeps its id.
//
// Invariant: every vertex of every polygon is an element of the same layer's points (the same
// object). Every operation here keeps it.
//
// Ids and triangle-only preconditions are the caller's obligation; a violation is a programming
// error that stops the program (never undefined behaviour).
class Layer {
public:
    std::optional<std::string> fragmentShader;
    std::vector<PointPtr> points;
    std::vector<PolygonPtr> polygons;

    Layer(std::vector<PointPtr> points, std::vector<PolygonPtr> polygons);
    static LayerPtr make(std::vector<PointPtr> points = {}, std::vector<PolygonPtr> polygons = {});

    // --- Lookups ---

    // The first id whose point is that object.
    std::optional<size_t> indexOf(const PointPtr& point) const;
    // Every point used by at least one of the given polygons, each once, in no particular order.
    std::vector<PointPtr> pointsSharedBy(std::span<const size_t> polygonIds) const;

    // --- Removal and clean-up ---

    // For each polygon in order: remove every occurrence, then remove those of its vertices
    // that no remaining face uses (with remove(verts:)).
    void removePolygons(std::span<const PolygonPtr> polygons);
    // Merges the points into one new point at their mean position, appended last; collapsed
    // faces and all orphaned points disappear. Returns the new point (possibly no longer in
    // the layer when every face around it collapsed); null for an empty list.
    PointPtr weld(std::span<const PointPtr> vertices);

    // --- Edits that add geometry (new faces and points are appended) ---

    // Fan subdivision around the centroid: the face's id names the first piece.
    void subdividePolygon(size_t id);
    // Pulls a triangle out along its normal by `distance` as a prism without bottom: the id
    // names the cap, six sides are appended, then the three new points.
    void extrudeTriangle(size_t polygonId, float distance);
    // Cuts a triangle at S + (T − S)·t on edge k (from verts[k] to verts[(k + 1) mod 3]).
    // Returns the ids of the two pieces (id, last id).
    std::pair<size_t, size_t> splitTriangle(size_t id, int onEdgeId, float t);
    // Cuts a triangle at one point on each of two different edges, giving three triangles.
    void splitTriangle(size_t id, std::pair<int, int> onEdges, std::pair<float, float> t);

    // --- Ray queries ---

    // Every face hit by the ray, ascending by id.
    std::vector<std::pair<size_t, Vector3>> intersections(const Line& line) const;
    // The hit of one triangle.
    std::optional<Vector3> intersection(size_t polygonId, const Line& line) const;

private:
    // New points and triangles of the layer's own operations (the edits).
    static PointPtr newPoint(const Vector3& position);
    static TrianglePtr newTriangle(PointPtr a, PointPtr b, PointPtr c);

    // Writes each point's id into its index hint, first occurrence winning.
    void numberPoints() const;
    // The id of a point numbered by numberPoints(), or nullopt when it is not in the layer.
    std::optional<size_t> numberedIndexOf(const PointPtr& point) const;
};

} // namespace tessel::legacy
