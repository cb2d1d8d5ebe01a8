#include "io/gltf_faces.h"

#include <algorithm>
#include <cmath>
#include <span>
#include <utility>

namespace tessel::gltf {

namespace {

// A whole number from `low` to `high` read from a JSON value, or nothing.
std::optional<std::size_t> countIn(const tinygltf::Value& value, std::size_t low,
                                   std::size_t high) {
    if (!value.IsNumber()) {
        return std::nullopt;
    }
    const double number = value.GetNumberAsDouble();
    if (!(number >= static_cast<double>(low) && number <= static_cast<double>(high)) ||
        number != std::floor(number)) {
        return std::nullopt;
    }
    return static_cast<std::size_t>(number);
}

using Edge = std::pair<std::uint32_t, std::uint32_t>;

// Rebuilds the corners of a face drawn by these triangles and appends them to `ring`: the edges
// that no other of its triangles walks back along are its outline, walked from the first
// triangle's first corner. False, with nothing appended, unless the outline is one loop through
// every corner the triangles use. `edges` and `outline` are scratch space.
bool appendOutline(std::span<const Triangle> triangles, std::vector<Edge>& edges,
                   std::vector<Edge>& outline, std::vector<std::uint32_t>& ring) {
    // A small fan from the first corner, as convex faces are written, outlines its corners in
    // order when none repeats.
    const std::size_t n = triangles.size() + 2;
    bool fan = n <= 8;
    for (std::size_t i = 1; i < triangles.size() && fan; ++i) {
        fan = triangles[i][0] == triangles[0][0] && triangles[i][1] == triangles[i - 1][2];
    }
    if (fan) {
        const std::size_t start = ring.size();
        ring.insert(ring.end(), triangles[0].begin(), triangles[0].end());
        for (std::size_t i = 1; i < triangles.size(); ++i) {
            ring.push_back(triangles[i][2]);
        }
        for (std::size_t a = start; a < ring.size(); ++a) {
            for (std::size_t b = a + 1; b < ring.size(); ++b) {
                if (ring[a] == ring[b]) {
                    ring.resize(start);
                    return false;
                }
            }
        }
        return true;
    }

    edges.clear();
    for (const Triangle& t : triangles) {
        edges.insert(edges.end(), {{t[0], t[1]}, {t[1], t[2]}, {t[2], t[0]}});
    }
    std::sort(edges.begin(), edges.end());
    if (std::adjacent_find(edges.begin(), edges.end()) != edges.end()) {
        return false;
    }
    // Sorted by where each edge starts, as `edges` is; a corner may start one edge only.
    outline.clear();
    for (const auto& [a, b] : edges) {
        if (!std::binary_search(edges.begin(), edges.end(), Edge{b, a})) {
            outline.push_back({a, b});
        }
    }
    if (outline.size() != n) {
        return false;
    }
    const auto byStart = [](const Edge& e, const Edge& f) { return e.first < f.first; };
    for (std::size_t i = 1; i < n; ++i) {
        if (outline[i].first == outline[i - 1].first) {
            return false;
        }
    }
    for (const Triangle& t : triangles) {
        for (const std::uint32_t c : t) {
            if (!std::binary_search(outline.begin(), outline.end(), Edge{c, 0}, byStart)) {
                return false;
            }
        }
    }
    // Each corner starts one edge, so a walk that comes back to its start after n steps, and not
    // before, has met every corner once.
    const std::size_t start = ring.size();
    std::uint32_t corner = triangles[0][0];
    for (std::size_t k = 0; k < n; ++k) {
        if (k > 0 && corner == ring[start]) {
            break;
        }
        ring.push_back(corner);
        corner = std::lower_bound(outline.begin(), outline.end(), Edge{corner, 0}, byStart)->second;
    }
    if (ring.size() - start != n || corner != ring[start]) {
        ring.resize(start);
        return false;
    }
    return true;
}

} // namespace

tinygltf::Value cornerRunsOf(const FaceList& faces) {
    tinygltf::Value::Array runs;
    std::uint32_t corners = 0;
    int length = 0;
    const auto close = [&] {
        if (length > 0) {
            runs.emplace_back(tinygltf::Value::Array{tinygltf::Value(static_cast<int>(corners)),
                                                     tinygltf::Value(length)});
        }
    };
    for (const FaceList::Face face : faces) {
        if (face.size() != corners) {
            close();
            corners = static_cast<std::uint32_t>(face.size());
            length = 0;
        }
        ++length;
    }
    close();
    return tinygltf::Value(std::move(runs));
}

std::optional<FaceList> facesOf(const std::vector<Triangle>& triangles,
                                const tinygltf::Value& runs) {
    if (!runs.IsArray()) {
        return std::nullopt;
    }
    std::vector<std::uint32_t> corners;
    std::vector<std::uint32_t> counts;
    std::vector<Edge> edges;
    std::vector<Edge> outline;
    std::size_t next = 0;
    for (std::size_t r = 0; r < runs.ArrayLen(); ++r) {
        const tinygltf::Value& run = runs.Get(static_cast<int>(r));
        const std::size_t left = triangles.size() - next;
        const std::optional<std::size_t> n =
            run.IsArray() && run.ArrayLen() == 2 ? countIn(run.Get(0), 3, left + 2) : std::nullopt;
        const std::optional<std::size_t> faces =
            n ? countIn(run.Get(1), 1, left / (*n - 2)) : std::nullopt;
        if (!faces) {
            return std::nullopt;
        }
        for (std::size_t f = 0; f < *faces; ++f) {
            const std::span<const Triangle> drawing(triangles.data() + next, *n - 2);
            if (*n == 3) {
                corners.insert(corners.end(), drawing[0].begin(), drawing[0].end());
            } else if (!appendOutline(drawing, edges, outline, corners)) {
                return std::nullopt;
            }
            counts.push_back(static_cast<std::uint32_t>(*n));
            next += *n - 2;
        }
    }
    if (next != triangles.size()) {
        return std::nullopt;
    }
    return FaceList(std::move(corners), counts);
}

} // namespace tessel::gltf
