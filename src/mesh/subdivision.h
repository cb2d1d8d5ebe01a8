#pragma once

#include "mesh/layer.h"

#include <cstddef>
#include <memory>
#include <span>
#include <vector>

namespace tessel {

// Smooth subdivision surfaces of a cage layer, refined uniformly by OpenSubdiv.
//
// A layer whose faces are all triangles is refined by Loop's rules into triangles; any other by
// Catmull-Clark's into quads (a face of n corners becomes n quads at the first level, each quad
// four at every further one). Boundary edges stay sharp: a boundary point is refined from its
// boundary neighbours alone, so an open border stays a curve through the cage's border; the
// corners of the border (points of a single face) are smoothed with it or kept where they are.
// Non-manifold cages (an edge of three faces) are refined too, such edges kept sharp; a cage with
// a face of more than 65,535 corners or a point of more than 65,535 edges is not refined: it
// stays as it is. The result's faces keep the orientation of the cage faces they come from.
// A creased edge of the cage (Layer::creases) of weight w stays sharp through the first 10·w²
// levels (a fraction blends the next): for good at 1, like a border; the refined layer itself has
// no creases.
enum class SubdivisionScheme { CatmullClark, Loop };

// What becomes of the corners of a cage's open border (points with a single face).
enum class SubdivisionBoundary { SmoothCorners, KeepCorners };

// The scheme a layer is refined by: Loop for a layer of triangles only, else Catmull-Clark.
SubdivisionScheme subdivisionSchemeOf(const Layer& cage);

inline constexpr int kMinSubdivisionLevel = 1;
inline constexpr int kMaxSubdivisionLevel = 4;

// The triangles that draw the cage refined `level` times (saturating at SIZE_MAX), computed from
// its faces alone.
std::size_t subdivisionTriangles(const Layer& cage, int level);

// The refined topology of one cage at one level, and the weights that make each refined point
// from the cage's points: made once per cage topology, it turns positions of those cage points
// into the refined ones by a weighted sum per point, for as long as the faces stay the same (a
// point being dragged).
class SubdivisionSurface {
public:
    // Refines `cage` (its faces and its point count) `level` times (clamped to 1 … 4). A cage
    // without faces refines to a layer without faces or points.
    SubdivisionSurface(const Layer& cage, int level,
                       SubdivisionBoundary boundary = SubdivisionBoundary::SmoothCorners);
    ~SubdivisionSurface();
    SubdivisionSurface(const SubdivisionSurface&) = delete;
    SubdivisionSurface& operator=(const SubdivisionSurface&) = delete;

    SubdivisionScheme scheme() const { return scheme_; }
    int level() const { return level_; }
    // Whether it was made for a cage with these faces, creases and this many points, at `level`,
    // with `boundary`.
    bool fits(const Layer& cage, int level, SubdivisionBoundary boundary) const;

    std::size_t pointCount() const;
    const FaceList& faces() const { return faces_; }

    // The refined points from the cage's positions (as many as the cage it was made for).
    void evaluate(std::span<const Vector3> cagePositions, std::vector<Vector3>& out) const;
    // The refined layer from the cage's positions; its faces are shared with this surface.
    LayerPtr layer(std::span<const Vector3> cagePositions) const;

private:
    struct Weights;

    SubdivisionScheme scheme_;
    int level_;
    SubdivisionBoundary boundary_;
    FaceList cageFaces_;
    std::size_t cagePoints_;
    std::vector<Crease> cageCreases_;
    FaceList faces_;
    std::unique_ptr<Weights> weights_;
};

// `cage` refined `level` times (clamped to 1 … 4), computed level by level without keeping the
// weights: the quicker way to refine a cage once. A large result's faces are copied on a second
// thread while its points are computed.
Layer subdivisionSurface(const Layer& cage, int level,
                         SubdivisionBoundary boundary = SubdivisionBoundary::SmoothCorners);

} // namespace tessel
