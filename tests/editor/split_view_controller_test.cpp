#include "editor/split_view_controller.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace tessel {
namespace {

// A mesh with a preview installed, so that tests can see whether the preview survives.
MeshPtr meshWithPreview(const std::string& name) {
    const MeshPtr mesh = Mesh::make(Model::makeCube(), name);
    mesh->model()->setModifier([](Model& model) { return ModifierResult{model.copy(), nullptr}; });
    return mesh;
}

class SplitViewControllerTest : public ::testing::Test {
protected:
    SplitViewController window;
    MeshPtr a = meshWithPreview("A");
    MeshPtr b = meshWithPreview("B");
};

TEST_F(SplitViewControllerTest, SelectingAnotherMeshDiscardsOnlyThePreviousMeshsPreview) {
    window.setSelectedNode(a);
    window.setSelectedNode(b);
    EXPECT_EQ(a->model()->modifier_, nullptr);
    EXPECT_NE(b->model()->modifier_, nullptr);
    EXPECT_EQ(window.selectedNode(), b);
}

TEST_F(SplitViewControllerTest, SelectingNothingDiscardsThePreview) {
    window.setSelectedNode(a);
    window.setSelectedNode(nullptr);
    EXPECT_EQ(a->model()->modifier_, nullptr);
    EXPECT_EQ(window.selectedNode(), nullptr);
}

TEST_F(SplitViewControllerTest, ReselectingTheSameMeshOrLeavingAPlainNodeKeepsPreviews) {
    window.setSelectedNode(a);
    const CachedModifierPtr installed = a->model()->modifier_;
    window.setSelectedNode(a);
    EXPECT_EQ(a->model()->modifier_, installed);

    window.setSelectedNode(Node::make("group"));
    window.setSelectedNode(b);
    EXPECT_NE(b->model()->modifier_, nullptr);
}

TEST_F(SplitViewControllerTest, EveryWriteIsAnnouncedWithNewAndOldValue) {
    std::vector<std::pair<NodePtr, NodePtr>> seen;
    window.selectedNodeChanged.connect(
        [&](const NodePtr& now, const NodePtr& before) { seen.emplace_back(now, before); });
    window.setSelectedNode(a);
    window.setSelectedNode(a);
    window.setSelectedNode(nullptr);
    const std::vector<std::pair<NodePtr, NodePtr>> expected{{a, nullptr}, {a, a}, {nullptr, a}};
    EXPECT_EQ(seen, expected);
}

TEST_F(SplitViewControllerTest, AnObserverWritingAgainSeesConsistentValues) {
    // The editor rebuilds its tool on every write; a nested write must not confuse the
    // announcement of the outer one.
    std::vector<NodePtr> seenNew;
    bool nested = false;
    window.selectedNodeChanged.connect([&](const NodePtr& now, const NodePtr&) {
        seenNew.push_back(now);
        if (!nested && now == a) {
            nested = true;
            window.setSelectedNode(b);
        }
    });
    window.setSelectedNode(a);
    EXPECT_EQ(seenNew, (std::vector<NodePtr>{a, b}));
    EXPECT_EQ(window.selectedNode(), b);
    EXPECT_EQ(a->model()->modifier_, nullptr);
}

TEST(SplitViewControllerDeathTest, AnEmptySceneIsRefused) {
    SplitViewController window;
    EXPECT_DEATH(window.setScene(nullptr), "SplitViewController.scene");
}

} // namespace
} // namespace tessel
