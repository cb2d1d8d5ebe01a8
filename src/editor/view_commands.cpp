// The editor's navigation gestures, view commands, selection commands and status lines.

#include "editor/editor.h"

#include "tools/tool_table.h"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <utility>

namespace tessel {

namespace {

Vec2 device(Vec2 normalized) { return {2 * normalized.x - 1, 2 * normalized.y - 1}; }

} // namespace

std::optional<Box> Editor::bounds(bool selectedOnly) const {
    std::vector<MeshPtr> shown;
    if (const MeshPtr mesh = selectedMesh(); mesh && selectedOnly) {
        shown.push_back(mesh);
    } else {
        shown = meshes();
    }
    std::optional<Box> all;
    for (const MeshPtr& mesh : shown) {
        const std::optional<Box> box =
            boundsOf(mesh->model()->shownLayer()->positions, mesh->matrix());
        if (!box) {
            continue;
        }
        if (!all) {
            all = box;
        } else {
            all->add(box->min);
            all->add(box->max);
        }
    }
    return all;
}

Vector3 Editor::pivot() const {
    const std::optional<Box> box = bounds(true);
    return box ? box->centre() : Vector3{0, 0, 0};
}

void Editor::frameSelectedEverywhere() {
    if (const std::optional<Box> box = bounds(true)) {
        for (Viewport* view : views_.viewports()) {
            frame(*view->camera, view->aspectRatio, *box);
        }
        refresh();
    }
}

void Editor::beginNavigation(Viewport& view) {
    makeRecent(view);
    navigationPivot_ = pivot();
}

void Editor::orbit(Viewport& view, Vec2 delta) {
    constexpr float kHalfTurnPerUnit = 1.5707964f;
    tessel::orbit(*view.camera, navigationPivot_, delta.x * kHalfTurnPerUnit,
                  delta.y * kHalfTurnPerUnit);
    if (delta.x != 0 || delta.y != 0) {
        view.viewName = ViewName::User;
    }
    viewMoved.emit(view);
}

void Editor::pan(Viewport& view, Vec2 from, Vec2 to) {
    const Vec2 a = device(from);
    const Vec2 b = device(to);
    tessel::pan(*view.camera, view.aspectRatio, navigationPivot_, a.x, a.y, b.x, b.y);
    viewMoved.emit(view);
}

void Editor::zoom(Viewport& view, Vec2 at, float steps) {
    // A wheel turn is no click: the recent view stays, also for a tool dragging in another one.
    const Vec2 p = device(at);
    tessel::zoom(*view.camera, view.aspectRatio, pivot(), p.x, p.y, std::pow(0.85f, steps));
    viewMoved.emit(view);
}

void Editor::perform(Command command, Viewport& view) {
    switch (command) {
    case Command::ViewFront: ViewportSet::lookAlong(view, pivot(), ViewName::Front); break;
    case Command::ViewBack: ViewportSet::lookAlong(view, pivot(), ViewName::Back); break;
    case Command::ViewLeft: ViewportSet::lookAlong(view, pivot(), ViewName::Left); break;
    case Command::ViewRight: ViewportSet::lookAlong(view, pivot(), ViewName::Right); break;
    case Command::ViewTop: ViewportSet::lookAlong(view, pivot(), ViewName::Top); break;
    case Command::ViewBottom: ViewportSet::lookAlong(view, pivot(), ViewName::Bottom); break;
    case Command::FrameSelected:
    case Command::FrameAll:
        if (const std::optional<Box> box = bounds(command == Command::FrameSelected)) {
            frame(*view.camera, view.aspectRatio, *box);
        }
        break;
    case Command::ResetCameras: views_.resetCameras(); break;
    case Command::SelectAll: selectAll(); break;
    case Command::SelectNone: selection_.clear(); break;
    case Command::InvertSelection: invertSelection(); break;
    case Command::CancelGesture:
        cancelLoopCut();
        cancelBevel();
        cancelTransform();
        cancelGesture();
        break;
    case Command::DeleteFaces:
    case Command::DeletePoints:
    case Command::DeleteEdges:
    case Command::DeleteOnlyFaces: deleteSelection(command); break;
    case Command::StartMove:
        startTransform(TransformGesture::Kind::Move, view, view.pointerPosition);
        return;
    case Command::StartRotate:
        startTransform(TransformGesture::Kind::Rotate, view, view.pointerPosition);
        return;
    case Command::StartScale:
        startTransform(TransformGesture::Kind::Scale, view, view.pointerPosition);
        return;
    case Command::ConfirmTransform: confirmTransform(); return;
    case Command::Duplicate: duplicateSelection(view); return;
    case Command::Fill: fillSelection(view); return;
    case Command::BridgeLoops: bridgeSelection(); return;
    case Command::StartLoopCut: startLoopCut(view, view.pointerPosition); return;
    case Command::StartBevel: startBevel(view, view.pointerPosition, false); return;
    case Command::StartPointBevel: startBevel(view, view.pointerPosition, true); return;
    case Command::StartEdgeCrease: startEdgeCrease(view, view.pointerPosition); return;
    case Command::SelectLoop:
    case Command::SelectRing:
    case Command::ToolGesture:
    case Command::AddToSelection:
    case Command::RemoveFromSelection:
    case Command::Orbit:
    case Command::Pan:
    case Command::Zoom:
    case Command::CameraKey: return;
    }
    refresh();
}

void Editor::selectAll() {
    if (const MeshPtr mesh = selectedMesh(); mesh && mode_ != Mode::Mesh) {
        tessel::selectAll(selection_, element(), selectable(mesh->model()->shownLayer()));
    }
}

void Editor::invertSelection() {
    if (const MeshPtr mesh = selectedMesh(); mesh && mode_ != Mode::Mesh) {
        tessel::invertSelection(selection_, element(), selectable(mesh->model()->shownLayer()));
    }
}

std::string Editor::meshStatus() const {
    const MeshPtr mesh = selectedMesh();
    if (!mesh) {
        return "No mesh selected";
    }
    const Layer& layer = *mesh->model()->shownLayer();
    std::string status = mesh->name() + ": " + counted(layer.positions.size(), "point") + ", " +
                         counted(layer.faces.size(), "face");
    if (const size_t drawn = layer.faces.triangleCount(); drawn != layer.faces.size()) {
        status += " (" + counted(drawn, "triangle") + ")";
    }
    return status;
}

std::string Editor::selectionStatus() const {
    const MeshPtr mesh = selectedMesh();
    if (!mesh || mode_ == Mode::Mesh) {
        return {};
    }
    return tessel::selectionStatus(selection_, element(), selectable(mesh->model()->shownLayer()));
}

std::string_view Editor::toolHint() const {
    return kModes[static_cast<size_t>(mode_)].tools[static_cast<size_t>(toolTag_)].hint;
}

} // namespace tessel
