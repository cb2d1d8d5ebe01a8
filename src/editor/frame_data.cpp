#include "editor/frame_data.h"

#include "base/check.h"
#include "editor/detail_view_controller.h"

#include <algorithm>

namespace tessel {

bool FrameData::Entry::matches(const LayerPtr& l, bool selected) const {
    // Same control block: the very object, alive (an expired pointer never matches).
    const bool sameObject = !layer.owner_before(l) && !l.owner_before(layer) && !layer.expired();
    return current && sameObject && isSelected == selected && pointCount == l->points.size() &&
           polygonCount == l->polygons.size() && pointStorage == l->points.data() &&
           polygonStorage == l->polygons.data();
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

const LayerDrawData& FrameData::dataFor(const LayerPtr& layer, bool isSelected,
                                        const DetailViewController& owner) {
    for (const std::unique_ptr<Entry>& e : entries_) {
        if (e->matches(layer, isSelected)) {
            return e->data;
        }
    }
    const auto spare = std::find_if(entries_.begin(), entries_.end(),
                                    [](const std::unique_ptr<Entry>& e) { return !e->current; });
    Entry& entry = spare != entries_.end() ? **spare : *entries_.emplace_back(new Entry);
    handleIndexDataForTriangles(*layer, isSelected, owner.selectedFacesIds, entry.data.triangles);
    handleIndexDataForPoints(*layer, isSelected, owner.selectedPointsIds, entry.data.points);
    fillPositions(*layer, entry.data.positions);
    entry.layer = layer;
    entry.isSelected = isSelected;
    entry.pointCount = layer->points.size();
    entry.polygonCount = layer->polygons.size();
    entry.pointStorage = layer->points.data();
    entry.polygonStorage = layer->polygons.data();
    entry.current = true;
    entry.used = true;
    ++builds_;
    return entry.data;
}

std::vector<DrawItem> FrameData::prepare(Viewport& view, DetailViewController& owner,
                                         double time) {
    if (std::find(prepared_.begin(), prepared_.end(), &view) != prepared_.end()) {
        invalidate();
    }
    prepared_.push_back(&view);

    const CameraPtr& camera = view.camera();
    TESSEL_CHECK(camera != nullptr, "FrameData.prepare", "viewport without a camera");
    std::vector<NodePtr> nodes;
    if (NodePtr root = owner.scene()->root()) {
        nodes = root->flat();
    }
    if (view.isMouseDragged && view.selectionVolume) {
        nodes.push_back(view.selectionVolume);
    }
    // Callbacks may move their nodes; run them all before anything reads a matrix.
    for (const NodePtr& node : nodes) {
        if (node->transform) {
            node->transform(*node, time, std::any());
        }
    }

    const Matrix viewProjection =
        camera->projection() * Matrix::view(view.aspectRatio()) * camera->matrix().inverted();
    const NodePtr& selectedNode = owner.selectedNode();
    std::vector<DrawItem> items;
    for (const NodePtr& node : nodes) {
        const MeshPtr mesh = asMesh(node);
        if (!mesh) {
            continue;
        }
        const Matrix mvp = viewProjection * mesh->matrix();
        const ModelPtr& model = mesh->model();
        const std::vector<LayerPtr> layers = model->layers();
        if (!layers.empty() && layers.front()) {
            const bool isSelected = mesh == selectedNode;
            const LayerPtr& layer = layers.front();
            items.push_back({layer, &dataFor(layer, isSelected, owner), mvp, mesh->material,
                             isSelected,
                             view.selectionVolume && model == view.selectionVolume->model()});
        }
        const CachedModifierPtr& modifier = model->modifier_;
        if (modifier && modifier->result && modifier->result->tool) {
            const std::vector<LayerPtr> toolLayers = modifier->result->tool->layers();
            TESSEL_CHECK(!toolLayers.empty() && toolLayers.front(), "FrameData.prepare",
                         "tool model without layers");
            const LayerPtr& layer = toolLayers.front();
            items.push_back({layer, &dataFor(layer, true, owner), mvp, mesh->material, true,
                             false});
        }
    }
    return items;
}

} // namespace tessel
