// The bevel the keyboard starts: the pointer's distance sets the width, digits type it, the wheel
// sets the segments, a click or Return commits and Escape or a right click drops it.

#include "editor/editor.h"

#include "mesh/edge_topology.h"
#include "tools/bevel.h"

#include <utility>

namespace tessel {

void Editor::startBevel(Viewport& view, Vec2 position, bool points) {
    if (gestureHeld_ || isTransforming() || loopCut_ || bevel_) {
        return;
    }
    const MeshPtr mesh = selectedMesh();
    const char* name = points ? "Bevel points" : "Bevel";
    if (!mesh) {
        commandMessage.emit(std::string(name) + ": select a mesh first");
        return;
    }
    std::vector<Edge> edges;
    std::vector<std::int64_t> pointIds;
    BevelTool::Target target = BevelTool::Target::Points;
    if (mode_ == Mode::Edge && !points) {
        target = BevelTool::Target::Edges;
        edges = selection_.edges;
    } else if (mode_ == Mode::Edge) {
        pointIds = edgesToPoints(topologyOf(mesh->model()->committed()), selection_.edges);
    } else if (mode_ == Mode::Vertex) {
        pointIds = selection_.points;
    } else {
        commandMessage.emit(std::string(name) +
                            ": select edges in Edge mode or points in Vertex mode first");
        return;
    }
    if (edges.empty() && pointIds.empty()) {
        commandMessage.emit(std::string(name) + ": select the " +
                            (target == BevelTool::Target::Edges ? "edges" : "points") +
                            " to bevel first");
        return;
    }
    auto bevel = std::make_shared<BevelTool>(mesh->model()->committed(), target, std::move(edges),
                                             std::move(pointIds));
    if (bevel->empty()) {
        commandMessage.emit(
            target == BevelTool::Target::Edges
                ? "Bevel: no selected edge can be bevelled (each needs a face on either side, and "
                  "the faces around its ends must form one fan)"
                : "Bevel points: no selected point can be bevelled (its faces must form one fan)");
        return;
    }
    makeRecent(view);
    view.pointerPosition = position;
    bevel->begin(view, position);
    bevel_ = bevel;
    bevelMesh_ = mesh;
    mesh->model()->setModifier(bevel_);
    commandMessage.emit({});
    refresh();
}

void Editor::bevelWheel(int notches) {
    if (bevel_) {
        bevel_->addSegments(notches);
        bevelChanged();
    }
}

void Editor::bevelChanged() {
    if (const MeshPtr mesh = bevelMesh_.lock()) {
        mesh->model()->invalidatePreview();
    }
    refresh();
}

void Editor::confirmBevel() {
    const MeshPtr mesh = bevelMesh_.lock();
    if (!bevel_ || !(bevel_->width() > 0) || mesh != selectedMesh() ||
        mesh->model()->committed() != bevel_->committed()) {
        cancelBevel();
        return;
    }
    BeforeCommit before = beforeCommit();
    before.toolName = "Bevel";
    mesh->model()->applyModifier();
    // Points were removed and added: the old ids name other elements now. What the bevel made
    // is selected instead, as the points it added (Vertex mode) or the edges between them.
    selection_.clear();
    const LayerPtr& bevelled = mesh->model()->committed();
    for (std::size_t p = bevel_->keptPoints(); p < bevelled->positions.size(); ++p) {
        selection_.points.push_back(static_cast<std::int64_t>(p));
    }
    if (mode_ == Mode::Edge) {
        selection_.edges = pointsToEdges(topologyOf(bevelled), selection_.points);
        selection_.points.clear();
    }
    recordCommit(std::move(before));
    cancelBevel();
}

void Editor::cancelBevel() {
    if (!bevel_) {
        return;
    }
    dropBevel();
    toolSelected(toolTag_);
    refresh();
}

void Editor::dropBevel() {
    const std::shared_ptr<BevelTool> bevel = std::exchange(bevel_, nullptr);
    if (const MeshPtr mesh = std::exchange(bevelMesh_, {}).lock();
        mesh && bevel && mesh->model()->modifier() == bevel) {
        mesh->model()->setModifier(nullptr);
    }
}

} // namespace tessel
