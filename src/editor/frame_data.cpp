#include "editor/frame_data.h"

#include "base/check.h"
#include "editor/editor.h"

#include <algorithm>

namespace tessel {

bool FrameData::Entry::matches(const LayerPtr& l, bool selected) const {
    // Same control block: the very object, alive (an expired pointer never matches).
    const bool sameObject = !layer.owner_before(l) && !l.owner_before(layer) && !layer.expired();
    return current && sameObject && isSelected == selected && pointCount == l->positions.size() &&
           faceCount == l->faces.size() && pointStorage == l->positions.data() &&
           faceStorage == l->faces.storage();
}

void FrameData::invalidate() {
    // Keep the storage of what the last frame used, for the next one to fill; let go of the rest.
    std::erase_if(entries_, [](const std::unique_ptr<Entry>& e) { return !e->used; });
    for (const std::unique_ptr<Entry>& e : entries_) {
        e->used = e->current;
        e->current = false;
        e->layer.reset();
    }
    prepared_.clear();
}

void FrameData::releaseStorage() {
    entries_.clear();
    prepared_.clear();
}

const LayerDrawData& FrameData::dataFor(const LayerPtr& layer, bool isSelected,
                                        const Editor& owner) {
    for (const std::unique_ptr<Entry>& e : entries_) {
        if (e->matches(layer, isSelected)) {
            return e->data;
        }
    }
    const auto spare = std::find_if(entries_.begin(), entries_.end(),
                                    [](const std::unique_ptr<Entry>& e) { return !e->current; });
    Entry& entry = spare != entries_.end() ? **spare : *entries_.emplace_back(new Entry);
    handleIndexDataForTriangles(*layer, isSelected, owner.selectedFacesIds(), entry.data.triangles);
    handleIndexDataForPoints(*layer, isSelected, owner.selectedPointsIds(), entry.data.points);
    entry.layer = layer;
    entry.isSelected = isSelected;
    entry.pointCount = layer->positions.size();
    entry.faceCount = layer->faces.size();
    entry.pointStorage = layer->positions.data();
    entry.faceStorage = layer->faces.storage();
    entry.current = true;
    entry.used = true;
    ++builds_;
    return entry.data;
}

std::vector<DrawItem> FrameData::prepare(Viewport& view, const Editor& owner) {
    if (std::find(prepared_.begin(), prepared_.end(), &view) != prepared_.end()) {
        invalidate();
    }
    prepared_.push_back(&view);

    const CameraPtr& camera = view.camera;
    TESSEL_CHECK(camera != nullptr, "FrameData::prepare", "viewport without a camera");
    std::vector<NodePtr> nodes;
    if (NodePtr root = owner.scene()->root()) {
        nodes = root->flat();
    }
    if (view.isMouseDragged && view.selectionVolume) {
        nodes.push_back(view.selectionVolume);
    }
    const Matrix viewProjection = camera->viewProjection(view.aspectRatio);
    const NodePtr& selectedNode = owner.selectedNode();
    std::vector<DrawItem> items;
    for (const NodePtr& node : nodes) {
        const MeshPtr mesh = asMesh(node);
        if (!mesh) {
            continue;
        }
        const Matrix mvp = viewProjection * mesh->matrix();
        const ModelPtr& model = mesh->model();
        const bool isSelected = mesh == selectedNode;
        const LayerPtr layer = model->shownLayer();
        items.push_back({layer, &dataFor(layer, isSelected, owner), mvp, mesh->material, isSelected,
                         view.selectionVolume && model == view.selectionVolume->model()});
        // A tool's geometry is drawn large, as the selected mesh is, but the selections are ids of
        // the mesh: none of them names a part of it.
        if (const LayerPtr tool = model->toolLayer()) {
            items.push_back({tool, &dataFor(tool, false, owner), mvp, mesh->material, true, false});
        }
    }
    return items;
}

} // namespace tessel
