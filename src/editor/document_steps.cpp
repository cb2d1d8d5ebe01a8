#include "editor/document_steps.h"

#include "base/check.h"

#include <algorithm>
#include <iomanip>
#include <sstream>

namespace tessel {

std::optional<Placement> placementOf(const Scene& scene, const NodePtr& node) {
    const std::vector<NodePtr>& top = scene.nodes();
    if (const auto it = std::find(top.begin(), top.end(), node); it != top.end()) {
        return Placement{nullptr, static_cast<std::size_t>(it - top.begin())};
    }
    if (top.empty()) {
        return std::nullopt;
    }
    // Searched from the root down: parent links are not kept for every insertion.
    for (const NodePtr& parent : top.front()->flat()) {
        const Node::Children& siblings = parent->children();
        if (const auto it = std::find(siblings.begin(), siblings.end(), node);
            it != siblings.end()) {
            return Placement{parent, static_cast<std::size_t>(it - siblings.begin())};
        }
    }
    return std::nullopt;
}

void place(Scene& scene, const NodePtr& node, const Placement& placement) {
    std::vector<NodePtr> list = placement.parent ? placement.parent->children() : scene.nodes();
    TESSEL_CHECK(placement.index <= list.size(), "place",
                 "index " << placement.index << " past " << list.size() << " nodes");
    list.insert(list.begin() + static_cast<std::ptrdiff_t>(placement.index), node);
    if (placement.parent) {
        node->parent = placement.parent;
        placement.parent->setChildren(std::move(list));
    } else {
        scene.setNodes(std::move(list));
    }
}

void unplace(Scene& scene, const NodePtr& node, const Placement& placement) {
    std::vector<NodePtr> list = placement.parent ? placement.parent->children() : scene.nodes();
    TESSEL_CHECK(placement.index < list.size() && list[placement.index] == node, "unplace",
                 "the node is not at index " << placement.index);
    list.erase(list.begin() + static_cast<std::ptrdiff_t>(placement.index));
    if (placement.parent) {
        placement.parent->setChildren(std::move(list));
    } else {
        scene.setNodes(std::move(list));
    }
}

NodesPlaced::NodesPlaced(std::string name, Document& document, std::vector<Entry> entries,
                         bool added, NodePtr selectedBefore, NodePtr selectedAfter)
    : Step(std::move(name)), document_(document), entries_(std::move(entries)), added_(added),
      selectedBefore_(std::move(selectedBefore)), selectedAfter_(std::move(selectedAfter)) {}

void NodesPlaced::undo() {
    put(!added_);
    document_.setSelectedNode(selectedBefore_);
}

void NodesPlaced::redo() {
    put(added_);
    document_.setSelectedNode(selectedAfter_);
}

void NodesPlaced::put(bool in) {
    // Each place was valid with the entries before it in: put them in in order, out in reverse.
    Scene& scene = *document_.scene();
    if (in) {
        for (const Entry& entry : entries_) {
            place(scene, entry.node, entry.placement);
        }
    } else {
        for (auto it = entries_.rbegin(); it != entries_.rend(); ++it) {
            unplace(scene, it->node, it->placement);
        }
    }
}

namespace {

std::string gridSizeName(GridSizeChange::Axis axis, std::int64_t old, std::int64_t now) {
    std::ostringstream name;
    name << (axis == GridSizeChange::Axis::Rows ? "Rows " : "Columns ") << old << " → " << now;
    return name.str();
}

} // namespace

GridSizeChange::GridSizeChange(Document& document, MeshPtr mesh, Axis axis, std::int64_t old,
                               std::int64_t now)
    : Step(gridSizeName(axis, old, now)), document_(document), mesh_(std::move(mesh)), axis_(axis),
      old_(old), now_(now) {}

void GridSizeChange::set(std::int64_t value) {
    const Model::ParamsPtr& params = mesh_->model()->params();
    const auto stored = static_cast<double>(value);
    axis_ == Axis::Rows ? params->setV(stored) : params->setU(stored);
    // Selected again, so that the panels and the tool pick up the regenerated grid.
    document_.setSelectedNode(mesh_);
}

namespace {

std::string primitiveChangeName(const Mesh& mesh, std::size_t index, double old, double now) {
    const PrimitiveParameter& parameter = mesh.model()->primitive()->parameters()[index];
    const auto shown = [&parameter](double value) {
        const auto choice = static_cast<std::size_t>(value);
        if (choice < parameter.choices.size()) {
            return parameter.choices[choice];
        }
        std::ostringstream number;
        number << value;
        return number.str();
    };
    return parameter.name + " " + shown(old) + " → " + shown(now);
}

} // namespace

PrimitiveChange::PrimitiveChange(Document& document, MeshPtr mesh, std::size_t index, double old,
                                 double now)
    : Step(primitiveChangeName(*mesh, index, old, now)), document_(document),
      mesh_(std::move(mesh)), index_(index), old_(old), now_(now) {}

void PrimitiveChange::set(double value) {
    mesh_->model()->primitive()->set(index_, value);
    // Selected again, so that the panels and the tool pick up the regenerated mesh.
    document_.setSelectedNode(mesh_);
}

OpacityChange::OpacityChange(Document& document, MeshPtr mesh, float old, float now,
                             Signal<>& changed)
    : Step("Opacity"), document_(document), mesh_(std::move(mesh)), old_(old), now_(now),
      changed_(changed) {}

void OpacityChange::set(float value) {
    mesh_->material->opacity = value;
    if (document_.selectedNode() != mesh_) {
        document_.setSelectedNode(mesh_);
    }
    changed_.emit();
}

ShadingChange::ShadingChange(Document& document, MeshPtr mesh, bool smooth, Signal<>& changed)
    : Step(smooth ? "Smooth Shading" : "Flat Shading"), document_(document), mesh_(std::move(mesh)),
      smooth_(smooth), changed_(changed) {}

void ShadingChange::set(bool smooth) {
    mesh_->smoothShading = smooth;
    if (document_.selectedNode() != mesh_) {
        document_.setSelectedNode(mesh_);
    }
    changed_.emit();
}

} // namespace tessel
