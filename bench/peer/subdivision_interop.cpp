// The modeller's side of the subdivision check in scripts/interop:
//   tessel_subdivision_interop <folder>
// writes three cages as OBJ, <name>.obj, and each refined at levels 1 and 2, the corners of open
// borders smoothed (<name>-<level>.obj) and kept (<name>-<level>-keep.obj):
// "box" (a 2-unit box of six quads), "grid" (an open grid of 4 × 3 quads over a bumpy height
// field) and "cylinder" (eight sides of two rings of quads, capped by two octagons), positions
// with nine significant digits; then "creased-box" (the box with two edges of one face creased 1
// and one of the opposite face ½) and "creased-cylinder" (its top rim creased 1, its bottom rim
// 0.3), whose creases follow the points as "# crease <a> <b> <weight>" lines (ids from 1).
#include "mesh/crease.h"
#include "mesh/edge.h"
#include "mesh/primitives.h"
#include "mesh/subdivision.h"

#include <cmath>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>
#include <utility>
#include <vector>

namespace {

using namespace tessel;

Layer box() { return *makeBoxLayer(2); }

Layer grid() {
    constexpr int kColumns = 4, kRows = 3;
    Layer layer;
    for (int j = 0; j <= kRows; ++j) {
        for (int i = 0; i <= kColumns; ++i) {
            const float z = 0.3f * std::sin(1.3f * i) * std::cos(0.9f * j);
            layer.positions.push_back({float(i), float(j), z});
        }
    }
    for (int j = 0; j < kRows; ++j) {
        for (int i = 0; i < kColumns; ++i) {
            const auto k = static_cast<std::uint32_t>(j * (kColumns + 1) + i);
            layer.faces.push_back({k, k + 1, k + kColumns + 2, k + kColumns + 1});
        }
    }
    return layer;
}

Layer cylinder() {
    constexpr std::uint32_t kSides = 8, kRings = 3;
    Layer layer;
    for (std::uint32_t r = 0; r < kRings; ++r) {
        for (std::uint32_t s = 0; s < kSides; ++s) {
            const float angle = 2 * 3.14159265f * float(s) / kSides;
            layer.positions.push_back({std::cos(angle), std::sin(angle), float(r)});
        }
    }
    for (std::uint32_t r = 0; r + 1 < kRings; ++r) {
        for (std::uint32_t s = 0; s < kSides; ++s) {
            const std::uint32_t a = r * kSides + s, b = r * kSides + (s + 1) % kSides;
            layer.faces.push_back({a, b, b + kSides, a + kSides});
        }
    }
    std::vector<std::uint32_t> bottom, top;
    for (std::uint32_t s = 0; s < kSides; ++s) {
        bottom.push_back(kSides - 1 - s);
        top.push_back((kRings - 1) * kSides + s);
    }
    layer.faces.push_back(bottom);
    layer.faces.push_back(top);
    return layer;
}

Layer creasedBox() {
    Layer layer = box();
    const FaceList::Face first = layer.faces[0];
    const FaceList::Face last = layer.faces[layer.faces.size() - 1];
    const Edge sharp[] = {Edge::between(first[0], first[1]), Edge::between(first[1], first[2])};
    const Edge half[] = {Edge::between(last[0], last[1])};
    setCreases(layer, sharp, 1);
    setCreases(layer, half, 0.5f);
    return layer;
}

Layer creasedCylinder() {
    Layer layer = cylinder();
    std::vector<Edge> top, bottom;
    const FaceList::Face bottomFace = layer.faces[layer.faces.size() - 2];
    const FaceList::Face topFace = layer.faces[layer.faces.size() - 1];
    for (std::size_t i = 0; i < topFace.size(); ++i) {
        top.push_back(Edge::between(topFace[i], topFace[(i + 1) % topFace.size()]));
        bottom.push_back(Edge::between(bottomFace[i], bottomFace[(i + 1) % bottomFace.size()]));
    }
    setCreases(layer, top, 1);
    setCreases(layer, bottom, 0.3f);
    return layer;
}

bool writeObj(const Layer& layer, const std::string& path) {
    std::ofstream out(path);
    char line[128];
    for (const Vector3& p : layer.positions) {
        std::snprintf(line, sizeof line, "v %.9g %.9g %.9g\n", p.x, p.y, p.z);
        out << line;
    }
    for (const FaceList::Face face : layer.faces) {
        out << "f";
        for (const std::uint32_t corner : face) {
            out << " " << corner + 1;
        }
        out << "\n";
    }
    for (const Crease& c : layer.creases) {
        std::snprintf(line, sizeof line, "# crease %u %u %.9g\n", c.a + 1, c.b + 1, c.weight);
        out << line;
    }
    return static_cast<bool>(out);
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: tessel_subdivision_interop <folder>\n";
        return 2;
    }
    const std::string folder = argv[1];
    const std::pair<const char*, Layer> cages[] = {{"box", box()},
                                                   {"grid", grid()},
                                                   {"cylinder", cylinder()},
                                                   {"creased-box", creasedBox()},
                                                   {"creased-cylinder", creasedCylinder()}};
    bool ok = true;
    for (const auto& [name, cage] : cages) {
        ok &= writeObj(cage, folder + "/" + name + ".obj");
        for (const int level : {1, 2}) {
            const std::string stem = folder + "/" + name + "-" + std::to_string(level);
            ok &= writeObj(subdivisionSurface(cage, level), stem + ".obj");
            ok &= writeObj(subdivisionSurface(cage, level, SubdivisionBoundary::KeepCorners),
                           stem + "-keep.obj");
        }
    }
    return ok ? 0 : 1;
}
