#pragma once

#include "base/signal.h"
#include "mesh/layer.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace tessel {

// Closed solids and a flat square, centred on the origin with z up. Every face runs
// counter-clockwise seen from outside (from +z for the plane), and the solids are closed: every
// edge lies on exactly two faces, which run along it in opposite directions. Callers keep the
// counts at least 3 (subdivisions at least 1) and the lengths positive; PrimitiveParams does.

// A square of side `size` in z = 0: 4 points, 1 quad.
LayerPtr makePlaneLayer(float size);

// A cube of side `size`: 8 points, 6 quads.
LayerPtr makeBoxLayer(float size);

// A sphere of `segments` meridians and `rings` bands: quads between the parallels, triangle
// fans at the poles. segments × (rings − 1) + 2 points, segments × rings faces.
LayerPtr makeUvSphereLayer(std::int64_t segments, std::int64_t rings, float radius);

// An icosahedron (subdivisions 1) whose triangles are each split in four, subdivisions − 1 times,
// the new points pushed out onto the sphere: 20 × 4^(subdivisions − 1) triangles.
LayerPtr makeIcosphereLayer(std::int64_t subdivisions, float radius);

// How the end of a cylinder or cone is closed: one face of all its rim points, or a triangle
// fan around a centre point.
enum class CapFill { NGon = 0, Fan = 1 };

// A cylinder along z of `vertices` quads round its side: 2 × vertices points and 2 caps (n-gon),
// or 2 × vertices + 2 points and 2 × vertices fan triangles (fan).
LayerPtr makeCylinderLayer(std::int64_t vertices, float radius, float depth, CapFill caps);

// A cone along z with its base at z = −depth / 2 and its tip at depth / 2: `vertices` side
// triangles and the base cap.
LayerPtr makeConeLayer(std::int64_t vertices, float radius, float depth, CapFill caps);

// A ring around z: majorSegments × minorSegments points and quads, the tube's centre line at
// majorRadius, its radius minorRadius (kept below majorRadius).
LayerPtr makeTorusLayer(std::int64_t majorSegments, std::int64_t minorSegments, float majorRadius,
                        float minorRadius);

// The kinds of primitive the add menu offers beside the grid and the cube.
enum class PrimitiveKind { Plane, Box, UvSphere, Icosphere, Cylinder, Cone, Torus };

// One setting of a primitive, as its panel lists it.
struct PrimitiveParameter {
    std::string name;
    double value = 0;
    double min = 0;
    double max = 0;
    // A count: stored truncated toward zero.
    bool whole = false;
    // A pick among named options: `value` is the option's index.
    std::vector<std::string> choices;
};

// The settings a primitive is generated from, each clamped to a range that keeps the mesh sound
// and far below the editor's triangle limit (the largest, a 500 × 250 UV sphere, draws about
// 250,000 triangles).
class PrimitiveParams {
public:
    // The kind with its defaults: sizes of 2, radius 1, 32 × 16 sphere, icosphere subdivisions 2,
    // 32-sided cylinder and cone of depth 2, torus 48 × 12 with radii 1 and 0.25.
    explicit PrimitiveParams(PrimitiveKind kind);
    static std::shared_ptr<PrimitiveParams> make(PrimitiveKind kind) {
        return std::make_shared<PrimitiveParams>(kind);
    }

    // Settings of the same kind and values, with nothing connected to them.
    std::shared_ptr<PrimitiveParams> copy() const;

    PrimitiveKind kind() const { return kind_; }
    // "Plane", "Box", "UV sphere", "Icosphere", "Cylinder", "Cone", "Torus".
    static std::string nameOf(PrimitiveKind kind);
    const std::vector<PrimitiveParameter>& parameters() const { return parameters_; }
    // The value of parameter `index`, which must be below parameters().size().
    double value(std::size_t index) const;

    // Stores `value` in parameter `index` (below parameters().size()): a count truncated toward
    // zero, then clamped to its range; a torus keeps its minor radius below its major one. Not a
    // number leaves the value as it was. Emits `changed` when the stored value changed.
    void set(std::size_t index, double value);
    // (index, old, new).
    Signal<std::size_t, double, double> changed;

    // The mesh these settings make, standing in the modeller's world, where y is up (the way
    // glTF and OBJ files have it): the shape made with z up above, turned so that its +z points
    // along +y and its +y along −z. A cylinder's axis is y, a plane faces +y.
    LayerPtr generate() const;

private:
    // The same with z up.
    LayerPtr generateUpright() const;

    PrimitiveKind kind_;
    std::vector<PrimitiveParameter> parameters_;
};
using PrimitiveParamsPtr = std::shared_ptr<PrimitiveParams>;

} // namespace tessel
