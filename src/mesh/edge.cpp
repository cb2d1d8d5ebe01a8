#include "mesh/edge.h"

#include "mesh/layer.h"

#include <algorithm>

namespace tessel {

std::vector<Edge> edgesOf(const Layer& layer) {
    std::vector<Edge> edges;
    edges.reserve(layer.faces.corners().size());
    for (const FaceList::Face face : layer.faces) {
        for (size_t i = 0; i < face.size(); ++i) {
            edges.push_back(Edge::between(face[i], face[(i + 1) % face.size()]));
        }
    }
    std::sort(edges.begin(), edges.end());
    edges.erase(std::unique(edges.begin(), edges.end()), edges.end());
    return edges;
}

} // namespace tessel
