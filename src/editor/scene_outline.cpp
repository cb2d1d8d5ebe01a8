#include "editor/scene_outline.h"

#include "editor/document_steps.h"

namespace tessel {

namespace {

std::optional<PrimitiveKind> primitiveNamed(const std::string& title) {
    for (const PrimitiveKind kind :
         {PrimitiveKind::Plane, PrimitiveKind::Box, PrimitiveKind::UvSphere,
          PrimitiveKind::Icosphere, PrimitiveKind::Cylinder, PrimitiveKind::Cone,
          PrimitiveKind::Torus}) {
        if (PrimitiveParams::nameOf(kind) == title) {
            return kind;
        }
    }
    return std::nullopt;
}

} // namespace

SceneOutline::SceneOutline(Document& owner)
    : gridSizePanel(&owner), primitivePanel(&owner), materialPanel(&owner), owner_(owner) {
    const auto resized = [this](GridSizeChange::Axis axis) {
        return [this, axis](std::int64_t old, std::int64_t now) {
            const MeshPtr grid = mesh();
            setSelectedNode(selectedNode());
            owner_.record(std::make_shared<GridSizeChange>(owner_, grid, axis, old, now));
        };
    };
    rowsConnection_ = gridSizePanel.rowsChanged.connect(resized(GridSizeChange::Axis::Rows));
    columnsConnection_ =
        gridSizePanel.columnsChanged.connect(resized(GridSizeChange::Axis::Columns));
    primitiveConnection_ = primitivePanel.valueChanged.connect(
        [this](const MeshPtr& changed, std::size_t index, double old, double now) {
            setSelectedNode(changed);
            owner_.record(std::make_shared<PrimitiveChange>(owner_, changed, index, old, now));
        });
    opacityConnection_ =
        materialPanel.opacitySet.connect([this](const MeshPtr& changed, float old, float now) {
            owner_.record(std::make_shared<OpacityChange>(owner_, changed, old, now,
                                                          materialPanel.opacityChanged));
        });
    shadingConnection_ =
        materialPanel.shadingSet.connect([this](const MeshPtr& changed, bool smooth) {
            owner_.record(std::make_shared<ShadingChange>(owner_, changed, smooth,
                                                          materialPanel.shadingChanged));
        });
}

SceneOutline::~SceneOutline() {
    materialPanel.shadingSet.disconnect(shadingConnection_);
    materialPanel.opacitySet.disconnect(opacityConnection_);
    primitivePanel.valueChanged.disconnect(primitiveConnection_);
    gridSizePanel.columnsChanged.disconnect(columnsConnection_);
    gridSizePanel.rowsChanged.disconnect(rowsConnection_);
}

MeshPtr SceneOutline::addNode(const std::string& title) {
    MeshPtr mesh;
    if (title == "Quad") {
        planeCreationRequested.emit();
        mesh = Mesh::make(Model::makeQuad(Model::Params::make(3, 3)), "Quad");
    } else if (title == "Cube") {
        mesh = Document::makeCube();
    } else if (const std::optional<PrimitiveKind> kind = primitiveNamed(title)) {
        mesh = Mesh::make(Model::makePrimitive(PrimitiveParams::make(*kind)), title);
    } else {
        return nullptr;
    }
    const NodePtr before = selectedNode();
    scene()->insert(mesh);
    setSelectedNode(mesh);
    if (const std::optional<Placement> placement = placementOf(*scene(), mesh)) {
        owner_.record(std::make_shared<NodesPlaced>(
            "Add " + title, owner_, std::vector{NodesPlaced::Entry{mesh, *placement}}, true, before,
            mesh));
    }
    owner_.meshAdded.emit(mesh);
    return mesh;
}

void SceneOutline::removeNode() {
    const MeshPtr removed = mesh();
    if (!removed) {
        return;
    }
    // At any depth: an opened or imported scene nests its meshes.
    const std::optional<Placement> placement = placementOf(*scene(), removed);
    if (placement) {
        unplace(*scene(), removed, *placement);
    }
    setSelectedNode(nullptr);
    if (placement) {
        owner_.record(std::make_shared<NodesPlaced>(
            "Delete " + removed->name(), owner_,
            std::vector{NodesPlaced::Entry{removed, *placement}}, false, removed, nullptr));
    }
}

SceneOutline::CreationPanel SceneOutline::creationPanel() const {
    const MeshPtr selected = mesh();
    if (!selected || !selected->model()) {
        return CreationPanel::None;
    }
    if (selected->model()->params()) {
        return CreationPanel::Grid;
    }
    if (selected->model()->primitive()) {
        return CreationPanel::Primitive;
    }
    return selected->model()->isCube() ? CreationPanel::Cube : CreationPanel::Mesh;
}

std::optional<Box> SceneOutline::cubeBounds() const {
    if (creationPanel() != CreationPanel::Cube) {
        return std::nullopt;
    }
    const LayerPtr& committed = mesh()->model()->committed();
    // Asked at every repaint; the bounds change only with a new committed layer.
    if (boundsLayer_.lock() != committed) {
        boundsLayer_ = committed;
        bounds_ = boundsOf(committed->positions, Matrix());
    }
    return bounds_;
}

std::optional<SceneOutline::MeshSummary> SceneOutline::meshSummary() const {
    const MeshPtr selected = mesh();
    if (!selected || !selected->model()) {
        return std::nullopt;
    }
    const Layer& layer = *selected->model()->committed();
    return MeshSummary{selected->name(), layer.positions.size(), layer.faces.size()};
}

void SceneOutline::outlineSelectionChanged(const NodePtr& node) {
    if (node) {
        setSelectedNode(node);
    }
}

} // namespace tessel
