#pragma once

// A random walk of layer edits read from bytes (a seed's in tests/mesh/layer_walk_test.cpp,
// libFuzzer's in fuzz/layer_fuzz.cpp), only ever valid calls. Each step also runs on a reference
// written the slow, literal way; after every step the layer must keep its invariants and equal
// the reference bit for bit, returned ids, counts and remap tables included.

#include "mesh/extrude.h"
#include "mesh/model.h"
#include "mesh/plane_cut.h"
#include "mesh/polygon.h"
#include "mesh/removal.h"
#include "mesh/split.h"
#include "mesh/subdivide.h"
#include "mesh/triangle.h"
#include "mesh/weld.h"
#include "support/layer_checks.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <limits>
#include <numeric>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace tessel::walk {

// Reads the bytes front to back; past the end every read gives zero.
struct ByteReader {
    std::span<const std::uint8_t> bytes;
    size_t position = 0;

    bool done() const { return position >= bytes.size(); }
    std::uint8_t byte() { return done() ? 0 : bytes[position++]; }
    // A value in 0 … count − 1; count must be positive.
    std::uint32_t below(size_t count) {
        std::uint32_t w = byte();
        w = (w << 8) | byte();
        return static_cast<std::uint32_t>(((w << 8) | byte()) % count);
    }
    // Weighted toward the values where arithmetic goes wrong: zero, the ends of 0 … 1, the tiny,
    // the huge, the non-finite and distances around a rounding of 1.
    float number() {
        static constexpr float inf = std::numeric_limits<float>::infinity();
        static constexpr float table[] = {0.0f,  1.0f,  0.5f,    -1.0f, 1e-7f, -1e-7f, 1e-30f,
                                          1e7f,  -1e7f, 3.0f,    inf,   -inf,  NAN,    3e38f,
                                          0.25f, -0.5f, 4.9e-7f, 6e-7f, -0.0f, 2.0f};
        const std::uint8_t b = byte();
        if (b < 80) {
            return table[b % std::size(table)];
        }
        return static_cast<float>(below(65536)) / 65535.0f * 4.0f - 2.0f;
    }
};

// The edits as their contracts state them, written the slow, obvious way on plain lists of
// polygons. Geometry (a face's normal and centroid) comes from the polygon functions; what is
// checked here is where every point and face goes.
namespace reference {

using Polygon = std::vector<std::uint32_t>;

struct Mesh {
    std::vector<Vector3> positions;
    std::vector<Polygon> faces;
};

inline Mesh of(const Layer& layer) {
    Mesh mesh{layer.positions, {}};
    for (const FaceList::Face face : layer.faces) {
        mesh.faces.emplace_back(face.begin(), face.end());
    }
    return mesh;
}

// Flags the corners of the faces.
inline std::vector<std::uint8_t> corners(size_t pointCount, const std::vector<Polygon>& faces) {
    std::vector<std::uint8_t> flags(pointCount, 0);
    for (const Polygon& face : faces) {
        for (const std::uint32_t v : face) {
            flags[v] = 1;
        }
    }
    return flags;
}

// Leaves the mesh with `faces` and the flagged points, in order; returns the remap.
inline std::vector<std::uint32_t> keep(Mesh& mesh, std::vector<Polygon> faces,
                                       const std::vector<std::uint8_t>& points) {
    std::vector<std::uint32_t> remap(mesh.positions.size(), kRemoved);
    std::vector<Vector3> positions;
    for (std::uint32_t v = 0; v < mesh.positions.size(); ++v) {
        if (points[v]) {
            remap[v] = static_cast<std::uint32_t>(positions.size());
            positions.push_back(mesh.positions[v]);
        }
    }
    for (Polygon& face : faces) {
        for (std::uint32_t& v : face) {
            v = remap[v];
        }
    }
    mesh = {std::move(positions), std::move(faces)};
    return remap;
}

inline std::vector<std::uint32_t> removeFaces(Mesh& mesh, std::span<const std::uint32_t> faces) {
    std::vector<Polygon> kept, removed;
    for (std::uint32_t f = 0; f < mesh.faces.size(); ++f) {
        const bool listed = std::find(faces.begin(), faces.end(), f) != faces.end();
        (listed ? removed : kept).push_back(mesh.faces[f]);
    }
    std::vector<std::uint8_t> points = corners(mesh.positions.size(), kept);
    const std::vector<std::uint8_t> candidates = corners(mesh.positions.size(), removed);
    for (size_t v = 0; v < points.size(); ++v) {
        points[v] |= !candidates[v];
    }
    return keep(mesh, kept, points);
}

// Never called with an empty list.
inline Welded weld(Mesh& mesh, std::span<const std::uint32_t> points, const Vector3& position) {
    const auto merged = static_cast<std::uint32_t>(mesh.positions.size());
    mesh.positions.push_back(position);
    std::vector<Polygon> kept;
    for (const Polygon& face : mesh.faces) {
        // The merged point once, where it first appears.
        Polygon ring;
        for (std::uint32_t v : face) {
            if (std::find(points.begin(), points.end(), v) != points.end()) {
                v = merged;
            }
            if (std::find(ring.begin(), ring.end(), v) == ring.end()) {
                ring.push_back(v);
            }
        }
        if (ring.size() >= 3) {
            kept.push_back(ring);
        }
    }
    Welded result;
    result.remap = keep(mesh, kept, corners(mesh.positions.size(), kept));
    if (result.remap[merged] != kRemoved) {
        result.point = result.remap[merged];
    }
    return result;
}

// (A, B, P), then (B, C, P) … (Z, A, P) around the centroid P.
inline std::uint32_t subdivide(Mesh& mesh, size_t f) {
    const Polygon c = mesh.faces[f];
    const auto centre = static_cast<std::uint32_t>(mesh.positions.size());
    mesh.positions.push_back(polygon::centroid(mesh.positions, c));
    for (size_t k = 0; k < c.size(); ++k) {
        const Polygon piece{c[k], c[(k + 1) % c.size()], centre};
        if (k == 0) {
            mesh.faces[f] = piece;
        } else {
            mesh.faces.push_back(piece);
        }
    }
    return centre;
}

inline void subdivideAll(Mesh& mesh) {
    for (size_t f = 0, count = mesh.faces.size(); f < count; ++f) {
        subdivide(mesh, f);
    }
}

// The cap in the face's place, its corners moved along the normal and appended; then the sides.
inline bool extrude(Mesh& mesh, size_t f, float distance) {
    const Polygon c = mesh.faces[f];
    const size_t n = c.size();
    const Vector3 offset = polygon::normal(mesh.positions, c) * distance;
    Polygon cap;
    for (size_t k = 0; k < n; ++k) {
        const Vector3 moved = mesh.positions[c[k]] + offset;
        if (!std::isfinite(moved.x) || !std::isfinite(moved.y) || !std::isfinite(moved.z)) {
            return false;
        }
        cap.push_back(static_cast<std::uint32_t>(mesh.positions.size() + k));
    }
    for (size_t k = 0; k < n; ++k) {
        mesh.positions.push_back(mesh.positions[c[k]] + offset);
    }
    mesh.faces[f] = cap;
    if (n == 3) {
        // Two triangles per side.
        const std::uint32_t a = c[0], b = c[1], e = c[2], a2 = cap[0], b2 = cap[1], e2 = cap[2];
        for (const Polygon& t : {Polygon{a2, a, b}, Polygon{a2, b, b2}, Polygon{a, a2, e2},
                                 Polygon{a, e2, e}, Polygon{b, e, b2}, Polygon{e, e2, b2}}) {
            mesh.faces.push_back(t);
        }
        return true;
    }
    for (size_t k = 0; k < n; ++k) {
        mesh.faces.push_back({c[k], c[(k + 1) % n], cap[(k + 1) % n], cap[k]});
    }
    return true;
}

// Triangle (S, E, O) cut at P on S–E into (S, P, O) in its place and (P, E, O) appended.
inline std::pair<size_t, size_t> splitTriangle(Mesh& mesh, size_t f, int edge, float t) {
    const Polygon r = mesh.faces[f];
    const std::uint32_t s = r[edge], e = r[(edge + 1) % 3], o = r[(edge + 2) % 3];
    const auto p = static_cast<std::uint32_t>(mesh.positions.size());
    mesh.positions.push_back(mesh.positions[s] + (mesh.positions[e] - mesh.positions[s]) * t);
    mesh.faces[f] = {s, p, o};
    mesh.faces.push_back({p, e, o});
    return {f, mesh.faces.size() - 1};
}

// The first edge, then the second in whichever piece holds it.
inline void splitTriangle(Mesh& mesh, size_t f, std::pair<int, int> edges,
                          std::pair<float, float> t) {
    const Polygon r = mesh.faces[f];
    const std::uint32_t v0 = r[edges.second], v1 = r[(edges.second + 1) % 3];
    const auto [a, b] = splitTriangle(mesh, f, edges.first, t.first);
    for (const size_t piece : {a, b}) {
        for (int k = 0; k < 3; ++k) {
            const std::uint32_t s = mesh.faces[piece][k], e = mesh.faces[piece][(k + 1) % 3];
            if ((s == v0 && e == v1) || (s == v1 && e == v0)) {
                splitTriangle(mesh, piece, k, t.second);
                return;
            }
        }
    }
}

// The pieces of a ring (a face's corners with the points of its crossed edges) whose corners lie
// on both sides: joined between consecutive points on the plane along the cut line wherever the
// face lies on both sides of it, each piece starting at the first ring edge it holds, in that
// order. Nothing when the joins do not make pieces each on one side.
struct Direction {
    double x, y, z;
};
inline std::optional<std::vector<Polygon>> pieces(const Polygon& ring, const std::vector<int>& side,
                                                  const std::vector<Vector3>& at,
                                                  const Direction& lineDirection) {
    const size_t m = ring.size();
    std::vector<std::pair<double, size_t>> line;
    for (size_t k = 0; k < m; ++k) {
        if (side[k] == 0) {
            const Vector3& p = at[k];
            const double u = lineDirection.x * double{p.x} + lineDirection.y * double{p.y} +
                             lineDirection.z * double{p.z};
            line.push_back({std::isnan(u) ? 0 : u, k});
        }
    }
    std::sort(line.begin(), line.end());
    std::vector<std::pair<size_t, size_t>> joins;
    int towardFront = 0, towardBack = 0;
    for (size_t k = 0; k < line.size(); ++k) {
        if (k > 0 && towardFront % 2 == 1 && towardBack % 2 == 1) {
            joins.push_back({line[k - 1].second, line[k].second});
        }
        for (const size_t next : {(line[k].second + m - 1) % m, (line[k].second + 1) % m}) {
            towardFront += side[next] > 0;
            towardBack += side[next] < 0;
        }
    }
    // Ring positions, split along each join in turn.
    std::vector<std::vector<size_t>> parts(1);
    for (size_t k = 0; k < m; ++k) {
        parts[0].push_back(k);
    }
    for (const auto& join : joins) {
        const size_t x = join.first, y = join.second;
        const auto holds = [&](const std::vector<size_t>& part) {
            return std::count(part.begin(), part.end(), x) &&
                   std::count(part.begin(), part.end(), y);
        };
        const auto part = std::find_if(parts.begin(), parts.end(), holds);
        if (part == parts.end()) {
            return std::nullopt;
        }
        auto a = std::find(part->begin(), part->end(), x) - part->begin();
        auto b = std::find(part->begin(), part->end(), y) - part->begin();
        if (a > b) {
            std::swap(a, b);
        }
        std::vector<size_t> inner(part->begin() + a, part->begin() + b + 1);
        std::vector<size_t> outer(part->begin() + b, part->end());
        outer.insert(outer.end(), part->begin(), part->begin() + a + 1);
        if (inner.size() < 3 || outer.size() < 3) {
            return std::nullopt;
        }
        *part = inner;
        parts.push_back(outer);
    }
    std::vector<std::pair<size_t, Polygon>> ordered;
    for (std::vector<size_t>& part : parts) {
        if (std::any_of(part.begin(), part.end(), [&](size_t k) { return side[k] > 0; }) &&
            std::any_of(part.begin(), part.end(), [&](size_t k) { return side[k] < 0; })) {
            return std::nullopt;
        }
        // The first ring edge: a corner followed by the next along the ring.
        size_t first = m, start = 0;
        for (size_t j = 0; j < part.size(); ++j) {
            if (part[(j + 1) % part.size()] == (part[j] + 1) % m && part[j] < first) {
                first = part[j], start = j;
            }
        }
        std::rotate(part.begin(), part.begin() + static_cast<std::ptrdiff_t>(start), part.end());
        Polygon piece;
        for (const size_t k : part) {
            piece.push_back(ring[k]);
        }
        ordered.push_back({first, piece});
    }
    std::sort(ordered.begin(), ordered.end());
    std::vector<Polygon> result;
    for (auto& [first, piece] : ordered) {
        result.push_back(piece);
    }
    return result;
}

// The cut face by face: each edge whose ends lie strictly on opposite sides gets one point,
// looked up in a list of the edges met so far.
inline void cutAlongPlane(Mesh& mesh, const Vector3& n, const Vector3& o) {
    const auto distance = [&](const Vector3& p) {
        return double{n.x} * (double{p.x} - o.x) + double{n.y} * (double{p.y} - o.y) +
               double{n.z} * (double{p.z} - o.z);
    };
    const auto finite = [](const Vector3& p) {
        return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z);
    };
    double largest = 0;
    for (const Vector3& p : mesh.positions) {
        if (finite(p)) {
            largest = std::max(
                {largest, std::abs(double{p.x}), std::abs(double{p.y}), std::abs(double{p.z})});
        }
    }
    std::vector<int> sides;
    for (const Vector3& p : mesh.positions) {
        const double d = finite(p) ? distance(p) : 0;
        sides.push_back(d > 1e-6 * largest ? 1 : d < -1e-6 * largest ? -1 : 0);
    }
    std::vector<std::pair<std::pair<std::uint32_t, std::uint32_t>, std::uint32_t>> made;
    const auto pointOn = [&](std::uint32_t a, std::uint32_t b) {
        const std::pair key{std::min(a, b), std::max(a, b)};
        for (const auto& [edge, point] : made) {
            if (edge == key) {
                return point;
            }
        }
        const Vector3 p = mesh.positions[key.first];
        const Vector3 q = mesh.positions[key.second];
        const double t = distance(p) / (distance(p) - distance(q));
        const auto along = [t](float from, float to) {
            return static_cast<float>(from + (double{to} - from) * t);
        };
        const auto point = static_cast<std::uint32_t>(mesh.positions.size());
        mesh.positions.push_back({along(p.x, q.x), along(p.y, q.y), along(p.z, q.z)});
        made.push_back({key, point});
        return point;
    };
    const auto side = [&](std::uint32_t v) { return v < sides.size() ? sides[v] : 0; };
    for (size_t i = 0, count = mesh.faces.size(); i < count; ++i) {
        const Polygon r = mesh.faces[i];
        std::vector<Polygon> result;
        if (r.size() == 3) {
            std::vector<int> crossed;
            for (int k = 0; k < 3; ++k) {
                if (side(r[k]) * side(r[(k + 1) % 3]) < 0) {
                    crossed.push_back(k);
                }
            }
            if (crossed.size() == 1) {
                const int k = crossed[0];
                const std::uint32_t p = pointOn(r[k], r[(k + 1) % 3]);
                result = {{r[k], p, r[(k + 2) % 3]}, {p, r[(k + 1) % 3], r[(k + 2) % 3]}};
            } else if (crossed.size() == 2) {
                const std::uint32_t p = pointOn(r[crossed[0]], r[(crossed[0] + 1) % 3]);
                const std::uint32_t q = pointOn(r[crossed[1]], r[(crossed[1] + 1) % 3]);
                // The pieces, for crossed edges (0, 1), (0, 2) and (1, 2).
                result = crossed[0] == 1
                             ? std::vector<Polygon>{{r[1], p, r[0]}, {r[2], q, p}, {q, r[0], p}}
                         : crossed[1] == 1
                             ? std::vector<Polygon>{{r[0], p, r[2]}, {r[1], q, p}, {q, r[2], p}}
                             : std::vector<Polygon>{{r[2], q, p}, {p, r[1], r[2]}, {q, r[0], p}};
            }
        } else if (std::any_of(r.begin(), r.end(), [&](auto v) { return side(v) > 0; }) &&
                   std::any_of(r.begin(), r.end(), [&](auto v) { return side(v) < 0; })) {
            Polygon ring;
            for (size_t k = 0; k < r.size(); ++k) {
                ring.push_back(r[k]);
                const std::uint32_t next = r[(k + 1) % r.size()];
                if (side(r[k]) * side(next) < 0) {
                    ring.push_back(pointOn(r[k], next));
                }
            }
            std::vector<int> ringSide;
            std::vector<Vector3> at;
            for (const std::uint32_t v : ring) {
                ringSide.push_back(side(v));
                at.push_back(mesh.positions[v]);
            }
            // Along n × the face's normal, Newell's sum in double precision.
            double x = 0, y = 0, z = 0;
            for (size_t k = 0; k < r.size(); ++k) {
                const Vector3& a = mesh.positions[r[k]];
                const Vector3& b = mesh.positions[r[(k + 1) % r.size()]];
                x += (double{a.y} - b.y) * (double{a.z} + b.z);
                y += (double{a.z} - b.z) * (double{a.x} + b.x);
                z += (double{a.x} - b.x) * (double{a.y} + b.y);
            }
            const Direction direction{n.y * z - n.z * y, n.z * x - n.x * z, n.x * y - n.y * x};
            result = pieces(ring, ringSide, at, direction).value_or(std::vector<Polygon>{ring});
        }
        for (size_t k = 0; k < result.size(); ++k) {
            if (k == 0) {
                mesh.faces[i] = result[k];
            } else {
                mesh.faces.push_back(result[k]);
            }
        }
    }
}

} // namespace reference

// Equal bit for bit, any not-a-number equal to any other.
inline bool same(const Vector3& a, const Vector3& b) {
    const auto bits = [](float f) -> std::int64_t {
        return std::isnan(f) ? -1 : std::bit_cast<std::uint32_t>(f);
    };
    return bits(a.x) == bits(b.x) && bits(a.y) == bits(b.y) && bits(a.z) == bits(b.z);
}

// What breaks the layer's invariants, or what tells it from the reference.
inline std::optional<std::string> fault(const Layer& layer, const reference::Mesh& expected) {
    if (testing::hasBrokenFace(layer)) {
        return "a face breaks the invariants: " + faultOf(layer);
    }
    bool sameFaces = layer.faces.size() == expected.faces.size();
    for (size_t f = 0; sameFaces && f < expected.faces.size(); ++f) {
        sameFaces = std::ranges::equal(layer.faces[f], expected.faces[f]);
    }
    if (!sameFaces ||
        !std::equal(layer.positions.begin(), layer.positions.end(), expected.positions.begin(),
                    expected.positions.end(), [](auto& a, auto& b) { return same(a, b); })) {
        return std::string("the layer differs from the reference");
    }
    return std::nullopt;
}
inline std::optional<std::string> fault(const Layer& layer, const Layer& expected) {
    return fault(layer, reference::of(expected));
}

// A grid of 2 × 2 blocks of cells, each block a set of faces of 3 to 8 corners over the grid's
// points, as the bytes choose: four quads; eight triangles; an L of three cells (concave, 8
// corners) beside a quad; a star (its sides' middle points pulled in, which bends the faces
// beside it); a pentagon, a triangle and a hexagon; a 7-gon (an L missing a corner the block
// below may use) beside a quad.
inline Layer polygonGrid(std::uint32_t blocksAcross, std::uint32_t blocksUp, ByteReader& in) {
    const std::uint32_t row = 2 * blocksAcross + 1;
    Layer layer = *QuadGenerator(row - 1, 2 * blocksUp).generateLayer();
    layer.faces.clear();
    for (std::uint32_t by = 0; by < blocksUp; ++by) {
        for (std::uint32_t bx = 0; bx < blocksAcross; ++bx) {
            // p(i, j): the block's point i across, j up.
            const auto p = [&](std::uint32_t i, std::uint32_t j) {
                return (2 * by + j) * row + 2 * bx + i;
            };
            const auto cell = [&](std::uint32_t i, std::uint32_t j) {
                layer.faces.push_back({p(i, j), p(i + 1, j), p(i + 1, j + 1), p(i, j + 1)});
            };
            switch (in.byte() % 6) {
            case 0: cell(0, 0), cell(1, 0), cell(0, 1), cell(1, 1); break;
            case 1:
                for (std::uint32_t c = 0; c < 4; ++c) {
                    const std::uint32_t i = c % 2, j = c / 2;
                    layer.faces.push_back({p(i, j), p(i + 1, j), p(i + 1, j + 1)});
                    layer.faces.push_back({p(i, j), p(i + 1, j + 1), p(i, j + 1)});
                }
                break;
            case 2:
                layer.faces.push_back(
                    {p(0, 0), p(1, 0), p(2, 0), p(2, 1), p(1, 1), p(1, 2), p(0, 2), p(0, 1)});
                cell(1, 1);
                break;
            case 3:
                layer.faces.push_back(
                    {p(0, 0), p(1, 0), p(2, 0), p(2, 1), p(2, 2), p(1, 2), p(0, 2), p(0, 1)});
                for (const std::uint32_t middle : {p(1, 0), p(2, 1), p(1, 2), p(0, 1)}) {
                    Vector3& at = layer.positions[middle];
                    at = at + (layer.positions[p(1, 1)] - at) * 0.6f;
                }
                break;
            case 4:
                layer.faces.push_back({p(0, 0), p(1, 0), p(2, 0), p(2, 1), p(1, 1)});
                layer.faces.push_back({p(0, 0), p(1, 1), p(0, 1)});
                layer.faces.push_back({p(0, 1), p(1, 1), p(2, 1), p(2, 2), p(1, 2), p(0, 2)});
                break;
            default:
                layer.faces.push_back(
                    {p(0, 0), p(2, 0), p(2, 1), p(2, 2), p(1, 2), p(1, 1), p(0, 1)});
                cell(0, 1);
            }
        }
    }
    return layer;
}

inline constexpr size_t kMaxFaces = 1000; // layers stop growing here: a walk takes milliseconds

// Runs the walk the bytes describe; returns the first fault, with the step that made it.
inline std::optional<std::string> run(std::span<const std::uint8_t> bytes) {
    ByteReader in{bytes};
    const std::uint8_t start = in.byte();
    Layer layer = start % 5 == 0 ? *Model::makeCube()->committed()
                  : start % 5 < 3
                      ? polygonGrid(1 + start / 5 % 3, 1 + start / 15 % 3, in)
                      : *QuadGenerator(1 + start / 5 % 6, 1 + start / 30 % 6).generateLayer();
    // Now and then a point no face uses, which the first weld sweeps away.
    if (start % 3 == 0) {
        const Vector3 at = layer.positions[in.below(layer.positions.size())];
        layer.positions.push_back(at * in.number());
    }
    reference::Mesh expected = reference::of(layer);
    for (int step = 0; !in.done() && step < 200; ++step) {
        const std::uint8_t op = in.byte() % 10;
        const size_t faces = layer.faces.size();
        const size_t points = layer.positions.size();
        const bool grows = faces > 0 && faces < kMaxFaces;
        const auto face = [&] { return in.below(faces); };
        const auto point = [&] { return in.below(points); };
        const auto vector = [&] { return Vector3{in.number(), in.number(), in.number()}; };
        // A triangle, for the splits.
        std::vector<std::uint32_t> triangles;
        for (std::uint32_t f = 0; f < faces; ++f) {
            if (layer.faces[f].size() == 3) {
                triangles.push_back(f);
            }
        }
        const auto triangle = [&] { return triangles[in.below(triangles.size())]; };
        bool agree = true;
        if (op == 0 && grows) {
            const std::uint32_t f = face();
            agree = subdivide(layer, f) == points && reference::subdivide(expected, f) == points;
        } else if (op == 1 && grows && faces < kMaxFaces / 8) {
            subdivideAll(layer);
            reference::subdivideAll(expected);
        } else if (op == 2 && grows) {
            const std::uint32_t f = face();
            const float d = in.number();
            agree = extrude(layer, f, d) == reference::extrude(expected, f, d);
        } else if (op == 3 && grows && !triangles.empty()) {
            const std::uint32_t f = triangle();
            const int edge = static_cast<int>(in.below(3));
            const float t = in.number();
            agree = splitTriangle(layer, f, edge, t) == std::pair<size_t, size_t>{f, faces} &&
                    reference::splitTriangle(expected, f, edge, t) ==
                        std::pair<size_t, size_t>{f, faces};
        } else if (op == 4 && grows && !triangles.empty()) {
            const int i = static_cast<int>(in.below(3));
            const std::pair<int, int> edges{i, (i + 1 + static_cast<int>(in.below(2))) % 3};
            const std::pair<float, float> t{in.number(), in.number()};
            const std::uint32_t f = triangle();
            splitTriangle(layer, f, edges, t);
            reference::splitTriangle(expected, f, edges, t);
        } else if (op == 5 && faces > 0) {
            std::vector<std::uint32_t> list(1 + in.below(4));
            std::generate(list.begin(), list.end(), face);
            agree = removeFaces(layer, list) == reference::removeFaces(expected, list);
        } else if (op == 6 && points > 0) {
            std::vector<std::uint32_t> list(1 + in.below(4));
            std::generate(list.begin(), list.end(), point);
            if (faces > 0 && in.byte() % 2 == 0) {
                const FaceList::Face f = layer.faces[face()];
                list.assign(f.begin(), f.end());
            }
            const bool atMean = in.byte() % 2 == 0;
            const Vector3 at = atMean ? centroid(layer, list) : vector();
            const Welded w = atMean ? weld(layer, list) : weld(layer, list, at);
            const Welded r = reference::weld(expected, list, at);
            agree = w.point == r.point && w.remap == r.remap;
        } else if (op == 7 && points > 0) {
            // A point onto another, just beside it, or anywhere.
            const std::uint32_t p = point();
            const Vector3 offset{in.number() * 1e-6f, 0, 0};
            const Vector3 to = in.byte() % 2 ? vector() : layer.positions[point()] + offset;
            layer.positions[p] = expected.positions[p] = to;
        } else if ((op == 8 || op == 9) && faces < kMaxFaces) {
            // Through a point (op 9) or anywhere; a normal along an axis now and then, where
            // edges lie in the plane.
            Vector3 normal = vector().normalized();
            if (in.byte() % 4 == 0) {
                normal = std::array<Vector3, 3>{{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}}[in.below(3)];
            }
            const Vector3 origin = points > 0 && op == 9 ? layer.positions[point()] : vector();
            const size_t added = facesAddedByCut(layer, normal, origin);
            const size_t triangles =
                layer.faces.triangleCount() + trianglesAddedByCut(layer, normal, origin);
            cutAlongPlane(layer, normal, origin);
            reference::cutAlongPlane(expected, normal, origin);
            agree = layer.faces.size() == faces + added && layer.faces.triangleCount() == triangles;
        }
        const auto wrong = agree ? fault(layer, expected) : "it returned something else";
        if (wrong) {
            return "step " + std::to_string(step) + " (edit " + std::to_string(op) + "): " + *wrong;
        }
    }
    return std::nullopt;
}

} // namespace tessel::walk
