// Coverage-guided fuzzing of the scene file readers through the one entry point the window uses.
// The first byte chooses the format (the file name's extension); the rest is the file, and also
// whatever buffer file a .gltf asks for. A read that succeeds must give meshes that satisfy the
// layer invariants within the mesh size limit, and saved as a document and opened again it must
// give back every mesh's points and faces exactly. Built and run by scripts/fuzz.
#include "io/scene_reader.h"
#include "io/scene_writer.h"
#include "scene/mesh.h"
#include "support/layer_checks.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>

namespace {

// The format each first byte chooses.
constexpr std::array<const char*, 5> kNames = {"f.glb", "f.gltf", "f.obj", "f.ply", "f.stl"};

[[noreturn]] void fault(const char* what) {
    std::fprintf(stderr, "scene file fault: %s\n", what);
    std::abort();
}

void checkTree(const tessel::NodePtr& root) {
    std::size_t triangles = 0;
    for (const tessel::NodePtr& node : root->flat()) {
        const tessel::MeshPtr mesh = tessel::asMesh(node);
        if (!mesh) {
            continue;
        }
        const tessel::Layer& layer = *mesh->model()->committed();
        for (const tessel::Vector3& p : layer.positions) {
            if (!std::isfinite(p.x) || !std::isfinite(p.y) || !std::isfinite(p.z)) {
                fault("a coordinate is not finite");
            }
        }
        if (tessel::testing::hasBrokenFace(layer)) {
            fault("a face names a point out of range or repeats a corner");
        }
        triangles += layer.faces.triangleCount();
    }
    if (triangles > tessel::kMaxTriangles) {
        fault("more triangles than the limit");
    }
}

// Saved as a .glb and opened again, every mesh has its points and faces as they were: the faces'
// triangles and corner counts rebuild each face, whatever its shape.
void checkReopened(const tessel::NodePtr& root) {
    const tessel::WriteResult written = tessel::writeSceneFile(*root, "f.glb");
    if (!written.ok()) {
        fault("a scene read could not be saved");
    }
    const tessel::ReadResult again = tessel::readSceneFile("f.glb", written.bytes);
    if (!again.ok()) {
        fault("a saved scene could not be opened");
    }
    const std::vector<tessel::NodePtr> before = root->flat();
    const std::vector<tessel::NodePtr> after = again.root->flat();
    if (before.size() != after.size()) {
        fault("a saved scene opened with other nodes");
    }
    for (std::size_t i = 0; i < before.size(); ++i) {
        const tessel::MeshPtr a = tessel::asMesh(before[i]);
        const tessel::MeshPtr b = tessel::asMesh(after[i]);
        if ((a == nullptr) != (b == nullptr) ||
            (a && (a->model()->committed()->positions != b->model()->committed()->positions ||
                   a->model()->committed()->faces != b->model()->committed()->faces))) {
            fault("a saved mesh opened with other points or faces");
        }
    }
}

} // namespace

// With TESSEL_FUZZ_SEEDS naming a folder, the first corpus is written there before the fuzzing
// starts: a small scene in every format and encoding, each file behind its format's byte. Its
// "Polygons" mesh (two quads, a concave hexagon and a triangle) makes OBJ and PLY seeds of
// quads and an n-gon, and glTF seeds with face corner counts.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
    using namespace tessel;
    const char* folder = std::getenv("TESSEL_FUZZ_SEEDS");
    if (folder == nullptr) {
        return 0;
    }
    const std::vector<Vector3> points = {{0, 0, 0},    {1, 0, 0},  {1, 1, 0},    {0, 1, 0},
                                         {3, 0, 0},    {3, 1, 0},  {2, 0.4f, 0}, {1.5f, 1, 0},
                                         {0.5f, 2, 0}, {0, -1, 0}, {1, -1, 0}};
    const NodePtr polygons = Mesh::make(
        Model::make(makeLayer(
            points,
            FaceList::polygons({{0, 1, 2, 3}, {1, 4, 5, 6, 7, 2}, {3, 2, 8}, {9, 10, 1, 0}}))),
        "Polygons");
    const NodePtr scene = Node::make(
        "Scene", {Mesh::make(Model::makeQuad(Model::Params::make(2, 1)), "Quad"),
                  Node::make("Group", {Mesh::make(Model::makeCube(), "Cube")}), polygons});
    for (std::uint8_t format = 0; format < kNames.size(); ++format) {
        for (const Encoding encoding : {Encoding::Binary, Encoding::Ascii}) {
            const WriteResult written = writeSceneFile(*scene, kNames[format], encoding);
            std::ofstream out(std::string(folder) + "/seed" + std::to_string(format) +
                                  (encoding == Encoding::Ascii ? "a" : "b"),
                              std::ios::binary);
            out.put(static_cast<char>(format));
            out.write(reinterpret_cast<const char*>(written.bytes.data()),
                      static_cast<std::streamsize>(written.bytes.size()));
        }
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const std::span<const std::uint8_t> file(data + 1, size - 1);
    const tessel::ReadResult read =
        tessel::readSceneFile(kNames[data[0] % kNames.size()], file, [&](const std::string&) {
            return std::optional<tessel::Bytes>(tessel::Bytes(file.begin(), file.end()));
        });
    if (read.ok() != read.failure.empty()) {
        fault("a read both failed and succeeded");
    }
    if (read.ok()) {
        checkTree(read.root);
        checkReopened(read.root);
    }
    return 0;
}
