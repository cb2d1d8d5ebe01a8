// The modeller's side of the subdivision check in scripts/interop:
//   tessel_subdivision_interop <folder>
// writes three cages as OBJ, <name>.obj, and each refined at levels 1 and 2, the corners of open
// borders smoothed (<name>-<level>.obj) and kept (<name>-<level>-keep.obj):
// "box" (a 2-unit box of six quads), "grid" (an open grid of 4 × 3 quads over a bumpy height
// field) and "cylinder" (eight sides of two rings of quads, capped by two octagons), positions
// with nine significant digits.
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
    return static_cast<bool>(out);
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: tessel_subdivision_interop <folder>\n";
        return 2;
    }
    const std::string folder = argv[1];
    const std::pair<const char*, Layer> cages[] = {
        {"box", box()}, {"grid", grid()}, {"cylinder", cylinder()}};
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
