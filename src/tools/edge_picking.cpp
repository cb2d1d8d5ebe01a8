// Picking edges on the screen: the nearest to a click, and those inside a dragged rectangle.

#include "tools/edge_picking.h"

#include "base/check.h"
#include "tools/selection.h"

#include <algorithm>
#include <cstdint>

namespace tessel {

namespace {

// Where a point lies against the box around the pointer that an edge must reach into: one bit
// per side it is beyond, or kBefore when it lies before the near plane.
constexpr std::uint8_t kLeft = 1, kRight = 2, kBelow = 4, kAbove = 8, kBefore = 16;

struct Clip {
    float x, y, z, w;
    bool beyondNearPlane() const { return z >= 0 && w > 0; }
};

// Inlined: it runs once for every point.
[[gnu::always_inline]] inline Clip clipOf(const Matrix& m, const Vector3& p) {
    const auto row = [&](int r) { return m(r, 0) * p.x + m(r, 1) * p.y + m(r, 2) * p.z + m(r, 3); };
    return {row(0), row(1), row(2), row(3)};
}

// An end of an edge on the screen: x scaled by the aspect ratio, y, and depth.
struct ScreenPoint {
    float x, y, depth;
};

ScreenPoint onScreen(const Clip& c, float aspectRatio) {
    return {c.x / c.w * aspectRatio, c.y / c.w, c.z / c.w};
}

} // namespace

std::optional<Edge> nearestEdge(const Layer& layer, const Matrix& viewProjection, float aspectRatio,
                                Vec2 pointer, float maxDistance) {
    const size_t n = layer.positions.size();
    const float px = pointer.x * aspectRatio;
    const float py = pointer.y;
    // Slightly wide, so that rounding never rejects an edge the exact test below would take.
    const float reach = maxDistance * 1.001f + 1e-6f;

    // Which sides of the box each point is beyond, compared before the division by w (> 0): an
    // edge with both ends beyond the same side, or both before the near plane, cannot come near.
    std::vector<std::uint8_t> codes(n);
    for (size_t i = 0; i < n; ++i) {
        const Clip c = clipOf(viewProjection, layer.positions[i]);
        const float dx = c.x * aspectRatio - px * c.w;
        const float dy = c.y - py * c.w;
        const float r = reach * c.w;
        codes[i] = c.beyondNearPlane()
                       ? static_cast<std::uint8_t>((dx < -r ? kLeft : 0) | (dx > r ? kRight : 0) |
                                                   (dy < -r ? kBelow : 0) | (dy > r ? kAbove : 0))
                       : kBefore;
    }

    std::optional<Edge> best;
    float bestDistance = maxDistance * maxDistance;
    float bestDepth = 0;
    const auto consider = [&](std::uint32_t p, std::uint32_t q) {
        if ((codes[p] & codes[q]) != 0) {
            return;
        }
        Clip a = clipOf(viewProjection, layer.positions[p]);
        Clip b = clipOf(viewProjection, layer.positions[q]);
        // Cut the edge where it crosses the near plane (depth 0), keeping the part beyond.
        if (!a.beyondNearPlane() || !b.beyondNearPlane()) {
            Clip& before = a.beyondNearPlane() ? b : a;
            const Clip& beyond = a.beyondNearPlane() ? a : b;
            const float t = before.z / (before.z - beyond.z);
            before = {before.x + t * (beyond.x - before.x), before.y + t * (beyond.y - before.y), 0,
                      before.w + t * (beyond.w - before.w)};
            if (!(before.w > 0)) {
                return;
            }
        }
        const ScreenPoint s = onScreen(a, aspectRatio);
        const ScreenPoint e = onScreen(b, aspectRatio);
        const float dx = e.x - s.x;
        const float dy = e.y - s.y;
        const float length2 = dx * dx + dy * dy;
        float u = length2 > 0 ? ((px - s.x) * dx + (py - s.y) * dy) / length2 : 0;
        u = std::clamp(u, 0.0f, 1.0f);
        const float ox = s.x + u * dx - px;
        const float oy = s.y + u * dy - py;
        const float distance = ox * ox + oy * oy;
        // Depth is affine along the edge's segment on the screen.
        const float depth = s.depth + u * (e.depth - s.depth);
        const Edge edge = Edge::between(p, q);
        if (distance < bestDistance ||
            (distance == bestDistance &&
             (!best || depth < bestDepth || (depth == bestDepth && edge < *best)))) {
            best = edge;
            bestDistance = distance;
            bestDepth = depth;
        }
    };

    // Most faces have all corners beyond one side of the box: one test drops all their edges.
    const FaceList& faces = layer.faces;
    const std::uint32_t* corners = faces.corners().data();
    const auto considerFace = [&](size_t begin, size_t end) {
        std::uint8_t shared = 0xff;
        for (size_t i = begin; i < end; ++i) {
            shared &= codes[corners[i]];
        }
        if (shared != 0) {
            return;
        }
        for (size_t i = begin; i + 1 < end; ++i) {
            consider(corners[i], corners[i + 1]);
        }
        consider(corners[end - 1], corners[begin]);
    };
    if (faces.uniformCount() == 3) {
        for (size_t i = 0; i < 3 * faces.size(); i += 3) {
            considerFace(i, i + 3);
        }
    } else {
        for (size_t f = 0; f < faces.size(); ++f) {
            considerFace(faces.start(f), faces.start(f + 1));
        }
    }
    return best;
}

std::vector<Edge> edgesInside(const std::array<Plane, 4>& sides, const Layer& layer,
                              const EdgeTopology& topology) {
    TESSEL_CHECK(topology.pointCount() == layer.positions.size(), "edgesInside",
                 "a topology of " << topology.pointCount() << " points for a layer of "
                                  << layer.positions.size());
    const std::vector<std::uint8_t> inside = insideFlags(sides, layer);
    std::vector<Edge> edges;
    for (const Edge& edge : topology.edges) {
        if (inside[edge.a] && inside[edge.b]) {
            edges.push_back(edge);
        }
    }
    return edges;
}

} // namespace tessel
