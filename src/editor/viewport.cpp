#include "editor/viewport.h"

#include "editor/editor.h"

namespace tessel {

Viewport::Viewport() : node_(Node::make()) {}

Viewport::~Viewport() {
    // Picking code may still hold the node; its finalizer must not reach a dead viewport.
    node_->finalizer = nullptr;
}

void Viewport::attach(CameraPtr camera, Editor* owner) {
    camera_ = std::move(camera);
    owner_ = owner;
    // Evaluated on every read, so camera moves and resizes need no notification.
    node_->finalizer = [this, camera = camera_] { return camera->viewProjection(aspectRatio()); };
}

void Viewport::mouseDown(Vec2 normalizedPosition) {
    normalizedMouseStartLocation = normalizedPosition;
    normalizedPointerPosition = normalizedPosition;
    if (!owner_) {
        return;
    }
    // The press shows from the next frame on, which reads the flag set here.
    if (!owner_->whenMouseDown(*this)) {
        isMouseDown = true;
    }
}

void Viewport::mouseDragged(Vec2 normalizedPosition, Vec2 deviceDelta) {
    normalizedPointerPosition = normalizedPosition;
    if (!owner_) {
        return;
    }
    if (!owner_->whenMouseDragged(*this, deviceDelta)) {
        isMouseDragged = true;
    }
}

void Viewport::mouseUp() {
    isMouseDown = false;
    isMouseDragged = false;
    if (!owner_) {
        update();
        return;
    }
    owner_->whenMouseUp(*this);
}

void Viewport::keyDown(const std::optional<std::string>& characters) {
    if (!owner_) {
        return;
    }
    owner_->whenKeyDown(characters);
    owner_->needsDisplay.emit();
}

} // namespace tessel
