#include "editor/editor.h"

#include "base/check.h"
#include "base/memory.h"
#include "tools/tool_table.h"

#include <algorithm>
#include <sstream>

namespace tessel {

namespace {

std::vector<CameraPtr> makeCameras() {
    // Projection parameters are the Camera defaults; view loading places them.
    return {Camera::make("Camera 1"), Camera::make("Camera 2"), Camera::make("Camera 3"),
            Camera::make("Camera 4")};
}

// One signed step per camera key; every other string moves nothing.
struct CameraStep {
    float dx = 0;
    float dy = 0;
    float dz = 0;
    float pitch = 0;
    float yaw = 0;
};

CameraStep cameraStep(const std::optional<std::string>& characters) {
    CameraStep step;
    if (!characters || characters->size() != 1) {
        return step;
    }
    constexpr float s = 0.1f;
    switch ((*characters)[0]) {
    case 'a': step.dx = -s; break;
    case 'd': step.dx = s; break;
    case 's': step.dy = -s; break;
    case 'w': step.dy = s; break;
    case 'q': step.dz = -s; break;
    case 'e': step.dz = s; break;
    case 'z': step.pitch = -s; break;
    case 'x': step.pitch = s; break;
    case 'c': step.yaw = -s; break;
    case 'v': step.yaw = s; break;
    default: break;
    }
    return step;
}

} // namespace

Editor::Editor(Document& owner) : owner_(owner), cameras_(makeCameras()) {
    // First subscriber: the preview is brought up to date and the frame's data forgotten before
    // any viewport hears of the change, so that drawing only ever reads.
    needsDisplay.connect([this] {
        if (const MeshPtr mesh = selectedMesh()) {
            mesh->model()->updatePreview();
            if (const Model::Refusal refusal = mesh->model()->takeRefusal();
                refusal != Model::Refusal::None) {
                editRefused.emit(refusal);
            }
        }
        frameData.invalidate();
        returnMemoryOfDroppedPreview();
    });
}

Editor::~Editor() {
    if (selectionConnection_ != 0) {
        owner_.selectedNodeChanged.disconnect(selectionConnection_);
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
    TESSEL_CHECK(viewports_.empty() && selectionConnection_ == 0, "Editor::bindViewports",
                 "the views are already loaded");
    for (size_t i = 0; i < views.size(); ++i) {
        TESSEL_CHECK(views[i] != nullptr, "Editor::bindViewports",
                     "viewport " << i << " is not connected");
    }

    // Subscribed before the first selection below, so that selection builds the first tool.
    selectionConnection_ = owner_.selectedNodeChanged.connect(
        [this](const NodePtr&, const NodePtr&) { modeSelected(modeTag()); });

    scene()->insert(Document::startingRoot());
    owner_.setSelectedNode(owner_.firstMesh());

    for (size_t i = 0; i < views.size(); ++i) {
        Viewport* view = views[i];
        view->camera = cameras_[i];
        viewports_.push_back(view);
        view->selectionVolume = Mesh::make(Model::makeCube());
    }
    resetCameras();
}

Viewport& Editor::recentView() {
    if (!recentView_) {
        TESSEL_CHECK(!viewports_.empty(), "Editor::recentView",
                     "read before any viewport was loaded");
        recentView_ = viewports_.front();
    }
    return *recentView_;
}

void Editor::key(const std::optional<std::string>& characters) {
    const CameraStep step = cameraStep(characters);
    Viewport& view = recentView();
    Camera& camera = *view.camera;
    const Vector3 position = camera.localMatrix.translationPart();

    // Unprojection of a device point through the viewport's current view-projection.
    const Matrix inverse = view.viewProjection().inverted();
    const auto unproject = [&inverse](float x, float y, float z) {
        return (inverse * Vector4(x, y, z, 1)).dehomogenized();
    };
    const Vector3 origin = unproject(0, 0, 0);
    const Vector3 translation = unproject(step.dx, step.dy, step.dz) - origin;

    // The axes are rebuilt from the current view on every key, so rounding never accumulates
    // into a skewed camera. Device x runs against world x (the aspect correction mirrors it),
    // hence the sign of X.
    Vector3 x;
    Vector3 y;
    Vector3 z;
    if (step.pitch != 0) {
        x = -(unproject(1, 0, 0) - origin).normalized();
        z = (position - unproject(0, step.pitch, 0)).normalized();
        y = z.cross(x);
    } else {
        y = (unproject(0, 1, 0) - origin).normalized();
        z = (position - unproject(step.yaw, 0, 0)).normalized();
        x = y.cross(z);
    }
    camera.localMatrix = Matrix::columns({x, y, z, position + translation});
    needsDisplay.emit();
}

void Editor::toolSelected(int tag) {
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
    needsDisplay.emit();
}

void Editor::modeSelected(int tag) {
    TESSEL_CHECK(tag >= 0 && tag < static_cast<int>(kModes.size()), "Editor::modeSelected",
                 "mode tag " << tag << " out of range");
    selectedPointsIds_.clear();
    selectedFacesIds_.clear();
    const Mode newMode = static_cast<Mode>(tag);
    // The tool picker now lists the new mode's tools and shows the first; re-selecting the
    // current mode keeps the tool the user picked.
    if (newMode != mode_) {
        toolTag_ = 0;
    }
    mode_ = newMode;
    pickersChanged.emit();
    toolSelected(toolTag_);
    needsDisplay.emit();
}

void Editor::apply() {
    const MeshPtr mesh = selectedMesh();
    if (!mesh) {
        return;
    }
    BeforeCommit before = beforeCommit();
    mesh->model()->applyModifier();
    recordCommit(std::move(before));
    needsDisplay.emit();
}

Editor::BeforeCommit Editor::beforeCommit() const {
    BeforeCommit before;
    before.mesh = selectedMesh();
    if (before.mesh) {
        before.committed = before.mesh->model()->committed();
        before.followsParams = before.mesh->model()->followsParams();
    }
    before.state = {modeTag(), selectedPointsIds_, selectedFacesIds_};
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
        const size_t count = before.state.points.size();
        name << " " << count << (count == 1 ? " point" : " points");
    }
    auto edit = std::make_shared<MeshEdit>(
        name.str(), *this, before.mesh, *before.committed, before.followsParams,
        std::move(before.state), EditState{modeTag(), selectedPointsIds_, selectedFacesIds_});
    if (!edit->changesNothing()) {
        owner_.record(std::move(edit));
    }
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
    selectedPointsIds_ = state.points;
    selectedFacesIds_ = state.faces;
    needsDisplay.emit();
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
    needsDisplay.emit();
}

} // namespace tessel
