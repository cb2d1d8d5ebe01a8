#include "mesh/connect.h"

#include "mesh/polygon.h"

#include <algorithm>

namespace tessel {

namespace {

double along(const std::array<double, 3>& a, const std::array<double, 3>& b) {
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}

} // namespace

ConnectFault connectPoints(Layer& layer, std::uint32_t p, std::uint32_t q) {
    if (p >= layer.positions.size() || q >= layer.positions.size() || p == q) {
        return ConnectFault::NoSharedFace;
    }
    ConnectFault fault = ConnectFault::NoSharedFace;
    for (size_t f = 0; f < layer.faces.size(); ++f) {
        const FaceList::Face face = layer.faces[f];
        const auto first = std::ranges::find(face, p);
        const auto second = std::ranges::find(face, q);
        if (first == face.end() || second == face.end()) {
            continue;
        }
        const size_t n = face.size();
        size_t i = static_cast<size_t>(first - face.begin());
        size_t j = static_cast<size_t>(second - face.begin());
        if (i > j) {
            std::swap(i, j);
        }
        if (j - i == 1 || j - i == n - 1) {
            fault = std::max(fault, ConnectFault::Neighbours);
            continue;
        }
        // Corners i to j go to the new face; the rest, from the face's first corner, stay.
        const std::vector<std::uint32_t> cut(face.begin() + static_cast<std::ptrdiff_t>(i),
                                             face.begin() + static_cast<std::ptrdiff_t>(j) + 1);
        std::vector<std::uint32_t> kept(face.begin(),
                                        face.begin() + static_cast<std::ptrdiff_t>(i) + 1);
        kept.insert(kept.end(), face.begin() + static_cast<std::ptrdiff_t>(j), face.end());
        const std::array<double, 3> whole = polygon::areaVector(layer.positions, face);
        if (!(along(polygon::areaVector(layer.positions, cut), whole) > 0) ||
            !(along(polygon::areaVector(layer.positions, kept), whole) > 0)) {
            fault = ConnectFault::OutsideFace;
            continue;
        }
        layer.faces.replace(f, kept);
        layer.faces.push_back(cut);
        return ConnectFault::None;
    }
    return fault;
}

} // namespace tessel
