// What undo keeps of an edit: the change must give back both versions exactly, and cost what the
// edit touched rather than the mesh.
#include "mesh/extrude.h"
#include "mesh/layer_change.h"
#include "mesh/model.h"
#include "mesh/plane_cut.h"
#include "mesh/removal.h"
#include "mesh/split.h"
#include "mesh/subdivide.h"
#include "mesh/weld.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <limits>

namespace tessel {
namespace {

// Bit for bit, so that not-a-number positions compare too.
template <class T> bool identical(const std::vector<T>& a, const std::vector<T>& b) {
    return a.size() == b.size() &&
           (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(T)) == 0);
}

bool identical(const Layer& a, const Layer& b) {
    return identical(a.positions, b.positions) && a.faces == b.faces &&
           a.fragmentShader == b.fragmentShader;
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
    const struct {
        const char* edit;
        std::function<void(Layer&)> apply;
        std::size_t maxBytes;
    } cases[] = {
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
    for (const auto& c : cases) {
        SCOPED_TRACE(c.edit);
        Layer after = mesh;
        c.apply(after);
        const LayerChange change = LayerChange::between(mesh, after);
        EXPECT_TRUE(identical(*change.redone(mesh), after));
        EXPECT_TRUE(identical(*change.undone(after), mesh));
        EXPECT_LE(change.bytes(), c.maxBytes);
        // Undone from an equal copy, not only from the object it was made from.
        const Layer copy = after;
        EXPECT_TRUE(identical(*change.undone(copy), mesh));
    }
    // Emptying the mesh keeps all of it.
    EXPECT_GE(LayerChange::between(mesh, Layer{}).bytes(), whole);
}

TEST(LayerChangeTest, PolygonEditsOfAMixedMeshCostWhatTheyTouched) {
    // 1,029 faces over 964 points: quads, every seventh cell two triangles, and one cell of seven
    // corners, its bottom edge dented in.
    Layer mesh = *QuadGenerator(30, 30).generateLayer();
    mesh.faces.clear();
    const std::uint32_t dented = 444, quad = 445;
    for (std::uint32_t k = 0; k < 31 * 30; ++k) {
        if (k % 31 == 30) {
            continue;
        }
        if (k % 7 == 0) {
            mesh.faces.push_back({k, k + 1, k + 32});
            mesh.faces.push_back({k, k + 32, k + 31});
        } else if (mesh.faces.size() == dented) {
            const Vector3 a = mesh.positions[k], b = mesh.positions[k + 1];
            for (const float t : {0.25f, 0.5f, 0.75f}) {
                mesh.positions.push_back(a + (b - a) * t + Vector3{0, 0.01f, 0});
            }
            mesh.faces.push_back({k, 961, 962, 963, k + 1, k + 32, k + 31});
        } else {
            mesh.faces.push_back({k, k + 1, k + 32, k + 31});
        }
    }
    ASSERT_EQ(mesh.faces.size(), 1029u);
    ASSERT_EQ(mesh.faces[quad].size(), 4u);
    // The mesh itself takes 27 KB.
    const struct {
        const char* edit;
        std::function<void(Layer&)> apply;
        std::size_t maxBytes;
    } cases[] = {
        // A face of another size in the place of the first: every corner after it moves.
        {"subdivide a quad", [&](Layer& l) { subdivide(l, quad); }, 1024},
        {"subdivide the dented face", [&](Layer& l) { subdivide(l, dented); }, 1024},
        {"cut across 45 faces",
         [](Layer& l) { cutAlongPlane(l, Vector3(1, 2, 0).normalized(), {}); }, 6144},
        {"extrude the dented face", [&](Layer& l) { extrude(l, dented, 0.5f); }, 1024},
        {"remove the dented face",
         [&](Layer& l) { removeFaces(l, std::vector<std::uint32_t>{dented}); }, 1024},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.edit);
        Layer after = mesh;
        c.apply(after);
        const LayerChange change = LayerChange::between(mesh, after);
        EXPECT_TRUE(identical(*change.redone(mesh), after));
        EXPECT_TRUE(identical(*change.undone(after), mesh));
        EXPECT_LE(change.bytes(), c.maxBytes);
    }
}

} // namespace
} // namespace tessel
