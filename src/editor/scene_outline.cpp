#include "editor/scene_outline.h"

#include <algorithm>
#include <iterator>

namespace tessel {

SceneOutline::SceneOutline(Document& owner)
    : gridSizePanel(&owner), materialPanel(&owner), owner_(owner) {
    const auto reselect = [this] { setSelectedNode(selectedNode()); };
    rowsConnection_ = gridSizePanel.rowsChanged.connect(reselect);
    columnsConnection_ = gridSizePanel.columnsChanged.connect(reselect);
}

SceneOutline::~SceneOutline() {
    gridSizePanel.columnsChanged.disconnect(columnsConnection_);
    gridSizePanel.rowsChanged.disconnect(rowsConnection_);
}

MeshPtr SceneOutline::addNode(const std::string& title) {
    MeshPtr mesh;
    if (title == "Quad") {
        planeCreationRequested.emit();
        mesh = Mesh::make(Model::makeQuad(Model::Params::make(3, 3)), "Quad");
    } else if (title == "Cube") {
        mesh = Mesh::make(Model::makeCube(), "Cube");
    } else {
        return nullptr;
    }
    scene()->insert(mesh);
    setSelectedNode(mesh);
    return mesh;
}

void SceneOutline::removeNode() {
    const MeshPtr removed = mesh();
    if (!removed) {
        return;
    }
    const ScenePtr& current = scene();
    const std::vector<NodePtr>& topLevel = current->nodes();
    if (std::find(topLevel.begin(), topLevel.end(), removed) != topLevel.end()) {
        // A mesh added to an empty scene became its root, which removal from the root's
        // children cannot reach.
        std::vector<NodePtr> kept;
        std::copy_if(topLevel.begin(), topLevel.end(), std::back_inserter(kept),
                     [&](const NodePtr& node) { return node != removed; });
        current->setNodes(std::move(kept));
    } else if (!topLevel.empty()) {
        current->remove(removed);
    }
    setSelectedNode(nullptr);
}

SceneOutline::CreationPanel SceneOutline::creationPanel() const {
    const MeshPtr selected = mesh();
    if (!selected || !selected->model()) {
        return CreationPanel::None;
    }
    return selected->model()->params() ? CreationPanel::Grid : CreationPanel::Cube;
}

void SceneOutline::outlineSelectionChanged(const NodePtr& node) {
    if (node) {
        setSelectedNode(node);
    }
}

} // namespace tessel
