#pragma once

#include "base/signal.h"
#include "editor/document.h"
#include "editor/grid_size_panel.h"
#include "editor/material_panel.h"
#include "editor/primitive_panel.h"
#include "scene/navigation.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tessel {

// The logic of the scene panel: adding and removing meshes, the rules tying the outline's
// selected row to the window's selected node, and the sub-panels for the selected mesh.
// The panel's widgets show this state and forward the user's actions here.
class SceneOutline {
public:
    explicit SceneOutline(Document& owner);
    ~SceneOutline();
    SceneOutline(const SceneOutline&) = delete;
    SceneOutline& operator=(const SceneOutline&) = delete;

    Document& owner() const { return owner_; }
    const ScenePtr& scene() const { return owner_.scene(); }
    const NodePtr& selectedNode() const { return owner_.selectedNode(); }
    void setSelectedNode(NodePtr node) { owner_.setSelectedNode(std::move(node)); }
    MeshPtr mesh() const { return asMesh(owner_.selectedNode()); }

    // The entries of the add menu, in order.
    const std::vector<std::string> addNodeMenuItems{
        "Quad", "Cube", "Plane", "Box", "UV sphere", "Icosphere", "Cylinder", "Cone", "Torus"};

    // Adds the mesh the menu entry names below the root (or as the root of an empty scene) and
    // selects it: "Quad" a 3 × 3 grid, "Cube" the 2-unit cube, any other entry that primitive
    // with its default settings (PrimitiveParams), all centred on the origin. For "Quad",
    // planeCreationRequested is emitted first so the grid's rows and columns can be set at once.
    // The document's meshAdded follows the selection. Any other title adds nothing and returns
    // null.
    MeshPtr addNode(const std::string& title);
    Signal<> planeCreationRequested;

    // Removal is offered exactly when the selected node is a mesh.
    bool canRemoveNode() const { return mesh() != nullptr; }
    // Takes the selected mesh out of the scene (at any depth) and selects nothing. Does nothing
    // when removal is not offered.
    void removeNode();

    // The panel the selected node is described by: a grid's rows and columns, a cube's size and
    // centre, a primitive's settings, the name and counts of any other mesh (imported, or opened
    // from a file), none without a selected mesh.
    enum class CreationPanel { None, Grid, Cube, Primitive, Mesh };
    CreationPanel creationPanel() const;
    // The box around the selected cube's committed points, as they are after any edits; none for
    // another mesh or a cube with no points left.
    std::optional<Box> cubeBounds() const;
    // The selected mesh's name and the counts of its committed layer.
    struct MeshSummary {
        std::string name;
        size_t points = 0;
        size_t faces = 0;
    };
    std::optional<MeshSummary> meshSummary() const;

    // The user selected the outline row of `node`: it becomes the selected node. Null (no row
    // selected) leaves the selection as it is.
    void outlineSelectionChanged(const NodePtr& node);

    // The sub-panels, bound to the selected mesh for the panel's whole life. A change of
    // the grid's rows or columns, or of a primitive's settings, writes the selected node again,
    // so everything that follows the selection (the editor's tool, the viewports) picks up the
    // regenerated mesh.
    GridSizePanel gridSizePanel;
    PrimitivePanel primitivePanel;
    MaterialPanel materialPanel;

private:
    Document& owner_;
    mutable std::weak_ptr<Layer> boundsLayer_;
    mutable std::optional<Box> bounds_;
    Signal<std::int64_t, std::int64_t>::Connection rowsConnection_ = 0;
    Signal<std::int64_t, std::int64_t>::Connection columnsConnection_ = 0;
    Signal<const MeshPtr&, std::size_t, double, double>::Connection primitiveConnection_ = 0;
    Signal<const MeshPtr&, float, float>::Connection opacityConnection_ = 0;
    Signal<const MeshPtr&, bool>::Connection shadingConnection_ = 0;
};

} // namespace tessel
