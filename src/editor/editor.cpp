#include "editor/editor.h"

#include "base/check.h"
#include "base/memory.h"
#include "tools/tool_table.h"

#include <algorithm>
#include <sstream>

namespace tessel {

Editor::Editor(Document& owner) : owner_(owner) {}

void Editor::refresh() {
    // A tool that acts on the selection as it stands hears of it before its preview is updated.
    if (tool_ && (!toolKnowsSelection_ || selection_ != selectionToldToTool_)) {
        toolKnowsSelection_ = true;
        selectionToldToTool_ = selection_;
        tool_->selectionChanged();
    }
    // The preview is brought up to date and the frame's data forgotten before any viewport hears
    // of the change, so that drawing only ever reads.
    if (const MeshPtr mesh = selectedMesh()) {
        mesh->model()->updatePreview();
        if (const Model::Refusal refusal = mesh->model()->takeRefusal();
            refusal != Model::Refusal::None) {
            editRefused.emit(refusal);
        }
    }
    frameData.invalidate();
    returnMemoryOfDroppedPreview();
    viewsChanged.emit();
}

void Editor::setViewOptions(const ViewOptions& options) {
    if (options != viewOptions_) {
        viewOptions_ = options;
        refresh();
    }
}

Editor::~Editor() {
    if (selectionConnection_ != 0) {
        owner_.selectedNodeChanged.disconnect(selectionConnection_);
        owner_.meshAdded.disconnect(addedConnection_);
    }
    // Installed previews capture their tools, and tools refer to this editor: drop them
    // all so nothing left in the scene can call back into a dead editor.
    const ScenePtr& currentScene = owner_.scene();
    if (currentScene && !currentScene->nodes().empty()) {
        for (const MeshPtr& mesh : currentScene->meshes()) {
            if (mesh->model()) {
                mesh->model()->setModifier(nullptr);
            }
        }
    }
    if (const MeshPtr mesh = selectedMesh(); mesh && mesh->model()) {
        mesh->model()->setModifier(nullptr);
    }
}

MeshPtr Editor::selectedMesh() const { return asMesh(selectedNode()); }

void Editor::selectMesh(MeshPtr mesh) { owner_.setSelectedNode(std::move(mesh)); }

std::vector<MeshPtr> Editor::meshes() const {
    const ScenePtr& currentScene = scene();
    if (!currentScene || currentScene->nodes().empty()) {
        return {};
    }
    return currentScene->meshes();
}

void Editor::returnMemoryOfDroppedPreview() {
    // Only a preview of some size is worth a trip to the system, and only when it is mostly
    // gone (dropped, or replaced by a much smaller one): a drag replaces previews of one size.
    constexpr size_t kWorthReturning = 16 << 20;
    size_t bytes = 0;
    if (const MeshPtr mesh = selectedMesh(); mesh && mesh->model()->modifier()) {
        const Layer& shown = *mesh->model()->shownLayer();
        bytes = shown.positions.capacity() * sizeof(Vector3) + shown.faces.bytes();
    }
    if (largestPreviewBytes_ > bytes + kWorthReturning && bytes < largestPreviewBytes_ / 2) {
        frameData.releaseStorage();
        returnFreeMemory();
        largestPreviewBytes_ = bytes;
    }
    largestPreviewBytes_ = std::max(largestPreviewBytes_, bytes);
}

void Editor::bindViewports(const std::array<Viewport*, 4>& views) {
    TESSEL_CHECK(!views_.isBound() && selectionConnection_ == 0, "Editor::bindViewports",
                 "the views are already loaded");
    // Subscribed before the first selection below, so that selection builds the first tool.
    selectionConnection_ = owner_.selectedNodeChanged.connect(
        [this](const NodePtr&, const NodePtr&) { modeSelected(modeTag()); });
    addedConnection_ =
        owner_.meshAdded.connect([this](const MeshPtr&) { frameSelectedEverywhere(); });

    scene()->insert(Document::startingRoot());
    owner_.setSelectedNode(owner_.firstMesh());
    views_.bind(views);
}

Element Editor::element() const {
    switch (mode_) {
    case Mode::Vertex: return Element::Point;
    case Mode::Edge: return Element::Edge;
    case Mode::Polygon: return Element::Face;
    case Mode::Mesh: break;
    }
    return Element::Mesh;
}

SelectableLayer Editor::selectable(const LayerPtr& layer) const {
    if (element() != Element::Edge) {
        return {*layer, {}};
    }
    return {*layer, topologyOf(layer).edges};
}

const EdgeTopology& Editor::topologyOf(const LayerPtr& layer) const {
    // Edges depend on the faces alone: the previews of a drag that moves points share them.
    if (!topologyFor_ ||
        (topologyFor_ != layer && (topologyFor_->faces != layer->faces ||
                                   topologyFor_->positions.size() != layer->positions.size()))) {
        topology_ = edgeTopology(*layer);
    }
    topologyFor_ = layer;
    return topology_;
}

void Editor::convertSelection(Element from, Element to) {
    const MeshPtr mesh = selectedMesh();
    if (!mesh || from == to || from == Element::Mesh || to == Element::Mesh) {
        selection_.clear();
        return;
    }
    const LayerPtr layer = mesh->model()->shownLayer();
    const EdgeTopology& topology = topologyOf(layer);
    ElementSelection converted;
    if (from == Element::Point) {
        if (to == Element::Edge) {
            converted.edges = pointsToEdges(topology, selection_.points);
        } else {
            converted.faces = pointsToFaces(topology, *layer, selection_.points);
        }
    } else if (from == Element::Edge) {
        if (to == Element::Point) {
            converted.points = edgesToPoints(topology, selection_.edges);
        } else {
            converted.faces = edgesToFaces(topology, *layer, selection_.edges);
        }
    } else if (to == Element::Point) {
        converted.points = facesToPoints(*layer, selection_.faces);
    } else {
        converted.edges = facesToEdges(topology, *layer, selection_.faces);
    }
    selection_ = std::move(converted);
}

void Editor::key(const std::optional<std::string>& characters) {
    // A running transform takes its keys before the camera does.
    if (characters && characters->size() == 1 && transformKey((*characters)[0])) {
        return;
    }
    ViewportSet::stepCamera(recentView(), characters);
    refresh();
}

void Editor::toolSelected(int tag) {
    // A new tool ends a transform the keyboard started, and its panel replaces the last one's.
    dropTransform();
    lastTransform_.reset();
    const std::span<const ToolEntry> tools = kModes[static_cast<size_t>(mode_)].tools;
    if (tag < 0 || static_cast<size_t>(tag) >= tools.size()) {
        return;
    }
    if (tag != toolTag_) {
        toolTag_ = tag;
        pickersChanged.emit();
    }
    if (!selectedMesh()) {
        return;
    }
    tool_ = tools[static_cast<size_t>(tag)].make(*this);
    toolKnowsSelection_ = false;
    refresh();
}

void Editor::modeSelected(int tag) {
    TESSEL_CHECK(tag >= 0 && tag < static_cast<int>(kModes.size()), "Editor::modeSelected",
                 "mode tag " << tag << " out of range");
    const Mode newMode = static_cast<Mode>(tag);
    // Changing the mode keeps what was selected, as the new mode's elements; the same mode
    // chosen again (another mesh was selected) starts empty.
    const Element before = element();
    // The tool picker now lists the new mode's tools and shows the first; re-selecting the
    // current mode keeps the tool the user picked.
    if (newMode != mode_) {
        toolTag_ = 0;
    }
    mode_ = newMode;
    convertSelection(before, element());
    pickersChanged.emit();
    toolSelected(toolTag_);
    refresh();
}

void Editor::apply() {
    const MeshPtr mesh = selectedMesh();
    if (!mesh) {
        return;
    }
    BeforeCommit before = beforeCommit();
    mesh->model()->applyModifier();
    recordCommit(std::move(before));
    refresh();
}

Editor::BeforeCommit Editor::beforeCommit() const {
    BeforeCommit before;
    before.mesh = selectedMesh();
    if (before.mesh) {
        before.committed = before.mesh->model()->committed();
        before.followsParams = before.mesh->model()->followsParams();
    }
    before.state = {modeTag(), selection_};
    const std::span<const ToolEntry> tools = kModes[static_cast<size_t>(mode_)].tools;
    if (static_cast<size_t>(toolTag_) < tools.size()) {
        before.toolName = tools[static_cast<size_t>(toolTag_)].name;
    }
    return before;
}

void Editor::recordCommit(BeforeCommit before) {
    if (!before.mesh || before.mesh != selectedMesh() ||
        before.mesh->model()->committed() == before.committed) {
        return;
    }
    // A weld is named by what it joined, the other tools by themselves.
    std::ostringstream name;
    name << before.toolName;
    if (mode_ == Mode::Vertex && before.toolName == "Weld") {
        const size_t count = before.state.selection.points.size();
        name << " " << count << (count == 1 ? " point" : " points");
    }
    auto edit = std::make_shared<MeshEdit>(name.str(), *this, before.mesh, *before.committed,
                                           before.followsParams, std::move(before.state),
                                           EditState{modeTag(), selection_});
    if (!edit->changesNothing()) {
        owner_.record(std::move(edit));
        return;
    }
    // A commit that changed nothing (a click that moved nothing) leaves the mesh as it was: a
    // grid keeps following its rows and columns, as the recorded steps expect.
    before.mesh->model()->restoreCommitted(before.committed, before.followsParams);
}

void Editor::restore(const MeshPtr& mesh, LayerPtr layer, bool followsParams,
                     const EditState& state) {
    if (selectedNode() != mesh) {
        owner_.setSelectedNode(mesh);
    }
    mesh->model()->restoreCommitted(std::move(layer), followsParams);
    // A new tool: the old one may hold ids of the layer that was replaced.
    isDuringSelection_ = false;
    modeSelected(state.mode);
    selection_ = state.selection;
    refresh();
}

void Editor::renderingOptionsControlClicked(int segment, bool selected) {
    TESSEL_CHECK(segment >= 0 && segment < 3, "Editor::renderingOptionsControlClicked",
                 "segment " << segment << " out of range");
    Viewport& view = recentView();
    bool* const options[3] = {&view.renderPoints, &view.renderLines, &view.renderFilled};
    *options[segment] = selected;
    if (renderingOptionsControl_[static_cast<size_t>(segment)] != selected) {
        renderingOptionsControl_[static_cast<size_t>(segment)] = selected;
        pickersChanged.emit();
    }
    refresh();
}

} // namespace tessel
