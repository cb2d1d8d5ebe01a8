#include "mesh/primitives.h"

#include "base/check.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <unordered_map>

namespace tessel {

namespace {

constexpr double kTau = 2 * std::numbers::pi;

Vector3 point(double x, double y, double z) {
    return {static_cast<float>(x), static_cast<float>(y), static_cast<float>(z)};
}

void checkCount(std::int64_t count, std::int64_t least, const char* operation) {
    TESSEL_CHECK(count >= least && count <= 100'000, operation, "count " << count);
}

// `n` points on the circle of `radius` at height z, the first on +x, running counter-clockwise
// seen from +z. Returns the id of the first.
std::uint32_t addCircle(Layer& layer, std::int64_t n, double radius, double z) {
    const auto first = static_cast<std::uint32_t>(layer.positions.size());
    for (std::int64_t i = 0; i < n; ++i) {
        const double angle = kTau * static_cast<double>(i) / static_cast<double>(n);
        layer.positions.push_back(point(radius * std::cos(angle), radius * std::sin(angle), z));
    }
    return first;
}

// Closes the circle of `n` points from `first`, facing +z (up) or −z.
void addCap(Layer& layer, std::uint32_t first, std::int64_t n, double z, bool up, CapFill fill) {
    const auto count = static_cast<std::uint32_t>(n);
    // Counter-clockwise seen from the side the cap faces.
    const auto rim = [&](std::uint32_t i) {
        return first + (up ? i % count : (count - i) % count);
    };
    if (fill == CapFill::NGon) {
        std::vector<std::uint32_t> corners(count);
        for (std::uint32_t i = 0; i < count; ++i) {
            corners[i] = rim(i);
        }
        layer.faces.push_back(corners);
        return;
    }
    const auto centre = static_cast<std::uint32_t>(layer.positions.size());
    layer.positions.push_back(point(0, 0, z));
    for (std::uint32_t i = 0; i < count; ++i) {
        layer.faces.push_back({centre, rim(i), rim(i + 1)});
    }
}

// The side quads between two circles of `n` points, `lower` below `upper`, facing outward.
void addBand(Layer& layer, std::uint32_t lower, std::uint32_t upper, std::int64_t n) {
    const auto count = static_cast<std::uint32_t>(n);
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::uint32_t next = (i + 1) % count;
        layer.faces.push_back({lower + i, lower + next, upper + next, upper + i});
    }
}

} // namespace

LayerPtr makePlaneLayer(float size) {
    const float h = size / 2;
    return makeLayer({{-h, -h, 0}, {h, -h, 0}, {h, h, 0}, {-h, h, 0}},
                     FaceList::polygons({{0, 1, 2, 3}}));
}

LayerPtr makeBoxLayer(float size) {
    const float h = size / 2;
    // The cube's corners in the cube's order.
    return makeLayer(
        {{-h, -h, -h},
         {h, -h, -h},
         {h, h, -h},
         {-h, h, -h},
         {-h, -h, h},
         {h, -h, h},
         {h, h, h},
         {-h, h, h}},
        FaceList::polygons(
            {{0, 3, 2, 1}, {4, 5, 6, 7}, {0, 1, 5, 4}, {2, 3, 7, 6}, {0, 4, 7, 3}, {1, 2, 6, 5}}));
}

LayerPtr makeUvSphereLayer(std::int64_t segments, std::int64_t rings, float radius) {
    checkCount(segments, 3, "makeUvSphereLayer");
    checkCount(rings, 3, "makeUvSphereLayer");
    LayerPtr layer = makeLayer();
    const auto n = static_cast<std::uint32_t>(segments);
    layer->positions.reserve(static_cast<std::size_t>(segments * (rings - 1) + 2));
    layer->positions.push_back(point(0, 0, radius));
    // Parallel k (1 … rings − 1) starts at 1 + (k − 1) n, top to bottom.
    for (std::int64_t k = 1; k < rings; ++k) {
        const double polar = std::numbers::pi * static_cast<double>(k) / static_cast<double>(rings);
        addCircle(*layer, segments, radius * std::sin(polar), radius * std::cos(polar));
    }
    const auto bottom = static_cast<std::uint32_t>(layer->positions.size());
    layer->positions.push_back(point(0, 0, -radius));

    layer->faces.reserve(static_cast<std::size_t>(segments * rings),
                         static_cast<std::size_t>(segments * (4 * rings - 2)));
    for (std::uint32_t i = 0; i < n; ++i) {
        layer->faces.push_back({0, 1 + i, 1 + (i + 1) % n});
    }
    for (std::int64_t k = 1; k + 1 < rings; ++k) {
        const auto upper = static_cast<std::uint32_t>(1 + (k - 1) * segments);
        addBand(*layer, upper + n, upper, segments);
    }
    const std::uint32_t last = bottom - n;
    for (std::uint32_t i = 0; i < n; ++i) {
        layer->faces.push_back({bottom, last + (i + 1) % n, last + i});
    }
    return layer;
}

LayerPtr makeIcosphereLayer(std::int64_t subdivisions, float radius) {
    checkCount(subdivisions, 1, "makeIcosphereLayer");
    TESSEL_CHECK(subdivisions <= 12, "makeIcosphereLayer", "subdivisions " << subdivisions);
    // The icosahedron with a point at each pole and two rings of five between them, the lower
    // turned by a tenth of a turn.
    std::vector<Vector3> positions{point(0, 0, radius)};
    const double z = radius / std::sqrt(5.0);
    const double across = 2 * z;
    for (int i = 0; i < 5; ++i) {
        const double angle = kTau * i / 5;
        positions.push_back(point(across * std::cos(angle), across * std::sin(angle), z));
    }
    for (int i = 0; i < 5; ++i) {
        const double angle = kTau * (i + 0.5) / 5;
        positions.push_back(point(across * std::cos(angle), across * std::sin(angle), -z));
    }
    positions.push_back(point(0, 0, -radius));
    std::vector<Triangle> triangles;
    for (std::uint32_t i = 0; i < 5; ++i) {
        const std::uint32_t next = (i + 1) % 5;
        const std::uint32_t upper = 1 + i;
        const std::uint32_t lower = 6 + i;
        triangles.push_back({0, upper, 1 + next});
        triangles.push_back({upper, lower, 1 + next});
        triangles.push_back({lower, 6 + next, 1 + next});
        triangles.push_back({11, 6 + next, lower});
    }

    for (std::int64_t round = 1; round < subdivisions; ++round) {
        // Each edge's midpoint, made once for the two triangles beside it.
        std::unordered_map<std::uint64_t, std::uint32_t> midpoints;
        const auto midpoint = [&](std::uint32_t a, std::uint32_t b) {
            const std::uint64_t key =
                (static_cast<std::uint64_t>(std::min(a, b)) << 32) | std::max(a, b);
            const auto [found, added] =
                midpoints.try_emplace(key, static_cast<std::uint32_t>(positions.size()));
            if (added) {
                const Vector3 m = (positions[a] + positions[b]) * 0.5f;
                positions.push_back(m * (radius / m.length()));
            }
            return found->second;
        };
        std::vector<Triangle> split;
        split.reserve(4 * triangles.size());
        for (const auto& [a, b, c] : triangles) {
            const std::uint32_t ab = midpoint(a, b);
            const std::uint32_t bc = midpoint(b, c);
            const std::uint32_t ca = midpoint(c, a);
            split.insert(split.end(), {{a, ab, ca}, {ab, b, bc}, {ca, bc, c}, {ab, bc, ca}});
        }
        triangles = std::move(split);
    }
    return makeLayer(std::move(positions), triangles);
}

LayerPtr makeCylinderLayer(std::int64_t vertices, float radius, float depth, CapFill caps) {
    checkCount(vertices, 3, "makeCylinderLayer");
    LayerPtr layer = makeLayer();
    const double h = depth / 2.0;
    const std::uint32_t bottom = addCircle(*layer, vertices, radius, -h);
    const std::uint32_t top = addCircle(*layer, vertices, radius, h);
    addBand(*layer, bottom, top, vertices);
    addCap(*layer, top, vertices, h, true, caps);
    addCap(*layer, bottom, vertices, -h, false, caps);
    return layer;
}

LayerPtr makeConeLayer(std::int64_t vertices, float radius, float depth, CapFill caps) {
    checkCount(vertices, 3, "makeConeLayer");
    LayerPtr layer = makeLayer();
    const double h = depth / 2.0;
    const std::uint32_t base = addCircle(*layer, vertices, radius, -h);
    const auto tip = static_cast<std::uint32_t>(layer->positions.size());
    layer->positions.push_back(point(0, 0, h));
    const auto n = static_cast<std::uint32_t>(vertices);
    for (std::uint32_t i = 0; i < n; ++i) {
        layer->faces.push_back({base + i, base + (i + 1) % n, tip});
    }
    addCap(*layer, base, vertices, -h, false, caps);
    return layer;
}

LayerPtr makeTorusLayer(std::int64_t majorSegments, std::int64_t minorSegments, float majorRadius,
                        float minorRadius) {
    checkCount(majorSegments, 3, "makeTorusLayer");
    checkCount(minorSegments, 3, "makeTorusLayer");
    TESSEL_CHECK(minorRadius < majorRadius, "makeTorusLayer",
                 "minor radius " << minorRadius << " not below " << majorRadius);
    LayerPtr layer = makeLayer();
    const auto major = static_cast<std::uint32_t>(majorSegments);
    const auto minor = static_cast<std::uint32_t>(minorSegments);
    layer->positions.reserve(static_cast<std::size_t>(major) * minor);
    // Point (i, j) is i × minor + j: i round z, j round the tube, starting outside.
    for (std::uint32_t i = 0; i < major; ++i) {
        const double u = kTau * i / major;
        for (std::uint32_t j = 0; j < minor; ++j) {
            const double v = kTau * j / minor;
            const double across = majorRadius + minorRadius * std::cos(v);
            layer->positions.push_back(
                point(across * std::cos(u), across * std::sin(u), minorRadius * std::sin(v)));
        }
    }
    std::vector<std::uint32_t> corners;
    corners.reserve(4 * static_cast<std::size_t>(major) * minor);
    for (std::uint32_t i = 0; i < major; ++i) {
        const std::uint32_t nextI = (i + 1) % major;
        for (std::uint32_t j = 0; j < minor; ++j) {
            const std::uint32_t nextJ = (j + 1) % minor;
            corners.insert(corners.end(), {i * minor + j, nextI * minor + j, nextI * minor + nextJ,
                                           i * minor + nextJ});
        }
    }
    layer->faces = FaceList(std::move(corners), 4);
    return layer;
}

// --- PrimitiveParams ---

namespace {

// Lengths: small enough to stay far inside float precision, large enough to be seen.
constexpr double kShortest = 0.001;
constexpr double kLongest = 1000;

PrimitiveParameter count(std::string name, double value, double least, double most) {
    return {std::move(name), value, least, most, true, {}};
}

PrimitiveParameter length(std::string name, double value) {
    return {std::move(name), value, kShortest, kLongest, false, {}};
}

PrimitiveParameter capFill() { return {"Caps", 0, 0, 1, true, {"N-gon", "Triangle fan"}}; }

std::vector<PrimitiveParameter> defaults(PrimitiveKind kind) {
    switch (kind) {
    case PrimitiveKind::Plane:
    case PrimitiveKind::Box: return {length("Size", 2)};
    case PrimitiveKind::UvSphere:
        return {count("Segments", 32, 3, 500), count("Rings", 16, 3, 250), length("Radius", 1)};
    case PrimitiveKind::Icosphere: return {count("Subdivisions", 2, 1, 8), length("Radius", 1)};
    case PrimitiveKind::Cylinder:
    case PrimitiveKind::Cone:
        return {count("Vertices", 32, 3, 1000), length("Radius", 1), length("Depth", 2), capFill()};
    case PrimitiveKind::Torus:
        return {count("Major segments", 48, 3, 500), count("Minor segments", 12, 3, 250),
                length("Major radius", 1), length("Minor radius", 0.25)};
    }
    return {};
}

// How far below the major radius a torus keeps its minor one, so that the tube never closes
// the hole into a point.
constexpr double kHole = 0.99;

} // namespace

PrimitiveParams::PrimitiveParams(PrimitiveKind kind) : kind_(kind), parameters_(defaults(kind)) {}

std::shared_ptr<PrimitiveParams> PrimitiveParams::copy() const {
    auto same = make(kind_);
    same->parameters_ = parameters_;
    return same;
}

std::string PrimitiveParams::nameOf(PrimitiveKind kind) {
    switch (kind) {
    case PrimitiveKind::Plane: return "Plane";
    case PrimitiveKind::Box: return "Box";
    case PrimitiveKind::UvSphere: return "UV sphere";
    case PrimitiveKind::Icosphere: return "Icosphere";
    case PrimitiveKind::Cylinder: return "Cylinder";
    case PrimitiveKind::Cone: return "Cone";
    case PrimitiveKind::Torus: return "Torus";
    }
    return {};
}

double PrimitiveParams::value(std::size_t index) const {
    TESSEL_CHECK(index < parameters_.size(), "PrimitiveParams::value", "index " << index);
    return parameters_[index].value;
}

void PrimitiveParams::set(std::size_t index, double value) {
    TESSEL_CHECK(index < parameters_.size(), "PrimitiveParams::set", "index " << index);
    PrimitiveParameter& parameter = parameters_[index];
    if (std::isnan(value)) {
        return;
    }
    // In double precision, so that huge and infinite values clamp without an out-of-range
    // conversion.
    double stored =
        std::clamp(parameter.whole ? std::trunc(value) : value, parameter.min, parameter.max);
    if (kind_ == PrimitiveKind::Torus && index == 2) {
        stored = std::max(stored, parameters_[3].value / kHole);
    } else if (kind_ == PrimitiveKind::Torus && index == 3) {
        stored = std::min(stored, parameters_[2].value * kHole);
    }
    const double old = parameter.value;
    if (stored != old) {
        parameter.value = stored;
        changed.emit(index, old, stored);
    }
}

LayerPtr PrimitiveParams::generate() const {
    LayerPtr layer = generateUpright();
    // z up → y up, as Blender's glTF and OBJ exporters turn its shapes: a turn about x, which
    // keeps every face's winding.
    for (Vector3& p : layer->positions) {
        p = {p.x, p.z, -p.y};
    }
    return layer;
}

LayerPtr PrimitiveParams::generateUpright() const {
    const auto whole = [this](std::size_t i) { return static_cast<std::int64_t>(value(i)); };
    const auto real = [this](std::size_t i) { return static_cast<float>(value(i)); };
    switch (kind_) {
    case PrimitiveKind::Plane: return makePlaneLayer(real(0));
    case PrimitiveKind::Box: return makeBoxLayer(real(0));
    case PrimitiveKind::UvSphere: return makeUvSphereLayer(whole(0), whole(1), real(2));
    case PrimitiveKind::Icosphere: return makeIcosphereLayer(whole(0), real(1));
    case PrimitiveKind::Cylinder:
        return makeCylinderLayer(whole(0), real(1), real(2), static_cast<CapFill>(whole(3)));
    case PrimitiveKind::Cone:
        return makeConeLayer(whole(0), real(1), real(2), static_cast<CapFill>(whole(3)));
    case PrimitiveKind::Torus: return makeTorusLayer(whole(0), whole(1), real(2), real(3));
    }
    return makeLayer();
}

} // namespace tessel
