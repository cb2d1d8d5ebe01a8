// The polygon workloads of bench/layer_bench.cpp (Quad…) done with OpenMesh's polygon mesh on the
// same grids of four-cornered faces, under the same names, for scripts/bench --peers. As in
// openmesh_peer.cpp, each workload times the copy and the edit, not the destruction, and deleted
// elements wait for a garbage collection that is not timed (OpenMesh's usual idiom defers it).
//
// The edits are OpenMesh's own idioms for the same result:
//   QuadLayerCopy     the copy constructor
//   QuadExtrudeOne    the centre face deleted, four raised vertices, the cap and four side quads
//   QuadDeleteOne     the centre face deleted, with the vertices it leaves unused
//   QuadWeldEight     the eight points around the centre collapsed into the centre vertex, which
//                     then moves to their mean
//   QuadSplitCrossed  split_edge of every edge the plane x = 0.001 crosses, then insert_edge
//                     between the two new vertices of each crossed face (ours: the plane cut)
#include <OpenMesh/Core/Mesh/PolyMesh_ArrayKernelT.hh>

#include "../grid_sizes.h"
#include "openmesh_weld.h"

#include <benchmark/benchmark.h>

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <utility>
#include <vector>

namespace {

using PolyMesh = OpenMesh::PolyMesh_ArrayKernelT<>;
using Point = PolyMesh::Point;

// The grid of bench/grid_layer.h's quadGridLayer: (n + 1)² points row by row in z = 0 over
// −0.5 … 0.5, one counter-clockwise face per cell.
std::unique_ptr<PolyMesh> makeGrid(int n) {
    auto mesh = std::make_unique<PolyMesh>();
    const float last = static_cast<float>(n);
    std::vector<PolyMesh::VertexHandle> v;
    v.reserve(static_cast<size_t>((n + 1) * (n + 1)));
    for (int j = 0; j <= n; ++j) {
        for (int i = 0; i <= n; ++i) {
            v.push_back(mesh->add_vertex(Point(static_cast<float>(i) / last - 0.5f,
                                               static_cast<float>(j) / last - 0.5f, 0)));
        }
    }
    const size_t row = static_cast<size_t>(n + 1);
    for (int j = 0; j < n; ++j) {
        for (int i = 0; i < n; ++i) {
            const size_t k = static_cast<size_t>(j) * row + static_cast<size_t>(i);
            mesh->add_face(v[k], v[k + 1], v[k + row + 1], v[k + row]);
        }
    }
    // Deleting elements needs the status flags; requested on the source, the copies have them.
    mesh->request_vertex_status();
    mesh->request_edge_status();
    mesh->request_halfedge_status();
    mesh->request_face_status();
    return mesh;
}

const PolyMesh& grid(std::int64_t faces) {
    static std::map<std::int64_t, std::unique_ptr<PolyMesh>> grids;
    auto& mesh = grids[faces];
    if (!mesh) {
        mesh = makeGrid(grid_sizes::segmentsFor(faces));
    }
    return *mesh;
}

void release(benchmark::State& state, std::unique_ptr<PolyMesh>& mesh) {
    state.PauseTiming();
    mesh.reset();
    state.ResumeTiming();
}

PolyMesh::FaceHandle middleFace(std::int64_t faces) {
    const int n = grid_sizes::segmentsFor(faces);
    return PolyMesh::FaceHandle((n / 2) * n + n / 2);
}

void QuadLayerCopy(benchmark::State& state) {
    const PolyMesh& source = grid(state.range(0));
    for (auto _ : state) {
        auto copy = std::make_unique<PolyMesh>(source);
        benchmark::DoNotOptimize(copy.get());
        release(state, copy);
    }
}

void QuadExtrudeOne(benchmark::State& state) {
    const PolyMesh& source = grid(state.range(0));
    const PolyMesh::FaceHandle face = middleFace(state.range(0));
    for (auto _ : state) {
        auto mesh = std::make_unique<PolyMesh>(source);
        std::array<PolyMesh::VertexHandle, 4> v;
        int k = 0;
        for (const auto vertex : mesh->fv_range(face)) {
            v[static_cast<size_t>(k++)] = vertex;
        }
        const Point d = mesh->calc_face_normal(face) * 0.1f;
        std::array<PolyMesh::VertexHandle, 4> up;
        for (size_t i = 0; i < 4; ++i) {
            up[i] = mesh->add_vertex(mesh->point(v[i]) + d);
        }
        mesh->delete_face(face, false);
        mesh->add_face(up[0], up[1], up[2], up[3]);
        for (size_t i = 0; i < 4; ++i) {
            const size_t j = (i + 1) % 4;
            mesh->add_face(v[i], v[j], up[j], up[i]);
        }
        benchmark::DoNotOptimize(mesh.get());
        release(state, mesh);
    }
}

void QuadDeleteOne(benchmark::State& state) {
    const PolyMesh& source = grid(state.range(0));
    const PolyMesh::FaceHandle face = middleFace(state.range(0));
    for (auto _ : state) {
        auto mesh = std::make_unique<PolyMesh>(source);
        mesh->delete_face(face, true);
        benchmark::DoNotOptimize(mesh.get());
        release(state, mesh);
    }
}

void QuadWeldEight(benchmark::State& state) {
    weldEightAroundCentre<PolyMesh>(
        state, [](std::int64_t faces) -> const PolyMesh& { return grid(faces); });
}

void QuadSplitCrossed(benchmark::State& state) {
    const PolyMesh& source = grid(state.range(0));
    const float x = 0.001f;
    struct Cut {
        PolyMesh::EdgeHandle edge;
        Point at;
    };
    std::vector<Cut> cuts;
    std::vector<PolyMesh::VertexHandle> added;
    std::vector<std::pair<PolyMesh::HalfedgeHandle, PolyMesh::HalfedgeHandle>> joins;
    size_t faces = 0;
    for (auto _ : state) {
        auto mesh = std::make_unique<PolyMesh>(source);
        cuts.clear();
        added.clear();
        for (const auto e : mesh->edges()) {
            const Point& a = mesh->point(e.v0());
            const Point& b = mesh->point(e.v1());
            const float da = a[0] - x;
            const float db = b[0] - x;
            if ((da < 0 && db > 0) || (da > 0 && db < 0)) {
                cuts.push_back({e, a + (b - a) * (da / (da - db))});
            }
        }
        for (const Cut& cut : cuts) {
            const auto v = mesh->add_vertex(cut.at);
            mesh->split_edge(cut.edge, v);
            added.push_back(v);
        }
        // Each crossed face now holds two new vertices: joined by an edge, it becomes two faces.
        const size_t before = mesh->n_faces();
        const int firstNew = static_cast<int>(source.n_vertices());
        joins.clear();
        for (const auto v : added) {
            for (const auto f : mesh->vf_range(v)) {
                std::array<PolyMesh::HalfedgeHandle, 2> from;
                int count = 0;
                for (const auto h : f.halfedges()) {
                    if (h.from().idx() >= firstNew && count < 2) {
                        from[static_cast<size_t>(count++)] = h;
                    }
                }
                // Each face once: from the first of its two new vertices.
                if (count == 2 && mesh->from_vertex_handle(from[0]) == v) {
                    joins.push_back({mesh->prev_halfedge_handle(from[0]), from[1]});
                }
            }
        }
        for (const auto& [prev, next] : joins) {
            mesh->insert_edge(prev, next);
        }
        faces = mesh->n_faces() - before;
        benchmark::DoNotOptimize(mesh.get());
        release(state, mesh);
    }
    state.counters["added"] = static_cast<double>(faces);
}

#define PEER_BENCHMARK(name) BENCHMARK(name)->Apply(grid_sizes::quads)

PEER_BENCHMARK(QuadLayerCopy);
PEER_BENCHMARK(QuadExtrudeOne);
PEER_BENCHMARK(QuadDeleteOne);
PEER_BENCHMARK(QuadWeldEight);
PEER_BENCHMARK(QuadSplitCrossed);

} // namespace
