#pragma once

#include "base/signal.h"
#include "editor/bindings.h"
#include "editor/document.h"
#include "editor/element_selection.h"
#include "editor/frame_data.h"
#include "editor/mesh_edit.h"
#include "editor/view_options.h"
#include "editor/viewport_set.h"
#include "geometry/plane.h"
#include "mesh/edge_topology.h"
#include "mesh/model.h"
#include "scene/camera.h"
#include "scene/navigation.h"
#include "scene/viewport.h"
#include "tools/operation.h"
#include "tools/tool_context.h"
#include "tools/transform_tool.h"

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tessel {

class BevelTool;
class EdgeCrease;
class LoopCutTool;

// The editor of the editing area: modes and tools, the active tool, the selection and the input
// handlers, over the four viewports (viewport_set.h). It is the context of the tools it makes
// and what undo puts edits back through.
class Editor final : public ToolContext, public EditRestorer {
public:
    enum class Mode { Vertex = 0, Edge = 1, Polygon = 2, Mesh = 3 };

    explicit Editor(Document& owner);
    ~Editor();
    Editor(const Editor&) = delete;
    Editor& operator=(const Editor&) = delete;

    // View loading: fills the scene, selects the first mesh and binds the four viewports
    // (top-left, top-right, bottom-left, bottom-right) to their cameras and selection volumes.
    void bindViewports(const std::array<Viewport*, 4>& viewports);

    const ScenePtr& scene() const { return owner_.scene(); }
    const NodePtr& selectedNode() const { return owner_.selectedNode(); }

    // --- What the tools see ---
    MeshPtr selectedMesh() const override;
    void selectMesh(MeshPtr mesh) override;
    std::vector<MeshPtr> meshes() const override;
    std::vector<std::int64_t>& selectedPointsIds() override { return selection_.points; }
    std::vector<Edge>& selectedEdges() override { return selection_.edges; }
    std::vector<std::uint32_t>& selectedFacesIds() override { return selection_.faces; }
    const std::vector<std::int64_t>& selectedPointsIds() const { return selection_.points; }
    const std::vector<Edge>& selectedEdges() const { return selection_.edges; }
    const std::vector<std::uint32_t>& selectedFacesIds() const { return selection_.faces; }
    const ElementSelection& selection() const { return selection_; }
    bool pressAddsFaces() const override { return pressAddsFaces_; }
    // The viewport of the last press; before any, the first viewport.
    Viewport& recentView() { return views_.recent(); }
    // Makes `view` the viewport of the last press, as a press there does.
    void setRecentView(Viewport& view) { views_.setRecent(view); }

    // --- State ---
    // The camera of each viewport, in viewport order.
    const std::vector<CameraPtr>& cameras() const { return views_.cameras(); }
    Mode mode() const { return mode_; }
    // The tool that receives the gestures.
    const OperationPtr& tool() const { return tool_; }
    // Makes `tool` the one that receives the gestures, until the pickers build another.
    void setTool(OperationPtr tool) { tool_ = std::move(tool); }
    // A Vertex- or Edge-mode press that hit nothing is held: the drag selects with a rectangle.
    bool isDuringSelection() const { return isDuringSelection_; }

    // --- Pickers: the state the toolbar shows ---
    // Tag of the mode picker and of the tool picker (index into kModes[modeTag].tools).
    int modeTag() const { return static_cast<int>(mode_); }
    int toolTag() const { return toolTag_; }
    // The rendering-options control: points, lines, filled (mirrors the last clicked viewport).
    const std::array<bool, 3>& renderingOptionsControl() const { return renderingOptionsControl_; }
    // The View menu's options, which every viewport reads as it draws.
    const ViewOptions& viewOptions() const { return viewOptions_; }
    // Stores the options; a change refreshes the views.
    void setViewOptions(const ViewOptions& options);
    // The pickers or the options control changed: the toolbar refreshes from the state above.
    Signal<> pickersChanged;
    // Something visible changed and the preview is up to date: the viewports repaint.
    Signal<> viewsChanged;
    // Only this viewport's camera moved (orbit, pan, zoom): it alone repaints.
    Signal<Viewport&> viewMoved;
    // Something visible changed (the editor's own events call it, and so does whoever changes
    // the scene beside them): brings the selected mesh's preview up to date, reports a refused
    // edit, ends the frame of the draw data and emits viewsChanged.
    void refresh();
    // The selected mesh's model refused a preview or a commit (never None) whose result could
    // exceed kMaxTriangles; emitted once per change that met the refusal, before the viewports
    // hear of it.
    Signal<Model::Refusal> editRefused;
    // What a command on the selection tells the status bar: why it refused the selection and
    // changed nothing, or, once it did its work, nothing (an earlier refusal is out of date).
    Signal<const std::string&> commandMessage;
    // The viewports' draw data, shared between them within a frame; every viewsChanged ends
    // the frame.
    FrameData frameData;
    // What the viewports show now: the scene, the selected node and the selection.
    FrameContent frameContent() const {
        return {scene()->root(), selectedNode(), &selection_, viewOptions_};
    }
    // Everything `view` draws now (FrameData::prepare of frameContent()).
    std::vector<DrawItem> prepareFrame(Viewport& view) {
        return frameData.prepare(view, frameContent());
    }

    // --- Gestures: each ends with one viewsChanged ---
    // How a press changes the selection: replaces it (the tool's own gesture), adds to it or
    // removes from it (selection only: the tool hears nothing of the gesture).
    enum class SelectionChange { Replace, Add, Remove };
    // A press at `position` in `view`: makes it the recent view; in Vertex and Edge mode selects
    // the points under the pointer or the edge nearest it (or, on empty space, starts a
    // rectangle) and holds the button, then hands the press to the tool. Add and Remove there
    // change the selection only; Add in Polygon mode, for a tool that acts on several faces, keeps
    // the faces selected before the tool's press and adds the one pressed. Otherwise Add and Remove
    // act as Replace.
    void press(Viewport& view, Vec2 position, SelectionChange change = SelectionChange::Replace);
    // The pointer moved to `to` by `delta` with the button held: the rectangle selection
    // follows it, or the tool drags.
    void drag(Viewport& view, Vec2 to, Vec2 delta);
    // The button came up: the tool hears of it in every mode, and any rectangle ends.
    void release(Viewport& view);
    // A key typed `characters`: the camera keys move the recent view's camera.
    void key(const std::optional<std::string>& characters);

    // How near (in device units) a click must come to an edge to select it in Edge mode.
    static constexpr float kEdgeClickDistance = 0.02f;
    // Edge mode: selects the loop (or the ring) of the edge nearest `position` in `view`, in
    // place of the selection or added to it; nothing near leaves the selection as it is.
    void selectLoop(Viewport& view, Vec2 position, bool ring, SelectionChange change);

    // --- Transforms from the keyboard: each ends with one refresh ---
    // Starts a Move, Rotate or Scale of the selection (in Mesh mode, of the selected mesh) from
    // the pointer at `position` in `view`, unless a gesture is held or nothing is selected. While
    // it runs the pointer drives it, keys go to it first, a press confirms it and cancelling drops
    // it.
    void startTransform(TransformGesture::Kind kind, Viewport& view, Vec2 position);
    bool isTransforming() const;
    // The pointer moved to `position` in `view` with no button held.
    void hover(Viewport& view, Vec2 position);
    // A key for the running transform (x, y, z, X, Y, Z, digits, "-", ".", Backspace); whether it
    // took it.
    bool transformKey(char c);
    // Ctrl went down or up.
    void setSnapping(bool snapping);
    // Commits the running transform as one recorded edit, or drops it with nothing committed.
    void confirmTransform();
    void cancelTransform();
    // The running transform's amount for the status bar ("Rotate z: 45°"), else empty.
    std::string transformStatus() const;

    // --- Loop cut from the keyboard (Edge and Polygon mode) ---
    // Starts previewing the cut across the ring of the edge under the pointer, unless a gesture
    // or transform is held. While it runs the pointer picks the ring, digits (transformKey) and
    // the wheel set the number of cuts, a press and drag slides them, the release commits one
    // recorded edit and cancelling drops it.
    void startLoopCut(Viewport& view, Vec2 position);
    bool isLoopCutting() const { return loopCut_ != nullptr; }
    void loopCutWheel(int notches);
    void cancelLoopCut();

    // --- Bevel from the keyboard ---
    // Starts previewing the bevel of the selected edges (Edge mode) or points (Vertex mode, or
    // with `points` the points of the selected edges in Edge mode), unless a gesture, transform
    // or loop cut is held; a selection that cannot be bevelled is refused with a commandMessage.
    // While it runs the pointer's distance from the selection sets the width, digits
    // (transformKey) type it, the wheel sets the segments, a press or Return commits one
    // recorded edit and cancelling drops it.
    void startBevel(Viewport& view, Vec2 position, bool points);
    bool isBevelling() const { return bevel_ != nullptr; }
    void bevelWheel(int notches);
    void cancelBevel();
    // --- Edge crease from the keyboard (Edge mode) ---
    // Starts setting one crease weight on the selected edges (none selected: the status bar says
    // so), unless a gesture, transform or loop cut is held. It runs as a transform does
    // (isTransforming): the pointer and typed digits (transformKey) set the weight, shown in the
    // status bar, a press or confirmTransform commits it as one recorded edit "Edge Crease" and
    // cancelTransform drops it.
    void startEdgeCrease(Viewport& view, Vec2 position);
    bool isCreasing() const { return crease_ != nullptr; }

    // --- Navigation: each changes only the view's camera (no preview goes stale) ---
    // A navigation gesture starts in `view`: it becomes the recent view (as a press makes it),
    // and the pivot (the centre of the selected mesh, or of the scene) is fixed for the gesture.
    void beginNavigation(Viewport& view);
    // Orbits the camera about the pivot: a drag across the whole width (2 device units) turns
    // it half a turn about the vertical, a drag up or down tilts it likewise.
    void orbit(Viewport& view, Vec2 delta);
    // Pans so that what lies at the pivot's depth under the pointer at `from` follows it to `to`.
    void pan(Viewport& view, Vec2 from, Vec2 to);
    // Zooms toward the point under `at` by `steps` wheel notches (positive comes closer).
    void zoom(Viewport& view, Vec2 at, float steps);
    // Runs a command that takes no pointer: the view commands on `view`, Reset cameras, the
    // selection commands, cancelling the gesture in progress and deleting the selected faces.
    // Gesture commands are ignored. Ends with one viewsChanged.
    void perform(Command command, Viewport& view);
    // Frames the selected mesh in every viewport, as a new mesh from the add menu is shown.
    void frameSelectedEverywhere();
    // The centre of the selected mesh's bounds, else of every mesh's, else the origin.
    Vector3 pivot() const;
    // The bounds of the selected mesh as shown (with its node's transform), or of every mesh.
    std::optional<Box> bounds(bool selectedOnly) const;

    // --- Status ---
    // "Quad: 25 points, 32 faces" ("Box: 8 points, 6 faces (12 triangles)" when faces
    // are not all triangles), or "No mesh selected".
    std::string meshStatus() const;
    // "3 of 25 points selected" (Vertex mode), "2 of 40 edges selected" (Edge mode), "1 of 32
    // faces selected" (Polygon mode), or
    // empty (Mesh mode, no mesh).
    std::string selectionStatus() const;
    // What the current tool does with the left button.
    std::string_view toolHint() const;
    // The tool picker chose `tag` (ignored without a selected mesh or for an invalid tag).
    void toolSelected(int tag);
    // The mode picker chose `tag`: selections emptied, tool picker refilled showing tool 0.
    void modeSelected(int tag);
    // The current tool's settings (its panel), and a value the user set there: the preview follows.
    std::vector<ToolSetting> toolSettings() const;
    void setToolSetting(size_t index, double value);
    // Commits the selected mesh's preview; does nothing without a selected mesh.
    void apply();
    bool canApply() const { return selectedMesh() != nullptr; }
    void renderingOptionsControlClicked(int segment, bool selected);

    // The four sides of what the viewport's click box (around the press) or dragged rectangle
    // (from the press to the pointer) selects from; the dragged one also shapes the viewport's
    // selection volume, which draws it.
    std::array<Plane, 4> selectionSides(const Viewport& view, bool isClick);

    // Undo and redo of a mesh edit: selects the mesh, makes `layer` its committed layer (a grid
    // following its params again when `followsParams`), and puts back the mode and selection.
    // Any tool gesture in progress is dropped.
    void restore(const MeshPtr& mesh, LayerPtr layer, bool followsParams,
                 const EditState& state) override;

private:
    // What a commit is compared with: the selected mesh's committed layer and the selection.
    struct BeforeCommit {
        MeshPtr mesh;
        LayerPtr committed;
        bool followsParams = false;
        EditState state;
        std::string toolName;
    };
    BeforeCommit beforeCommit() const;
    // Records the edit when the selected mesh's committed layer changed since `before`.
    void recordCommit(BeforeCommit before);
    // Makes `view` the recent view; the options control shows its options.
    void makeRecent(Viewport& view);
    void selectAll();
    void invertSelection();
    // Ends the press or drag in progress as if it had not happened: the tool is made anew without
    // the preview, the selections are those before the press, and the release commits nothing.
    // Without a held button nothing happens.
    void cancelGesture();
    // Without a held button: removes what `command` names of the selected mesh's committed layer
    // (DeleteFaces: the mode's elements) as one recorded edit named by what went.
    void deleteSelection(Command command);
    // Without a held button: copies the selected faces (in Vertex and Edge mode, the faces the
    // selection spans) as one recorded edit, selects the copy and starts moving it from the
    // pointer in `view`.
    void duplicateSelection(Viewport& view);
    // Without a held button: in Edge mode fills each selected closed border with a face, in
    // Vertex mode joins the two selected points across their face, as one recorded edit (a
    // selection that allows neither is refused); in the other modes frames the selected mesh in
    // `view`.
    void fillSelection(Viewport& view);
    // Without a held button, in Edge mode: joins the two selected closed borders with a band of
    // faces as one recorded edit, or refuses anything else.
    void bridgeSelection();
    // Commits `layer` as the selected mesh's edit named `name`, unless it would draw too many
    // triangles; the selection stays.
    void commitEdit(LayerPtr layer, std::string name);

    // Gives the memory of a large preview back to the system once it is dropped.
    void returnMemoryOfDroppedPreview();
    // Ends a running transform with nothing committed, leaving the tool to the caller.
    void dropTransform();
    // The loop cut's side of the pointer handlers: whether it took the event.
    enum class LoopCutEvent { Hover, Press, Drag, Release };
    bool loopCutPointer(Viewport& view, Vec2 position, LoopCutEvent event);
    void loopCutChanged();
    void confirmLoopCut();
    // Ends a running loop cut with nothing committed, leaving the tool to the caller.
    void dropLoopCut();
    void bevelChanged();
    void confirmBevel();
    // Ends a running bevel with nothing committed, leaving the tool to the caller.
    void dropBevel();
    void creaseChanged();
    void confirmEdgeCrease();
    void cancelEdgeCrease();
    // Ends a running edge crease with nothing committed: the mesh shows its tool's preview again.
    void dropEdgeCrease();

    // The element the mode works on.
    Element element() const;
    // The layer with its edges (only in Edge mode, which reads them).
    SelectableLayer selectable(const LayerPtr& layer) const;
    // How the layer's faces meet at edges and points, found once per faces and point count: the
    // previews of a drag that moves points share it.
    const EdgeTopology& topologyOf(const LayerPtr& layer) const;
    // A press in Vertex or Edge mode changes `selected` by `hits` (what is under the pointer):
    // false when it changes only the selection and the gesture goes no further.
    template <class Id>
    bool pressSelects(std::vector<Id>& selected, std::vector<Id>& before,
                      const std::vector<Id>& hits, SelectionChange change);
    // The selection of `to` that the current one, of `from`, spans (mode changes convert).
    void convertSelection(Element from, Element to);

    Document& owner_;
    ViewportSet views_;
    // The transform started from the keyboard, while it runs.
    std::shared_ptr<TransformTool> transform_;
    // The loop cut started from the keyboard, while it runs, and the mesh it previews on.
    std::shared_ptr<LoopCutTool> loopCut_;
    std::weak_ptr<Mesh> loopCutMesh_;
    bool loopCutPressed_ = false;
    // The bevel started from the keyboard, while it runs, and the mesh it previews on.
    std::shared_ptr<BevelTool> bevel_;
    std::weak_ptr<Mesh> bevelMesh_;
    // The edge crease started from the keyboard, while it runs, and the mesh it previews on.
    std::shared_ptr<EdgeCrease> crease_;
    std::weak_ptr<Mesh> creaseMesh_;
    // The last transform it committed, whose amounts the panel sets.
    std::shared_ptr<TransformTool> lastTransform_;
    Mode mode_ = Mode::Vertex;
    int toolTag_ = 0;
    OperationPtr tool_;
    // The tool that took the held gesture's press, which its drags and release go to.
    OperationPtr gestureTool_;
    bool isDuringSelection_ = false;
    bool pressAddsFaces_ = false;
    // A press went to the editor and its release has not yet come.
    bool gestureHeld_ = false;
    // The held gesture was cancelled: its drags and its release change nothing.
    bool gestureCancelled_ = false;
    // The selected mesh and its selections when the held gesture was pressed, which cancelling
    // it puts back.
    std::weak_ptr<Mesh> meshAtPress_;
    ElementSelection selectionAtPress_;
    // The gesture in progress changes the selection only (Vertex mode Add or Remove).
    SelectionChange selectionChange_ = SelectionChange::Replace;
    // The point selection when that gesture's rectangle started, sorted.
    ElementSelection selectionBefore_;
    Vector3 navigationPivot_;
    ElementSelection selection_;
    // The selection the tool last heard of (selectionChanged).
    ElementSelection selectionToldToTool_;
    bool toolKnowsSelection_ = false;
    // The edges of the layer they were found for last, which is held for the comparison.
    mutable std::shared_ptr<const Layer> topologyFor_;
    mutable EdgeTopology topology_;
    std::array<bool, 3> renderingOptionsControl_{true, true, true};
    ViewOptions viewOptions_;
    // The largest preview shown since memory was last given back, in bytes.
    size_t largestPreviewBytes_ = 0;
    Signal<const NodePtr&, const NodePtr&>::Connection selectionConnection_ = 0;
    Signal<const MeshPtr&>::Connection addedConnection_ = 0;
};

} // namespace tessel
