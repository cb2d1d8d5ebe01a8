#include "io/scene_files.h"

namespace tessel {
namespace {

using namespace testing;

struct ExchangeCase {
    const char* fileName;
    Encoding encoding;
};

class ExchangeRoundTrip : public ::testing::TestWithParam<ExchangeCase> {};

// Every format gives back the same triangles over the same positions, and joins the points it
// stores per corner back into the shared points the meshes had.
TEST_P(ExchangeRoundTrip, GivesBackTrianglesAndSharedPoints) {
    const NodePtr scene = Node::make("Scene", {Mesh::make(Model::makeCube(), "Cube"),
                                               Mesh::make(QuadGenerator(3, 2).generate(), "Quad")});
    const WriteResult written = writeSceneFile(*scene, GetParam().fileName, GetParam().encoding);
    ASSERT_TRUE(written.ok()) << written.failure;
    const ReadResult read = readSceneFile(GetParam().fileName, written.bytes);
    ASSERT_TRUE(read.ok()) << read.failure;

    size_t points = 0;
    for (const MeshPtr& mesh : meshesOf(read.root)) {
        points += mesh->model()->committed()->positions.size();
    }
    EXPECT_EQ(points, 8u + 12u);
    EXPECT_EQ(cornerPositions(meshesOf(read.root)), cornerPositions(meshesOf(scene)));
}

INSTANTIATE_TEST_SUITE_P(Formats, ExchangeRoundTrip,
                         ::testing::Values(ExchangeCase{"a.obj", Encoding::Binary},
                                           ExchangeCase{"a.ply", Encoding::Binary},
                                           ExchangeCase{"a.ply", Encoding::Ascii},
                                           ExchangeCase{"a.stl", Encoding::Binary},
                                           ExchangeCase{"a.stl", Encoding::Ascii}));

TEST(ExchangeImport, PolygonsAreTriangulatedDegenerateFacesDroppedAndBothReported) {
    // A quad, a pentagon sharing an edge with it, and a triangle whose corners are one position.
    const ReadResult read = readSceneFile(
        "strip.obj", bytesOf("o Strip\nv 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\nv 2 0 0\nv 2 1 0\n"
                             "v 1.5 2 0\nf 1 2 3 4\nf 2 5 6 7 3\nf 1 1 1\n"));
    ASSERT_TRUE(read.ok()) << read.failure;
    const std::vector<MeshPtr> meshes = meshesOf(read.root);
    ASSERT_EQ(meshes.size(), 1u);
    EXPECT_EQ(meshes[0]->name(), "Strip");
    const Layer& layer = *meshes[0]->model()->committed();
    EXPECT_EQ(layer.faces.size(), 2u + 3u);
    EXPECT_EQ(layer.positions.size(), 7u);
    EXPECT_EQ(read.changes,
              (std::vector<std::string>{
                  "1 quad triangulated", "1 polygon of more than four corners triangulated",
                  "12 corners joined into 7 points", "1 face with a repeated corner dropped"}));
}

} // namespace
} // namespace tessel
