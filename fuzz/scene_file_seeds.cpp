// Writes a first corpus for scene_file_fuzz: a small scene in every format, each file prefixed
// with the byte that makes the fuzzer read it as that format.
//   scene_file_seeds <folder>
#include "io/scene_writer.h"
#include "scene/mesh.h"

#include <array>
#include <fstream>
#include <string>

int main(int argc, char** argv) {
    if (argc != 2) {
        return 2;
    }
    using namespace tessel;
    const NodePtr scene =
        Node::make("Scene", {Mesh::make(Model::makeQuad(Model::Params::make(2, 1)), "Quad"),
                             Node::make("Group", {Mesh::make(Model::makeCube(), "Cube")})});
    struct Seed {
        std::uint8_t selector;
        const char* name;
        Encoding encoding;
    };
    const std::array<Seed, 7> seeds = {{{0, "seed.glb", Encoding::Binary},
                                        {1, "seed.gltf", Encoding::Binary},
                                        {2, "seed.obj", Encoding::Binary},
                                        {3, "seed.ply", Encoding::Binary},
                                        {3, "seed-ascii.ply", Encoding::Ascii},
                                        {4, "seed.stl", Encoding::Binary},
                                        {4, "seed-ascii.stl", Encoding::Ascii}}};
    for (const Seed& seed : seeds) {
        const WriteResult written = writeSceneFile(*scene, seed.name, seed.encoding);
        if (!written.ok()) {
            return 1;
        }
        std::ofstream out(std::string(argv[1]) + "/" + seed.name, std::ios::binary);
        out.put(static_cast<char>(seed.selector));
        out.write(reinterpret_cast<const char*>(written.bytes.data()),
                  static_cast<std::streamsize>(written.bytes.size()));
    }
    return 0;
}
