#include "mesh/crease.h"

#include <algorithm>
#include <cmath>

namespace tessel {

namespace {

bool before(const Crease& c, const Crease& d) { return c.a != d.a ? c.a < d.a : c.b < d.b; }

// Sorts by points and joins repeats, keeping the larger weight.
void normalize(std::vector<Crease>& creases) {
    std::sort(creases.begin(), creases.end(), [](const Crease& c, const Crease& d) {
        return before(c, d) || (!before(d, c) && c.weight > d.weight);
    });
    creases.erase(
        std::unique(creases.begin(), creases.end(),
                    [](const Crease& c, const Crease& d) { return c.a == d.a && c.b == d.b; }),
        creases.end());
}

} // namespace

float creaseOf(const Layer& layer, Edge edge) {
    const Crease key{edge.a, edge.b, 0};
    const auto found = std::lower_bound(layer.creases.begin(), layer.creases.end(), key, before);
    return found != layer.creases.end() && found->a == edge.a && found->b == edge.b ? found->weight
                                                                                    : 0.0f;
}

void setCreases(Layer& layer, std::span<const Edge> edges, float weight) {
    if (std::isnan(weight)) {
        return;
    }
    weight = std::clamp(weight, 0.0f, 1.0f);
    const std::size_t count = layer.positions.size();
    std::vector<Crease> changed;
    for (const Edge& e : edges) {
        if (e.a != e.b && e.a < count && e.b < count) {
            const Edge edge = Edge::between(e.a, e.b);
            changed.push_back({edge.a, edge.b, weight});
        }
    }
    std::sort(changed.begin(), changed.end(), before);
    // The creases the edges name give way to the new weights.
    std::vector<Crease> merged;
    merged.reserve(layer.creases.size() + changed.size());
    std::set_difference(layer.creases.begin(), layer.creases.end(), changed.begin(), changed.end(),
                        std::back_inserter(merged), before);
    if (weight > 0) {
        merged.insert(merged.end(), changed.begin(), changed.end());
    }
    normalize(merged);
    layer.creases = std::move(merged);
}

void remapCreases(std::vector<Crease>& creases, std::span<const std::uint32_t> remap) {
    if (creases.empty()) {
        return;
    }
    std::vector<Crease> kept;
    kept.reserve(creases.size());
    for (const Crease& c : creases) {
        if (c.a >= remap.size() || c.b >= remap.size()) {
            continue;
        }
        const std::uint32_t a = remap[c.a], b = remap[c.b];
        if (a != kRemoved && b != kRemoved && a != b) {
            kept.push_back({std::min(a, b), std::max(a, b), c.weight});
        }
    }
    normalize(kept);
    creases = std::move(kept);
}

void copyCreases(std::vector<Crease>& creases, std::span<const std::uint32_t> copyOf) {
    const std::size_t count = creases.size();
    for (std::size_t i = 0; i < count; ++i) {
        const Crease c = creases[i];
        if (c.a >= copyOf.size() || c.b >= copyOf.size()) {
            continue;
        }
        const std::uint32_t a = copyOf[c.a], b = copyOf[c.b];
        if (a != kRemoved && b != kRemoved && a != b && !(a == c.a && b == c.b)) {
            creases.push_back({std::min(a, b), std::max(a, b), c.weight});
        }
    }
    if (creases.size() > count) {
        normalize(creases);
    }
}

std::vector<Crease> validCreases(std::vector<Crease> creases, std::size_t pointCount) {
    std::erase_if(creases, [pointCount](const Crease& c) {
        return c.a >= pointCount || c.b >= pointCount || c.a == c.b || !(c.weight > 0);
    });
    for (Crease& c : creases) {
        c = {std::min(c.a, c.b), std::max(c.a, c.b), std::min(c.weight, 1.0f)};
    }
    normalize(creases);
    return creases;
}

std::vector<Crease> creasesOnEdges(const Layer& layer) {
    std::vector<Crease> result;
    if (layer.creases.empty()) {
        return result;
    }
    // Every creased pair met as neighbouring corners of a face.
    std::vector<std::uint8_t> met(layer.creases.size(), 0);
    for (const FaceList::Face face : layer.faces) {
        for (std::size_t i = 0; i < face.size(); ++i) {
            const Edge edge = Edge::between(face[i], face[(i + 1) % face.size()]);
            const Crease key{edge.a, edge.b, 0};
            const auto found =
                std::lower_bound(layer.creases.begin(), layer.creases.end(), key, before);
            if (found != layer.creases.end() && found->a == edge.a && found->b == edge.b) {
                met[static_cast<std::size_t>(found - layer.creases.begin())] = 1;
            }
        }
    }
    for (std::size_t i = 0; i < met.size(); ++i) {
        if (met[i]) {
            result.push_back(layer.creases[i]);
        }
    }
    return result;
}

} // namespace tessel
