// The transforms the keyboard starts: the pointer drives them, keys go to them first, a press or
// Return confirms them and Escape or a right click drops them.

#include "editor/editor.h"

#include "tools/bevel.h"
#include "tools/edge_crease.h"
#include "tools/loop_cut.h"

#include <utility>

namespace tessel {

namespace {

const char* nameOf(TransformGesture::Kind kind) {
    switch (kind) {
    case TransformGesture::Kind::Move: return "Move";
    case TransformGesture::Kind::Rotate: return "Rotate";
    case TransformGesture::Kind::Scale: return "Scale";
    }
    return "";
}

} // namespace

void Editor::startTransform(TransformGesture::Kind kind, Viewport& view, Vec2 position) {
    if (gestureHeld_ || isTransforming() || isLoopCutting() || isBevelling() || !selectedMesh()) {
        return;
    }
    makeRecent(view);
    view.pointerPosition = position;
    // The tool's own preview gives way; it comes back once the transform ends.
    if (const MeshPtr mesh = selectedMesh()) {
        mesh->model()->setModifier(nullptr);
    }
    transform_ = TransformTool::make(*this, kind, element());
    if (!transform_->begin(view)) {
        transform_.reset();
        const std::shared_ptr<TransformTool> last = lastTransform_;
        toolSelected(toolTag_);
        lastTransform_ = last;
    }
    refresh();
}

bool Editor::isTransforming() const {
    return (transform_ && transform_->isRunning()) || crease_ != nullptr;
}

void Editor::hover(Viewport& view, Vec2 position) {
    view.pointerPosition = position;
    if (loopCutPointer(view, position, LoopCutEvent::Hover)) {
        return;
    }
    if (bevel_) {
        makeRecent(view);
        if (bevel_->pointAt(view, position)) {
            bevelChanged();
        }
        return;
    }
    if (crease_) {
        crease_->pointAt(position);
        creaseChanged();
        return;
    }
    if (isTransforming()) {
        transform_->pointerAt(position);
        refresh();
    }
}

bool Editor::transformKey(char c) {
    if (bevel_) {
        if (!bevel_->key(c)) {
            return false;
        }
        bevelChanged();
        return true;
    }
    if (loopCut_) {
        if (!loopCut_->key(c)) {
            return false;
        }
        loopCutChanged();
        return true;
    }
    if (crease_) {
        if (!crease_->key(c)) {
            return false;
        }
        creaseChanged();
        return true;
    }
    if (!isTransforming() || !transform_->key(c)) {
        return false;
    }
    refresh();
    return true;
}

void Editor::setSnapping(bool snapping) {
    if (isTransforming() && transform_) {
        transform_->setSnapping(snapping);
        refresh();
    }
}

void Editor::confirmTransform() {
    if (bevel_) {
        confirmBevel();
        return;
    }
    if (crease_) {
        confirmEdgeCrease();
        return;
    }
    if (!isTransforming()) {
        return;
    }
    BeforeCommit before = beforeCommit();
    before.toolName = nameOf(transform_->kind());
    const std::shared_ptr<TransformTool> done = std::exchange(transform_, nullptr);
    done->commit();
    recordCommit(std::move(before));
    // The picked tool takes the mesh again, with its own preview; the panel shows the amounts
    // of the transform just made.
    toolSelected(toolTag_);
    lastTransform_ = done;
    refresh();
}

void Editor::cancelTransform() {
    cancelEdgeCrease();
    if (!transform_) {
        return;
    }
    dropTransform();
    // The picked tool takes the mesh again; the panel keeps the last transform made.
    const std::shared_ptr<TransformTool> last = lastTransform_;
    toolSelected(toolTag_);
    lastTransform_ = last;
    refresh();
}

void Editor::dropTransform() {
    dropLoopCut();
    dropBevel();
    dropEdgeCrease();
    if (transform_) {
        std::exchange(transform_, nullptr)->cancel();
    }
}

std::vector<ToolSetting> Editor::toolSettings() const {
    if (lastTransform_) {
        if (std::vector<ToolSetting> settings = lastTransform_->settings(); !settings.empty()) {
            return settings;
        }
    }
    return tool_ ? tool_->settings() : std::vector<ToolSetting>{};
}

void Editor::setToolSetting(size_t index, double value) {
    BeforeCommit before = beforeCommit();
    if (lastTransform_ && !lastTransform_->settings().empty()) {
        before.toolName = nameOf(lastTransform_->kind());
        lastTransform_->set(index, value);
    } else if (tool_) {
        tool_->set(index, value);
        if (const MeshPtr mesh = selectedMesh()) {
            mesh->model()->invalidatePreview();
        }
    }
    // A transform's panel commits the transform again with the amount set: one more edit.
    recordCommit(std::move(before));
    refresh();
}

std::string Editor::transformStatus() const {
    if (loopCut_) {
        return loopCut_->status();
    }
    if (bevel_) {
        return bevel_->status();
    }
    if (crease_) {
        return crease_->status();
    }
    return isTransforming() ? transform_->status() : std::string();
}

} // namespace tessel
