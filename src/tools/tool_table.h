#pragma once

#include "tools/mesh_tools.h"
#include "tools/plane_cut.h"
#include "tools/polygon_tools.h"
#include "tools/vertex_translation.h"
#include "tools/weld.h"

#include <array>
#include <span>
#include <string_view>

namespace tessel {

// One tool of a mode: the name the tool picker shows, whether Apply commits what it previews,
// whether Shift+click adds faces to what it acts on, what it does with the left button (one
// line for the status bar), and how the editor makes it.
struct ToolEntry {
    std::string_view name;
    bool appliable;
    bool severalFaces;
    std::string_view hint;
    OperationPtr (*make)(ToolContext& context);
};

// One mode: the name the mode picker shows and its tools in picker order.
struct ModeEntry {
    std::string_view name;
    std::span<const ToolEntry> tools;
};

template <class Tool> OperationPtr makeTool(ToolContext& context) { return Tool::make(context); }

// clang-format off
inline constexpr ToolEntry kVertexTools[] = {
    {"Move", false, false, "Click or drag a rectangle to select points; drag a selected point to move them all",
     makeTool<VertexTranslation>},
    {"Weld", false, false, "Select points, then release: they merge into one at their mean",
     makeTool<Weld>},
};
inline constexpr ToolEntry kPolygonTools[] = {
    {"Move", false, true, "Drag a face parallel to the screen; Shift+click adds faces",
     makeTool<PolygonTranslation>},
    {"Scale", false, true, "Drag a face right or up to grow it, left or down to shrink it; Shift+click adds faces",
     makeTool<PolygonScale>},
    {"Plane cut", true, false, "Drag the yellow plane to move it, elsewhere to turn it; Apply cuts",
     makeTool<PlaneCut>},
    {"Extrude", false, true, "Drag a face up or right to pull it out, down or left to push it in; Shift+click adds faces",
     makeTool<Extrude>},
    {"Subdivide", false, false, "Click a face to split it in three around its centre",
     makeTool<PolygonSubdivide>},
    {"Delete", false, true, "Click a face to delete it; Shift+click adds faces, deleted at the release",
     makeTool<PolygonDelete>},
};
inline constexpr ToolEntry kMeshTools[] = {
    {"Move", false, false, "Drag a mesh to move it; click empty space to deselect",
     makeTool<MeshTranslation>},
    {"Subdivide", true, false, "Shows every face split in three; Apply commits one level",
     makeTool<MeshSubdivide>},
};
// clang-format on

// Every mode with its tools, in picker order; a mode's tag is its index here, a tool's tag its
// index in its mode.
inline constexpr std::array<ModeEntry, 3> kModes{{
    {"Vertex", kVertexTools},
    {"Polygon", kPolygonTools},
    {"Mesh", kMeshTools},
}};

} // namespace tessel
