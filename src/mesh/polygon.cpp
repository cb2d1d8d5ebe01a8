#include "mesh/polygon.h"

#include "mesh/triangle.h"

#include <cmath>

namespace tessel::polygon {

namespace {

// The face seen along its normal: the two coordinates that drop the normal's largest component,
// ordered so that counter-clockwise about the normal stays counter-clockwise.
struct Flattening {
    int u = 0;
    int v = 1;

    explicit Flattening(const Vector3& n) {
        const float ax = std::abs(n.x), ay = std::abs(n.y), az = std::abs(n.z);
        float along = 0;
        if (ax >= ay && ax >= az) {
            u = 1, v = 2, along = n.x;
        } else if (ay >= az) {
            u = 2, v = 0, along = n.y;
        } else {
            u = 0, v = 1, along = n.z;
        }
        if (along < 0) {
            std::swap(u, v);
        }
    }
    double x(const Vector3& p) const { return component(p, u); }
    double y(const Vector3& p) const { return component(p, v); }

private:
    static double component(const Vector3& p, int axis) {
        return axis == 0 ? p.x : axis == 1 ? p.y : p.z;
    }
};

// Twice the signed area of (a, b, c) in the flattened plane: positive when counter-clockwise.
double turn(const Flattening& f, const Vector3& a, const Vector3& b, const Vector3& c) {
    return (f.x(b) - f.x(a)) * (f.y(c) - f.y(a)) - (f.y(b) - f.y(a)) * (f.x(c) - f.x(a));
}

} // namespace

std::array<double, 3> areaVector(std::span<const Vector3> p, FaceList::Face face) {
    double x = 0, y = 0, z = 0;
    for (size_t k = 0; k < face.size(); ++k) {
        const Vector3& a = p[face[k]];
        const Vector3& b = p[face[(k + 1) % face.size()]];
        x += (double{a.y} - b.y) * (double{a.z} + b.z);
        y += (double{a.z} - b.z) * (double{a.x} + b.x);
        z += (double{a.x} - b.x) * (double{a.y} + b.y);
    }
    return {x, y, z};
}

Vector3 normal(std::span<const Vector3> p, FaceList::Face face) {
    if (face.size() == 3) {
        return triangle::normal(p[face[0]], p[face[1]], p[face[2]]);
    }
    const auto [x, y, z] = areaVector(p, face);
    const double length = std::sqrt(x * x + y * y + z * z);
    return {static_cast<float>(x / length), static_cast<float>(y / length),
            static_cast<float>(z / length)};
}

Vector3 centroid(std::span<const Vector3> p, FaceList::Face face) {
    if (face.size() == 3) {
        return triangle::centroid(p[face[0]], p[face[1]], p[face[2]]);
    }
    float x = 0, y = 0, z = 0;
    for (const std::uint32_t id : face) {
        x += p[id].x;
        y += p[id].y;
        z += p[id].z;
    }
    const auto n = static_cast<float>(face.size());
    return {x / n, y / n, z / n};
}

std::optional<Vector3> intersection(std::span<const Vector3> p, FaceList::Face face,
                                    const Vector3& origin, const Vector3& direction) {
    if (face.size() == 3) {
        return triangle::intersection(p[face[0]], p[face[1]], p[face[2]], origin, direction);
    }
    const Vector3 n = normal(p, face);
    const float denom = direction.dot(n);
    if (!(denom != 0)) {
        return std::nullopt;
    }
    const float s = -(n.dot(origin - centroid(p, face))) / denom;
    if (!(s >= 0)) {
        return std::nullopt;
    }
    const Vector3 hit = origin + direction * s;
    // Crossings of a ray from the hit along +x (flattened) with the outline: odd when inside.
    const Flattening f(n);
    const double hx = f.x(hit), hy = f.y(hit);
    bool inside = false;
    for (size_t k = 0, j = face.size() - 1; k < face.size(); j = k++) {
        const double ax = f.x(p[face[k]]), ay = f.y(p[face[k]]);
        const double bx = f.x(p[face[j]]), by = f.y(p[face[j]]);
        if ((ay > hy) != (by > hy) && hx < ax + (hy - ay) * (bx - ax) / (by - ay)) {
            inside = !inside;
        }
    }
    if (!inside) {
        return std::nullopt;
    }
    return hit;
}

void triangulate(std::span<const Vector3> p, FaceList::Face face, std::vector<Triangle>& out) {
    const size_t n = face.size();
    if (n < 3) {
        return;
    }
    if (n == 3) {
        out.push_back({face[0], face[1], face[2]});
        return;
    }
    const Flattening f(normal(p, face));
    const auto at = [&](size_t k) -> const Vector3& { return p[face[k]]; };
    bool convex = true;
    for (size_t k = 0; k < n && convex; ++k) {
        convex = turn(f, at(k), at((k + 1) % n), at((k + 2) % n)) > 0;
    }
    if (convex) {
        for (size_t k = 1; k + 1 < n; ++k) {
            out.push_back({face[0], face[k], face[k + 1]});
        }
        return;
    }

    // Ear clipping over a ring of the corners still uncut.
    std::vector<size_t> next(n), prev(n);
    for (size_t k = 0; k < n; ++k) {
        next[k] = (k + 1) % n;
        prev[k] = (k + n - 1) % n;
    }
    const auto isEar = [&](size_t b) {
        const size_t a = prev[b], c = next[b];
        if (!(turn(f, at(a), at(b), at(c)) > 0)) {
            return false;
        }
        // No other corner of the ring inside or on the ear.
        for (size_t k = next[c]; k != a; k = next[k]) {
            if (turn(f, at(a), at(b), at(k)) >= 0 && turn(f, at(b), at(c), at(k)) >= 0 &&
                turn(f, at(c), at(a), at(k)) >= 0) {
                return false;
            }
        }
        return true;
    };
    size_t left = n;
    size_t b = 0;
    size_t misses = 0;
    while (left > 3) {
        // A ring with no ear left (a face folding over itself) is cut at any corner.
        if (isEar(b) || misses >= left) {
            out.push_back({face[prev[b]], face[b], face[next[b]]});
            next[prev[b]] = next[b];
            prev[next[b]] = prev[b];
            b = prev[b];
            --left;
            misses = 0;
            continue;
        }
        b = next[b];
        ++misses;
    }
    out.push_back({face[prev[b]], face[b], face[next[b]]});
}

} // namespace tessel::polygon
