#include "scene/scene.h"

#include <gtest/gtest.h>

#include <string>

namespace tessel {

TEST(NodeTest, MatrixComposesParentThenOwnWithTheFinalizerInFront) {
    const NodePtr child = Node::make("child");
    const NodePtr root = Node::make("root", {child});
    root->localMatrix = Matrix({2, 0, 0, 0, 0, 3, 0, 0, 0, 0, 4, 0, 0, 0, 0, 1});
    child->localMatrix = Matrix::translation({1, 1, 1});
    // Changes of the children announce them before and after.
    std::vector<std::size_t> counts;
    root->childrenChanged.connect([&](const Node::Children& old, const Node::Children& now) {
        counts = {old.size(), now.size()};
    });
    root->setChildren({child, Node::make("other")});
    EXPECT_EQ(counts, (std::vector<std::size_t>{1, 2}));
    EXPECT_EQ(child->matrix(), Matrix({2, 0, 0, 2, 0, 3, 0, 3, 0, 0, 4, 4, 0, 0, 0, 1}));
    child->finalizer = [] { return Matrix::translation({0, 0, 7}); };
    EXPECT_EQ(child->matrix(), Matrix({2, 0, 0, 2, 0, 3, 0, 3, 0, 0, 4, 11, 0, 0, 0, 1}));
}

TEST(SceneTest, TheTreeIsListedInPreOrderAndChangesAnnounceTheRootChildsPosition) {
    const MeshPtr nested = Mesh::make(Model::makeCube(), "nested");
    const MeshPtr b = Mesh::make(Model::makeCube(), "b");
    const NodePtr a = Node::make("a", {nested});
    const NodePtr root = Node::make("root");
    Scene scene;
    std::string seen;
    scene.nodesChanged.connect([&] { seen += "nodes "; });
    scene.rootChildInserted.connect([&](size_t i) {
        seen += "+" + std::to_string(i) + "/" + std::to_string(root->children().size()) + " ";
    });
    scene.rootChildRemoved.connect([&](size_t i) { seen += "-" + std::to_string(i) + " "; });
    scene.insert(root);
    scene.insert(a);
    scene.insert(b);
    scene.insert(a);
    EXPECT_EQ(root->flat({b}), (std::vector<NodePtr>{b, root, a, nested, b, a, nested}));
    EXPECT_EQ(scene.meshes(), (std::vector<MeshPtr>{nested, b, nested}));
    // Every occurrence goes, announced last first; nodes deeper down stay.
    scene.remove(a);
    scene.remove(nested);
    scene.remove(root);
    EXPECT_EQ(seen, "nodes +0/1 +1/2 +2/3 -2 -0 ");
    EXPECT_EQ(root->children(), Node::Children{b});
}

} // namespace tessel
