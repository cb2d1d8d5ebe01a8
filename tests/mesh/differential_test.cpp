// The flat mesh core against the object representation it replaced (tests/legacy): long random
// edit sequences run on both from the same start, compared after every step: positions bit for
// bit, faces as id triples, and what each edit returns.
#include "legacy/generators.h"
#include "legacy/plane_cut.h"
#include "mesh/extrude.h"
#include "mesh/intersections.h"
#include "mesh/model.h"
#include "mesh/plane_cut.h"
#include "mesh/removal.h"
#include "mesh/split.h"
#include "mesh/subdivide.h"
#include "mesh/triangle.h"
#include "support/layer_walk.h"
#include "mesh/weld.h"
#include "support/layer_walk.h"

#include <gtest/gtest.h>

#include <limits>
#include <random>
#include <sstream>
#include <unordered_map>

namespace tessel {
namespace {

using walk::same;

constexpr float kInf = std::numeric_limits<float>::infinity();
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

// Each point's id by identity.
std::unordered_map<const legacy::Point*, std::uint32_t> idsOf(const legacy::Layer& layer) {
    std::unordered_map<const legacy::Point*, std::uint32_t> ids;
    for (size_t i = 0; i < layer.points.size(); ++i) {
        ids.emplace(layer.points[i].get(), static_cast<std::uint32_t>(i));
    }
    return ids;
}

// Where each of `before` went in `layer`, as a remap table.
std::vector<std::uint32_t> remapOf(const std::vector<legacy::PointPtr>& before,
                                   const legacy::Layer& layer) {
    const auto ids = idsOf(layer);
    std::vector<std::uint32_t> remap;
    for (const legacy::PointPtr& p : before) {
        const auto it = ids.find(p.get());
        remap.push_back(it == ids.end() ? kRemoved : it->second);
    }
    return remap;
}

// What tells the two layers apart, or nothing.
std::optional<std::string> difference(const Layer& now, const legacy::Layer& old) {
    if (now.pointCount() != old.points.size() || now.faceCount() != old.polygons.size()) {
        std::ostringstream out;
        out << now.pointCount() << " points, " << now.faceCount() << " faces against "
            << old.points.size() << ", " << old.polygons.size();
        return out.str();
    }
    for (size_t i = 0; i < now.pointCount(); ++i) {
        if (!same(now.positions[i], old.points[i]->position)) {
            std::ostringstream out;
            out << "point " << i << " at " << now.positions[i] << " against "
                << old.points[i]->position;
            return out.str();
        }
    }
    const auto ids = idsOf(old);
    for (size_t f = 0; f < now.faceCount(); ++f) {
        const auto verts = old.polygons[f]->verts();
        for (size_t k = 0; k < 3; ++k) {
            const auto it = ids.find(verts[k].get());
            if (verts.size() != 3 || it == ids.end() || it->second != now.triangles[f][k]) {
                return "face " + std::to_string(f) + " differs";
            }
        }
    }
    return std::nullopt;
}

// Drives both representations through the same random edits.
class Twin {
  public:
    Twin(std::uint32_t seed) : random_(seed) { restart(); }

    // Runs `steps` random edits; the first difference, with its step and edit, or nothing.
    std::optional<std::string> run(int steps) {
        if (auto d = difference(now_, *old_)) {
            return "at the start: " + *d;
        }
        for (int step = 0; step < steps; ++step) {
            if (now_.faceCount() == 0) {
                restart();
            }
            what_.str("");
            const std::optional<std::string> result = edit();
            std::optional<std::string> d = result ? result : difference(now_, *old_);
            if (d) {
                return "step " + std::to_string(step) + " (" + what_.str() + "): " + *d;
            }
        }
        return std::nullopt;
    }

  private:
    std::uint32_t below(size_t n) { return static_cast<std::uint32_t>(random_() % n); }
    bool coin() { return random_() % 2 == 0; }
    float value() {
        static constexpr float table[] = {0,    1,     -1,   0.5f,  1e-7f,   -1e-7f, 1e-30f, 1e7f,
                                          kInf, -kInf, kNaN, 3e38f, 4.9e-7f, -0.0f,  2,      0.25f};
        if (coin()) {
            return table[below(std::size(table))];
        }
        return std::uniform_real_distribution<float>(-1.5f, 1.5f)(random_);
    }
    Vector3 vector() { return {value(), value(), value()}; }
    float parameter() {
        return coin() ? static_cast<float>(below(5)) / 4
                      : std::uniform_real_distribution<float>(0, 1)(random_);
    }
    size_t face() { return below(now_.faceCount()); }
    std::uint32_t point() { return below(now_.pointCount()); }
    Vector3 centre(size_t f) {
        const Triangle& t = now_.triangles[f];
        return triangle::centroid(now_.positions[t[0]], now_.positions[t[1]], now_.positions[t[2]]);
    }

    void restart() {
        const std::uint32_t kind = below(12);
        if (kind == 0) {
            now_ = *Model::makeCube()->committed();
            old_ = legacy::cubeLayer();
        } else {
            // Small grids half of the time, where welds and removals reach the border.
            const size_t size = coin() ? 3 : 10;
            const std::int64_t h = 1 + below(size), v = 1 + below(size);
            now_ = *QuadGenerator(h, v).generateLayer();
            old_ = legacy::gridLayer(h, v);
        }
        // Now and then a point no face uses, on another point or apart.
        if (coin()) {
            const Vector3 at = coin() ? now_.positions[point()] : vector();
            now_.positions.push_back(at);
            old_->points.push_back(legacy::Point::make(at));
        }
        memo_ = PointMergeMemo();
        oldMemo_ = legacy::PointMergeMemo();
    }

    std::optional<std::string> edit() {
        const bool grows = now_.faceCount() < 2000;
        const std::uint32_t kind = below(12);
        switch (kind) {
        case 0:
            if (grows) {
                const size_t f = face();
                what_ << "subdivide " << f;
                const std::uint32_t centre = subdivide(now_, f);
                old_->subdividePolygon(f);
                if (centre != old_->points.size() - 1) {
                    return "the centre is " + std::to_string(centre);
                }
            }
            break;
        case 1:
            if (now_.faceCount() < 700) {
                what_ << "subdivide all";
                subdivideAll(now_);
                for (size_t f = 0, n = old_->polygons.size(); f < n; ++f) {
                    old_->subdividePolygon(f);
                }
            }
            break;
        case 2:
            if (grows) {
                const size_t f = face();
                const float distance = value();
                what_ << "extrude " << f << " by " << distance;
                extrude(now_, f, distance);
                old_->extrudeTriangle(f, distance);
            }
            break;
        case 3:
            if (grows) {
                const size_t f = face();
                const int edge = static_cast<int>(below(3));
                const float t = parameter();
                what_ << "split " << f << " on edge " << edge << " at " << t;
                const auto pieces = splitTriangle(now_, f, edge, t);
                if (pieces != old_->splitTriangle(f, edge, t)) {
                    return std::string("other pieces");
                }
            }
            break;
        case 4:
            if (grows) {
                const size_t f = face();
                const int i = static_cast<int>(below(3));
                const int j = (i + 1 + static_cast<int>(below(2))) % 3;
                const std::pair<float, float> t{parameter(), parameter()};
                what_ << "split " << f << " on edges " << i << ", " << j << " at " << t.first
                      << ", " << t.second;
                splitTriangle(now_, f, {i, j}, t);
                old_->splitTriangle(f, {i, j}, t);
            }
            break;
        case 5: {
            // A few faces, or now and then a run of up to half the layer's, so that it shrinks
            // and falls apart too.
            const bool run = below(4) == 0;
            std::vector<std::uint32_t> faces(run ? 1 + below(now_.faceCount() / 2 + 1)
                                                 : 1 + below(4));
            std::vector<legacy::PolygonPtr> polygons;
            const size_t first = face();
            what_ << "remove faces";
            for (size_t k = 0; k < faces.size(); ++k) {
                faces[k] =
                    static_cast<std::uint32_t>(run ? (first + k) % now_.faceCount() : face());
                polygons.push_back(old_->polygons[faces[k]]);
                what_ << " " << faces[k];
            }
            const std::vector<legacy::PointPtr> before = old_->points;
            const std::vector<std::uint32_t> remap = removeFaces(now_, faces);
            old_->removePolygons(polygons);
            if (remap != remapOf(before, *old_)) {
                return std::string("another remap");
            }
            break;
        }
        case 6: {
            std::vector<std::uint32_t> points;
            if (coin()) {
                const Triangle& t = now_.triangles[face()];
                points.assign(t.begin(), t.end());
            } else {
                points.resize(1 + below(4));
                for (std::uint32_t& p : points) {
                    p = point();
                }
            }
            std::vector<legacy::PointPtr> list;
            what_ << "weld";
            for (const std::uint32_t p : points) {
                list.push_back(old_->points[p]);
                what_ << " " << p;
            }
            std::vector<legacy::PointPtr> before = old_->points;
            const Welded welded = weld(now_, points);
            const legacy::PointPtr merged = old_->weld(list);
            before.push_back(merged);
            const std::optional<size_t> expected = old_->indexOf(merged);
            if (welded.point != expected) {
                return "merged into " + (welded.point ? std::to_string(*welded.point) : "nothing");
            }
            if (welded.remap != remapOf(before, *old_)) {
                return std::string("another remap");
            }
            break;
        }
        case 7:
        case 8: {
            if (now_.faceCount() >= 3000) {
                break;
            }
            Vector3 normal;
            Vector3 origin;
            switch (below(4)) {
            case 0: // through a row of grid points
                normal = {0, 1, 0};
                origin = now_.positions[point()];
                break;
            case 1: // through points, on a diagonal
                normal = Vector3{1, coin() ? 1.0f : -1.0f, 0}.normalized();
                origin = now_.positions[point()];
                break;
            case 2: // through a face, at any angle
                normal = Vector3{value(), value(), value()}.normalized();
                origin = centre(face());
                break;
            default:
                normal = vector().normalized();
                origin = vector();
            }
            const bool memo = kind == 8;
            what_ << "cut " << normal << " through " << origin << (memo ? " with a memo" : "");
            if (memo) {
                cutAlongPlane(now_, normal, origin, memo_);
                legacy::cutAlongPlane(*old_, normal, origin, oldMemo_);
            } else {
                cutAlongPlane(now_, normal, origin);
                legacy::cutAlongPlane(*old_, normal, origin);
            }
            break;
        }
        case 9: {
            const std::uint32_t p = point();
            const Vector3 to = coin() ? now_.positions[point()] : vector();
            what_ << "move " << p << " to " << to;
            now_.positions[p] = to;
            old_->points[p]->position = to;
            break;
        }
        case 10: {
            const Vector3 from = coin() ? vector() : Vector3{0, 0, 5};
            const Line line{from, coin() ? centre(face()) : vector()};
            what_ << "ray from " << line.first << " through " << line.second;
            // Picking has always skipped faces clearly off the line, which the old unfiltered
            // list kept when rounding alone made the exact test accept them.
            const auto hits = intersections(now_, line);
            const auto oldHits = old_->intersections(line);
            size_t k = 0;
            for (const auto& [f, x] : oldHits) {
                if (k < hits.size() && hits[k].first == f) {
                    if (!same(hits[k++].second, x)) {
                        return "the hit of face " + std::to_string(f) + " differs";
                    }
                } else if (!walk::reference::clearlyOffLine(now_, f, line)) {
                    return "face " + std::to_string(f) + " is missing";
                }
            }
            if (k != hits.size()) {
                return "hits past the old list";
            }
            const size_t f = face();
            const auto one = intersection(now_, f, line);
            const auto oldOne = old_->intersection(f, line);
            if (one.has_value() != oldOne.has_value() || (one && !same(*one, *oldOne))) {
                return "the hit of face " + std::to_string(f) + " differs";
            }
            break;
        }
        default: {
            std::vector<std::uint32_t> faces(1 + below(4));
            std::vector<size_t> ids;
            what_ << "points of faces";
            for (std::uint32_t& f : faces) {
                f = static_cast<std::uint32_t>(face());
                ids.push_back(f);
                what_ << " " << f;
            }
            const auto points = pointsOfFaces(now_, faces);
            const auto oldIds = idsOf(*old_);
            std::vector<std::uint32_t> expected;
            for (const legacy::PointPtr& p : old_->pointsSharedBy(ids)) {
                expected.push_back(oldIds.at(p.get()));
            }
            if (points != expected) {
                return std::string("other points or another order");
            }
        }
        }
        return std::nullopt;
    }

    std::mt19937 random_;
    Layer now_;
    legacy::LayerPtr old_;
    PointMergeMemo memo_;
    legacy::PointMergeMemo oldMemo_;
    std::ostringstream what_;
};

TEST(DifferentialTest, ShortSequencesFromManyStarts) {
    for (std::uint32_t seed = 1; seed <= 200; ++seed) {
        const auto d = Twin(seed).run(80);
        ASSERT_FALSE(d.has_value()) << "seed " << seed << ", " << *d;
    }
}

TEST(DifferentialTest, LongSequences) {
    for (std::uint32_t seed = 1001; seed <= 1004; ++seed) {
        const auto d = Twin(seed).run(2000);
        ASSERT_FALSE(d.has_value()) << "seed " << seed << ", " << *d;
    }
}

} // namespace
} // namespace tessel
