#include "io/scene_files.h"

#include <draco/compression/encode.h>
#include <draco/mesh/triangle_soup_mesh_builder.h>

#include <cmath>

namespace tessel {
namespace {

using namespace testing;

// A .glb of this JSON and binary chunk, each padded to four bytes.
Bytes glbOf(std::string json, Bytes bin) {
    json.append((4 - json.size() % 4) % 4, ' ');
    bin.resize((bin.size() + 3) / 4 * 4, 0);
    const auto word = [](std::size_t value) {
        const auto v = static_cast<std::uint32_t>(value);
        return std::string(reinterpret_cast<const char*>(&v), 4);
    };
    Bytes glb = bytesOf("glTF" + word(2) + word(28 + json.size() + bin.size()) + word(json.size()) +
                        "JSON" + json + word(bin.size()) + "BIN" + '\0');
    glb.insert(glb.end(), bin.begin(), bin.end());
    return glb;
}

// The text with each '#' replaced by the next of the numbers.
std::string filled(std::string text, std::initializer_list<std::size_t> numbers) {
    for (const std::size_t number : numbers) {
        text.replace(text.find('#'), 1, std::to_string(number));
    }
    return text;
}

template <typename T> void appendValues(Bytes& bytes, const std::vector<T>& values) {
    const auto* begin = reinterpret_cast<const std::uint8_t*>(values.data());
    bytes.insert(bytes.end(), begin, begin + values.size() * sizeof(T));
}

// One primitive drawn in `mode` over points in a row along x (1 unit apart, alternately at y 0
// and 1), with 16-bit indices.
Bytes indexedPrimitive(int mode, std::size_t points, const std::vector<std::uint16_t>& indices) {
    Bytes bin;
    std::vector<float> positions;
    for (std::size_t i = 0; i < points; ++i) {
        positions.insert(positions.end(), {static_cast<float>(i), static_cast<float>(i % 2), 0});
    }
    appendValues(bin, positions);
    appendValues(bin, indices);
    const std::size_t positionBytes = positions.size() * 4;
    return glbOf(filled(R"({"asset":{"version":"2.0"},"scenes":[{"nodes":[0]}],"nodes":[{"mesh":0}],
      "meshes":[{"primitives":[{"attributes":{"POSITION":0},"indices":1,"mode":#}]}],
      "accessors":[{"bufferView":0,"componentType":5126,"count":#,"type":"VEC3"},
        {"bufferView":1,"componentType":5123,"count":#,"type":"SCALAR"}],
      "bufferViews":[{"buffer":0,"byteLength":#},{"buffer":0,"byteOffset":#,"byteLength":#}],
      "buffers":[{"byteLength":#}]})",
                        {static_cast<std::size_t>(mode), points, indices.size(), positionBytes,
                         positionBytes, indices.size() * 2, bin.size()}),
                 bin);
}

// The cube compressed with Draco as files from the web are (positions quantized to 14 bits), in
// a .glb whose accessors have no buffer views: the compressed data is all there is.
Bytes dracoCubeGlb() {
    const ModelPtr model = Model::makeCube();
    const Layer& cube = *model->committed();
    draco::TriangleSoupMeshBuilder builder;
    builder.Start(static_cast<int>(cube.faces.size()));
    const int position =
        builder.AddAttribute(draco::GeometryAttribute::POSITION, 3, draco::DT_FLOAT32);
    for (std::size_t f = 0; f < cube.faces.size(); ++f) {
        const FaceList::Face t = cube.faces[f];
        builder.SetAttributeValuesForFace(position, draco::FaceIndex(static_cast<std::uint32_t>(f)),
                                          &cube.positions[t[0]], &cube.positions[t[1]],
                                          &cube.positions[t[2]]);
    }
    const std::unique_ptr<draco::Mesh> mesh = builder.Finalize();
    draco::Encoder encoder;
    encoder.SetAttributeQuantization(draco::GeometryAttribute::POSITION, 14);
    draco::EncoderBuffer encoded;
    const draco::Status status = encoder.EncodeMeshToBuffer(*mesh, &encoded);
    EXPECT_TRUE(status.ok()) << status.error_msg_string();
    const int id = mesh->attribute(position)->unique_id();
    return glbOf(
        filled(R"({"asset":{"version":"2.0"},"extensionsUsed":["KHR_draco_mesh_compression"],
      "extensionsRequired":["KHR_draco_mesh_compression"],
      "scenes":[{"nodes":[0]}],"nodes":[{"name":"Cube","mesh":0}],
      "meshes":[{"primitives":[{"attributes":{"POSITION":0},"indices":1,
        "extensions":{"KHR_draco_mesh_compression":{"bufferView":0,"attributes":{"POSITION":#}}}}]}],
      "accessors":[{"componentType":5126,"count":8,"type":"VEC3"},
        {"componentType":5125,"count":36,"type":"SCALAR"}],
      "bufferViews":[{"buffer":0,"byteLength":#}],"buffers":[{"byteLength":#}]})",
               {static_cast<std::size_t>(id), encoded.size(), encoded.size()}),
        Bytes(encoded.data(), encoded.data() + encoded.size()));
}

struct ForeignFile {
    const char* what;
    std::string fileName;
    Bytes bytes;
    std::size_t points;
    std::vector<Triangle> triangles; // empty: only the faces' number is checked
    std::size_t faceCount;
};

// Files other programs write, read as the meshes they describe: one mesh each, with these points
// and faces.
TEST(ForeignFiles, AreReadAsTheMeshesTheyDescribe) {
    const std::vector<ForeignFile> cases = {
        // Odd triangles of a strip turn their order around to face the same way as the first;
        // the repeated corner joins two strips and makes no triangle.
        {"triangle strip",
         "strip.glb",
         indexedPrimitive(5, 5, {0, 1, 2, 3, 3, 4}),
         5,
         {{0, 1, 2}, {1, 3, 2}},
         2},
        {"triangle fan",
         "fan.glb",
         indexedPrimitive(6, 4, {0, 1, 2, 3}),
         4,
         {{1, 2, 0}, {2, 3, 0}},
         2},
        // A material per face splits the object into parts; their points are one set still, and
        // the faces keep their four corners.
        {"OBJ cube with a material per face",
         "cube.obj",
         bytesOf("o Cube\nv -1 -1 -1\nv 1 -1 -1\nv 1 1 -1\nv -1 1 -1\n"
                 "v -1 -1 1\nv 1 -1 1\nv 1 1 1\nv -1 1 1\n"
                 "usemtl a\nf 1 4 3 2\nusemtl b\nf 5 6 7 8\nusemtl c\nf 1 2 6 5\n"
                 "usemtl d\nf 2 3 7 6\nusemtl e\nf 3 4 8 7\nusemtl f\nf 4 1 5 8\n"),
         8,
         {},
         6},
        {"text PLY without a final newline",
         "tri.ply",
         bytesOf(kTriangleHeader + "0 0 0\n1 0 0\n0 1 0\n3 0 1 2"),
         3,
         {{0, 1, 2}},
         1},
    };
    for (const ForeignFile& file : cases) {
        const ReadResult read = readSceneFile(file.fileName, file.bytes);
        const std::vector<MeshPtr> meshes =
            read.ok() ? meshesOf(read.root) : std::vector<MeshPtr>{};
        if (meshes.size() != 1) {
            ADD_FAILURE() << file.what << ": " << meshes.size() << " meshes; " << read.failure;
            continue;
        }
        const Layer& layer = *meshes[0]->model()->committed();
        EXPECT_EQ(layer.positions.size(), file.points) << file.what;
        EXPECT_EQ(layer.faces.size(), file.faceCount) << file.what;
        if (!file.triangles.empty()) {
            EXPECT_EQ(layer.faces, file.triangles) << file.what;
        }
    }
}

TEST(ForeignFiles, DracoCubeKeepsTheCubesPointsFacesAndTheirWinding) {
    const ReadResult read = readSceneFile("draco.glb", dracoCubeGlb());
    ASSERT_TRUE(read.ok()) << read.failure;
    ASSERT_EQ(meshesOf(read.root).size(), 1u);
    EXPECT_EQ(meshesOf(read.root)[0]->model()->committed()->positions.size(), 8u);
    EXPECT_EQ(cornerPositions(meshesOf(read.root), 1000),
              cornerPositions({Mesh::make(Model::makeCube())}, 1000));
}

} // namespace
} // namespace tessel
