#include "mesh/face_list.h"

#include <gtest/gtest.h>

#include <numeric>
#include <random>
#include <vector>

namespace tessel {
namespace {

using Polygons = std::vector<std::vector<std::uint32_t>>;

Polygons polygonsOf(const FaceList& list) {
    Polygons result;
    for (const FaceList::Face face : list) {
        result.emplace_back(face.begin(), face.end());
    }
    return result;
}

FaceList listOf(const Polygons& faces) {
    FaceList list;
    for (const auto& face : faces) {
        list.push_back(face);
    }
    return list;
}

// Random edits of lists of triangles, of quads and of mixed sizes, each checked against the same
// edit of plain vectors of faces. Equality must not depend on how a list was built: a list equals
// the one built afresh from its faces, whether or not it once held faces of other sizes. A copy
// taken before each edit shares the faces and must keep them as they were.
TEST(FaceListTest, EditsKeepTheFacesOfPlainListsAndOneShapePerContent) {
    std::mt19937 random(7);
    const auto below = [&](std::uint32_t n) {
        return std::uniform_int_distribution<std::uint32_t>(0, n - 1)(random);
    };
    for (int round = 0; round < 400; ++round) {
        // Mostly one size (every face a triangle, or a quad), sometimes any of 3 to 6.
        const std::uint32_t common = 3 + below(2);
        const bool mixed = below(3) == 0;
        const auto size = [&] { return mixed ? 3 + below(4) : common; };
        // A face of `n` corners no face used before.
        std::uint32_t next = 0;
        const auto fresh = [&](std::uint32_t n) {
            std::vector<std::uint32_t> face(n);
            std::iota(face.begin(), face.end(), next);
            next += n;
            return face;
        };
        Polygons model(below(12));
        for (auto& face : model) {
            face = fresh(size());
        }
        FaceList list = listOf(model);
        for (int step = 0; step < 4; ++step) {
            const FaceList copy = list;
            const Polygons before = model;
            const auto op = below(4);
            if (op == 0 && !model.empty()) {
                // Several faces replaced at once: shrunk, removed, grown or kept in size.
                std::vector<std::uint32_t> changed;
                Polygons replacements;
                for (std::uint32_t f = 0; f < model.size(); ++f) {
                    if (below(3) == 0) {
                        changed.push_back(f);
                        const std::uint32_t kind = below(4);
                        replacements.push_back(fresh(kind == 0   ? 0
                                                     : kind == 1 ? std::uint32_t(model[f].size())
                                                                 : size()));
                    }
                }
                list.replace(changed, replacements);
                for (size_t i = changed.size(); i-- > 0;) {
                    if (replacements[i].empty()) {
                        model.erase(model.begin() + changed[i]);
                    } else {
                        model[changed[i]] = replacements[i];
                    }
                }
            } else if (op == 1) {
                std::vector<std::uint8_t> keep(model.size());
                Polygons kept;
                for (size_t f = 0; f < model.size(); ++f) {
                    keep[f] = below(4) != 0;
                    if (keep[f]) {
                        kept.push_back(model[f]);
                    }
                }
                list.compact(keep);
                model = kept;
            } else if (op == 2) {
                model.push_back(fresh(size()));
                list.push_back(model.back());
            } else {
                const std::uint32_t faces = below(static_cast<std::uint32_t>(model.size()) + 1);
                list.truncate(faces);
                model.resize(faces);
            }
            ASSERT_EQ(polygonsOf(list), model) << "round " << round << ", step " << step;
            ASSERT_EQ(polygonsOf(copy), before) << "round " << round << ", step " << step;
            ASSERT_EQ(list, listOf(model)) << "round " << round << ", step " << step;
            ASSERT_EQ(list.counts(), FaceList(list.corners(), list.counts()).counts());
        }
    }
}

TEST(FaceListTest, WritesInPlaceLeaveCopiesAsTheyWere) {
    const FaceList original = FaceList::polygons({{0, 1, 2}, {2, 1, 3}});
    FaceList list = original;
    EXPECT_EQ(list.storage(), original.storage());
    list.cornersOf(1)[0] = 9;
    FaceList renumbered = original;
    renumbered.allCorners()[0] = 8;
    FaceList cleared = original;
    cleared.clear();
    cleared.push_back({4, 5, 6});
    FaceList moved = original;
    const FaceList target = std::move(moved);
    moved.push_back({7, 8, 9, 10});
    EXPECT_EQ(polygonsOf(original), (Polygons{{0, 1, 2}, {2, 1, 3}}));
    EXPECT_EQ(polygonsOf(list), (Polygons{{0, 1, 2}, {9, 1, 3}}));
    EXPECT_EQ(polygonsOf(renumbered), (Polygons{{8, 1, 2}, {2, 1, 3}}));
    EXPECT_EQ(polygonsOf(cleared), (Polygons{{4, 5, 6}}));
    EXPECT_EQ(target, original);
    EXPECT_EQ(polygonsOf(moved), (Polygons{{7, 8, 9, 10}}));
}

} // namespace
} // namespace tessel
