#include "scene/scene.h"

#include <gtest/gtest.h>

#include <string>

namespace tessel {

TEST(NodeTest, MatrixComposesParentThenOwnWithTheFinalizerInFront) {
    const NodePtr child = Node::make("child");
    const NodePtr root = Node::make("root", {child});
    root->localMatrix = Matrix({2, 0, 0, 0, 0, 3, 0, 0, 0, 0, 4, 0, 0, 0, 0, 1});
    child->localMatrix = Matrix::translation({1, 1, 1});
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

TEST(SignalTest, SubscriptionsMayChangeWhileAnEmissionRuns) {
    Signal<> signal;
    std::string calls;
    Signal<>::Connection self = 0, later = 0;
    // Drops itself and the next slot, subscribes a hundred more (moving the running slot), emits.
    self = signal.connect([&] {
        calls += "s";
        signal.disconnect(self);
        signal.disconnect(later);
        for (int i = 0; i < 100; ++i) {
            signal.connect([&] { calls += "."; });
        }
        signal.emit();
    });
    later = signal.connect([&] { calls += "l"; });
    signal.emit();
    EXPECT_EQ(calls.find_first_not_of('.', 1), std::string::npos);
    EXPECT_EQ(calls.substr(0, 2), "s.");
    EXPECT_EQ(signal.subscriberCount(), 100u);
}

} // namespace tessel
