// The modeller's side of scripts/interop, over the scene file library alone:
//   tessel_scene_file_interop export <folder>   writes the interop scene in every format
//   tessel_scene_file_interop count <file>...   reads each file and prints one line per file:
//                                               "<file> objects=N points=P faces=F triangles=T"
//                                               (triangles: those that draw the faces) and what
//                                               the import changed, or why it failed
// The scene: "Quad" (a 3 × 3 grid), "Cube" (opacity 0.4), "Edited" (a 4 × 2 grid moved aside,
// one face subdivided and one extruded) and "Polygons" (two quads and a concave hexagon), under
// one root; no two meshes share a position, so formats that hold one mesh of everything keep
// every point.
#include "io/scene_reader.h"
#include "io/scene_writer.h"
#include "mesh/extrude.h"
#include "mesh/subdivide.h"
#include "scene/mesh.h"

#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>

namespace {

using namespace tessel;

NodePtr interopScene() {
    MeshPtr cube = Mesh::make(Model::makeCube(), "Cube");
    cube->material->opacity = 0.4f;
    LayerPtr edited = QuadGenerator(4, 2).generateLayer();
    for (Vector3& p : edited->positions) {
        p.x += 3;
    }
    subdivide(*edited, 0);
    extrude(*edited, 3, 0.25f);
    const std::vector<Vector3> points = {{-3, 0, 5},  {-2, 0, 5}, {-2, 1, 5},    {-3, 1, 5},
                                         {0, 0, 5},   {0, 1, 5},  {-1, 0.4f, 5}, {-1.5f, 1, 5},
                                         {-3, -1, 5}, {-2, -1, 5}};
    const FaceList faces = FaceList::polygons({{0, 1, 2, 3}, {1, 4, 5, 6, 7, 2}, {8, 9, 1, 0}});
    return Node::make("Scene", {Mesh::make(Model::makeQuad(Model::Params::make(3, 3)), "Quad"),
                                cube, Mesh::make(Model::make(edited), "Edited"),
                                Mesh::make(Model::make(makeLayer(points, faces)), "Polygons")});
}

bool save(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

std::optional<Bytes> load(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

int exportAll(const std::string& folder) {
    const NodePtr scene = interopScene();
    const std::pair<const char*, Encoding> files[] = {
        {"scene.glb", Encoding::Binary},      {"scene.gltf", Encoding::Binary},
        {"scene.obj", Encoding::Binary},      {"scene-binary.ply", Encoding::Binary},
        {"scene-ascii.ply", Encoding::Ascii}, {"scene-binary.stl", Encoding::Binary},
        {"scene-ascii.stl", Encoding::Ascii}};
    for (const auto& [name, encoding] : files) {
        const WriteResult written = writeSceneFile(*scene, name, encoding);
        if (!written.ok()) {
            std::cerr << name << ": " << written.failure << "\n";
            return 1;
        }
        bool saved = save(folder + "/" + name, written.bytes);
        for (const SiblingFile& sibling : written.siblings) {
            saved = saved && save(folder + "/" + sibling.name, sibling.bytes);
        }
        if (!saved) {
            std::cerr << name << ": cannot be saved in " << folder << "\n";
            return 1;
        }
    }
    return 0;
}

int count(const std::string& path) {
    const std::optional<Bytes> bytes = load(path);
    const std::string folder = path.substr(0, path.find_last_of('/') + 1);
    const ReadResult read =
        readSceneFile(path, bytes ? *bytes : Bytes{},
                      [&](const std::string& name) { return load(folder + name); });
    if (!read.ok()) {
        std::cout << path << " failed: " << read.failure << "\n";
        return 1;
    }
    size_t objects = 0, points = 0, faces = 0, triangles = 0;
    for (const NodePtr& node : read.root->flat()) {
        if (const MeshPtr mesh = asMesh(node)) {
            ++objects;
            points += mesh->model()->committed()->positions.size();
            faces += mesh->model()->committed()->faces.size();
            triangles += mesh->model()->committed()->faces.triangleCount();
        }
    }
    std::cout << path << " objects=" << objects << " points=" << points << " faces=" << faces
              << " triangles=" << triangles;
    for (const std::string& change : read.changes) {
        std::cout << " (" << change << ")";
    }
    std::cout << "\n";
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "export" && argc == 3) {
        return exportAll(argv[2]);
    }
    if (mode == "count" && argc > 2) {
        int failures = 0;
        for (int i = 2; i < argc; ++i) {
            failures += count(argv[i]);
        }
        return failures == 0 ? 0 : 1;
    }
    std::cerr << "usage: tessel_scene_file_interop export <folder> | count <file>...\n";
    return 2;
}
