// The layer workloads of bench/layer_bench.cpp done with OpenMesh on the same grids, under the
// same names, so that scripts/bench --peers can put the two side by side. Each "copy, then ..."
// workload times the copy and the edit; destroying the mesh is not timed (ours times the release
// of its layer, two arrays, so the comparison leans against us by that much).
//
// The edits are OpenMesh's own idioms for the same result:
//   LayerCopy     the copy constructor
//   SubdivideAll  a centroid vertex and split(face, vertex) (1-to-3) for every original face
//   SplitCrossed  split(edge, vertex) of every edge the plane x = 0.001 crosses, which splits the
//                 two triangles on each side of it (ours: the whole plane cut, which does the same)
//   WeldEight     the eight grid points around the centre collapsed into the centre vertex, which
//                 then moves to their mean
//   ExtrudeOne    the centre face deleted, three raised vertices, the cap and the six side
//                 triangles of the prism added
// Deleted elements stay in OpenMesh's arrays, flagged, until a garbage collection, which costs
// about as much as a copy; the usual idiom defers it, so it is not timed here.
#include <OpenMesh/Core/Mesh/TriMesh_ArrayKernelT.hh>

#include "../grid_sizes.h"
#include "openmesh_weld.h"

#include <benchmark/benchmark.h>

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <vector>

namespace {

using TriMesh = OpenMesh::TriMesh_ArrayKernelT<>;
using Point = TriMesh::Point;

// The QuadGenerator grid: (H + 1)(V + 1) points row by row in z = 0 over −0.5 … 0.5, two
// counter-clockwise triangles per cell, (p00, p10, p11) and (p00, p11, p01).
std::unique_ptr<TriMesh> makeGrid(int n, bool withStatus) {
    auto mesh = std::make_unique<TriMesh>();
    const float last = static_cast<float>(n);
    std::vector<TriMesh::VertexHandle> v;
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
            mesh->add_face(v[k], v[k + 1], v[k + row + 1]);
            mesh->add_face(v[k], v[k + row + 1], v[k + row]);
        }
    }
    if (withStatus) {
        // Deleting elements needs the status flags; requested on the source, the copies have them.
        mesh->request_vertex_status();
        mesh->request_edge_status();
        mesh->request_halfedge_status();
        mesh->request_face_status();
    }
    return mesh;
}

const TriMesh& grid(std::int64_t triangles, bool withStatus = false) {
    static std::map<std::pair<std::int64_t, bool>, std::unique_ptr<TriMesh>> grids;
    auto& mesh = grids[{triangles, withStatus}];
    if (!mesh) {
        mesh = makeGrid(grid_sizes::segmentsFor(triangles), withStatus);
    }
    return *mesh;
}

void release(benchmark::State& state, std::unique_ptr<TriMesh>& mesh) {
    state.PauseTiming();
    mesh.reset();
    state.ResumeTiming();
}

void LayerCopy(benchmark::State& state) {
    const TriMesh& source = grid(state.range(0));
    for (auto _ : state) {
        auto copy = std::make_unique<TriMesh>(source);
        benchmark::DoNotOptimize(copy.get());
        release(state, copy);
    }
}

void SubdivideAll(benchmark::State& state) {
    const TriMesh& source = grid(state.range(0));
    for (auto _ : state) {
        auto mesh = std::make_unique<TriMesh>(source);
        const int count = static_cast<int>(mesh->n_faces());
        for (int f = 0; f < count; ++f) {
            const TriMesh::FaceHandle face(f);
            Point c(0, 0, 0);
            for (const auto v : mesh->fv_range(face)) {
                c += mesh->point(v);
            }
            mesh->split(face, mesh->add_vertex(c / 3.0f));
        }
        benchmark::DoNotOptimize(mesh.get());
        release(state, mesh);
    }
}

void SplitCrossed(benchmark::State& state) {
    const TriMesh& source = grid(state.range(0));
    const float x = 0.001f;
    struct Cut {
        TriMesh::EdgeHandle edge;
        Point at;
    };
    std::vector<Cut> cuts;
    for (auto _ : state) {
        auto mesh = std::make_unique<TriMesh>(source);
        cuts.clear();
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
            mesh->split(cut.edge, mesh->add_vertex(cut.at));
        }
        benchmark::DoNotOptimize(mesh.get());
        release(state, mesh);
    }
    state.counters["cut_edges"] = static_cast<double>(cuts.size());
}

void WeldEight(benchmark::State& state) {
    weldEightAroundCentre<TriMesh>(
        state, [](std::int64_t faces) -> const TriMesh& { return grid(faces, true); });
}

void ExtrudeOne(benchmark::State& state) {
    const TriMesh& source = grid(state.range(0), true);
    const int n = grid_sizes::segmentsFor(state.range(0));
    const TriMesh::FaceHandle face(2 * ((n / 2) * n + n / 2));
    for (auto _ : state) {
        auto mesh = std::make_unique<TriMesh>(source);
        std::array<TriMesh::VertexHandle, 3> v;
        int k = 0;
        for (const auto vertex : mesh->fv_range(face)) {
            v[static_cast<size_t>(k++)] = vertex;
        }
        const Point d = mesh->calc_face_normal(face) * 0.1f;
        const auto a = v[0], b = v[1], e = v[2];
        const auto a2 = mesh->add_vertex(mesh->point(a) + d);
        const auto b2 = mesh->add_vertex(mesh->point(b) + d);
        const auto e2 = mesh->add_vertex(mesh->point(e) + d);
        mesh->delete_face(face, false);
        mesh->add_face(a2, b2, e2);
        mesh->add_face(a2, a, b);
        mesh->add_face(a2, b, b2);
        mesh->add_face(a, a2, e2);
        mesh->add_face(a, e2, e);
        mesh->add_face(b, e, b2);
        mesh->add_face(e, e2, b2);
        benchmark::DoNotOptimize(mesh.get());
        release(state, mesh);
    }
}

#define PEER_BENCHMARK(name) BENCHMARK(name)->Apply(grid_sizes::triangles)

PEER_BENCHMARK(LayerCopy);
PEER_BENCHMARK(SubdivideAll);
PEER_BENCHMARK(SplitCrossed);
PEER_BENCHMARK(WeldEight);
PEER_BENCHMARK(ExtrudeOne);

} // namespace
