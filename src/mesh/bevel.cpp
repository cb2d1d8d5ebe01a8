#include "mesh/bevel.h"

#include "mesh/crease.h"
#include "mesh/polygon.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <numbers>
#include <optional>
#include <unordered_map>

namespace tessel {

namespace {

// One face around a point: the edges into and out of the point in the face's winding, the
// neighbouring corners along them, and the face's normal.
struct FanFace {
    std::uint32_t face;
    std::uint32_t inEdge, outEdge;
    std::uint32_t prev, next;
    Vector3 normal;
};

// The faces around a point in turn, each across the previous one's out edge. An open fan starts
// and ends at the border.
struct Fan {
    std::vector<FanFace> faces;
    bool closed = false;
};

std::uint32_t otherFace(std::span<const std::uint32_t> along, std::uint32_t face) {
    return along[0] == face ? along[1] : along[0];
}

// The point's faces as one fan, or nothing when they do not form one (several fans, an edge
// along more than two faces, neighbours wound against each other, a closed fan of two faces).
std::optional<Fan> fanOf(const Layer& layer, const EdgeTopology& t, std::uint32_t v) {
    const std::span<const std::uint32_t> around = t.facesAround(v);
    if (around.empty()) {
        return std::nullopt;
    }
    const auto cornerIn = [&](std::uint32_t f) {
        const FaceList::Face c = layer.faces[f];
        const std::size_t n = c.size();
        std::size_t k = 0;
        while (c[k] != v) {
            ++k;
        }
        const std::size_t s = layer.faces.start(f);
        return FanFace{f,
                       t.cornerEdges[s + (k + n - 1) % n],
                       t.cornerEdges[s + k],
                       c[(k + n - 1) % n],
                       c[(k + 1) % n],
                       polygon::normal(layer.positions, c)};
    };
    Fan fan;
    fan.faces.push_back(cornerIn(around[0]));
    for (;;) {
        const FanFace& last = fan.faces.back();
        const std::span<const std::uint32_t> along = t.facesOf(last.outEdge);
        if (along.size() == 1) {
            break;
        }
        if (along.size() != 2 || fan.faces.size() > around.size()) {
            return std::nullopt;
        }
        const FanFace next = cornerIn(otherFace(along, last.face));
        if (next.prev != last.next) {
            return std::nullopt;
        }
        if (next.face == around[0]) {
            fan.closed = true;
            break;
        }
        fan.faces.push_back(next);
    }
    if (!fan.closed) {
        std::vector<FanFace> before;
        FanFace first = fan.faces.front();
        for (;;) {
            const std::span<const std::uint32_t> along = t.facesOf(first.inEdge);
            if (along.size() == 1) {
                break;
            }
            if (along.size() != 2 || before.size() + fan.faces.size() > around.size()) {
                return std::nullopt;
            }
            const FanFace previous = cornerIn(otherFace(along, first.face));
            if (previous.next != first.prev) {
                return std::nullopt;
            }
            before.push_back(previous);
            first = previous;
        }
        fan.faces.insert(fan.faces.begin(), before.rbegin(), before.rend());
    }
    if (fan.faces.size() != around.size() || (fan.closed && fan.faces.size() < 3)) {
        return std::nullopt;
    }
    return fan;
}

// How far a corner moves per unit of width to stay that far from the lines of both its sides,
// given the sides' unit inward directions.
Vector3 bisector(const Vector3& a, const Vector3& b) {
    return (a + b) * (1 / std::max(1 + a.dot(b), 1e-6f));
}

// How far a point slides along unit direction `along` per unit of width to move that far from
// an edge whose inward direction is `inward`.
float slideLength(const Vector3& along, const Vector3& inward) {
    return 1 / std::max(along.dot(inward), 1e-3f);
}

// A face of the bevelled layer in the making, over provisional ids: the layer's points below
// its point count, added points after.
using Corners = std::vector<std::uint32_t>;

struct Planner {
    const Layer& layer;
    const EdgeTopology& topology;
    int segments;
    std::uint32_t base;
    std::vector<BevelPlan::Added> added;
    // What takes the place of point `point` in face `face`.
    struct Run {
        std::uint32_t face;
        std::uint32_t point;
        Corners ids;
    };
    std::vector<Run> runs;
    std::vector<Corners> newFaces;
    std::vector<BevelPlan::Patch> patches;
    std::vector<std::uint8_t> removed;

    Planner(const Layer& l, const EdgeTopology& t, int s)
        : layer(l), topology(t), segments(std::clamp(s, 1, kMaxBevelSegments)),
          base(static_cast<std::uint32_t>(l.positions.size())), removed(l.positions.size()) {}

    std::uint32_t add(std::uint32_t from, Vector3 perWidth) {
        added.push_back({from, isFinite(perWidth) ? perWidth : Vector3{}});
        return base + static_cast<std::uint32_t>(added.size() - 1);
    }
    Vector3 perWidth(std::uint32_t id) const {
        return id < base ? Vector3{} : added[id - base].perWidth;
    }
    Vector3 direction(std::uint32_t from, std::uint32_t to) const {
        return unitOrZero(layer.positions[to] - layer.positions[from]);
    }

    // The inner points of the profile from l to r, both moved from `v`, rounded about the
    // corner c (per unit of width, from v): a quarter ellipse about l + r − c.
    Corners arc(std::uint32_t v, std::uint32_t l, std::uint32_t r, const Vector3& c) {
        const Vector3 dl = perWidth(l), dr = perWidth(r);
        const Vector3 centre = dl + dr - c;
        Corners ids;
        for (int k = 1; k < segments; ++k) {
            const float angle = std::numbers::pi_v<float> / 2 * static_cast<float>(k) /
                                static_cast<float>(segments);
            ids.push_back(
                add(v, centre + (dl - centre) * std::cos(angle) + (dr - centre) * std::sin(angle)));
        }
        return ids;
    }

    void setRuns(const Fan& fan, std::uint32_t v, const std::vector<Corners>& run) {
        for (std::size_t j = 0; j < run.size(); ++j) {
            if (!run[j].empty()) {
                runs.push_back({fan.faces[j].face, v, run[j]});
            }
        }
    }

    // Closes the hole around v that `loop` (in fan order) borders, wound against the fan. A
    // closed loop whose sides are profiles of `segments` each (`sides` of them) gets a grid;
    // `centre` is the centre of the profiles' circles, per unit of width.
    void closeHole(Corners loop, bool closed, std::size_t sides, const Vector3& centre,
                   std::uint32_t v) {
        if (closed && sides * static_cast<std::size_t>(segments) == loop.size()) {
            grid(v, loop, sides, centre);
        } else if (loop.size() >= 3) {
            newFaces.emplace_back(loop.rbegin(), loop.rend());
        }
    }

    // A patch of rings of four-cornered faces inside a loop of n sides of `segments` each, with a
    // point or an n-cornered face in the middle. Inner points start on the way from the border
    // to its centroid.
    void grid(std::uint32_t v, const Corners& fanLoop, std::size_t n, const Vector3& centre) {
        const std::size_t s = static_cast<std::size_t>(segments);
        const std::size_t total = fanLoop.size();
        // Wound against the fan, starting at a corner.
        Corners ring(total);
        for (std::size_t k = 0; k < total; ++k) {
            ring[k] = fanLoop[(total - k) % total];
        }
        BevelPlan::Patch patch{v, centre, ring, {}};
        Vector3 middle;
        for (const std::uint32_t id : ring) {
            middle += perWidth(id);
        }
        middle = middle * (1 / static_cast<float>(total));
        const float half = static_cast<float>(s) / 2;
        for (std::size_t r = 1, t = s; t >= 2; ++r, t -= 2) {
            // Ring r − 1 has sides of t segments; the next has sides of t − 2.
            const std::size_t inner = t - 2;
            Corners next(inner == 0 ? 1 : n * inner);
            const float toward = static_cast<float>(r) / half;
            for (std::size_t k = 0; k < next.size(); ++k) {
                const Vector3 from =
                    inner == 0 ? middle
                               : perWidth(patch.border[((k / inner) * s + k % inner + r) % total]);
                next[k] = add(v, from + (middle - from) * toward);
                patch.inner.push_back(next[k]);
            }
            const auto outer = [&](std::size_t i, std::size_t j) {
                return ring[(i * t + j) % ring.size()];
            };
            const auto in = [&](std::size_t i, std::size_t j) {
                return inner == 0 ? next[0] : next[(i * inner + j) % next.size()];
            };
            for (std::size_t i = 0; i < n; ++i) {
                const std::size_t before = (i + n - 1) % n;
                newFaces.push_back({outer(before, t - 1), outer(i, 0), outer(i, 1), in(i, 0)});
                for (std::size_t j = 1; j + 1 < t; ++j) {
                    newFaces.push_back({outer(i, j), outer(i, j + 1), in(i, j), in(i, j - 1)});
                }
            }
            ring = std::move(next);
            if (inner == 0) {
                break;
            }
        }
        if (ring.size() == n && n >= 3 && s % 2 == 1) {
            newFaces.push_back(ring);
        }
        if (!patch.inner.empty()) {
            patches.push_back(std::move(patch));
        }
    }
};

// The profile ends and inner points of one bevelled edge at each of its ends, from the face
// before the edge in that end's fan to the face after.
struct Band {
    std::uint32_t edge;
    Corners atA, atB;
};

void planEdgeEnd(Planner& p, std::uint32_t v, const Fan& fan,
                 const std::vector<std::uint8_t>& bevelled, std::vector<Band>& bands,
                 const std::unordered_map<std::uint32_t, std::size_t>& bandOf) {
    const std::vector<FanFace>& f = fan.faces;
    const std::size_t k = f.size();
    const auto inwardIn = [&](std::size_t j) {
        return unitOrZero(p.direction(v, f[j].prev).cross(f[j].normal));
    };
    const auto inwardOut = [&](std::size_t j) {
        return unitOrZero(f[j].normal.cross(p.direction(v, f[j].next)));
    };

    std::vector<std::size_t> at;
    for (std::size_t j = 0; j < k; ++j) {
        if (bevelled[f[j].inEdge]) {
            at.push_back(j);
        }
    }
    const std::size_t q = at.size();
    std::vector<Corners> run(k);
    // The points of each stretch between bevelled edges, in fan order: the first is where the
    // profile before it ends, the last where the one after it starts.
    std::vector<Corners> stretches;
    bool gaps = false;
    // A stretch of m faces from `first`, after a bevelled edge (hasStart) and before one
    // (hasEnd); an open fan's first and last stretches reach the border instead.
    const auto stretch = [&](std::size_t first, std::size_t m, bool hasStart, bool hasEnd) {
        const auto face = [&](std::size_t i) { return (first + i) % k; };
        Corners points;
        if (hasStart && hasEnd && m == 1) {
            // Where the offset sides of the face meet.
            points = {p.add(v, bisector(inwardIn(first), inwardOut(first)))};
            run[first] = points;
        } else if (hasStart && hasEnd && m == 2) {
            // On the one edge between, as far from both bevelled edges as it can be.
            const Vector3 along = p.direction(v, f[first].next);
            const float length =
                (slideLength(along, inwardIn(first)) + slideLength(along, inwardOut(face(1)))) / 2;
            points = {p.add(v, along * length)};
            run[first] = run[face(1)] = points;
        } else {
            // A point on every edge of the stretch: beside a bevelled edge slid along it to the
            // width from that edge, elsewhere the width along it.
            gaps = gaps || m >= 3;
            for (std::size_t i = hasStart ? 1 : 0; i <= (hasEnd ? m - 1 : m); ++i) {
                const bool last = i == m;
                const std::uint32_t to = last ? f[face(m - 1)].next : f[face(i)].prev;
                const Vector3 along = p.direction(v, to);
                float length = 1;
                if (hasStart && i == 1) {
                    length = slideLength(along, inwardIn(first));
                } else if (hasEnd && i + 1 == m) {
                    length = slideLength(along, inwardOut(face(m - 1)));
                }
                points.push_back(p.add(v, along * length));
                if (i > 0) {
                    run[face(i - 1)].push_back(points.back());
                }
                if (i < m) {
                    run[face(i)].push_back(points.back());
                }
            }
        }
        stretches.push_back(std::move(points));
    };
    if (fan.closed) {
        for (std::size_t t = 0; t < q; ++t) {
            stretch(at[t], q == 1 ? k : (at[(t + 1) % q] + k - at[t]) % k, true, true);
        }
    } else {
        stretch(0, at[0], false, true);
        for (std::size_t t = 0; t + 1 < q; ++t) {
            stretch(at[t], at[t + 1] - at[t], true, true);
        }
        stretch(at[q - 1], k - at[q - 1], true, false);
    }

    // The profiles, from the face before each bevelled edge to the face after it.
    std::vector<Corners> chains(q);
    Vector3 centre;
    const auto corner = [&](std::size_t j, std::uint32_t l, std::uint32_t r) {
        const Vector3 along = p.direction(v, f[j].prev);
        return along * along.dot((p.perWidth(l) + p.perWidth(r)) * 0.5f);
    };
    const bool passing = fan.closed && q == 2 && !gaps;
    for (std::size_t t = 0; t < q; ++t) {
        const std::size_t j = at[t];
        const std::uint32_t l = run[(j + k - 1) % k].back(), r = run[j].front();
        Vector3 c = corner(j, l, r);
        if (passing) {
            // Two bands through the point share one profile.
            c = (c + corner(at[1 - t], r, l)) * 0.5f;
        }
        centre += p.perWidth(l) + p.perWidth(r) - c;
        chains[t] = {l};
        if (passing && t == 1) {
            chains[t].insert(chains[t].end(), chains[0].rbegin() + 1, chains[0].rend() - 1);
        } else {
            const Corners inner = p.arc(v, l, r, c);
            chains[t].insert(chains[t].end(), inner.begin(), inner.end());
        }
        chains[t].push_back(r);
        Band& band = bands[bandOf.at(f[j].inEdge)];
        (p.topology.edges[f[j].inEdge].a == v ? band.atA : band.atB) = chains[t];
    }

    p.removed[v] = 1;
    if (fan.closed && q == 1 && k == 3) {
        // One bevelled edge into a point of three faces: the face across takes the profile.
        Corners& across = run[(at[0] + 1) % k];
        across = {chains[0].back()};
        across.insert(across.end(), chains[0].rbegin() + 1, chains[0].rend());
    } else if (!passing) {
        // The hole the profiles and stretches leave around the point.
        Corners loop;
        const std::size_t offset = fan.closed ? 0 : 1;
        if (!fan.closed) {
            loop.insert(loop.end(), stretches[0].begin(), stretches[0].end() - 1);
        }
        for (std::size_t t = 0; t < q; ++t) {
            loop.insert(loop.end(), chains[t].begin(), chains[t].end() - 1);
            const Corners& after = stretches[t + offset];
            const bool border = !fan.closed && t + 1 == q;
            loop.insert(loop.end(), after.begin(), border ? after.end() : after.end() - 1);
        }
        if (fan.closed || q >= 2 || loop.size() > static_cast<std::size_t>(p.segments) + 1) {
            p.closeHole(std::move(loop), fan.closed, q, centre * (1 / static_cast<float>(q)), v);
        }
    }
    p.setRuns(fan, v, run);
}

void planPointCut(Planner& p, std::uint32_t v, const Fan& fan) {
    const std::vector<FanFace>& f = fan.faces;
    const std::size_t k = f.size();
    Corners onEdge;
    for (std::size_t j = 0; j < k; ++j) {
        onEdge.push_back(p.add(v, p.direction(v, f[j].prev)));
    }
    if (!fan.closed) {
        onEdge.push_back(p.add(v, p.direction(v, f[k - 1].next)));
    }
    std::vector<Corners> run(k);
    Corners loop;
    Vector3 centre;
    for (std::size_t j = 0; j < k; ++j) {
        const std::uint32_t in = onEdge[j], out = onEdge[(j + 1) % onEdge.size()];
        const Corners inner = p.arc(v, in, out, Vector3{});
        centre += p.perWidth(in) + p.perWidth(out);
        run[j] = {in};
        run[j].insert(run[j].end(), inner.begin(), inner.end());
        loop.insert(loop.end(), run[j].begin(), run[j].end());
        run[j].push_back(out);
    }
    if (!fan.closed) {
        loop.push_back(onEdge.back());
    }
    if (fan.closed || k >= 2) {
        p.closeHole(std::move(loop), fan.closed, k, centre * (1 / static_cast<float>(k)), v);
    }
    p.setRuns(fan, v, run);
    p.removed[v] = 1;
}

// The first width above 0 at which c0 + c1 w + c2 w² (positive just above 0) reaches 0, or
// the largest float when it never does.
double firstRoot(double c0, double c1, double c2) {
    double root = std::numeric_limits<float>::max();
    const auto consider = [&](double w) {
        if (w > 0 && std::isfinite(w)) {
            root = std::min(root, w);
        }
    };
    if (std::abs(c2) <= 1e-12 * (std::abs(c0) + std::abs(c1))) {
        if (c1 < 0) {
            consider(-c0 / c1);
        }
        return root;
    }
    const double disc = c1 * c1 - 4 * c0 * c2;
    if (disc >= 0) {
        const double r = std::sqrt(disc);
        consider((-c1 - r) / (2 * c2));
        consider((-c1 + r) / (2 * c2));
    }
    return root;
}

// The faces of the plan, with the largest width that turns no side around.
BevelPlan finish(Planner& p) {
    const Layer& layer = p.layer;
    BevelPlan plan;
    std::sort(p.runs.begin(), p.runs.end(),
              [](const Planner::Run& x, const Planner::Run& y) { return x.face < y.face; });
    std::vector<std::uint32_t> changed;
    std::vector<Corners> replacements;
    for (std::size_t i = 0; i < p.runs.size();) {
        const std::uint32_t face = p.runs[i].face;
        std::size_t end = i;
        while (end < p.runs.size() && p.runs[end].face == face) {
            ++end;
        }
        Corners corners;
        for (const std::uint32_t c : layer.faces[face]) {
            const auto run = std::find_if(p.runs.begin() + static_cast<std::ptrdiff_t>(i),
                                          p.runs.begin() + static_cast<std::ptrdiff_t>(end),
                                          [&](const Planner::Run& r) { return r.point == c; });
            if (run == p.runs.begin() + static_cast<std::ptrdiff_t>(end)) {
                corners.push_back(c);
            } else {
                corners.insert(corners.end(), run->ids.begin(), run->ids.end());
            }
        }
        changed.push_back(face);
        replacements.push_back(std::move(corners));
        i = end;
    }

    // No side may turn around (a side a → b changes by width · (d_b − d_a)), and no face may
    // turn over: its area vector along the way it faced first stays positive.
    double limit = std::numeric_limits<float>::max();
    const auto from = [&](std::uint32_t id) {
        return layer.positions[id < p.base ? id : p.added[id - p.base].from];
    };
    const auto limitBy = [&](const Corners& face) {
        std::array<double, 3> a0{}, a1{}, a2{};
        const Vector3 origin = from(face[0]);
        for (std::size_t k = 0; k < face.size(); ++k) {
            const std::uint32_t a = face[k], b = face[(k + 1) % face.size()];
            const Vector3 side = from(b) - from(a);
            const Vector3 da = p.perWidth(a), db = p.perWidth(b);
            const float shrink = -(db - da).dot(side);
            if (shrink > 0) {
                limit = std::min(limit, static_cast<double>(side.squaredLength() / shrink));
            }
            const Vector3 pa = from(a) - origin, pb = from(b) - origin;
            const auto accumulate = [](std::array<double, 3>& sum, const Vector3& v) {
                sum[0] += v.x, sum[1] += v.y, sum[2] += v.z;
            };
            accumulate(a0, pa.cross(pb));
            accumulate(a1, pa.cross(db) + da.cross(pb));
            accumulate(a2, da.cross(db));
        }
        // The area vector is a0 + a1 w + a2 w²; it faced a0 (a1 for a face that starts flat).
        const auto dot = [](const std::array<double, 3>& x, const std::array<double, 3>& y) {
            return x[0] * y[0] + x[1] * y[1] + x[2] * y[2];
        };
        const bool flat = dot(a0, a0) <= 1e-20;
        const std::array<double, 3>& facing = flat ? a1 : a0;
        const double c0 = dot(a0, facing), c1 = dot(a1, facing), c2 = dot(a2, facing);
        if (dot(facing, facing) <= 1e-20) {
            return;
        }
        limit = std::min(limit, firstRoot(c0, c1, c2));
    };
    for (const Corners& face : replacements) {
        limitBy(face);
    }
    for (const Corners& face : p.newFaces) {
        limitBy(face);
    }
    plan.maxWidth = static_cast<float>(limit);

    // Renumber: the points that stay in order, then the added ones.
    std::vector<std::uint32_t> remap(p.base + p.added.size());
    for (std::uint32_t id = 0; id < p.base; ++id) {
        if (p.removed[id]) {
            remap[id] = kRemoved;
        } else {
            remap[id] = static_cast<std::uint32_t>(plan.kept.size());
            plan.kept.push_back(id);
        }
    }
    const auto keptCount = static_cast<std::uint32_t>(plan.kept.size());
    for (std::uint32_t i = 0; i < p.added.size(); ++i) {
        remap[p.base + i] = keptCount + i;
    }
    plan.faces = layer.faces;
    plan.faces.replace(changed, replacements);
    std::size_t corners = 0;
    for (const Corners& face : p.newFaces) {
        corners += face.size();
    }
    plan.faces.reserve(plan.faces.size() + p.newFaces.size(),
                       plan.faces.corners().size() + corners);
    for (const Corners& face : p.newFaces) {
        plan.faces.push_back(FaceList::Face(face));
    }
    if (keptCount != p.base) {
        for (std::uint32_t& c : plan.faces.allCorners()) {
            c = remap[c];
        }
    } else {
        // Only added points to renumber, which already follow the layer's.
    }
    for (BevelPlan::Patch& patch : p.patches) {
        for (std::uint32_t& id : patch.border) {
            id = remap[id];
        }
        for (std::uint32_t& id : patch.inner) {
            id = remap[id];
        }
    }
    plan.added = std::move(p.added);
    plan.patches = std::move(p.patches);
    return plan;
}

template <class Id> std::vector<Id> distinct(std::span<const Id> ids) {
    std::vector<Id> sorted(ids.begin(), ids.end());
    std::sort(sorted.begin(), sorted.end());
    sorted.erase(std::unique(sorted.begin(), sorted.end()), sorted.end());
    return sorted;
}

} // namespace

BevelPlan planEdgeBevel(const Layer& layer, const EdgeTopology& topology,
                        std::span<const Edge> edges, int segments) {
    Planner p(layer, topology, segments);
    // The fans of the edges' ends, each found once.
    std::unordered_map<std::uint32_t, std::optional<Fan>> fans;
    const auto fanAt = [&](std::uint32_t v) -> const std::optional<Fan>& {
        auto found = fans.find(v);
        if (found == fans.end()) {
            found = fans.emplace(v, fanOf(layer, topology, v)).first;
        }
        return found->second;
    };
    std::vector<std::uint8_t> bevelled(topology.edges.size());
    std::vector<Band> bands;
    std::unordered_map<std::uint32_t, std::size_t> bandOf;
    std::vector<std::uint32_t> ends;
    for (const Edge& edge : edges) {
        const std::optional<std::uint32_t> id = topology.find(edge);
        if (!id || bevelled[*id] || topology.facesOf(*id).size() != 2 || !fanAt(edge.a) ||
            !fanAt(edge.b)) {
            continue;
        }
        bevelled[*id] = 1;
        bandOf.emplace(*id, bands.size());
        bands.push_back({*id, {}, {}});
        ends.push_back(edge.a);
        ends.push_back(edge.b);
    }
    std::sort(ends.begin(), ends.end());
    ends.erase(std::unique(ends.begin(), ends.end()), ends.end());
    for (const std::uint32_t v : ends) {
        planEdgeEnd(p, v, *fans.at(v), bevelled, bands, bandOf);
    }
    const std::size_t s = static_cast<std::size_t>(p.segments);
    for (const Band& band : bands) {
        // atA runs from the face the edge leaves a in to the one it enters; atB the other way.
        for (std::size_t k = 0; k < s; ++k) {
            p.newFaces.push_back(
                {band.atA[k], band.atA[k + 1], band.atB[s - k - 1], band.atB[s - k]});
        }
    }
    BevelPlan plan = finish(p);
    plan.bevelled = bands.size();
    return plan;
}

BevelPlan planPointBevel(const Layer& layer, const EdgeTopology& topology,
                         std::span<const std::int64_t> points, int segments) {
    Planner p(layer, topology, segments);
    std::size_t count = 0;
    for (const std::int64_t id : distinct(points)) {
        if (id < 0 || static_cast<std::uint64_t>(id) >= layer.positions.size() ||
            id >= static_cast<std::int64_t>(topology.pointCount())) {
            continue;
        }
        const auto v = static_cast<std::uint32_t>(id);
        if (const std::optional<Fan> fan = fanOf(layer, topology, v)) {
            planPointCut(p, v, *fan);
            ++count;
        }
    }
    BevelPlan plan = finish(p);
    plan.bevelled = count;
    return plan;
}

float bevelWidth(const BevelPlan& plan, float width) {
    return std::isnan(width) ? 0 : std::clamp(width, 0.0f, plan.maxWidth);
}

bool applyBevel(const Layer& layer, const BevelPlan& plan, float width, Layer& out) {
    const float w = bevelWidth(plan, width);
    if (plan.empty() || !(w > 0)) {
        if (&out != &layer) {
            out = layer;
        }
        return false;
    }
    std::vector<Vector3> positions(plan.kept.size() + plan.added.size());
    for (std::size_t i = 0; i < plan.kept.size(); ++i) {
        positions[i] = layer.positions[plan.kept[i]];
    }
    Vector3* moved = positions.data() + plan.kept.size();
    for (std::size_t i = 0; i < plan.added.size(); ++i) {
        moved[i] = layer.positions[plan.added[i].from] + plan.added[i].perWidth * w;
    }
    for (const BevelPlan::Patch& patch : plan.patches) {
        // Round the patch when its border lies on a sphere about the profiles' centre.
        const Vector3 centre = layer.positions[patch.from] + patch.centrePerWidth * w;
        float sum = 0, low = std::numeric_limits<float>::max(), high = 0;
        for (const std::uint32_t id : patch.border) {
            const float r = (positions[id] - centre).length();
            sum += r;
            low = std::min(low, r);
            high = std::max(high, r);
        }
        const float radius = sum / static_cast<float>(patch.border.size());
        if (!(radius > 0) || high - low > 0.01f * radius) {
            continue;
        }
        for (const std::uint32_t id : patch.inner) {
            const Vector3 offset = positions[id] - centre;
            const float length = offset.length();
            if (length > 0) {
                positions[id] = centre + offset * (radius / length);
            }
        }
    }
    // Creases follow the points that stay.
    std::vector<std::uint32_t> remap(layer.positions.size(), kRemoved);
    for (std::size_t i = 0; i < plan.kept.size(); ++i) {
        remap[plan.kept[i]] = static_cast<std::uint32_t>(i);
    }
    std::vector<Crease> creases = layer.creases;
    remapCreases(creases, remap);
    out.positions = std::move(positions);
    out.faces = plan.faces;
    out.creases = std::move(creases);
    if (&out != &layer) {
        out.fragmentShader = layer.fragmentShader;
    }
    return true;
}

bool bevelEdges(Layer& layer, std::span<const Edge> edges, float width, int segments) {
    const BevelPlan plan = planEdgeBevel(layer, edgeTopology(layer), edges, segments);
    return applyBevel(layer, plan, width, layer);
}

bool bevelPoints(Layer& layer, std::span<const std::int64_t> points, float width, int segments) {
    const BevelPlan plan = planPointBevel(layer, edgeTopology(layer), points, segments);
    return applyBevel(layer, plan, width, layer);
}

} // namespace tessel
