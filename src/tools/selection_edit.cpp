#include "tools/selection_edit.h"

#include "tools/selection.h"
#include "tools/tool_context.h"
#include "tools/tool_support.h"

namespace tessel {

void SelectionEdit::installOwnPreview() {
    if (const ModelPtr model = selectedModel(context_)) {
        installPreview(*model, shared_from_this());
    }
}

void SelectionEdit::press(Vec2 position, Viewport& view) {
    if (scope_ == Element::Face && selectedModel(context_)) {
        // The editor hears of the new selection and passes it on (selectionChanged).
        pressOnPolygon(context_, position, view);
    }
}

void SelectionEdit::drag(Vec2 /*delta*/, Viewport& /*view*/) {}
void SelectionEdit::release(Vec2 /*position*/, Viewport& /*view*/) {}

void SelectionEdit::selectionChanged() {
    const ModelPtr model = selectedModel(context_);
    if (!model) {
        return;
    }
    points_.clear();
    edges_.clear();
    faces_.clear();
    switch (scope_) {
    case Element::Mesh: break;
    case Element::Point: points_ = context_.selectedPointsIds(); break;
    case Element::Edge: edges_ = context_.selectedEdges(); break;
    case Element::Face: faces_ = context_.selectedFacesIds(); break;
    }
    takenFor_ = model->committed();
    model->invalidatePreview();
}

} // namespace tessel
