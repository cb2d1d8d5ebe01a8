#include "io/scene_files.h"

#include <cmath>
#include <cstring>
#include <limits>

namespace tessel {
namespace {

using namespace testing;

// The cube as .glb: JSON chunk, then the binary chunk with 8 points (96 bytes) and 36 indices.
Bytes cubeGlb() { return writeSceneFile(*Mesh::make(Model::makeCube(), "Cube"), "cube.glb").bytes; }

Bytes cubeGlbWith(size_t offsetInBinary, const void* value, size_t size) {
    Bytes glb = cubeGlb();
    std::uint32_t jsonLength;
    std::memcpy(&jsonLength, glb.data() + 12, 4);
    std::memcpy(glb.data() + 20 + jsonLength + 8 + offsetInBinary, value, size);
    return glb;
}

Bytes replaced(Bytes bytes, const std::string& from, const std::string& to) {
    std::string text(bytes.begin(), bytes.end());
    const size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    text.replace(at, from.size(), to);
    return bytesOf(text);
}

Bytes binaryStl(std::uint32_t claimedTriangles, size_t bodyBytes) {
    Bytes stl(84 + bodyBytes, 0);
    std::memcpy(stl.data() + 80, &claimedTriangles, 4);
    return stl;
}

struct BadInput {
    const char* what;
    std::string fileName;
    Bytes bytes;
    std::string message;
};

TEST(SceneReader, RefusesEveryKindOfBadInputWithOneMessageAndNoTree) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float infinity = std::numeric_limits<float>::infinity();
    const std::uint32_t index91 = 91;
    const std::string cubeJson = "\"count\":36";
    const WriteResult text = writeSceneFile(*Mesh::make(Model::makeCube()), "cube.gltf");
    const Bytes gltf = text.bytes;
    const Bytes bin = text.siblings.at(0).bytes;
    const Bytes glb = cubeGlb();
    const Bytes textStl =
        writeSceneFile(*Mesh::make(Model::makeCube()), "cube.stl", Encoding::Ascii).bytes;
    std::string manyFaces = "v 0 0 0\n";
    for (int i = 0; i < 4'000'001; ++i) {
        manyFaces += "f 1 1 1\n";
    }

    const std::vector<BadInput> cases = {
        {"empty", "a.glb", {}, "empty file"},
        {"unknown type", "a.fbx", bytesOf("x"), "unknown file type"},
        {"wrong magic", "a.glb", bytesOf("glTX and then some bytes"),
         "not a binary glTF file: it does not start with \"glTF\""},
        {"truncated glb", "a.glb", Bytes(glb.begin(), glb.begin() + 200),
         "cut short: it holds 200 of the"},
        {"glTF 1.0", "a.gltf",
         bytesOf(R"({"asset":{"version":"1.0"},"meshes":{"m":{"primitives":[]}}})"),
         "glTF 1.0 is not supported; save it as glTF 2.0"},
        {"binary glTF 1.0", "a.glb",
         replaced(glb, std::string("\2\0\0\0", 4), std::string("\1\0\0\0", 4)),
         "glTF 1.0 is not supported; save it as glTF 2.0"},
        {"primitives not a list", "a.gltf",
         replaced(gltf, "\"primitives\": [", "\"primitives\": 7, \"parts\": ["),
         "\"primitives\" of mesh 0 is not a list"},
        {"required extension that changes the meshes", "a.gltf",
         replaced(gltf, "\"asset\": {",
                  "\"extensionsRequired\": [\"EXT_meshopt_compression\"], \"asset\": {"),
         "it needs the glTF extension \"EXT_meshopt_compression\", which this modeller does not "
         "read"},
        {"JSON error inside base64", "a.gltf",
         bytesOf(
             R"({"asset":{"version":"2.0"},"buffers":[{"uri":"data:application/octet-stream;base64,)" +
             std::string(1300, 'A') + "\"}"),
         "its JSON is malformed at byte"},
        {"index out of range", "a.glb", cubeGlbWith(96, &index91, 4), "index 91 past the 8 points"},
        {"NaN coordinate", "a.glb", cubeGlbWith(4, &nan, 4), "coordinate is not a number"},
        {"infinite coordinate", "a.glb", cubeGlbWith(8, &infinity, 4), "coordinate is infinite"},
        {"count past the end", "a.glb", replaced(cubeGlb(), cubeJson, "\"count\":99"),
         "claims 99 elements, past the end"},
        {"2^32 claimed indices", "a.gltf", replaced(gltf, "\"count\": 36", "\"count\": 4294967296"),
         "claims 4,294,967,296 elements"},
        {"index count not in threes", "a.glb", replaced(cubeGlb(), cubeJson, "\"count\":35"),
         "index count 35 is not a multiple of 3"},
        {"missing buffer file", "a.gltf", replaced(gltf, "cube.bin", "gone.bin"),
         "cannot read its buffer file \"gone.bin\""},
        {"buffer outside the folder", "a.gltf", replaced(gltf, "\"cube.bin\"", "\"../cube.bin\""),
         "outside the file's folder"},
        {"transform past the float range", "a.gltf",
         replaced(gltf, "\"mesh\": 0,", "\"mesh\": 0, \"scale\": [1e39, 1, 1],"),
         "coordinate is infinite"},
        {"node in a cycle", "a.gltf",
         bytesOf(
             R"({"asset":{"version":"2.0"},"scenes":[{"nodes":[0]}],"nodes":[{"children":[0]}]})"),
         "node 0 appears twice"},
        {"deep JSON", "a.gltf", bytesOf(std::string(100, '[') + std::string(100, ']')),
         "nested deeper than 64 levels"},
        {"short binary STL", "a.stl", Bytes(40, 1), "shorter than its 84-byte header"},
        {"2^32 − 1 claimed STL triangles", "a.stl", binaryStl(UINT32_MAX, 100),
         "claims 4,294,967,295 triangles but holds 2"},
        {"STL over the mesh limit", "a.stl", binaryStl(4'000'001, 50 * 4'000'001),
         "more than the 4,000,000-triangle limit"},
        {"PLY wrong magic", "a.ply", bytesOf("plx\nformat ascii 1.0\nend_header\n"),
         "not a PLY file: it does not start with \"ply\""},
        {"text PLY cut in its last line", "a.ply",
         bytesOf(kTriangleHeader + "0 0 0\n1 0 0\n0 1 0\n3 0 1"),
         "cut short: PLY element \"face\" has 0 of its 1 entries"},
        // The parser gives up on this one only after it built a mesh, which it then leaks.
        {"text STL facet of two corners", "a.stl",
         bytesOf("solid x\n facet normal 0 0 0\n  outer loop\n   vertex 0 0 0\n   vertex 1 0 0\n"
                 "  endloop\n endfacet\nendsolid x\n"),
         "the text STL file is malformed at line 6"},
        {"text STL cut short", "a.stl",
         Bytes(textStl.begin(), textStl.begin() + textStl.size() / 2),
         "cut short: the text STL file does not end with \"endsolid\""},
        {"PLY count past the end", "a.ply",
         bytesOf("ply\nformat binary_little_endian 1.0\nelement vertex 4294967295\nproperty float "
                 "x\nend_header\n0000"),
         "\"vertex\" claims 4,294,967,295 entries"},
        {"PLY list past the end", "a.ply",
         bytesOf(kTriangleHeader + "0 0 0\n1 0 0\n0 1 0\n268435456 0 1 2\n"),
         "PLY list claims 268,435,456 items"},
        {"PLY header that stalls the parser", "a.ply",
         bytesOf("ply\nformat ascii 1.0\nelement vertex 0\nend_header\v0\n"),
         "control character in the PLY header"},
        {"NUL in a text file", "a.obj", bytesOf(std::string("v 0 0 0\nv 1 0\0 0\n", 15)),
         "NUL byte"},
        {"PLY truncated header", "a.ply", bytesOf("ply\nformat ascii 1.0\nelement vertex 3\n"),
         "no end_header"},
        {"OBJ index out of range", "a.obj", bytesOf("v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 9\n"),
         "not a readable OBJ file: a face names a point that does not exist"},
        {"OBJ NaN coordinate", "a.obj", bytesOf("v nan 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n"),
         "coordinate is not a number"},
        {"OBJ over the mesh limit", "a.obj", bytesOf(manyFaces),
         "more than the 4,000,000-triangle limit"},
        {"text that is no mesh", "a.obj", bytesOf("hello\n"), "not a readable OBJ file"},
    };
    for (const BadInput& bad : cases) {
        const ReadResult read =
            readSceneFile(bad.fileName, bad.bytes, [&](const std::string& name) {
                return name == "cube.bin" ? std::optional<Bytes>(bin) : std::nullopt;
            });
        EXPECT_EQ(read.root, nullptr) << bad.what;
        EXPECT_NE(read.failure.find(bad.message), std::string::npos)
            << bad.what << ": \"" << read.failure << "\"";
        // The modeller's own words, one line: no library's message, no long quote of the file.
        EXPECT_LE(read.failure.size(), 100u) << bad.what << ": \"" << read.failure << "\"";
        EXPECT_EQ(read.failure.find('\n'), std::string::npos) << bad.what;
    }
}

} // namespace
} // namespace tessel
