#include "scene/camera.h"
#include "scene/mesh.h"
#include "scene/node.h"

#include <gtest/gtest.h>

namespace tessel {
namespace {

Matrix rows(const std::array<float, 16>& d) {
    return Matrix(d);
}

TEST(NodeTest, MakeSetsEveryChildsParent) {
    const NodePtr a = Node::make("A");
    const NodePtr b = Node::make("B");
    const NodePtr root = Node::make("root", {}, {a, b});
    EXPECT_EQ(root->children(), (Node::Children{a, b}));
    EXPECT_EQ(a->parent.lock(), root);
    EXPECT_EQ(b->parent.lock(), root);
    EXPECT_TRUE(root->parent.expired());
}

TEST(NodeTest, MatrixComposesParentOnTheLeft) {
    const NodePtr child = Node::make("child");
    const NodePtr root = Node::make("root", {}, {child});
    root->localMatrix = Matrix::translation({1, 0, 0});
    child->localMatrix = Matrix::translation({0, 2, 0});
    EXPECT_EQ(child->matrix(), Matrix::translation({1, 2, 0}));

    // Non-commuting case: parent scale-like matrix on the left of the child's translation.
    root->localMatrix = Matrix({2, 0, 0, 0, 0, 3, 0, 0, 0, 0, 4, 0, 0, 0, 0, 1});
    child->localMatrix = Matrix::translation({1, 1, 1});
    EXPECT_EQ(child->matrix(), rows({2, 0, 0, 2, 0, 3, 0, 3, 0, 0, 4, 4, 0, 0, 0, 1}));
}

TEST(NodeTest, FinalizerIsMultipliedInFrontAndInheritedByChildren) {
    const NodePtr child = Node::make("child");
    const NodePtr root = Node::make("root", {}, {child});
    root->localMatrix = Matrix::translation({1, 0, 0});
    child->localMatrix = Matrix::translation({0, 2, 0});
    child->finalizer = [] { return Matrix({2, 0, 0, 0, 0, 2, 0, 0, 0, 0, 2, 0, 0, 0, 0, 1}); };
    // M · T(1, 2, 0): the translation is scaled too (M on the left).
    EXPECT_EQ(child->matrix(), rows({2, 0, 0, 2, 0, 2, 0, 4, 0, 0, 2, 0, 0, 0, 0, 1}));
    child->finalizer = {};
    root->finalizer = [] { return Matrix::translation({0, 0, 7}); };
    EXPECT_EQ(child->matrix(), Matrix::translation({1, 2, 7}));
}

TEST(NodeTest, ParentIsWeak) {
    const NodePtr child = Node::make("child");
    child->localMatrix = Matrix::translation({0, 2, 0});
    std::weak_ptr<Node> weakRoot;
    {
        const NodePtr root = Node::make("root", {}, {child});
        root->localMatrix = Matrix::translation({1, 0, 0});
        weakRoot = root;
        EXPECT_EQ(child->matrix(), Matrix::translation({1, 2, 0}));
    }
    EXPECT_TRUE(weakRoot.expired());
    EXPECT_TRUE(child->parent.expired());
    EXPECT_EQ(child->matrix(), child->localMatrix);
}

TEST(NodeTest, FlatIsPreOrder) {
    const NodePtr c = Node::make("C");
    const NodePtr a = Node::make("A", {}, {c});
    const NodePtr b = Node::make("B");
    const NodePtr root = Node::make("root", {}, {a, b});
    EXPECT_EQ(root->flat(), (std::vector<NodePtr>{root, a, c, b}));
    const NodePtr x = Node::make("X");
    EXPECT_EQ(root->flat({x}), (std::vector<NodePtr>{x, root, a, c, b}));
    EXPECT_EQ(a->flat(), (std::vector<NodePtr>{a, c}));
    EXPECT_EQ(b->flat(), std::vector<NodePtr>{b});
}

TEST(NodeTest, SetChildrenTellsOldAndNewAndLeavesParents) {
    const NodePtr a = Node::make("A");
    const NodePtr root = Node::make("root", {}, {a});
    const NodePtr b = Node::make("B");
    std::vector<std::pair<Node::Children, Node::Children>> seen;
    root->childrenChanged.connect(
        [&](const Node::Children& o, const Node::Children& n) { seen.emplace_back(o, n); });
    root->setChildren({a, b});
    EXPECT_EQ(root->children(), (Node::Children{a, b}));
    EXPECT_TRUE(b->parent.expired()); // parents are left as they are
    root->setChildren({});
    using Write = std::pair<Node::Children, Node::Children>;
    EXPECT_EQ(seen, (std::vector<Write>{{{a}, {a, b}}, {{a, b}, {}}}));
    EXPECT_EQ(a->parent.lock(), root);
}

TEST(NodeTest, SetNameIsAnnounced) {
    const NodePtr node = Node::make();
    std::vector<std::string> names;
    node->nameChanged.connect([&](const std::string& n) { names.push_back(n); });
    node->setName("Cube");
    node->setName("Cube");
    EXPECT_EQ(node->name(), "Cube");
    EXPECT_EQ(names, (std::vector<std::string>{"Cube", "Cube"}));
}

TEST(MeshTest, ConstructionAndModelChanges) {
    const ModelPtr first = Model::makeCube();
    const MeshPtr mesh = Mesh::make(first, "Cube");
    ASSERT_NE(mesh->material, nullptr);
    EXPECT_NE(Mesh::make(first)->material, mesh->material);

    std::vector<std::pair<ModelPtr, ModelPtr>> seen;
    mesh->modelChanged.connect(
        [&](const ModelPtr& o, const ModelPtr& n) { seen.emplace_back(o, n); });
    const ModelPtr second = Model::make({});
    mesh->setModel(second);
    EXPECT_EQ(mesh->model(), second);
    EXPECT_EQ(seen, (std::vector<std::pair<ModelPtr, ModelPtr>>{{first, second}}));
}

TEST(MeshTest, AsMesh) {
    const MeshPtr mesh = Mesh::make(Model::makeCube());
    const NodePtr asNode = mesh;
    EXPECT_EQ(asMesh(asNode), mesh);
    EXPECT_EQ(asMesh(Node::make()), nullptr);
    EXPECT_EQ(asMesh(nullptr), nullptr);
    EXPECT_EQ(asMesh(Camera::make()), nullptr);
}

TEST(CameraTest, ProjectionFollowsTheFields) {
    const CameraPtr camera = Camera::make("Camera 1");
    camera->zn = 1;
    camera->zf = 3;
    camera->fov = 2;
    EXPECT_EQ(camera->projection(), rows({1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0.5f, -0.5f, 0, 0, 2, 0}));
    camera->localMatrix = Matrix::translation({0, 0, -3});
    EXPECT_EQ(camera->matrix(), camera->localMatrix);
}

} // namespace
} // namespace tessel
