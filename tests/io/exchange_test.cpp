#include "io/scene_files.h"

#include <cmath>

namespace tessel {
namespace {

using namespace testing;

struct ExchangeCase {
    const char* fileName;
    Encoding encoding;
};

class ExchangeRoundTrip : public ::testing::TestWithParam<ExchangeCase> {};

// OBJ and PLY give back every face with its corners in order over the same points, joined again
// where the file stores them per corner; STL holds the triangles that draw the faces.
TEST_P(ExchangeRoundTrip, GivesBackTheFacesOrTheTrianglesThatDrawThem) {
    const MeshPtr mesh = polygonMesh();
    const Layer& before = *mesh->model()->committed();
    const WriteResult written = writeSceneFile(*mesh, GetParam().fileName, GetParam().encoding);
    ASSERT_TRUE(written.ok()) << written.failure;
    const ReadResult read = readSceneFile(GetParam().fileName, written.bytes);
    ASSERT_TRUE(read.ok()) << read.failure;
    ASSERT_EQ(meshesOf(read.root).size(), 1u);
    const Layer& after = *meshesOf(read.root)[0]->model()->committed();

    if (std::string_view(GetParam().fileName).ends_with(".stl")) {
        EXPECT_EQ(after.positions.size(), before.positions.size());
        EXPECT_EQ(after.faces.size(), 2u + 4u + 1u); // two per quad, n − 2 per face
        EXPECT_EQ(cornerPositions(meshesOf(read.root)), cornerPositions({drawnTriangles(before)}));
    } else {
        EXPECT_EQ(after.positions, before.positions);
        EXPECT_EQ(after.faces, before.faces);
    }
}

INSTANTIATE_TEST_SUITE_P(Formats, ExchangeRoundTrip,
                         ::testing::Values(ExchangeCase{"a.obj", Encoding::Binary},
                                           ExchangeCase{"a.ply", Encoding::Binary},
                                           ExchangeCase{"a.ply", Encoding::Ascii},
                                           ExchangeCase{"a.stl", Encoding::Binary},
                                           ExchangeCase{"a.stl", Encoding::Ascii}));

TEST(ExchangeImport, RepeatedCornersAreDroppedThenFacesLeftShortAndEachIsReported) {
    const ReadResult read = readSceneFile(
        "strip.obj", bytesOf("o Strip\nv 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\nv 2 0 0\nv 2 1 0\n"
                             "f 1 2 3 4\n"   // kept
                             "f 2 5 6 5 3\n" // the second 5 goes: a quad
                             "f 1 2 1 2\n"   // two corners left: dropped
                             "f 1 1 1\n"));  // one corner left: dropped
    ASSERT_TRUE(read.ok()) << read.failure;
    const std::vector<MeshPtr> meshes = meshesOf(read.root);
    ASSERT_EQ(meshes.size(), 1u);
    EXPECT_EQ(meshes[0]->name(), "Strip");
    const Layer& layer = *meshes[0]->model()->committed();
    EXPECT_EQ(layer.faces, FaceList::polygons({{0, 1, 2, 3}, {1, 4, 5, 2}}));
    EXPECT_EQ(layer.positions.size(), 6u);
    EXPECT_EQ(read.changes, (std::vector<std::string>{"16 corners joined into 6 points",
                                                      "1 repeated corner dropped from its face",
                                                      "2 faces with a repeated corner dropped"}));
}

// A PLY face holds its corner count in one byte here: a larger face is refused rather than
// written cut short.
TEST(ExchangeExport, PlyRefusesAFaceOfMoreThan255Corners) {
    for (const std::uint32_t n : {255u, 256u}) {
        std::vector<Vector3> positions;
        std::vector<std::uint32_t> corners;
        for (std::uint32_t k = 0; k < n; ++k) {
            const double angle = 2 * 3.141592653589793 * k / n;
            positions.push_back(
                {static_cast<float>(std::cos(angle)), static_cast<float>(std::sin(angle)), 0});
            corners.push_back(k);
        }
        const MeshPtr disc =
            Mesh::make(Model::make(makeLayer(positions, FaceList(corners, n))), "Disc");
        const WriteResult written = writeSceneFile(*disc, "disc.ply");
        const ReadResult read = readSceneFile("disc.ply", written.bytes);
        if (n == 255) {
            ASSERT_TRUE(read.ok()) << read.failure;
            EXPECT_EQ(meshesOf(read.root)[0]->model()->committed()->faces,
                      disc->model()->committed()->faces);
        } else {
            EXPECT_EQ(written.failure, "face 0 of mesh \"Disc\" has 256 corners, more than the "
                                       "255 a PLY face may have");
        }
    }
}

} // namespace
} // namespace tessel
