// Layer workloads on the grid layers of QuadGenerator(224, 224)
// (100,352 triangles) and QuadGenerator(317, 317) (200,978 triangles). The argument of each
// benchmark is the triangle count, so they print as e.g. LayerCopy/100352.
//
// Each "copy, then ..." workload times the copy and the edit. The destruction of the layer made
// in an iteration is not timed (it happens with the timer paused); it is the cost of releasing
// 150,000–300,000 shared objects, not of the operation.
//
// The benchmarks measure with benchmark's default timer; the Time column is wall-clock time.
// (UseRealTime() would append "/real_time" to every name in Google Benchmark 1.7.)
#include "mesh/layer.h"
#include "mesh/model.h"

#include "grid_layer.h"

#include <benchmark/benchmark.h>

#include <cstdint>

namespace {

using namespace tessel;

// The first triangle of the grid's centre cell.
size_t middleFace(std::int64_t triangles) {
    const size_t n = static_cast<size_t>(grid_sizes::segmentsFor(triangles));
    return 2 * ((n / 2) * n + n / 2);
}

// Destroys `layer` with the timer paused.
void release(benchmark::State& state, LayerPtr& layer) {
    state.PauseTiming();
    layer.reset();
    state.ResumeTiming();
}

void LayerCopy(benchmark::State& state) {
    const Layer& source = gridLayer(state.range(0));
    for (auto _ : state) {
        LayerPtr copy = source.copy();
        benchmark::DoNotOptimize(copy.get());
        release(state, copy);
    }
}

void SubdivideAll(benchmark::State& state) {
    const Layer& source = gridLayer(state.range(0));
    for (auto _ : state) {
        LayerPtr layer = source.copy();
        const size_t count = layer->polygons.size();
        for (size_t id = 0; id < count; ++id) {
            layer->subdividePolygon(id);
        }
        benchmark::DoNotOptimize(layer->polygons.data());
        release(state, layer);
    }
}

void ExtrudeOne(benchmark::State& state) {
    const Layer& source = gridLayer(state.range(0));
    const size_t id = middleFace(state.range(0));
    for (auto _ : state) {
        LayerPtr layer = source.copy();
        layer->extrudeTriangle(id, 0.1f);
        benchmark::DoNotOptimize(layer->polygons.data());
        release(state, layer);
    }
}

void SplitCrossed(benchmark::State& state) {
    const Layer& source = gridLayer(state.range(0));
    const Plane plane = Plane::through({1, 0, 0}, {0.001f, 0, 0});
    struct Cut {
        size_t id;
        std::pair<int, int> edges;
        std::pair<float, float> t;
    };
    std::vector<Cut> cuts;
    for (auto _ : state) {
        LayerPtr layer = source.copy();
        // Find the triangles the plane crosses twice, then split each of them.
        cuts.clear();
        for (size_t id = 0; id < layer->polygons.size(); ++id) {
            const auto verts = layer->polygons[id]->verts();
            float d[3];
            for (int k = 0; k < 3; ++k) {
                d[k] = plane.signedDistance(verts[k]->position);
            }
            int edges[2];
            float t[2];
            int crossed = 0;
            for (int k = 0; k < 3 && crossed < 3; ++k) {
                const float a = d[k];
                const float b = d[(k + 1) % 3];
                if ((a < 0 && b > 0) || (a > 0 && b < 0)) {
                    if (crossed < 2) {
                        edges[crossed] = k;
                        t[crossed] = a / (a - b);
                    }
                    ++crossed;
                }
            }
            if (crossed == 2) {
                cuts.push_back({id, {edges[0], edges[1]}, {t[0], t[1]}});
            }
        }
        for (const auto& cut : cuts) {
            layer->splitTriangle(cut.id, cut.edges, cut.t);
        }
        benchmark::DoNotOptimize(layer->polygons.data());
        release(state, layer);
    }
    state.counters["cut"] = static_cast<double>(cuts.size());
}

void WeldEight(benchmark::State& state) {
    const Layer& source = gridLayer(state.range(0));
    const int n = grid_sizes::segmentsFor(state.range(0));
    const int c = n / 2;
    std::vector<size_t> ids;
    for (int dj = -1; dj <= 1; ++dj) {
        for (int di = -1; di <= 1; ++di) {
            if (di != 0 || dj != 0) {
                ids.push_back(static_cast<size_t>((c + dj) * (n + 1) + c + di));
            }
        }
    }
    for (auto _ : state) {
        LayerPtr layer = source.copy();
        std::vector<PointPtr> ring;
        for (size_t id : ids) {
            ring.push_back(layer->points[id]);
        }
        benchmark::DoNotOptimize(layer->weld(ring).get());
        release(state, layer);
    }
}

void DeleteOne(benchmark::State& state) {
    const Layer& source = gridLayer(state.range(0));
    const size_t id = middleFace(state.range(0));
    for (auto _ : state) {
        LayerPtr layer = source.copy();
        const PolygonPtr face = layer->polygons[id];
        layer->removePolygons({&face, 1});
        benchmark::DoNotOptimize(layer->polygons.data());
        release(state, layer);
    }
}

void RayIntersections(benchmark::State& state) {
    const Layer& source = gridLayer(state.range(0));
    // Straight down through the centre cell (the exact centre is a vertex, which nothing hits).
    const Line ray{{0.0007f, 0.0003f, 1}, {0.0007f, 0.0003f, 0}};
    size_t hits = 0;
    for (auto _ : state) {
        const auto result = source.intersections(ray);
        hits = result.size();
        benchmark::DoNotOptimize(result.data());
    }
    state.counters["hits"] = static_cast<double>(hits);
}

#define TESSEL_LAYER_BENCHMARK(name) BENCHMARK(name)->Apply(grid_sizes::triangles)

TESSEL_LAYER_BENCHMARK(LayerCopy);
TESSEL_LAYER_BENCHMARK(SubdivideAll);
TESSEL_LAYER_BENCHMARK(ExtrudeOne);
TESSEL_LAYER_BENCHMARK(SplitCrossed);
TESSEL_LAYER_BENCHMARK(WeldEight);
TESSEL_LAYER_BENCHMARK(DeleteOne);
TESSEL_LAYER_BENCHMARK(RayIntersections);

} // namespace
