// Scene file workloads on the 200,978-triangle grid: saving and opening it as .glb, importing it
// as binary STL, and the same bytes read by the library alone (tinygltf, Assimp), so that the
// ratio shows what the modeller adds (checks, joining points, building the tree). The *FromFile
// variants read the bytes from a temporary file first, as opening from disk does.
#include "io/gltf_library.h"
#include "io/scene_reader.h"
#include "io/scene_writer.h"
#include "scene/mesh.h"

#include "grid_layer.h"

#include <assimp/Importer.hpp>
#include <assimp/scene.h>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

namespace {

using namespace tessel;

NodePtr gridScene(std::int64_t triangles) {
    return Node::make(
        "Scene", {Mesh::make(Model::make(std::make_shared<Layer>(gridLayer(triangles))), "Grid")});
}

const Bytes& gridFile(std::int64_t triangles, const char* name) {
    static std::map<std::pair<std::int64_t, std::string>, Bytes> files;
    Bytes& bytes = files[{triangles, name}];
    if (bytes.empty()) {
        bytes = writeSceneFile(*gridScene(triangles), name).bytes;
    }
    return bytes;
}

// The file's bytes in a temporary file, removed when the benchmark ends.
class TemporaryFile {
public:
    TemporaryFile(const Bytes& bytes, const char* name)
        : path_(std::filesystem::temp_directory_path() / name) {
        std::ofstream(path_, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
    }
    ~TemporaryFile() { std::filesystem::remove(path_); }

    Bytes read() const {
        std::ifstream in(path_, std::ios::binary);
        Bytes bytes(std::filesystem::file_size(path_));
        in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        return bytes;
    }

private:
    std::filesystem::path path_;
};

void GlbWrite(benchmark::State& state) {
    const NodePtr scene = gridScene(state.range(0));
    for (auto _ : state) {
        const WriteResult written = writeSceneFile(*scene, "grid.glb");
        benchmark::DoNotOptimize(written.bytes.data());
    }
}

void GlbRead(benchmark::State& state) {
    const Bytes& bytes = gridFile(state.range(0), "grid.glb");
    for (auto _ : state) {
        const ReadResult read = readSceneFile("grid.glb", bytes);
        benchmark::DoNotOptimize(read.root.get());
    }
}

void GlbReadFromFile(benchmark::State& state) {
    const TemporaryFile file(gridFile(state.range(0), "grid.glb"), "tessel_bench_grid.glb");
    for (auto _ : state) {
        const ReadResult read = readSceneFile("grid.glb", file.read());
        benchmark::DoNotOptimize(read.root.get());
    }
}

void GlbReadLibraryAlone(benchmark::State& state) {
    const Bytes& bytes = gridFile(state.range(0), "grid.glb");
    for (auto _ : state) {
        tinygltf::TinyGLTF loader;
        tinygltf::Model model;
        std::string error;
        std::string warning;
        benchmark::DoNotOptimize(loader.LoadBinaryFromMemory(
            &model, &error, &warning, bytes.data(), static_cast<unsigned>(bytes.size()), ""));
    }
}

void StlImport(benchmark::State& state) {
    const Bytes& bytes = gridFile(state.range(0), "grid.stl");
    for (auto _ : state) {
        const ReadResult read = readSceneFile("grid.stl", bytes);
        benchmark::DoNotOptimize(read.root.get());
    }
}

void StlImportFromFile(benchmark::State& state) {
    const TemporaryFile file(gridFile(state.range(0), "grid.stl"), "tessel_bench_grid.stl");
    for (auto _ : state) {
        const ReadResult read = readSceneFile("grid.stl", file.read());
        benchmark::DoNotOptimize(read.root.get());
    }
}

void StlImportLibraryAlone(benchmark::State& state) {
    const Bytes& bytes = gridFile(state.range(0), "grid.stl");
    for (auto _ : state) {
        Assimp::Importer importer;
        benchmark::DoNotOptimize(importer.ReadFileFromMemory(bytes.data(), bytes.size(), 0, "stl"));
    }
}

void grid(benchmark::internal::Benchmark* b) { b->Arg(200978)->Unit(benchmark::kMillisecond); }

BENCHMARK(GlbWrite)->Apply(grid);
BENCHMARK(GlbRead)->Apply(grid);
BENCHMARK(GlbReadFromFile)->Apply(grid);
BENCHMARK(GlbReadLibraryAlone)->Apply(grid);
BENCHMARK(StlImport)->Apply(grid);
BENCHMARK(StlImportFromFile)->Apply(grid);
BENCHMARK(StlImportLibraryAlone)->Apply(grid);

} // namespace
