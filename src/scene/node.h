#pragma once

#include "base/signal.h"
#include "geometry/matrix.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace tessel {

class Node;
using NodePtr = std::shared_ptr<Node>;

// A node of the scene tree. Owns its children; its parent link is weak.
class Node : public std::enable_shared_from_this<Node> {
public:
    using Children = std::vector<NodePtr>;

    // Use make(): it also sets the children's parent.
    Node(std::string name, Children children);
    virtual ~Node() = default;

    // An empty name gives "unnamed". Every given child gets the new node as parent.
    static NodePtr make(std::string name = {}, Children children = {});

    Matrix localMatrix;
    // When set, its result is multiplied in front of the composed matrix.
    std::function<Matrix()> finalizer;
    std::weak_ptr<Node> parent;

    const Children& children() const { return children_; }
    // Stores the children and tells observers (old, new). Parents are left as they are.
    void setChildren(Children children);
    Signal<const Children&, const Children&> childrenChanged;

    const std::string& name() const { return name_; }
    void setName(std::string name);
    Signal<const std::string&> nameChanged;

    // parent.matrix * localMatrix (or localMatrix alone), then finalizer() * that.
    Matrix matrix() const;

    // Depth-first pre-order: `nodes`, this node, then each child's subtree in order.
    std::vector<NodePtr> flat(std::vector<NodePtr> nodes = {});

private:
    Children children_;
    std::string name_;
};

} // namespace tessel
