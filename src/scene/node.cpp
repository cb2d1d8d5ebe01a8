#include "scene/node.h"

namespace tessel {

namespace {

// Appends the subtree of `node` in pre-order.
void appendSubtree(const NodePtr& node, std::vector<NodePtr>& out) {
    out.push_back(node);
    for (const NodePtr& child : node->children()) {
        appendSubtree(child, out);
    }
}

} // namespace

Node::Node(std::string name, Children children)
    : children_(std::move(children)), name_(name.empty() ? "unnamed" : std::move(name)) {}

NodePtr Node::make(std::string name, Children children) {
    auto node = std::make_shared<Node>(std::move(name), std::move(children));
    // The parent link needs the shared owner, which the constructor cannot see yet.
    for (const NodePtr& child : node->children_) {
        if (child) {
            child->parent = node;
        }
    }
    return node;
}

void Node::setChildren(Children children) {
    Children old = std::move(children_);
    children_ = std::move(children);
    // Observers get their own copy: a nested write during the emission cannot change it.
    const Children current = children_;
    childrenChanged.emit(old, current);
}

void Node::setName(std::string name) {
    name_ = std::move(name);
    const std::string current = name_;
    nameChanged.emit(current);
}

Matrix Node::matrix() const {
    const NodePtr p = parent.lock();
    const Matrix m = p ? p->matrix() * localMatrix : localMatrix;
    return finalizer ? finalizer() * m : m;
}

std::vector<NodePtr> Node::flat(std::vector<NodePtr> nodes) {
    appendSubtree(shared_from_this(), nodes);
    return nodes;
}

} // namespace tessel
