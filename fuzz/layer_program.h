#pragma once

// Turns a byte string into a sequence of layer edits on a generated grid or cube and checks the
// layer after every step. Shared by the coverage-guided fuzzer (fuzz/layer_fuzz.cpp) and by the
// regression test that replays the inputs it once crashed on (tests/fuzz/).
//
// Bytes map only to calls that are valid by the layer's contract: ids in range, triangles only
// where triangles are required, two different edges for the double split. A failing TESSEL_CHECK
// inside the layer is therefore a real fault, as is a broken layer afterwards.

#include "editor/render_index_data.h"
#include "mesh/layer.h"
#include "mesh/model.h"
#include "tools/plane_cut.h"
#include "tools/point_merge.h"

#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <span>
#include <sstream>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace tessel::fuzz {

// Reads the input front to back; past its end every read gives zero.
class ByteReader {
public:
    explicit ByteReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

    bool done() const { return position_ >= bytes_.size(); }
    std::uint8_t byte() { return done() ? 0 : bytes_[position_++]; }
    std::uint32_t word() {
        std::uint32_t w = byte();
        w = (w << 8) | byte();
        return (w << 8) | byte();
    }
    // A value in 0 … count − 1; count must be positive.
    size_t below(size_t count) { return word() % count; }

    // Drag amounts, split parameters and coordinates, weighted toward the values where
    // arithmetic goes wrong: zero, the ends of 0 … 1, the tiny, the huge and the non-finite.
    float number() {
        static constexpr float table[] = {
            0.0f, 1.0f, 0.5f, -1.0f, 1e-7f, -1e-7f, 1e-30f, 1e7f, -1e7f, 3.0f,
            std::numeric_limits<float>::infinity(), std::numeric_limits<float>::quiet_NaN(),
            std::numeric_limits<float>::max(), 0.25f, 2.0f, -0.5f,
        };
        const std::uint8_t b = byte();
        if (b < 64) {
            return table[b % std::size(table)];
        }
        // Otherwise a value in −2 … 2 with 16 bits of resolution.
        const std::uint16_t v = static_cast<std::uint16_t>((byte() << 8) | byte());
        return (static_cast<float>(v) / 65535.0f) * 4.0f - 2.0f;
    }
    // A split parameter: mostly inside 0 … 1, the ends included.
    float parameter() {
        const std::uint8_t b = byte();
        if (b < 200) {
            return static_cast<float>(b) / 199.0f;
        }
        return number();
    }

private:
    std::span<const std::uint8_t> bytes_;
    size_t position_ = 0;
};

// What is wrong with the layer, or nothing: every vertex of every polygon is one of the layer's
// points, no polygon or point is missing, and every point is listed once.
inline std::optional<std::string> layerFault(const Layer& layer) {
    std::unordered_set<const Point*> points;
    points.reserve(layer.points.size());
    for (size_t i = 0; i < layer.points.size(); ++i) {
        const Point* p = layer.points[i].get();
        if (p == nullptr) {
            return "point id " + std::to_string(i) + " is null";
        }
        if (!points.insert(p).second) {
            return "point id " + std::to_string(i) + " is listed twice";
        }
    }
    for (size_t f = 0; f < layer.polygons.size(); ++f) {
        const Polygon* polygon = layer.polygons[f].get();
        if (polygon == nullptr) {
            return "polygon id " + std::to_string(f) + " is null";
        }
        for (const PointPtr& v : polygon->verts()) {
            if (!points.count(v.get())) {
                return "a vertex of polygon id " + std::to_string(f) + " is not in the layer";
            }
        }
    }
    return std::nullopt;
}

// The drawing lists of the layer refer only to its points, a face at a time, and take every
// face that has three distinct corners in the layer.
inline std::optional<std::string> indexFault(const Layer& layer,
                                             std::span<const std::uint32_t> faces,
                                             std::span<const std::int64_t> points) {
    const IndexData triangles = handleIndexDataForTriangles(layer, true, faces);
    const IndexData dots = handleIndexDataForPoints(layer, true, points);
    for (const auto* list : {&triangles.ordinary, &triangles.selected, &dots.ordinary,
                             &dots.selected}) {
        for (const std::uint32_t i : *list) {
            if (i >= layer.points.size()) {
                return "index " + std::to_string(i) + " past " + std::to_string(layer.points.size()) +
                       " points";
            }
        }
    }
    if (triangles.ordinary.size() % 3 != 0 || triangles.selected.size() % 3 != 0) {
        return std::string("a triangle list is not whole triangles");
    }
    size_t corners = 0;
    for (const PolygonPtr& polygon : layer.polygons) {
        corners += polygon->isTriangle() ? 3 : 6;
    }
    if (triangles.ordinary.size() + triangles.selected.size() != corners) {
        return "triangle lists hold " +
               std::to_string(triangles.ordinary.size() + triangles.selected.size()) +
               " corners for " + std::to_string(corners);
    }
    if (dots.ordinary.size() + dots.selected.size() != layer.points.size()) {
        return std::string("point lists do not cover every point once");
    }
    return std::nullopt;
}

// The layer's structure as ids: point count, then each face's vertex ids.
inline std::vector<std::int64_t> shape(const Layer& layer) {
    std::unordered_map<const Point*, std::int64_t> ids;
    for (size_t i = 0; i < layer.points.size(); ++i) {
        ids.emplace(layer.points[i].get(), static_cast<std::int64_t>(i));
    }
    std::vector<std::int64_t> result{static_cast<std::int64_t>(layer.points.size())};
    for (const PolygonPtr& polygon : layer.polygons) {
        result.push_back(-1);
        for (const PointPtr& v : polygon->verts()) {
            const auto it = ids.find(v.get());
            result.push_back(it == ids.end() ? -2 : it->second);
        }
    }
    return result;
}

inline bool samePositions(const Layer& a, const Layer& b) {
    if (a.points.size() != b.points.size()) {
        return false;
    }
    for (size_t i = 0; i < a.points.size(); ++i) {
        const Vector3& p = a.points[i]->position;
        const Vector3& q = b.points[i]->position;
        // Bitwise-equal or both not-a-number in the same components.
        for (int k = 0; k < 3; ++k) {
            const float x = k == 0 ? p.x : k == 1 ? p.y : p.z;
            const float y = k == 0 ? q.x : k == 1 ? q.y : q.z;
            if (!(x == y || (std::isnan(x) && std::isnan(y)))) {
                return false;
            }
        }
    }
    return true;
}

// The coincident-point merge as its contract states it, weld by weld.
inline void mergeCoincidentPointsLiterally(Layer& layer) {
    const std::vector<PointPtr> snapshot = layer.points;
    std::vector<PointPtr> list;
    for (const PointPtr& p : snapshot) {
        list.clear();
        for (const PointPtr& q : layer.points) {
            if (q != p && (p->position - q->position).squaredLength() < coincidentDistanceSquared) {
                list.push_back(q);
            }
        }
        if (!list.empty()) {
            list.push_back(p);
            layer.weld(list);
        }
    }
}

// Layers stop growing here so that each input runs in milliseconds.
inline constexpr size_t kMaxPolygons = 1500;

// Runs the program the bytes describe; returns the first fault found, with the step that made it.
inline std::optional<std::string> runLayerProgram(std::span<const std::uint8_t> bytes) {
    ByteReader in(bytes);

    LayerPtr layer;
    const std::uint8_t start = in.byte();
    if (start % 2 == 0) {
        const auto h = static_cast<std::int64_t>(1 + (start / 2) % 6);
        const auto v = static_cast<std::int64_t>(1 + (start / 12) % 6);
        layer = QuadGenerator(h, v).generateLayer();
    } else {
        layer = Model::makeCube()->layers().front();
    }

    std::vector<PointPtr> list;
    std::vector<PolygonPtr> faces;
    for (int step = 0; !in.done() && step < 200; ++step) {
        const std::uint8_t op = in.byte() % 16;
        const size_t polygonCount = layer->polygons.size();
        const size_t pointCount = layer->points.size();
        const bool canGrow = polygonCount < kMaxPolygons;
        std::ostringstream what;
        what << "step " << step << " op " << int(op);

        switch (op) {
        case 0: // subdivide
            if (polygonCount > 0 && canGrow) {
                layer->subdividePolygon(in.below(polygonCount));
            }
            break;
        case 1: // extrude
            if (polygonCount > 0 && canGrow) {
                const size_t id = in.below(polygonCount);
                const float distance = in.number();
                what << " extrude " << id << " by " << distance;
                layer->extrudeTriangle(id, distance);
            }
            break;
        case 2: // split on one edge
            if (polygonCount > 0 && canGrow) {
                const size_t id = in.below(polygonCount);
                const int edge = static_cast<int>(in.below(3));
                const float t = in.parameter();
                what << " split " << id << " edge " << edge << " at " << t;
                const auto [a, b] = layer->splitTriangle(id, edge, t);
                if (a != id || b != layer->polygons.size() - 1) {
                    return what.str() + ": split returned the wrong ids";
                }
            }
            break;
        case 3: // split on two edges
            if (polygonCount > 0 && canGrow) {
                const size_t id = in.below(polygonCount);
                const int i = static_cast<int>(in.below(3));
                const int j = (i + 1 + static_cast<int>(in.below(2))) % 3;
                const float s = in.parameter();
                const float t = in.parameter();
                what << " split " << id << " edges " << i << "," << j << " at " << s << "," << t;
                layer->splitTriangle(id, {i, j}, {s, t});
            }
            break;
        case 4: // remove polygons (repeats allowed)
            if (polygonCount > 0) {
                faces.clear();
                for (size_t k = 1 + in.below(4); k-- > 0;) {
                    faces.push_back(layer->polygons[in.below(polygonCount)]);
                }
                layer->removePolygons(faces);
            }
            break;
        case 5: // remove points (repeats allowed)
            if (pointCount > 0) {
                list.clear();
                for (size_t k = 1 + in.below(3); k-- > 0;) {
                    list.push_back(layer->points[in.below(pointCount)]);
                }
                layer->removeVerts(list);
            }
            break;
        case 6: // weld a few points, or all points of one face
        {
            list.clear();
            if (polygonCount > 0 && in.byte() % 2 == 0) {
                const auto verts = layer->polygons[in.below(polygonCount)]->verts();
                list.assign(verts.begin(), verts.end());
            } else if (pointCount > 0) {
                for (size_t k = 1 + in.below(4); k-- > 0;) {
                    list.push_back(layer->points[in.below(pointCount)]);
                }
            }
            const PointPtr merged = layer->weld(list);
            if (list.empty() != (merged == nullptr)) {
                return what.str() + ": weld returned " + (merged ? "a point" : "nothing") +
                       " for " + std::to_string(list.size()) + " points";
            }
            break;
        }
        case 7: // deep copy
        {
            const LayerPtr copy = layer->copy();
            if (shape(*copy) != shape(*layer) || !samePositions(*copy, *layer)) {
                return what.str() + ": the copy differs from its layer";
            }
            for (size_t i = 0; i < pointCount; ++i) {
                if (copy->points[i] == layer->points[i]) {
                    return what.str() + ": the copy shares point " + std::to_string(i);
                }
            }
            layer = copy;
            break;
        }
        case 8: // ray queries
        {
            const Vector3 p0{in.number(), in.number(), in.number()};
            const Vector3 p1{in.number(), in.number(), in.number()};
            const auto hits = layer->intersections({p0, p1});
            for (size_t k = 0; k < hits.size(); ++k) {
                if (hits[k].first >= polygonCount || (k > 0 && hits[k].first <= hits[k - 1].first)) {
                    return what.str() + ": intersections are not ascending valid ids";
                }
            }
            if (polygonCount > 0) {
                (void)layer->intersection(in.below(polygonCount), {p0, p1});
            }
            break;
        }
        case 9: // clean-ups
            layer->removeDegeneratedPolygons();
            layer->removeOrphanedPoints();
            break;
        case 10: // a point moved onto another, or to a number from the table
            if (pointCount > 0) {
                Point& p = *layer->points[in.below(pointCount)];
                if (in.byte() % 2 == 0) {
                    p.position = layer->points[in.below(pointCount)]->position;
                } else {
                    p.position = {in.number(), in.number(), in.number()};
                }
            }
            break;
        case 11: // the plane cut, checked against the cut of a copy merged weld by weld
        {
            const Vector3 normal = Vector3{in.number(), in.number(), in.number()}.normalized();
            const Vector3 origin{in.number(), in.number(), in.number()};
            if (polygonCount > 400) {
                cutAlongPlane(*layer, normal, origin);
                break;
            }
            const LayerPtr reference = layer->copy();
            splitAlongPlane(*reference, normal, origin);
            mergeCoincidentPointsLiterally(*reference);
            cutAlongPlane(*layer, normal, origin);
            if (shape(*reference) != shape(*layer) || !samePositions(*reference, *layer)) {
                return what.str() + ": the batched merge differs from the weld sequence";
            }
            break;
        }
        case 12: // lookups
            if (pointCount > 0) {
                const PointPtr& p = layer->points[in.below(pointCount)];
                const auto sharing = layer->polygonsSharing(p);
                if (sharing.empty() != layer->isOrphaned(p)) {
                    return what.str() + ": polygonsSharing and isOrphaned disagree";
                }
                if (layer->indexOf(p) == std::nullopt) {
                    return what.str() + ": a listed point has no index";
                }
            }
            if (polygonCount > 0) {
                std::vector<size_t> ids;
                for (size_t k = 1 + in.below(3); k-- > 0;) {
                    ids.push_back(in.below(polygonCount));
                }
                const auto shared = layer->pointsSharedBy(ids);
                (void)layer->indexesOf(shared);
            }
            break;
        case 13: // the drawing lists, with selections partly out of range
        {
            std::vector<std::uint32_t> selectedFaces;
            std::vector<std::int64_t> selectedPoints;
            for (size_t k = in.below(4); k-- > 0;) {
                selectedFaces.push_back(static_cast<std::uint32_t>(in.below(polygonCount + 3)));
                selectedPoints.push_back(static_cast<std::int64_t>(in.below(pointCount + 3)) - 1);
            }
            if (auto fault = indexFault(*layer, selectedFaces, selectedPoints)) {
                return what.str() + ": " + *fault;
            }
            break;
        }
        case 14: // the coincident-point merge alone
            mergeCoincidentPoints(*layer);
            break;
        case 15: // points relative to a plane
        {
            const Vector3 normal = Vector3{in.number(), in.number(), in.number()}.normalized();
            const auto ids = layer->pointIdsRelativeTo(
                Plane::through(normal, {0, 0, 0}), [](float d, float zero) { return d > zero; });
            for (size_t k = 0; k < ids.size(); ++k) {
                if (ids[k] >= pointCount || (k > 0 && ids[k] <= ids[k - 1])) {
                    return what.str() + ": pointIdsRelativeTo is not ascending valid ids";
                }
            }
            break;
        }
        }

        if (auto fault = layerFault(*layer)) {
            return what.str() + ": " + *fault;
        }
    }
    return std::nullopt;
}

} // namespace tessel::fuzz
