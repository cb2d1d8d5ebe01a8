// The loop cut the keyboard starts: the pointer picks the ring, the wheel and digits set the
// cuts, a drag slides them, a click commits and Escape or a right click drops it.

#include "editor/editor.h"

#include "tools/loop_cut.h"

#include <utility>

namespace tessel {

void Editor::startLoopCut(Viewport& view, Vec2 position) {
    const MeshPtr mesh = selectedMesh();
    if ((mode_ != Mode::Edge && mode_ != Mode::Polygon) || gestureHeld_ || isTransforming() ||
        loopCut_ || bevel_ || !mesh) {
        return;
    }
    makeRecent(view);
    view.pointerPosition = position;
    Model& model = *mesh->model();
    loopCut_ = std::make_shared<LoopCutTool>(model.committed());
    loopCutMesh_ = mesh;
    loopCutPressed_ = false;
    loopCut_->pointAt(view, position, kEdgeClickDistance);
    model.setModifier(loopCut_);
    refresh();
}

void Editor::loopCutWheel(int notches) {
    if (loopCut_) {
        loopCut_->addCuts(notches);
        loopCutChanged();
    }
}

void Editor::loopCutChanged() {
    if (const MeshPtr mesh = loopCutMesh_.lock()) {
        mesh->model()->invalidatePreview();
    }
    refresh();
}

void Editor::confirmLoopCut() {
    const MeshPtr mesh = loopCutMesh_.lock();
    if (!loopCut_ || !loopCut_->hasRing() || mesh != selectedMesh()) {
        cancelLoopCut();
        return;
    }
    BeforeCommit before = beforeCommit();
    before.toolName = "Loop Cut";
    mesh->model()->applyModifier();
    // The split edges are gone; the faces and points keep their ids.
    selection_.edges.clear();
    recordCommit(std::move(before));
    cancelLoopCut();
}

void Editor::cancelLoopCut() {
    if (!loopCut_) {
        return;
    }
    dropLoopCut();
    toolSelected(toolTag_);
    refresh();
}

void Editor::dropLoopCut() {
    const std::shared_ptr<LoopCutTool> cut = std::exchange(loopCut_, nullptr);
    loopCutPressed_ = false;
    if (const MeshPtr mesh = std::exchange(loopCutMesh_, {}).lock();
        mesh && cut && mesh->model()->modifier() == cut) {
        mesh->model()->setModifier(nullptr);
    }
}

bool Editor::loopCutPointer(Viewport& view, Vec2 position, LoopCutEvent event) {
    if (!loopCut_) {
        return false;
    }
    view.pointerPosition = position;
    switch (event) {
    case LoopCutEvent::Hover:
        if (!loopCutPressed_ && loopCut_->pointAt(view, position, kEdgeClickDistance)) {
            loopCutChanged();
        }
        break;
    case LoopCutEvent::Press:
        makeRecent(view);
        loopCutPressed_ = true;
        break;
    case LoopCutEvent::Drag:
        if (loopCutPressed_ && loopCut_->slideTo(view, position)) {
            loopCutChanged();
        }
        break;
    case LoopCutEvent::Release:
        if (loopCutPressed_) {
            confirmLoopCut();
        }
        break;
    }
    return true;
}

} // namespace tessel
