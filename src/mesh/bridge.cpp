#include "mesh/bridge.h"

#include <algorithm>
#include <limits>

namespace tessel {

BorderEdit bridgeLoops(Layer& layer, std::span<const Edge> edges) {
    BorderLoops borders = borderLoops(edgeTopology(layer), layer, edges);
    if (borders.fault != BorderFault::None) {
        return {{}, borders.fault};
    }
    if (borders.loops.size() != 2) {
        return {{}, BorderFault::NotTwoLoops};
    }
    // The band walks the longer loop as its own faces would, and the other loop backwards: each
    // face then runs along both of its border edges against the faces there.
    const bool swapped = borders.loops[1].size() > borders.loops[0].size();
    const std::vector<std::uint32_t>& longer = borders.loops[swapped ? 1 : 0];
    std::vector<std::uint32_t> other = std::move(borders.loops[swapped ? 0 : 1]);
    std::reverse(other.begin(), other.end());
    const size_t n = longer.size();
    const size_t m = other.size();
    // The point of the other loop that face k starts from, before turning the pairing.
    const auto step = [n, m](size_t k) { return k * m / n; };

    size_t turn = 0;
    double least = std::numeric_limits<double>::infinity();
    for (size_t r = 0; r < m; ++r) {
        double sum = 0;
        for (size_t k = 0; k < n; ++k) {
            sum +=
                (layer.positions[longer[k]] - layer.positions[other[(step(k) + r) % m]]).length();
        }
        if (sum < least) {
            least = sum;
            turn = r;
        }
    }

    BorderEdit result;
    for (size_t k = 0; k < n; ++k) {
        const std::uint32_t from = other[(step(k) + turn) % m];
        const std::uint32_t to = other[(step(k + 1) + turn) % m];
        result.faces.push_back(static_cast<std::uint32_t>(layer.faces.size()));
        if (step(k) == step(k + 1)) {
            layer.faces.push_back({longer[k], longer[(k + 1) % n], from});
        } else {
            layer.faces.push_back({longer[k], longer[(k + 1) % n], to, from});
        }
    }
    return result;
}

} // namespace tessel
