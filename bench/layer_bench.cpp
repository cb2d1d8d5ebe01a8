// Layer workloads on the grid layers of QuadGenerator(224, 224)
// (100,352 triangles) and QuadGenerator(317, 317) (200,978 triangles). The argument of each
// benchmark is the triangle count, so they print as e.g. LayerCopy/100352. The normals run on
// the grid of about a million triangles as well (PointNormals/999698).
//
// Each "copy, then ..." workload times the copy, the edit and the release of the layer it made:
// a layer is two arrays, so its release is two frees and part of the work a preview costs.
//
// The benchmarks measure with benchmark's default timer; the Time column is wall-clock time.
// (UseRealTime() would append "/real_time" to every name in Google Benchmark 1.7.)
#include "mesh/extrude.h"
#include "mesh/inset.h"
#include "mesh/intersections.h"
#include "mesh/layer.h"
#include "mesh/normals.h"
#include "mesh/plane_cut.h"
#include "mesh/region_extrude.h"
#include "mesh/removal.h"
#include "mesh/subdivide.h"
#include "mesh/weld.h"

#include "grid_layer.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>

namespace {

using namespace tessel;

// The first triangle of the grid's centre cell.
size_t middleFace(std::int64_t triangles) {
    const size_t n = static_cast<size_t>(grid_sizes::segmentsFor(triangles));
    return 2 * ((n / 2) * n + n / 2);
}

LayerPtr copyLayer(const Layer& layer) { return std::make_shared<Layer>(layer); }

// The eight points around the grid's centre point.
std::vector<std::uint32_t> ringAroundCentre(int n) {
    const int c = n / 2;
    std::vector<std::uint32_t> ring;
    for (int dj = -1; dj <= 1; ++dj) {
        for (int di = -1; di <= 1; ++di) {
            if (di != 0 || dj != 0) {
                ring.push_back(static_cast<std::uint32_t>((c + dj) * (n + 1) + c + di));
            }
        }
    }
    return ring;
}

void LayerCopy(benchmark::State& state) {
    const Layer& source = gridLayer(state.range(0));
    for (auto _ : state) {
        const LayerPtr copy = copyLayer(source);
        benchmark::DoNotOptimize(copy.get());
    }
}

void SubdivideAll(benchmark::State& state) {
    const Layer& source = gridLayer(state.range(0));
    for (auto _ : state) {
        const LayerPtr layer = copyLayer(source);
        subdivideAll(*layer);
        benchmark::DoNotOptimize(layer->faces.storage());
    }
}

void ExtrudeOne(benchmark::State& state) {
    const Layer& source = gridLayer(state.range(0));
    const size_t id = middleFace(state.range(0));
    for (auto _ : state) {
        const LayerPtr layer = copyLayer(source);
        extrude(*layer, id, 0.1f);
        benchmark::DoNotOptimize(layer->faces.storage());
    }
}

void SplitCrossed(benchmark::State& state) {
    const Layer& source = gridLayer(state.range(0));
    const Vector3 normal{1, 0, 0};
    const Vector3 origin{0.001f, 0, 0};
    size_t added = 0;
    for (auto _ : state) {
        const LayerPtr layer = copyLayer(source);
        cutAlongPlane(*layer, normal, origin);
        added = layer->faces.size() - source.faces.size();
        benchmark::DoNotOptimize(layer->faces.storage());
    }
    state.counters["added"] = static_cast<double>(added);
}

void WeldEight(benchmark::State& state) {
    const Layer& source = gridLayer(state.range(0));
    const std::vector<std::uint32_t> ring =
        ringAroundCentre(grid_sizes::segmentsFor(state.range(0)));
    for (auto _ : state) {
        const LayerPtr layer = copyLayer(source);
        const Welded welded = weld(*layer, ring);
        benchmark::DoNotOptimize(welded.remap.data());
    }
}

void DeleteOne(benchmark::State& state) {
    const Layer& source = gridLayer(state.range(0));
    const std::uint32_t face = static_cast<std::uint32_t>(middleFace(state.range(0)));
    for (auto _ : state) {
        const LayerPtr layer = copyLayer(source);
        const std::vector<std::uint32_t> remap = removeFaces(*layer, {&face, 1});
        benchmark::DoNotOptimize(remap.data());
    }
}

void RayIntersections(benchmark::State& state) {
    const Layer& source = gridLayer(state.range(0));
    // Straight down through the centre cell (the exact centre is a vertex, which nothing hits).
    const Line ray{{0.0007f, 0.0003f, 1}, {0.0007f, 0.0003f, 0}};
    size_t hits = 0;
    for (auto _ : state) {
        const auto result = intersections(source, ray);
        hits = result.size();
        benchmark::DoNotOptimize(result.data());
    }
    state.counters["hits"] = static_cast<double>(hits);
}

// --- The same edits on the grids of four-cornered faces ---
//
// Timed as the polygon peer times them: the copy and the edit, not the release of the layer made
// (paused), so that the two sides do the same work.

void release(benchmark::State& state, LayerPtr& layer) {
    state.PauseTiming();
    layer.reset();
    state.ResumeTiming();
}

// The grid's centre cell.
std::uint32_t middleQuad(std::int64_t faces) {
    const auto n = static_cast<std::uint32_t>(grid_sizes::segmentsFor(faces));
    return (n / 2) * n + n / 2;
}

void QuadLayerCopy(benchmark::State& state) {
    const Layer& source = quadGridLayer(state.range(0));
    for (auto _ : state) {
        LayerPtr copy = copyLayer(source);
        benchmark::DoNotOptimize(copy.get());
        release(state, copy);
    }
}

void QuadExtrudeOne(benchmark::State& state) {
    const Layer& source = quadGridLayer(state.range(0));
    const std::uint32_t face = middleQuad(state.range(0));
    for (auto _ : state) {
        LayerPtr layer = copyLayer(source);
        extrude(*layer, face, 0.1f);
        benchmark::DoNotOptimize(layer->faces.storage());
        release(state, layer);
    }
}

void QuadDeleteOne(benchmark::State& state) {
    const Layer& source = quadGridLayer(state.range(0));
    const std::uint32_t face = middleQuad(state.range(0));
    for (auto _ : state) {
        LayerPtr layer = copyLayer(source);
        const std::vector<std::uint32_t> remap = removeFaces(*layer, {&face, 1});
        benchmark::DoNotOptimize(remap.data());
        release(state, layer);
    }
}

void QuadWeldEight(benchmark::State& state) {
    const Layer& source = quadGridLayer(state.range(0));
    const std::vector<std::uint32_t> ring =
        ringAroundCentre(grid_sizes::segmentsFor(state.range(0)));
    for (auto _ : state) {
        LayerPtr layer = copyLayer(source);
        const Welded welded = weld(*layer, ring);
        benchmark::DoNotOptimize(welded.remap.data());
        release(state, layer);
    }
}

void QuadSplitCrossed(benchmark::State& state) {
    const Layer& source = quadGridLayer(state.range(0));
    size_t added = 0;
    for (auto _ : state) {
        LayerPtr layer = copyLayer(source);
        cutAlongPlane(*layer, {1, 0, 0}, {0.001f, 0, 0});
        added = layer->faces.size() - source.faces.size();
        benchmark::DoNotOptimize(layer->faces.storage());
        release(state, layer);
    }
    state.counters["added"] = static_cast<double>(added);
}

// 40 × 25 = 1,000 cells around the grid's centre: a selected region.
std::vector<std::uint32_t> patchAroundCentre(std::int64_t faces) {
    const auto n = static_cast<std::uint32_t>(grid_sizes::segmentsFor(faces));
    std::vector<std::uint32_t> patch;
    for (std::uint32_t j = n / 2 - 12; j < n / 2 + 13; ++j) {
        for (std::uint32_t i = n / 2 - 20; i < n / 2 + 20; ++i) {
            patch.push_back(j * n + i);
        }
    }
    return patch;
}

// What a region edit's preview costs, release included: the copy, the edit (and the cap's move).
void QuadExtrudeRegion(benchmark::State& state) {
    const Layer& source = quadGridLayer(state.range(0));
    const std::vector<std::uint32_t> patch = patchAroundCentre(state.range(0));
    for (auto _ : state) {
        const LayerPtr layer = copyLayer(source);
        const ExtrudedRegion extruded = extrudeRegion(*layer, patch);
        offsetPoints(*layer, extruded.points, extruded.normal * 0.1f);
        benchmark::DoNotOptimize(layer->faces.storage());
    }
}

void QuadInsetRegion(benchmark::State& state) {
    const Layer& source = quadGridLayer(state.range(0));
    const std::vector<std::uint32_t> patch = patchAroundCentre(state.range(0));
    for (auto _ : state) {
        const LayerPtr layer = copyLayer(source);
        insetFaces(*layer, patch, 0.001f, true);
        benchmark::DoNotOptimize(layer->faces.storage());
    }
}

// What smooth shading costs when a layer changes: the normals of every point.
void PointNormals(benchmark::State& state) {
    const Layer& source = gridLayer(state.range(0));
    for (auto _ : state) {
        const std::vector<Vector3> normals = pointNormals(source);
        benchmark::DoNotOptimize(normals.data());
    }
}

void QuadPointNormals(benchmark::State& state) {
    const Layer& source = quadGridLayer(state.range(0));
    for (auto _ : state) {
        const std::vector<Vector3> normals = pointNormals(source);
        benchmark::DoNotOptimize(normals.data());
    }
}

// The lines that show every face's normal.
void FaceNormalLines(benchmark::State& state) {
    const Layer& source = gridLayer(state.range(0));
    const float length = normalLineLength(source);
    for (auto _ : state) {
        const std::vector<Vector3> lines = faceNormalLines(source, length);
        benchmark::DoNotOptimize(lines.data());
    }
}

#define TESSEL_QUAD_BENCHMARK(name) BENCHMARK(name)->Apply(grid_sizes::quads)

TESSEL_QUAD_BENCHMARK(QuadLayerCopy);
TESSEL_QUAD_BENCHMARK(QuadExtrudeOne);
TESSEL_QUAD_BENCHMARK(QuadDeleteOne);
TESSEL_QUAD_BENCHMARK(QuadWeldEight);
TESSEL_QUAD_BENCHMARK(QuadSplitCrossed);
TESSEL_QUAD_BENCHMARK(QuadExtrudeRegion);
TESSEL_QUAD_BENCHMARK(QuadInsetRegion);
TESSEL_QUAD_BENCHMARK(QuadPointNormals);

#define TESSEL_LAYER_BENCHMARK(name) BENCHMARK(name)->Apply(grid_sizes::triangles)

TESSEL_LAYER_BENCHMARK(LayerCopy);
TESSEL_LAYER_BENCHMARK(SubdivideAll);
TESSEL_LAYER_BENCHMARK(ExtrudeOne);
TESSEL_LAYER_BENCHMARK(SplitCrossed);
TESSEL_LAYER_BENCHMARK(WeldEight);
TESSEL_LAYER_BENCHMARK(DeleteOne);
TESSEL_LAYER_BENCHMARK(RayIntersections);
BENCHMARK(PointNormals)->Apply(grid_sizes::triangles)->Apply(grid_sizes::millionTriangles);
BENCHMARK(FaceNormalLines)->Apply(grid_sizes::millionTriangles);

} // namespace
