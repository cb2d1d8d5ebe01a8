// The commands that add faces to what is selected: Fill, Connect and Bridge.

#include "editor/editor.h"

#include "mesh/bridge.h"
#include "mesh/connect.h"
#include "mesh/fill.h"

#include <algorithm>

namespace tessel {

namespace {

std::string borderFaultText(const char* command, BorderFault fault, size_t loops) {
    const std::string name(command);
    switch (fault) {
    case BorderFault::Empty:
        return name + ": select the edges of a closed border first (Alt+click an edge of a hole "
                      "selects its border)";
    case BorderFault::NotOnBorder:
        return name + ": every selected edge must lie on a border, with a face on one side only";
    case BorderFault::Open: return name + ": the selected edges do not close into a loop";
    case BorderFault::Branching:
        return name + ": the selected edges branch at a point; select separate closed borders";
    case BorderFault::AlreadyFace:
        return name + ": the selected border already is the outline of a face";
    case BorderFault::NotTwoLoops:
        return name + ": select exactly two closed borders (the selected edges make " +
               counted(loops, "loop") + ")";
    case BorderFault::None: break;
    }
    return {};
}

std::string connectFaultText(ConnectFault fault) {
    switch (fault) {
    case ConnectFault::NoSharedFace: return "Connect: the two points share no face";
    case ConnectFault::Neighbours: return "Connect: the two points are already joined by an edge";
    case ConnectFault::OutsideFace:
        return "Connect: a straight edge between the two points would leave their face";
    case ConnectFault::None: break;
    }
    return {};
}

} // namespace

void Editor::fillSelection(Viewport& view) {
    if (mode_ == Mode::Polygon || mode_ == Mode::Mesh) {
        perform(Command::FrameSelected, view);
        return;
    }
    const MeshPtr mesh = selectedMesh();
    if (gestureHeld_ || isTransforming() || !mesh) {
        return;
    }
    auto layer = std::make_shared<Layer>(*mesh->model()->committed());
    if (mode_ == Mode::Edge) {
        const BorderEdit fill = fillBorders(*layer, selection_.edges);
        if (fill.fault != BorderFault::None) {
            commandMessage.emit(borderFaultText("Fill", fill.fault, 0));
            return;
        }
        commitEdit(std::move(layer), "Fill " + counted(fill.faces.size(), "border"));
        return;
    }
    std::vector<std::int64_t> points = selection_.points;
    std::erase_if(points, [&](std::int64_t p) {
        return p < 0 || static_cast<std::uint64_t>(p) >= layer->positions.size();
    });
    std::ranges::sort(points);
    points.erase(std::unique(points.begin(), points.end()), points.end());
    if (points.size() != 2) {
        commandMessage.emit("Connect: select exactly two points (" + std::to_string(points.size()) +
                            " selected)");
        return;
    }
    const ConnectFault fault = connectPoints(*layer, static_cast<std::uint32_t>(points[0]),
                                             static_cast<std::uint32_t>(points[1]));
    if (fault != ConnectFault::None) {
        commandMessage.emit(connectFaultText(fault));
        return;
    }
    commitEdit(std::move(layer), "Connect");
}

void Editor::bridgeSelection() {
    const MeshPtr mesh = selectedMesh();
    if (gestureHeld_ || isTransforming() || !mesh) {
        return;
    }
    if (mode_ != Mode::Edge) {
        commandMessage.emit("Bridge: select two closed borders in Edge mode");
        return;
    }
    const LayerPtr committed = mesh->model()->committed();
    auto layer = std::make_shared<Layer>(*committed);
    const BorderEdit bridge = bridgeLoops(*layer, selection_.edges);
    if (bridge.fault != BorderFault::None) {
        const size_t loops =
            bridge.fault == BorderFault::NotTwoLoops
                ? borderLoops(topologyOf(committed), *committed, selection_.edges).loops.size()
                : 0;
        commandMessage.emit(borderFaultText("Bridge", bridge.fault, loops));
        return;
    }
    commitEdit(std::move(layer), "Bridge");
}

void Editor::commitEdit(LayerPtr layer, std::string name) {
    if (layer->faces.triangleCount() > kMaxTriangles) {
        editRefused.emit(Model::Refusal::Commit);
        return;
    }
    BeforeCommit before = beforeCommit();
    before.toolName = std::move(name);
    selectedMesh()->model()->setCommitted(std::move(layer));
    recordCommit(std::move(before));
    commandMessage.emit({});
    refresh();
}

} // namespace tessel
