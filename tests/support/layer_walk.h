#pragma once

// A random walk of layer edits read from bytes (a seed's in tests/mesh/layer_walk_test.cpp,
// libFuzzer's in fuzz/layer_fuzz.cpp), only ever valid calls. Each step also runs on a reference
// written the slow, literal way; after every step the layer must keep its invariants and equal
// the reference bit for bit, returned ids, counts and remap tables included.

#include "mesh/extrude.h"
#include "mesh/model.h"
#include "mesh/plane_cut.h"
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

// The edits as their contracts state them, written the slow, obvious way.
namespace reference {

using Polygon = std::vector<std::uint32_t>;

// The faces one by one.
inline std::vector<Polygon> polygons(const Layer& layer) {
    std::vector<Polygon> result;
    for (const FaceList::Face face : layer.faces) {
        result.emplace_back(face.begin(), face.end());
    }
    return result;
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

// Leaves the layer with `faces` and the flagged points, in order; returns the remap.
inline std::vector<std::uint32_t> keep(Layer& layer, std::vector<Polygon> faces,
                                       const std::vector<std::uint8_t>& points) {
    std::vector<std::uint32_t> remap(layer.positions.size(), kRemoved);
    std::vector<Vector3> positions;
    for (std::uint32_t v = 0; v < layer.positions.size(); ++v) {
        if (points[v]) {
            remap[v] = static_cast<std::uint32_t>(positions.size());
            positions.push_back(layer.positions[v]);
        }
    }
    layer.faces.clear();
    for (Polygon& face : faces) {
        for (std::uint32_t& v : face) {
            v = remap[v];
        }
        layer.faces.push_back(face);
    }
    layer.positions = std::move(positions);
    return remap;
}

inline std::vector<std::uint32_t> removeFaces(Layer& layer, std::span<const std::uint32_t> faces) {
    std::vector<Polygon> kept, removed;
    const std::vector<Polygon> all = polygons(layer);
    for (std::uint32_t f = 0; f < all.size(); ++f) {
        const bool listed = std::find(faces.begin(), faces.end(), f) != faces.end();
        (listed ? removed : kept).push_back(all[f]);
    }
    std::vector<std::uint8_t> points = corners(layer.positions.size(), kept);
    const std::vector<std::uint8_t> candidates = corners(layer.positions.size(), removed);
    for (size_t v = 0; v < points.size(); ++v) {
        points[v] |= !candidates[v];
    }
    return keep(layer, kept, points);
}

// Never called with an empty list.
inline Welded weld(Layer& layer, std::span<const std::uint32_t> points, const Vector3& position) {
    const auto merged = static_cast<std::uint32_t>(layer.positions.size());
    layer.positions.push_back(position);
    std::vector<Polygon> kept;
    for (const Polygon& face : polygons(layer)) {
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
    result.remap = keep(layer, kept, corners(layer.positions.size(), kept));
    if (result.remap[merged] != kRemoved) {
        result.point = result.remap[merged];
    }
    return result;
}

// The cut face by face: each edge whose ends lie strictly on opposite sides gets one point,
// looked up in a list of the edges met so far.
inline void cutAlongPlane(Layer& layer, const Vector3& n, const Vector3& o) {
    const auto distance = [&](const Vector3& p) {
        return double{n.x} * (double{p.x} - o.x) + double{n.y} * (double{p.y} - o.y) +
               double{n.z} * (double{p.z} - o.z);
    };
    const auto finite = [](const Vector3& p) {
        return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z);
    };
    double largest = 0;
    for (const Vector3& p : layer.positions) {
        if (finite(p)) {
            largest = std::max(
                {largest, std::abs(double{p.x}), std::abs(double{p.y}), std::abs(double{p.z})});
        }
    }
    std::vector<int> sides;
    for (const Vector3& p : layer.positions) {
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
        const Vector3 p = layer.positions[key.first];
        const Vector3 q = layer.positions[key.second];
        const double t = distance(p) / (distance(p) - distance(q));
        const auto along = [t](float from, float to) {
            return static_cast<float>(from + (double{to} - from) * t);
        };
        const auto point = static_cast<std::uint32_t>(layer.positions.size());
        layer.positions.push_back({along(p.x, q.x), along(p.y, q.y), along(p.z, q.z)});
        made.push_back({key, point});
        return point;
    };
    for (size_t i = 0, count = layer.faces.size(); i < count; ++i) {
        if (layer.faces[i].size() != 3) {
            continue;
        }
        const Triangle r{layer.faces[i][0], layer.faces[i][1], layer.faces[i][2]};
        std::vector<int> crossed;
        for (int k = 0; k < 3; ++k) {
            if (sides[r[k]] * sides[r[(k + 1) % 3]] < 0) {
                crossed.push_back(k);
            }
        }
        if (crossed.size() == 1) {
            const int k = crossed[0];
            const std::uint32_t p = pointOn(r[k], r[(k + 1) % 3]);
            layer.faces.replace(i, {r[k], p, r[(k + 2) % 3]});
            layer.faces.push_back({p, r[(k + 1) % 3], r[(k + 2) % 3]});
        } else if (crossed.size() == 2) {
            const std::uint32_t p = pointOn(r[crossed[0]], r[(crossed[0] + 1) % 3]);
            const std::uint32_t q = pointOn(r[crossed[1]], r[(crossed[1] + 1) % 3]);
            // The pieces, for crossed edges (0, 1), (0, 2) and (1, 2).
            const std::array<Triangle, 3> pieces =
                crossed[0] == 1
                    ? std::array<Triangle, 3>{{{r[1], p, r[0]}, {r[2], q, p}, {q, r[0], p}}}
                : crossed[1] == 1
                    ? std::array<Triangle, 3>{{{r[0], p, r[2]}, {r[1], q, p}, {q, r[2], p}}}
                    : std::array<Triangle, 3>{{{r[2], q, p}, {p, r[1], r[2]}, {q, r[0], p}}};
            layer.faces.replace(i, pieces[0]);
            layer.faces.push_back(pieces[1]);
            layer.faces.push_back(pieces[2]);
        }
    }
}

inline void subdivideAll(Layer& layer) {
    for (size_t f = 0, count = layer.faces.size(); f < count; ++f) {
        subdivide(layer, f);
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
inline std::optional<std::string> fault(const Layer& layer, const Layer& expected) {
    if (testing::hasBrokenFace(layer)) {
        return std::string("a face names a point out of range or repeats a corner");
    }
    if (layer.faces != expected.faces ||
        !std::equal(layer.positions.begin(), layer.positions.end(), expected.positions.begin(),
                    expected.positions.end(), [](auto& a, auto& b) { return same(a, b); })) {
        return std::string("the layer differs from the reference");
    }
    return std::nullopt;
}

inline constexpr size_t kMaxFaces = 1000; // layers stop growing here: a walk takes milliseconds

// Runs the walk the bytes describe; returns the first fault, with the step that made it.
inline std::optional<std::string> run(std::span<const std::uint8_t> bytes) {
    ByteReader in{bytes};
    const std::uint8_t start = in.byte();
    Layer layer = start % 5 == 0
                      ? *Model::makeCube()->committed()
                      : *QuadGenerator(1 + start / 5 % 6, 1 + start / 30 % 6).generateLayer();
    // Now and then a point no face uses, which the first weld sweeps away.
    if (start % 3 == 0) {
        const Vector3 at = layer.positions[in.below(layer.positions.size())];
        layer.positions.push_back(at * in.number());
    }
    Layer expected = layer;
    for (int step = 0; !in.done() && step < 200; ++step) {
        const std::uint8_t op = in.byte() % 10;
        const size_t faces = layer.faces.size();
        const size_t points = layer.positions.size();
        const bool grows = faces > 0 && faces < kMaxFaces;
        const auto face = [&] { return in.below(faces); };
        const auto point = [&] { return in.below(points); };
        const auto both = [&](auto&& edit) { edit(layer), edit(expected); };
        const auto vector = [&] { return Vector3{in.number(), in.number(), in.number()}; };
        bool agree = true;
        if (op == 0 && grows) {
            const std::uint32_t f = face();
            agree = subdivide(layer, f) == points && subdivide(expected, f) == points;
        } else if (op == 1 && grows && faces < kMaxFaces / 3) {
            subdivideAll(layer);
            reference::subdivideAll(expected);
        } else if (op == 2 && grows) {
            const std::uint32_t f = face();
            both([&, d = in.number()](Layer& l) { extrude(l, f, d); });
        } else if (op == 3 && grows) {
            const std::uint32_t f = face();
            const int edge = static_cast<int>(in.below(3));
            const float t = in.number();
            agree = splitTriangle(layer, f, edge, t) == std::pair<size_t, size_t>{f, faces};
            splitTriangle(expected, f, edge, t);
        } else if (op == 4 && grows) {
            const int i = static_cast<int>(in.below(3));
            const std::pair<int, int> edges{i, (i + 1 + static_cast<int>(in.below(2))) % 3};
            const std::pair<float, float> t{in.number(), in.number()};
            both([&, f = face()](Layer& l) { splitTriangle(l, f, edges, t); });
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
            cutAlongPlane(layer, normal, origin);
            reference::cutAlongPlane(expected, normal, origin);
            agree = layer.faces.size() == faces + added;
        }
        const auto wrong = agree ? fault(layer, expected) : "it returned something else";
        if (wrong) {
            return "step " + std::to_string(step) + " (edit " + std::to_string(op) + "): " + *wrong;
        }
    }
    return std::nullopt;
}

} // namespace tessel::walk
