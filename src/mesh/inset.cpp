#include "mesh/inset.h"

#include "mesh/polygon.h"
#include "mesh/region.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

namespace tessel {

namespace {

// How far a corner moves per unit of thickness to stay that far from the lines of both its
// sides, given the sides' unit inward directions (either may be zero: the other alone counts).
Vector3 bisector(const Vector3& in, const Vector3& out) {
    // A corner folded back on itself would move without bound; the clamp on the thickness
    // keeps it within its face.
    const float cosine = in.dot(out);
    return (in + out) * (1 / std::max(1 + cosine, 1e-6f));
}

// Corners that share a point and are joined through shared sides: one fan, one new point.
struct Fans {
    std::vector<std::uint32_t> parent;

    explicit Fans(std::size_t corners) : parent(corners) {
        for (std::uint32_t c = 0; c < corners; ++c) {
            parent[c] = c;
        }
    }
    std::uint32_t root(std::uint32_t c) {
        while (parent[c] != c) {
            c = parent[c] = parent[parent[c]];
        }
        return c;
    }
    void join(std::uint32_t a, std::uint32_t b) { parent[root(a)] = root(b); }
};

// What moves a fan: its border sides' inward directions, and its shared edges.
struct FanMotion {
    Vector3 in, out;
    std::uint32_t borderSides = 0;
    std::uint32_t sharedEdges = 0;
    std::uint32_t sharedEnd = 0;
    Vector3 perUnit;
    std::uint32_t point = kRemoved;
};

void inset(Layer& layer, const Region& region, float thickness, bool perFace) {
    const std::vector<Vector3>& p = layer.positions;
    const std::uint32_t sides = region.sideCount();
    Fans fans(sides);
    for (std::uint32_t s = 0; s < sides; ++s) {
        const std::uint32_t m = region.mates[s];
        if (region.inner(s) && s < m) {
            fans.join(s, region.nexts[m]);
            fans.join(region.nexts[s], m);
        }
    }

    // Gather each fan's border directions and shared edges.
    std::vector<FanMotion> motion(sides);
    for (std::size_t i = 0; i < region.faces.size(); ++i) {
        const Vector3 normal = polygon::normal(p, layer.faces[region.faces[i]]);
        for (std::uint32_t s = region.starts[i]; s < region.starts[i + 1]; ++s) {
            const std::uint32_t next = region.nexts[s];
            const std::uint32_t a = region.corners[s], b = region.corners[next];
            if (region.inner(s)) {
                if (s < region.mates[s]) {
                    FanMotion& atA = motion[fans.root(s)];
                    ++atA.sharedEdges, atA.sharedEnd = b;
                    FanMotion& atB = motion[fans.root(next)];
                    ++atB.sharedEdges, atB.sharedEnd = a;
                }
                continue;
            }
            const Vector3 inward = unitOrZero(normal.cross(p[b] - p[a]));
            FanMotion& atA = motion[fans.root(s)];
            atA.out += inward, ++atA.borderSides;
            FanMotion& atB = motion[fans.root(next)];
            atB.in += inward, ++atB.borderSides;
        }
    }
    for (std::uint32_t s = 0; s < sides; ++s) {
        FanMotion& fan = motion[s];
        if (fans.root(s) != s || fan.borderSides == 0) {
            continue;
        }
        const Vector3 in = unitOrZero(fan.in), out = unitOrZero(fan.out);
        fan.perUnit = bisector(in, out);
        if (fan.sharedEdges == 1) {
            // Along the shared edge, as far as keeps the strip as wide on both sides; unless the
            // edge leans so far from the bisector that the slide would run along the border.
            const Vector3 along = unitOrZero(p[fan.sharedEnd] - p[region.corners[s]]);
            const float facing = along.dot(in + out);
            if (facing >= 1) {
                fan.perUnit = along * (2 / facing);
            }
        }
    }
    const auto perUnit = [&](std::uint32_t c) {
        const FanMotion& fan = motion[fans.root(c)];
        return fan.borderSides ? fan.perUnit : Vector3{};
    };

    // No side of a face may turn around: side a → b shortens by t · (d_b − d_a) along it.
    float wanted = std::isnan(thickness) ? 0 : std::max(thickness, 0.0f);
    std::vector<float> widths(region.faces.size(), wanted);
    for (std::size_t i = 0; i < region.faces.size(); ++i) {
        for (std::uint32_t s = region.starts[i]; s < region.starts[i + 1]; ++s) {
            const std::uint32_t next = region.nexts[s];
            const Vector3 side = p[region.corners[next]] - p[region.corners[s]];
            const float shrink = -(perUnit(next) - perUnit(s)).dot(side);
            if (shrink > 0) {
                widths[i] = std::min(widths[i], side.squaredLength() / shrink);
            }
        }
    }
    if (!perFace && !widths.empty()) {
        std::fill(widths.begin(), widths.end(), *std::min_element(widths.begin(), widths.end()));
    }

    // New points, first met first; then the faces move onto them and the strips close the gap.
    std::vector<Vector3>& positions = layer.positions;
    std::size_t strips = 0;
    for (std::size_t i = 0; i < region.faces.size(); ++i) {
        for (std::uint32_t s = region.starts[i]; s < region.starts[i + 1]; ++s) {
            strips += region.inner(s) ? 0 : 1;
            FanMotion& fan = motion[fans.root(s)];
            if (fan.borderSides && fan.point == kRemoved) {
                const Vector3 from = positions[region.corners[s]];
                const Vector3 to = from + fan.perUnit * widths[i];
                fan.point = static_cast<std::uint32_t>(positions.size());
                positions.push_back(isFinite(to) ? to : from);
            }
        }
    }
    const auto moved = [&](std::uint32_t c) {
        const std::uint32_t point = motion[fans.root(c)].point;
        return point == kRemoved ? region.corners[c] : point;
    };
    for (std::size_t i = 0; i < region.faces.size(); ++i) {
        const std::span<std::uint32_t> corners = layer.faces.cornersOf(region.faces[i]);
        for (std::size_t k = 0; k < corners.size(); ++k) {
            corners[k] = moved(region.starts[i] + static_cast<std::uint32_t>(k));
        }
    }
    layer.faces.reserve(layer.faces.size() + strips, layer.faces.corners().size() + 4 * strips);
    for (std::uint32_t s = 0; s < sides; ++s) {
        if (!region.inner(s)) {
            const std::uint32_t next = region.nexts[s];
            layer.faces.push_back({region.corners[s], region.corners[next], moved(next), moved(s)});
        }
    }
}

} // namespace

void insetFaces(Layer& layer, std::span<const std::uint32_t> faces, float thickness,
                bool asRegion) {
    if (asRegion) {
        inset(layer, regionOf(layer, faces), thickness, false);
        return;
    }
    std::vector<std::uint32_t> flat = distinctFaces(layer, faces);
    std::erase_if(flat, [&](std::uint32_t f) {
        return !isFinite(polygon::normal(layer.positions, layer.faces[f]));
    });
    inset(layer, faceByFace(layer, flat), thickness, true);
}

} // namespace tessel
