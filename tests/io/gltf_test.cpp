#include "io/scene_files.h"
#include "mesh/crease.h"
#include "scene/snapshot.h"

#include <nlohmann/json.hpp>

#include <cstring>

namespace tessel {
namespace {

using namespace testing;

class GltfRoundTrip : public ::testing::TestWithParam<const char*> {};

TEST_P(GltfRoundTrip, KeepsTreeGeometryOpacityShadingAndGridExactly) {
    const NodePtr scene = smallScene();
    const WriteResult written = writeSceneFile(*scene, GetParam());
    ASSERT_TRUE(written.ok()) << written.failure;
    const ReadResult read = readBack(written, GetParam());
    ASSERT_TRUE(read.ok()) << read.failure;

    EXPECT_EQ(outline(read.root), outline(scene));
    EXPECT_TRUE(read.changes.empty());
    const std::vector<MeshPtr> before = meshesOf(scene);
    const std::vector<MeshPtr> after = meshesOf(read.root);
    ASSERT_EQ(after.size(), before.size());
    for (size_t i = 0; i < before.size(); ++i) {
        const Layer& expected = *before[i]->model()->committed();
        const Layer& actual = *after[i]->model()->committed();
        EXPECT_EQ(actual.positions, expected.positions) << before[i]->name();
        EXPECT_EQ(actual.faces, expected.faces) << before[i]->name();
        EXPECT_EQ(after[i]->material->opacity, before[i]->material->opacity);
        EXPECT_EQ(after[i]->smoothShading, before[i]->smoothShading) << before[i]->name();
        EXPECT_EQ(after[i]->model()->params() != nullptr, before[i]->model()->params() != nullptr);
    }

    // The reopened grid still follows its rows and columns; the edited one keeps its points.
    const Model::ParamsPtr quad = after[0]->model()->params();
    EXPECT_EQ(quad->u(), 3);
    EXPECT_EQ(quad->v(), 3);
    quad->setV(5);
    EXPECT_EQ(after[0]->model()->committed()->faces.size(), 30u);
    const Model::ParamsPtr edited = after[2]->model()->params();
    EXPECT_EQ(edited->u(), 4);
    EXPECT_EQ(edited->v(), 2);
    edited->setU(6);
    EXPECT_EQ(after[2]->model()->committed()->faces, before[2]->model()->committed()->faces);
}

// A primitive reopens with its settings, following them, unless its points were edited; the
// snapshot an autosave writes keeps them too.
TEST(GltfFile, PrimitivesKeepTheirSettings) {
    const auto torus = PrimitiveParams::make(PrimitiveKind::Torus);
    const MeshPtr ring = Mesh::make(Model::makePrimitive(torus), "Torus");
    torus->set(2, 0.2);
    torus->set(3, 0.1);
    torus->set(2, 0.2);
    const MeshPtr edited =
        Mesh::make(Model::makePrimitive(PrimitiveParams::make(PrimitiveKind::Cylinder)), "Tube");
    edited->model()->setCommitted(makeBoxLayer(1));
    const NodePtr scene = Node::make("Scene", {ring, edited});
    const WriteResult written = writeSceneFile(*snapshotOf(*scene), "p.glb");
    ASSERT_TRUE(written.ok()) << written.failure;
    const ReadResult read = readBack(written, "p.glb");
    ASSERT_TRUE(read.ok()) << read.failure;
    const std::vector<MeshPtr> after = meshesOf(read.root);
    ASSERT_EQ(after.size(), 2u);
    const PrimitiveParamsPtr reread = after[0]->model()->primitive();
    ASSERT_NE(reread, nullptr);
    EXPECT_EQ(reread->kind(), PrimitiveKind::Torus);
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(reread->value(i), torus->value(i));
    }
    EXPECT_TRUE(after[0]->model()->followsParams());
    EXPECT_FALSE(after[1]->model()->followsParams());
    EXPECT_EQ(after[1]->model()->committed()->positions.size(), 8u);
}

INSTANTIATE_TEST_SUITE_P(Containers, GltfRoundTrip, ::testing::Values("scene.glb", "scene.gltf"));

// Other programs read the triangles that draw the faces; corner counts that do not agree with
// them exactly leave the triangles as they are, and the reader says so.
TEST(GltfFile, CornerCountsThatDisagreeWithTheTrianglesLeaveTheTriangles) {
    const MeshPtr mesh = polygonMesh();
    const Layer& polygons = *mesh->model()->committed();
    const WriteResult written = writeSceneFile(*mesh, "p.gltf");
    ASSERT_TRUE(written.ok()) << written.failure;
    nlohmann::json json = nlohmann::json::parse(written.bytes);
    ASSERT_EQ(json["meshes"][0]["extras"]["faceCornerRuns"],
              nlohmann::json::parse("[[4, 1], [6, 1], [3, 1]]"));

    const std::vector<std::pair<const char*, const char*>> cases = {
        {"one face too many", "[[4, 1], [6, 1], [3, 2]]"},
        {"as many triangles, other faces", "[[3, 1], [6, 1], [4, 1]]"},
        {"a face of two corners", "[[4, 1], [6, 1], [2, 1], [3, 1]]"},
        {"no whole number", "[[4, 1], [6, 0.5], [6, 0.5], [3, 1]]"},
        {"no list", "\"4 6 3\""},
    };
    for (const auto& [what, runs] : cases) {
        json["meshes"][0]["extras"]["faceCornerRuns"] = nlohmann::json::parse(runs);
        const std::string text = json.dump();
        const ReadResult read = readBack({bytesOf(text), written.siblings, {}}, "p.gltf");
        ASSERT_TRUE(read.ok()) << what << ": " << read.failure;
        EXPECT_TRUE(meshesOf(read.root)[0]->model()->committed()->faces.allTriangles()) << what;
        EXPECT_EQ(cornerPositions(meshesOf(read.root)), cornerPositions({drawnTriangles(polygons)}))
            << what;
        EXPECT_EQ(read.changes, std::vector<std::string>{"1 mesh kept as triangles: its stored "
                                                         "face corners do not match them"})
            << what;
    }
}

// Creases keep their points' ids through a file; pairs that are no edge are not written, and a
// damaged list keeps only what fits the mesh.
TEST(GltfFile, EdgeCreasesRoundTripAndDamagedListsKeepWhatFits) {
    const MeshPtr mesh = polygonMesh();
    LayerPtr layer = std::make_shared<Layer>(*mesh->model()->committed());
    const FaceList::Face face = layer->faces[1];
    const Edge sharp[] = {Edge::between(face[0], face[1])};
    const Edge half[] = {Edge::between(face[2], face[3]), Edge::between(face[5], face[0])};
    setCreases(*layer, sharp, 1);
    setCreases(*layer, half, 0.5f);
    const std::vector<Crease> onEdges = layer->creases;
    layer->creases.insert(layer->creases.begin(), Crease{0, 8, 1}); // no edge
    mesh->model()->setCommitted(layer);
    const WriteResult written = writeSceneFile(*mesh, "c.gltf");
    ASSERT_TRUE(written.ok()) << written.failure;
    const ReadResult read = readBack(written, "c.gltf");
    ASSERT_TRUE(read.ok()) << read.failure;
    EXPECT_EQ(meshesOf(read.root)[0]->model()->committed()->creases, onEdges);

    // Kept: (1, 0) put in order with its weight made 1, and (4, 5). Dropped: a point past the
    // end, a pair of one point, an id that is no whole number, a weight not above 0 or no number,
    // and the two numbers left over.
    nlohmann::json json = nlohmann::json::parse(written.bytes);
    json["meshes"][0]["extras"]["edgeCreases"] = nlohmann::json::parse(
        "[1, 0, 7.5, 9, 0, 1, 2, 2, 1, 0.5, 1, 1, 3, 4, -1, 0, 3, \"x\", 4, 5, 0.25, 6, 5]");
    const ReadResult damaged = readBack({bytesOf(json.dump()), written.siblings, {}}, "c.gltf");
    ASSERT_TRUE(damaged.ok()) << damaged.failure;
    EXPECT_EQ(meshesOf(damaged.root)[0]->model()->committed()->creases,
              (std::vector<Crease>{{0, 1, 1}, {4, 5, 0.25f}}));
}

TEST(SceneWriter, RefusesPointsWithoutAFinitePositionInEveryFormat) {
    const NodePtr scene = smallScene();
    const MeshPtr cube = meshesOf(scene)[1];
    LayerPtr layer = std::make_shared<Layer>(*cube->model()->committed());
    // No edit makes such points any more; a file written with them could not be read back.
    for (const std::uint32_t p : {0, 3, 5}) {
        layer->positions[p] = {NAN, 0, 0};
    }
    cube->model()->setCommitted(layer);
    for (const char* name : {"a.glb", "a.gltf", "a.obj", "a.ply", "a.stl"}) {
        const WriteResult written = writeSceneFile(*scene, name);
        EXPECT_EQ(written.failure, "mesh \"Cube\" has 3 points without a finite position; undo the "
                                   "edit that made them or delete their faces first")
            << name;
        EXPECT_TRUE(written.bytes.empty()) << name;
    }
}

// Names come from anywhere (an OBJ's object, a file's name); glTF holds them as UTF-8, with
// U+FFFD for each byte that is not part of it.
TEST(GltfFile, NamesThatAreNotUtf8AreSavedWithReplacementCharacters) {
    const ReadResult obj =
        readSceneFile("a.obj", bytesOf("o Gr\xC3\xBCn\xE9\nv 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n"));
    ASSERT_TRUE(obj.ok()) << obj.failure;
    const WriteResult written = writeSceneFile(*obj.root, "a.glb");
    ASSERT_TRUE(written.ok()) << written.failure;
    const ReadResult read = readSceneFile("a.glb", written.bytes);
    ASSERT_TRUE(read.ok()) << read.failure;
    EXPECT_EQ(meshesOf(read.root)[0]->name(), "Gr\u00FCn\uFFFD");
}

TEST(GltfFile, ForeignNodeTransformsAreAppliedToThePoints) {
    // Two nodes over one unindexed triangle: the second moved by 2 along x and mirrored in y.
    const std::string gltf = R"({"asset":{"version":"2.0"},"scenes":[{"nodes":[0,1]}],
      "nodes":[{"name":"A","mesh":0},{"name":"B","mesh":0,"matrix":[1,0,0,0, 0,-1,0,0, 0,0,1,0, 2,0,0,1]}],
      "meshes":[{"primitives":[{"attributes":{"POSITION":0}}]}],
      "accessors":[{"bufferView":0,"componentType":5126,"count":3,"type":"VEC3"}],
      "bufferViews":[{"buffer":0,"byteLength":36}],
      "buffers":[{"byteLength":36,"uri":"tri.bin"}]})";
    const std::vector<float> corners = {0, 0, 0, 1, 0, 0, 0, 1, 0};
    Bytes bin(36);
    std::memcpy(bin.data(), corners.data(), 36);
    const ReadResult read = readSceneFile("two.gltf", bytesOf(gltf), [&](const std::string& name) {
        return name == "tri.bin" ? std::optional<Bytes>(bin) : std::nullopt;
    });
    ASSERT_TRUE(read.ok()) << read.failure;
    EXPECT_EQ(outline(read.root), "unnamed\n  A\n  B\n");
    const Layer& moved = *meshesOf(read.root)[1]->model()->committed();
    EXPECT_EQ(moved.positions, (std::vector<Vector3>{{2, 0, 0}, {3, 0, 0}, {2, -1, 0}}));
    EXPECT_EQ(moved.faces, (std::vector<Triangle>{{0, 2, 1}}));
    // Without a material, a mesh is white.
    EXPECT_EQ(meshesOf(read.root)[1]->material->ambient, Vector3(1, 1, 1));
    EXPECT_EQ(read.changes,
              std::vector<std::string>{"the transforms of 1 node applied to their points"});
}

} // namespace
} // namespace tessel
