#include "scene/scene.h"

#include <gtest/gtest.h>

namespace tessel {
namespace {

struct Recorder {
    std::vector<size_t> inserted;
    std::vector<size_t> removed;
    int nodesChanges = 0;

    explicit Recorder(Scene& scene) {
        scene.rootChildInserted.connect([this](size_t i) { inserted.push_back(i); });
        scene.rootChildRemoved.connect([this](size_t i) { removed.push_back(i); });
        scene.nodesChanged.connect([this] { ++nodesChanges; });
    }
};

TEST(SceneTest, SetNodesAndInsertingIntoAnEmptySceneAreAnnouncedAsNodesChanges) {
    Scene scene;
    Recorder recorder(scene);
    const NodePtr root = Node::make("root");
    scene.insert(root);
    EXPECT_EQ(scene.nodes(), std::vector<NodePtr>{root});
    EXPECT_EQ(recorder.nodesChanges, 1);
    EXPECT_TRUE(recorder.inserted.empty());
    const NodePtr other = Node::make();
    scene.setNodes({other});
    EXPECT_EQ(recorder.nodesChanges, 2);
    EXPECT_EQ(scene.root(), other);
}

TEST(SceneTest, LaterInsertionsAppendToTheRootsChildrenAndAreAnnouncedAfterTheWrite) {
    Scene scene;
    const NodePtr root = Node::make("root");
    scene.insert(root);
    Recorder recorder(scene);
    std::vector<std::pair<Node::Children, Node::Children>> writes;
    root->childrenChanged.connect(
        [&](const Node::Children& o, const Node::Children& n) { writes.emplace_back(o, n); });
    std::vector<size_t> childrenAtAnnouncement;
    scene.rootChildInserted.connect([&](size_t) { childrenAtAnnouncement.push_back(root->children().size()); });

    const NodePtr a = Node::make("a");
    const NodePtr b = Node::make("b");
    scene.insert(a);
    scene.insert(b);
    EXPECT_EQ(scene.nodes(), std::vector<NodePtr>{root});
    EXPECT_EQ(recorder.inserted, (std::vector<size_t>{0, 1}));
    EXPECT_EQ(childrenAtAnnouncement, (std::vector<size_t>{1, 2}));
    EXPECT_EQ(recorder.nodesChanges, 0);
    using Write = std::pair<Node::Children, Node::Children>;
    EXPECT_EQ(writes, (std::vector<Write>{{{}, {a}}, {{a}, {a, b}}}));
}

TEST(SceneTest, RemoveDropsEveryOccurrenceByIdentityLastPositionFirst) {
    const NodePtr a = Node::make("same");
    const NodePtr b = Node::make("same");
    const NodePtr c = Node::make("c");
    const NodePtr root = Node::make("root", {}, {a, b, c, b});
    Scene scene({root});
    Recorder recorder(scene);
    int writes = 0;
    root->childrenChanged.connect([&](const Node::Children&, const Node::Children&) { ++writes; });
    scene.remove(b);
    EXPECT_EQ(root->children(), (Node::Children{a, c}));
    EXPECT_EQ(recorder.removed, (std::vector<size_t>{3, 1}));
    EXPECT_EQ(writes, 1);
    scene.remove(a);
    EXPECT_EQ(root->children(), Node::Children{c});
    EXPECT_EQ(recorder.removed, (std::vector<size_t>{3, 1, 0}));
}

TEST(SceneTest, RemovingADeeperOrAbsentNodeChangesNothing) {
    const NodePtr deep = Node::make("deep");
    const NodePtr a = Node::make("a", {}, {deep});
    const NodePtr root = Node::make("root", {}, {a});
    Scene scene({root});
    Recorder recorder(scene);
    scene.remove(deep);
    scene.remove(Node::make("stranger"));
    scene.remove(root); // the root itself is not one of its children
    EXPECT_EQ(root->children(), Node::Children{a});
    EXPECT_EQ(a->children(), Node::Children{deep});
    EXPECT_EQ(scene.nodes(), std::vector<NodePtr>{root});
    EXPECT_TRUE(recorder.removed.empty());
}

TEST(SceneTest, RemovedNodeIsReleased) {
    std::weak_ptr<Node> weak;
    const NodePtr root = Node::make("root");
    Scene scene({root});
    {
        const NodePtr a = Node::make("a");
        weak = a;
        scene.insert(a);
        scene.remove(a);
    }
    EXPECT_TRUE(weak.expired());
}

TEST(SceneTest, MeshesIncludeTheRootAndNestedMeshesOnly) {
    const MeshPtr nested = Mesh::make(Model::makeCube(), "nested");
    const NodePtr group = Node::make("group", {}, {nested});
    const MeshPtr rootMesh = Mesh::make(Model::makeCube(), "root");
    rootMesh->setChildren({group});
    const MeshPtr last = Mesh::make(Model::makeCube(), "last");
    const NodePtr other = Node::make("second top-level", {}, {Mesh::make(Model::makeCube())});
    Scene scene({rootMesh, other});
    scene.insert(last);
    EXPECT_EQ(scene.meshes(), (std::vector<MeshPtr>{rootMesh, nested, last}));
}

TEST(SceneDeathTest, RemoveOnAnEmptySceneStops) {
    Scene scene;
    EXPECT_DEATH(scene.remove(Node::make()), "Scene.remove");
}

TEST(SceneDeathTest, MeshesOfAnEmptySceneStops) {
    const Scene scene;
    EXPECT_DEATH(scene.meshes(), "Scene.meshes");
}

} // namespace
} // namespace tessel
