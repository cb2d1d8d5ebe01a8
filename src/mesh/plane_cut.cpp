#include "mesh/plane_cut.h"

#include "mesh/split.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <unordered_map>
#include <vector>

namespace tessel {

namespace {

// Relative to the largest coordinate magnitude: a point computed onto the plane is off it by a
// rounding of its coordinates, about 1e-7 of that magnitude at most.
constexpr double kOnPlaneTolerance = 1e-6;

bool isFinite(const Vector3& p) {
    return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z);
}

// Where the points lie relative to a plane, decided once per cut.
class PlaneSides {
public:
    PlaneSides(const Layer& layer, const Vector3& n, const Vector3& o) : n_(n), o_(o) {
        double largest = 0;
        for (const Vector3& p : layer.positions) {
            if (isFinite(p)) {
                largest = std::max(
                    {largest, std::abs(double{p.x}), std::abs(double{p.y}), std::abs(double{p.z})});
            }
        }
        const double tolerance = kOnPlaneTolerance * largest;
        sides_.reserve(layer.positions.size());
        for (const Vector3& p : layer.positions) {
            // Not-a-number (a non-finite point, or a degenerate normal) fails both tests.
            const double d = isFinite(p) ? distance(p) : 0;
            sides_.push_back(static_cast<std::int8_t>(d > tolerance ? 1 : d < -tolerance ? -1 : 0));
        }
    }

    // n · (p − o), in double precision.
    double distance(const Vector3& p) const {
        return double{n_.x} * (double{p.x} - o_.x) + double{n_.y} * (double{p.y} - o_.y) +
               double{n_.z} * (double{p.z} - o_.z);
    }

    // Whether the plane separates the two points: each lies strictly on its own side.
    bool separates(std::uint32_t a, std::uint32_t b) const { return sides_[a] * sides_[b] < 0; }

    // Which edges k (corner k to corner k + 1) of the face the plane separates; returns how many.
    int crossedEdges(FaceList::Face t, int crossed[2]) const {
        int count = 0;
        for (int k = 0; k < 3; ++k) {
            if (separates(t[k], t[(k + 1) % 3])) {
                crossed[count++] = k;
            }
        }
        return count;
    }

private:
    Vector3 n_;
    Vector3 o_;
    std::vector<std::int8_t> sides_;
};

// The new point of each separated edge, keyed on its ordered pair of point ids.
class EdgePoints {
public:
    EdgePoints(Layer& layer, const PlaneSides& sides) : layer_(layer), sides_(sides) {}

    std::uint32_t on(std::uint32_t a, std::uint32_t b) {
        const std::uint32_t lo = std::min(a, b);
        const std::uint32_t hi = std::max(a, b);
        const auto [slot, added] = points_.try_emplace((std::uint64_t{lo} << 32) | hi, kRemoved);
        if (added) {
            slot->second = static_cast<std::uint32_t>(layer_.positions.size());
            layer_.positions.push_back(between(layer_.positions[lo], layer_.positions[hi]));
        }
        return slot->second;
    }

private:
    // The point of the segment on the plane; its ends lie strictly on opposite sides.
    Vector3 between(const Vector3& p, const Vector3& q) const {
        const double dp = sides_.distance(p);
        const double t = dp / (dp - sides_.distance(q));
        const auto along = [t](float from, float to) {
            return static_cast<float>(from + (double{to} - from) * t);
        };
        return {along(p.x, q.x), along(p.y, q.y), along(p.z, q.z)};
    }

    Layer& layer_;
    const PlaneSides& sides_;
    std::unordered_map<std::uint64_t, std::uint32_t> points_;
};

// The edge of the face joining the two points, in either direction.
int edgeJoining(FaceList::Face t, std::uint32_t a, std::uint32_t b) {
    for (int k = 0; k < 3; ++k) {
        const std::uint32_t s = t[k];
        const std::uint32_t e = t[(k + 1) % 3];
        if ((s == a && e == b) || (s == b && e == a)) {
            return k;
        }
    }
    return -1;
}

} // namespace

void cutAlongPlane(Layer& layer, const Vector3& unitNormal, const Vector3& origin) {
    const PlaneSides sides(layer, unitNormal, origin);
    // The crossed faces first, so that the arrays grow once: each crossed edge adds a face and at
    // most one point.
    std::vector<std::uint32_t> crossedFaces;
    size_t added = 0;
    for (size_t i = 0; i < layer.faces.size(); ++i) {
        int crossed[2];
        if (layer.faces[i].size() != 3) {
            continue;
        }
        if (const int crossings = sides.crossedEdges(layer.faces[i], crossed)) {
            crossedFaces.push_back(static_cast<std::uint32_t>(i));
            added += static_cast<size_t>(crossings);
        }
    }
    layer.faces.reserve(layer.faces.size() + added, layer.faces.corners().size() + 3 * added);
    layer.positions.reserve(layer.positions.size() + added);

    EdgePoints points(layer, sides);
    for (const std::uint32_t i : crossedFaces) {
        const FaceList::Face face = layer.faces[i];
        const Triangle corners{face[0], face[1], face[2]};
        int crossed[2];
        const int crossings = sides.crossedEdges(corners, crossed);
        const std::uint32_t s = corners[crossed[0]];
        const std::uint32_t e = corners[(crossed[0] + 1) % 3];
        const auto [first, second] = splitTriangleAt(layer, i, crossed[0], points.on(s, e));
        if (crossings == 1) {
            continue;
        }
        // The second crossed edge is whole in one of the two pieces.
        const std::uint32_t a = corners[crossed[1]];
        const std::uint32_t b = corners[(crossed[1] + 1) % 3];
        const std::uint32_t p = points.on(a, b);
        const int k = edgeJoining(layer.faces[first], a, b);
        if (k >= 0) {
            splitTriangleAt(layer, first, k, p);
        } else {
            splitTriangleAt(layer, second, edgeJoining(layer.faces[second], a, b), p);
        }
    }
}

size_t facesAddedByCut(const Layer& layer, const Vector3& unitNormal, const Vector3& origin) {
    const PlaneSides sides(layer, unitNormal, origin);
    size_t added = 0;
    for (const FaceList::Face t : layer.faces) {
        if (t.size() != 3) {
            continue;
        }
        int crossed[2];
        added += static_cast<size_t>(sides.crossedEdges(t, crossed));
    }
    return added;
}

} // namespace tessel
