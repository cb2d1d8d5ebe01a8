#pragma once

// The "WeldEight" idiom shared by the OpenMesh peers, for its triangle and its polygon mesh: the
// eight grid points around the centre collapsed into the centre vertex, which then moves to
// their mean.

#include "../grid_sizes.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

// `grid(faces)` gives the source mesh, with status flags (deleting elements needs them).
template <class Mesh, class Grid> void weldEightAroundCentre(benchmark::State& state, Grid grid) {
    const Mesh& source = grid(state.range(0));
    const int n = grid_sizes::segmentsFor(state.range(0));
    const int c = n / 2;
    const typename Mesh::VertexHandle centre(c * (n + 1) + c);
    std::vector<typename Mesh::VertexHandle> ring;
    for (int dj = -1; dj <= 1; ++dj) {
        for (int di = -1; di <= 1; ++di) {
            if (di != 0 || dj != 0) {
                ring.emplace_back((c + dj) * (n + 1) + c + di);
            }
        }
    }
    size_t merged = 0;
    for (auto _ : state) {
        auto mesh = std::make_unique<Mesh>(source);
        typename Mesh::Point mean(0, 0, 0);
        for (const auto v : ring) {
            mean += mesh->point(v);
        }
        mean /= static_cast<float>(ring.size());
        // Some of the eight are not neighbours of the centre until their neighbours have gone.
        std::vector<typename Mesh::VertexHandle> left = ring;
        merged = 0;
        for (int pass = 0; pass < 3 && !left.empty(); ++pass) {
            std::vector<typename Mesh::VertexHandle> next;
            for (const auto v : left) {
                const auto h = mesh->find_halfedge(v, centre);
                if (h.is_valid() && mesh->is_collapse_ok(h)) {
                    mesh->collapse(h);
                    ++merged;
                } else {
                    next.push_back(v);
                }
            }
            left = std::move(next);
        }
        mesh->set_point(centre, mean);
        benchmark::DoNotOptimize(mesh.get());
        // The destruction is not timed.
        state.PauseTiming();
        mesh.reset();
        state.ResumeTiming();
    }
    state.counters["merged"] = static_cast<double>(merged);
}
