#include "mesh/plane_cut.h"

#include "mesh/polygon.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <initializer_list>
#include <limits>
#include <type_traits>
#include <unordered_map>
#include <utility>
#include <vector>

namespace tessel {

namespace {

// Relative to the largest coordinate magnitude: a point computed onto the plane is off it by a
// rounding of its coordinates, about 1e-7 of that magnitude at most.
constexpr double kOnPlaneTolerance = 1e-6;

// Whether three magnitudes are finite (not infinite, not not-a-number).
bool isFinite(float x, float y, float z) {
    constexpr float kMax = std::numeric_limits<float>::max();
    return (x <= kMax) & (y <= kMax) & (z <= kMax);
}

// Where the points lie relative to a plane, decided once per cut.
class PlaneSides {
public:
    PlaneSides(const Layer& layer, const Vector3& n, const Vector3& o) : n_(n), o_(o) {
        // Written without branches, so that the compiler can run them over several points at
        // once: these two passes are most of a cut's time.
        float largest = 0;
        for (const Vector3& p : layer.positions) {
            const float x = std::abs(p.x), y = std::abs(p.y), z = std::abs(p.z);
            largest = std::max(largest, isFinite(x, y, z) ? std::max({x, y, z}) : 0.0f);
        }
        const double tolerance = kOnPlaneTolerance * largest;
        sides_.resize(layer.positions.size());
        std::int8_t* side = sides_.data();
        for (const Vector3& p : layer.positions) {
            const double d = distance(p);
            const int s = (d > tolerance) - (d < -tolerance);
            // A non-finite point lies on the plane; not-a-number (a degenerate normal) fails both
            // tests.
            *side++ = static_cast<std::int8_t>(
                isFinite(std::abs(p.x), std::abs(p.y), std::abs(p.z)) ? s : 0);
        }
    }

    const Vector3& normal() const { return n_; }

    // n · (p − o), in double precision.
    double distance(const Vector3& p) const {
        return double{n_.x} * (double{p.x} - o_.x) + double{n_.y} * (double{p.y} - o_.y) +
               double{n_.z} * (double{p.z} - o_.z);
    }

    // 1 in front, −1 behind, 0 on the plane; for the layer's points when the cut began.
    int side(std::uint32_t v) const { return sides_[v]; }

    // Whether the plane separates the two points: each lies strictly on its own side.
    bool separates(std::uint32_t a, std::uint32_t b) const { return sides_[a] * sides_[b] < 0; }

    // The point of the segment between two points that the plane separates, on the plane;
    // the same whichever end comes first.
    Vector3 between(const std::vector<Vector3>& positions, std::uint32_t a, std::uint32_t b) const {
        const Vector3& p = positions[std::min(a, b)];
        const Vector3& q = positions[std::max(a, b)];
        const double dp = distance(p);
        const double t = dp / (dp - distance(q));
        const auto along = [t](float from, float to) {
            return static_cast<float>(from + (double{to} - from) * t);
        };
        return {along(p.x, q.x), along(p.y, q.y), along(p.z, q.z)};
    }

    // How a face meets the plane: its crossed edges, and whether it has corners strictly on
    // both sides (then it is cut).
    struct Crossing {
        int edges = 0;
        bool across = false;
    };
    // Calls visit(f, crossing) for every face f of the list, in id order.
    template <class Visit> void forEachFace(const FaceList& faces, Visit&& visit) const {
        const std::uint32_t* corners = faces.corners().data();
        // Triangles and quads (most meshes) with their corner count known to the compiler.
        if (faces.uniformCount() == 3) {
            for (size_t f = 0; f < faces.size(); ++f) {
                visit(f, crossingOf(corners + 3 * f, std::integral_constant<size_t, 3>()));
            }
        } else if (faces.uniformCount() == 4) {
            for (size_t f = 0; f < faces.size(); ++f) {
                visit(f, crossingOf(corners + 4 * f, std::integral_constant<size_t, 4>()));
            }
        } else {
            for (size_t f = 0; f < faces.size(); ++f) {
                visit(f, crossingOf(corners + faces.start(f), faces.cornerCount(f)));
            }
        }
    }

private:
    template <class Count> Crossing crossingOf(const std::uint32_t* face, Count count) const {
        int front = 0, behind = 0;
        Crossing c;
        int previous = sides_[face[count - 1]];
        for (size_t k = 0; k < count; ++k) {
            const int s = sides_[face[k]];
            front |= s > 0;
            behind |= s < 0;
            c.edges += previous * s < 0;
            previous = s;
        }
        c.across = front && behind;
        return c;
    }

    Vector3 n_;
    Vector3 o_;
    std::vector<std::int8_t> sides_;
};

// The new point of each separated edge, keyed on its ordered pair of point ids.
class EdgePoints {
public:
    EdgePoints(Layer& layer, const PlaneSides& sides) : layer_(layer), sides_(sides) {}

    std::uint32_t on(std::uint32_t a, std::uint32_t b) {
        const std::uint32_t lo = std::min(a, b);
        const std::uint32_t hi = std::max(a, b);
        const auto [slot, added] = points_.try_emplace((std::uint64_t{lo} << 32) | hi, kRemoved);
        if (added) {
            slot->second = static_cast<std::uint32_t>(layer_.positions.size());
            const Vector3 p = sides_.between(layer_.positions, lo, hi);
            layer_.positions.push_back(p);
        }
        return slot->second;
    }

private:
    Layer& layer_;
    const PlaneSides& sides_;
    std::unordered_map<std::uint64_t, std::uint32_t> points_;
};

// Pieces of faces, one after another: their corners and corner counts.
struct Pieces {
    std::vector<std::uint32_t> corners;
    std::vector<std::uint32_t> counts;

    void add(std::initializer_list<std::uint32_t> piece) {
        corners.insert(corners.end(), piece);
        counts.push_back(static_cast<std::uint32_t>(piece.size()));
    }
};

// Cuts faces one at a time into their pieces. The buffers are kept from face to face, so that
// cutting allocates only while they grow.
class FaceCutter {
public:
    explicit FaceCutter(const PlaneSides& sides) : sides_(sides) {}

    // Appends the pieces of a face with corners on both sides to `out`; returns how many.
    // newPoint(a, b) gives the id and position of the point on the crossed edge a–b; `positions`
    // holds the face's corners.
    template <class NewPoint>
    size_t cut(FaceList::Face face, const std::vector<Vector3>& positions, NewPoint&& newPoint,
               Pieces& out) {
        if (face.size() == 3) {
            return cutTriangle(face, newPoint, out);
        }
        ring_.clear();
        ringSides_.clear();
        cuts_.clear();
        cutAt_.clear();
        const size_t n = face.size();
        for (size_t k = 0; k < n; ++k) {
            const std::uint32_t a = face[k];
            const std::uint32_t b = face[(k + 1) % n];
            if (sides_.side(a) == 0) {
                cuts_.push_back(static_cast<std::uint32_t>(ring_.size()));
                cutAt_.push_back(positions[a]);
            }
            ring_.push_back(a);
            ringSides_.push_back(static_cast<std::int8_t>(sides_.side(a)));
            if (sides_.separates(a, b)) {
                const auto [id, at] = newPoint(a, b);
                cuts_.push_back(static_cast<std::uint32_t>(ring_.size()));
                cutAt_.push_back(at);
                ring_.push_back(id);
                ringSides_.push_back(0);
            }
        }
        if (cuts_.size() == 2) {
            // One cut line across the face (every convex face): the two arcs between the cut
            // points lie on opposite sides.
            twoPieces(out);
            return 2;
        }
        const size_t firstCorner = out.corners.size();
        const size_t firstCount = out.counts.size();
        if (const size_t pieces = manyPieces(face, positions, out)) {
            return pieces;
        }
        out.corners.resize(firstCorner);
        out.counts.resize(firstCount);
        out.corners.insert(out.corners.end(), ring_.begin(), ring_.end());
        out.counts.push_back(static_cast<std::uint32_t>(ring_.size()));
        return 1;
    }

private:
    template <class NewPoint>
    size_t cutTriangle(FaceList::Face face, NewPoint& newPoint, Pieces& out) const {
        const std::uint32_t r[3] = {face[0], face[1], face[2]};
        int crossed[2];
        int count = 0;
        for (int k = 0; k < 3; ++k) {
            if (sides_.separates(r[k], r[(k + 1) % 3])) {
                crossed[count++] = k;
            }
        }
        if (count == 1) {
            const int k = crossed[0];
            const std::uint32_t p = newPoint(r[k], r[(k + 1) % 3]).first;
            out.add({r[k], p, r[(k + 2) % 3]});
            out.add({p, r[(k + 1) % 3], r[(k + 2) % 3]});
            return 2;
        }
        const std::uint32_t p = newPoint(r[crossed[0]], r[(crossed[0] + 1) % 3]).first;
        const std::uint32_t q = newPoint(r[crossed[1]], r[(crossed[1] + 1) % 3]).first;
        // Split on the first crossed edge, then the piece holding the second on that one.
        if (crossed[0] == 1) {
            out.add({r[1], p, r[0]});
            out.add({r[2], q, p});
            out.add({q, r[0], p});
        } else if (crossed[1] == 1) {
            out.add({r[0], p, r[2]});
            out.add({r[1], q, p});
            out.add({q, r[2], p});
        } else {
            out.add({r[2], q, p});
            out.add({p, r[1], r[2]});
            out.add({q, r[0], p});
        }
        return 3;
    }

    // The ring cut between its only two cut points i < j: the arc j … i (through corner 0) and
    // the arc i … j, the one holding ring edge 0 first.
    void twoPieces(Pieces& out) const {
        const size_t m = ring_.size();
        const size_t i = cuts_[0];
        const size_t j = cuts_[1];
        const auto arc = [&](size_t from, size_t to) {
            for (size_t k = from;; k = (k + 1) % m) {
                out.corners.push_back(ring_[k]);
                if (k == to) {
                    break;
                }
            }
            out.counts.push_back(static_cast<std::uint32_t>((to + m - from) % m + 1));
        };
        if (i > 0) {
            out.corners.insert(out.corners.end(), ring_.begin(),
                               ring_.begin() + static_cast<std::ptrdiff_t>(i) + 1);
            out.corners.insert(out.corners.end(), ring_.begin() + static_cast<std::ptrdiff_t>(j),
                               ring_.end());
            out.counts.push_back(static_cast<std::uint32_t>(i + 1 + m - j));
            arc(i, j);
        } else {
            arc(0, j);
            arc(j, 0);
        }
    }

    // The pieces of a face with more than two cut points; 0 when its outline folds so that they
    // do not make pieces each on one side.
    size_t manyPieces(FaceList::Face face, const std::vector<Vector3>& positions, Pieces& out) {
        const size_t m = ring_.size();
        const size_t z = cuts_.size();
        // The line's direction in the face, n × (the face's normal).
        const auto [nx, ny, nz] = polygon::areaVector(positions, face);
        const Vector3& c = sides_.normal();
        const double dx = c.y * nz - c.z * ny;
        const double dy = c.z * nx - c.x * nz;
        const double dz = c.x * ny - c.y * nx;
        along_.resize(z);
        order_.resize(z);
        for (size_t k = 0; k < z; ++k) {
            const Vector3& p = cutAt_[k];
            const double u = dx * p.x + dy * p.y + dz * p.z;
            along_[k] = std::isnan(u) ? 0 : u;
            order_[k] = static_cast<std::uint32_t>(k);
        }
        std::sort(order_.begin(), order_.end(), [&](std::uint32_t a, std::uint32_t b) {
            return along_[a] < along_[b] || (along_[a] == along_[b] && a < b);
        });

        // Along the line, the face lies just in front of it after an odd number of ring edges
        // leaving the cut points toward the front, and just behind it likewise.
        joins_.assign(2 * m, kNone);
        size_t joinCount = 0;
        bool front = false, behind = false;
        for (size_t k = 0; k < z; ++k) {
            const std::uint32_t at = cuts_[order_[k]];
            if (front && behind) {
                const std::uint32_t from = cuts_[order_[k - 1]];
                const size_t gap = (at + m - from) % m;
                if (gap == 1 || gap == m - 1) {
                    return 0;
                }
                join(from, at);
                join(at, from);
                ++joinCount;
            }
            const int before = ringSides_[(at + m - 1) % m];
            const int after = ringSides_[(at + 1) % m];
            front ^= (before > 0) != (after > 0);
            behind ^= (before < 0) != (after < 0);
        }

        // Each piece from the first ring edge it holds: along the ring, turning at each cut point
        // into the join that leads back nearest behind where it came from.
        used_.assign(m, 0);
        size_t pieces = 0;
        for (size_t s = 0; s < m; ++s) {
            if (used_[s]) {
                continue;
            }
            used_[s] = 1;
            const size_t first = out.corners.size();
            int sidesMet = 0;
            size_t from = s;
            size_t at = (s + 1) % m;
            out.corners.push_back(ring_[s]);
            sidesMet |= sideBit(ringSides_[s]);
            for (size_t steps = 0;; ++steps) {
                const size_t back = (from + m - at) % m;
                size_t turn = 1;
                for (const std::uint32_t to : {joins_[2 * at], joins_[2 * at + 1]}) {
                    const size_t ahead = (to + m - at) % m;
                    if (to != kNone && ahead < back && ahead > turn) {
                        turn = ahead;
                    }
                }
                if (turn == 1) {
                    if (at == s) {
                        break;
                    }
                    if (used_[at]) {
                        return 0;
                    }
                    used_[at] = 1;
                }
                if (steps > m + 2 * joinCount) {
                    return 0;
                }
                out.corners.push_back(ring_[at]);
                sidesMet |= sideBit(ringSides_[at]);
                from = at;
                at = (at + turn) % m;
            }
            const size_t count = out.corners.size() - first;
            if (count < 3 || sidesMet == 3) {
                return 0;
            }
            out.counts.push_back(static_cast<std::uint32_t>(count));
            ++pieces;
        }
        // Fewer pieces than joins + 1: joins that cross (the outline folds over itself).
        return pieces == joinCount + 1 ? pieces : 0;
    }

    static int sideBit(int side) { return side > 0 ? 1 : side < 0 ? 2 : 0; }

    void join(std::uint32_t from, std::uint32_t to) {
        joins_[2 * from + (joins_[2 * from] == kNone ? 0 : 1)] = to;
    }

    static constexpr std::uint32_t kNone = UINT32_MAX;

    const PlaneSides& sides_;
    std::vector<std::uint32_t> ring_;
    std::vector<std::int8_t> ringSides_;
    // The ring's cut points: where they are in the ring, and their positions.
    std::vector<std::uint32_t> cuts_;
    std::vector<Vector3> cutAt_;
    std::vector<double> along_;
    std::vector<std::uint32_t> order_;
    std::vector<std::uint32_t> joins_;
    std::vector<std::uint8_t> used_;
};

} // namespace

void cutAlongPlane(Layer& layer, const Vector3& unitNormal, const Vector3& origin) {
    const PlaneSides sides(layer, unitNormal, origin);
    // The crossed faces first, so that the points grow once: each crossed edge adds at most one.
    std::vector<std::uint32_t> crossedFaces;
    size_t crossedEdges = 0;
    sides.forEachFace(layer.faces, [&](size_t f, PlaneSides::Crossing c) {
        if (c.across) {
            crossedFaces.push_back(static_cast<std::uint32_t>(f));
            crossedEdges += static_cast<size_t>(c.edges);
        }
    });
    if (crossedFaces.empty()) {
        return;
    }
    layer.positions.reserve(layer.positions.size() + crossedEdges);

    EdgePoints points(layer, sides);
    FaceCutter cutter(sides);
    Pieces pieces;
    pieces.corners.reserve(4 * (crossedFaces.size() + crossedEdges));
    pieces.counts.reserve(crossedFaces.size() + crossedEdges);
    std::vector<std::uint32_t> piecesOf(crossedFaces.size());
    const auto newPoint = [&](std::uint32_t a, std::uint32_t b) {
        const std::uint32_t id = points.on(a, b);
        return std::pair{id, layer.positions[id]};
    };
    for (size_t k = 0; k < crossedFaces.size(); ++k) {
        piecesOf[k] = static_cast<std::uint32_t>(
            cutter.cut(layer.faces[crossedFaces[k]], layer.positions, newPoint, pieces));
    }

    // Each face's first piece takes its place and the other pieces follow the faces: in place
    // while the first pieces keep their faces' corner counts, else in one new list.
    FaceList& faces = layer.faces;
    bool inPlace = true;
    for (size_t k = 0, piece = 0; k < crossedFaces.size(); piece += piecesOf[k++]) {
        inPlace = inPlace && pieces.counts[piece] == faces.cornerCount(crossedFaces[k]);
    }
    const std::uint32_t* corner = pieces.corners.data();
    const auto nextPiece = [&](size_t piece) {
        const FaceList::Face result(corner, pieces.counts[piece]);
        corner += pieces.counts[piece];
        return result;
    };
    if (inPlace) {
        std::vector<FaceList::Face> rest;
        rest.reserve(pieces.counts.size() - crossedFaces.size());
        size_t restCorners = 0;
        for (size_t k = 0, piece = 0; k < crossedFaces.size(); ++k) {
            const FaceList::Face first = nextPiece(piece++);
            std::copy(first.begin(), first.end(), faces.cornersOf(crossedFaces[k]).begin());
            for (size_t more = 1; more < piecesOf[k]; ++more) {
                rest.push_back(nextPiece(piece++));
                restCorners += rest.back().size();
            }
        }
        faces.reserve(faces.size() + rest.size(), faces.corners().size() + restCorners);
        for (const FaceList::Face piece : rest) {
            faces.push_back(piece);
        }
        return;
    }
    std::vector<std::uint32_t> counts = faces.counts();
    std::vector<std::uint32_t> corners;
    corners.reserve(faces.corners().size() + pieces.corners.size());
    const std::uint32_t* all = faces.corners().data();
    size_t copied = 0;
    std::vector<std::uint32_t> restCounts;
    std::vector<std::uint32_t> restCorners;
    for (size_t k = 0, piece = 0; k < crossedFaces.size(); ++k) {
        const std::uint32_t f = crossedFaces[k];
        corners.insert(corners.end(), all + copied, all + faces.start(f));
        copied = faces.start(f + 1);
        const FaceList::Face first = nextPiece(piece);
        corners.insert(corners.end(), first.begin(), first.end());
        counts[f] = pieces.counts[piece++];
        for (size_t more = 1; more < piecesOf[k]; ++more) {
            const FaceList::Face next = nextPiece(piece);
            restCorners.insert(restCorners.end(), next.begin(), next.end());
            restCounts.push_back(pieces.counts[piece++]);
        }
    }
    corners.insert(corners.end(), all + copied, all + faces.corners().size());
    corners.insert(corners.end(), restCorners.begin(), restCorners.end());
    counts.insert(counts.end(), restCounts.begin(), restCounts.end());
    faces = FaceList(std::move(corners), counts);
}

size_t facesAddedByCut(const Layer& layer, const Vector3& unitNormal, const Vector3& origin) {
    const PlaneSides sides(layer, unitNormal, origin);
    FaceCutter cutter(sides);
    Pieces pieces;
    size_t added = 0;
    sides.forEachFace(layer.faces, [&](size_t f, PlaneSides::Crossing c) {
        const FaceList::Face face = layer.faces[f];
        if (!c.across) {
            return;
        }
        if (face.size() == 3) {
            added += static_cast<size_t>(c.edges);
            return;
        }
        // The points the cut would add: ids past the layer's keep them apart from its corners.
        auto id = static_cast<std::uint32_t>(layer.positions.size());
        const auto newPoint = [&](std::uint32_t a, std::uint32_t b) {
            return std::pair{id++, sides.between(layer.positions, a, b)};
        };
        pieces.corners.clear();
        pieces.counts.clear();
        added += cutter.cut(face, layer.positions, newPoint, pieces) - 1;
    });
    return added;
}

size_t trianglesAddedByCut(const Layer& layer, const Vector3& unitNormal, const Vector3& origin) {
    const PlaneSides sides(layer, unitNormal, origin);
    size_t added = 0;
    sides.forEachFace(layer.faces, [&](size_t, PlaneSides::Crossing c) {
        added += static_cast<size_t>(c.edges);
    });
    return added;
}

} // namespace tessel
