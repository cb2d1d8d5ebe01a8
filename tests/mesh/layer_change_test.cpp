// What undo keeps of an edit: the change must give back both versions exactly, and cost what the
// edit touched rather than the mesh.
#include "mesh/layer_change.h"
#include "support/layer_walk.h"

#include <gtest/gtest.h>

#include <functional>
#include <limits>
#include <numeric>
#include <span>

namespace tessel {
namespace {

// Bit for bit (the layer walk's comparison), so that not-a-number positions compare too.
bool identical(const Layer& a, const Layer& b) {
    return !walk::fault(a, b) && a.fragmentShader == b.fragmentShader;
}

struct Edit {
    const char* edit;
    std::function<void(Layer&)> apply;
    std::size_t maxBytes;
};

// Each edit of `mesh` is given back both ways, also from an equal copy, within its bytes.
void expectChanges(const Layer& mesh, std::span<const Edit> edits) {
    for (const Edit& c : edits) {
        SCOPED_TRACE(c.edit);
        Layer after = mesh;
        c.apply(after);
        const LayerChange change = LayerChange::between(mesh, after);
        EXPECT_TRUE(identical(*change.redone(mesh), after));
        EXPECT_TRUE(identical(*change.undone(after), mesh));
        EXPECT_LE(change.bytes(), c.maxBytes);
        const Layer copy = after;
        EXPECT_TRUE(identical(*change.undone(copy), mesh));
    }
}

TEST(LayerChangeTest, GivesBackBothVersionsAndCostsWhatTheEditTouched) {
    // 1,800 faces over 961 points: the change of a one-face edit must be far below its 33 KB.
    Layer mesh = *QuadGenerator(10, 10).generateLayer();
    subdivideAll(mesh);
    subdivideAll(mesh);
    ASSERT_EQ(mesh.faces.size(), 1800u);
    // Six coincident points in a row, as an import that joins nothing leaves them.
    std::fill(mesh.positions.begin() + 100, mesh.positions.begin() + 106, mesh.positions[100]);
    constexpr std::size_t kSmall = 1024;
    constexpr std::size_t kAny = std::numeric_limits<std::size_t>::max();
    const std::size_t whole =
        mesh.positions.size() * sizeof(Vector3) + mesh.faces.size() * sizeof(Triangle);
    const Edit edits[] = {
        {"nothing", [](Layer&) {}, 256},
        {"move two far-apart points",
         [](Layer& l) {
             l.positions[3].z += 1;
             l.positions[900].x -= 1;
         },
         kSmall},
        {"move the first of the coincident points", [](Layer& l) { l.positions[100].z += 1; },
         kSmall},
        {"extrude a face in the middle", [](Layer& l) { extrude(l, 900, 0.25f); }, kSmall},
        {"extrude a degenerate face",
         [](Layer& l) {
             l.faces.replace(5, {0, 1, 2});
             l.positions[2] = l.positions[0];
             extrude(l, 5, 1);
         },
         kSmall},
        {"remove a face whose corners stay",
         [](Layer& l) { removeFaces(l, std::vector<std::uint32_t>{900}); }, kSmall},
        {"remove the first and the last face",
         [](Layer& l) {
             removeFaces(l, std::vector<std::uint32_t>{0, 1799});
         },
         kAny},
        {"split a face", [](Layer& l) { splitTriangle(l, 1000, 1, 0.5f); }, kSmall},
        {"subdivide a face", [](Layer& l) { subdivide(l, 10); }, kSmall},
        {"weld two points, renumbering the rest",
         [](Layer& l) {
             weld(l, std::vector<std::uint32_t>{40, 41});
         },
         kAny},
        {"subdivide everything", [](Layer& l) { subdivideAll(l); }, kAny},
        {"empty it", [](Layer& l) { l = Layer{}; }, whole + 1024},
        {"change the shader", [](Layer& l) { l.fragmentShader = "uniform"; }, kSmall},
    };
    expectChanges(mesh, edits);
    // Emptying the mesh keeps all of it.
    EXPECT_GE(LayerChange::between(mesh, Layer{}).bytes(), whole);
}

TEST(LayerChangeTest, PolygonEditsOfAMixedMeshCostWhatTheyTouched) {
    // 15 × 15 blocks of 2 × 2 cells, each cut into faces of 3 to 8 corners in turn.
    std::vector<std::uint8_t> shapes(225);
    std::iota(shapes.begin(), shapes.end(), std::uint8_t{0});
    walk::ByteReader in{shapes};
    const Layer mesh = walk::polygonGrid(15, 15, in);
    const auto firstOf = [&](size_t corners) {
        std::uint32_t f = 0;
        while (mesh.faces[f].size() != corners) {
            ++f;
        }
        return f;
    };
    const std::uint32_t quad = firstOf(4) + 100, eight = firstOf(8) + 100;
    ASSERT_EQ(mesh.faces[quad].size(), 4u);
    ASSERT_EQ(mesh.faces[eight].size(), 8u);
    // The mesh itself takes 24 KB.
    const Edit edits[] = {
        // A face of another size in the place of the first: every corner after it moves.
        {"subdivide a quad", [&](Layer& l) { subdivide(l, quad); }, 1024},
        {"subdivide a face of eight corners", [&](Layer& l) { subdivide(l, eight); }, 1024},
        {"cut across the mesh",
         [](Layer& l) { cutAlongPlane(l, Vector3(1, 2, 0).normalized(), {}); }, 6144},
        {"extrude it", [&](Layer& l) { extrude(l, eight, 0.5f); }, 1024},
        {"remove it", [&](Layer& l) { removeFaces(l, std::vector<std::uint32_t>{eight}); }, 1024},
    };
    expectChanges(mesh, edits);
}

} // namespace
} // namespace tessel
