#pragma once

#include "tools/mesh_tools.h"
#include "tools/plane_cut.h"
#include "tools/polygon_tools.h"
#include "tools/transform_tool.h"
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
using TransformKind = TransformGesture::Kind;

inline constexpr ToolEntry kVertexTools[] = {
    {"Move", false, false, "Click or drag a rectangle to select points; drag a selected point to move them all",
     makeTool<VertexTranslation>},
    {"Weld", false, false, "Select points, then release: they merge into one at their mean",
     makeTool<Weld>},
    {"Rotate", false, false, "Select points, then drag one of them to turn them all about their centre; x, y, z hold to an axis",
     TransformTool::maker<TransformKind::Rotate, Element::Point>},
    {"Scale", false, false, "Select points, then drag one of them away from their centre to grow them, toward it to shrink them",
     TransformTool::maker<TransformKind::Scale, Element::Point>},
};
inline constexpr ToolEntry kEdgeTools[] = {
    {"Move", false, false, "Click or drag a rectangle to select edges (Alt+click: a loop, Ctrl+Alt+click: a ring); drag a selected edge to move them",
     TransformTool::maker<TransformKind::Move, Element::Edge>},
    {"Rotate", false, false, "Select edges, then drag one of them to turn them all about their centre; x, y, z hold to an axis",
     TransformTool::maker<TransformKind::Rotate, Element::Edge>},
    {"Scale", false, false, "Select edges, then drag one of them away from their centre to grow them, toward it to shrink them",
     TransformTool::maker<TransformKind::Scale, Element::Edge>},
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
    {"Rotate", false, true, "Drag a face to turn the selected faces about their centre; Shift+click adds faces; x, y, z hold to an axis",
     TransformTool::maker<TransformKind::Rotate, Element::Face>},
};
inline constexpr ToolEntry kMeshTools[] = {
    {"Move", false, false, "Drag a mesh to move it; click empty space to deselect",
     makeTool<MeshTranslation>},
    {"Subdivide", true, false, "Shows every face split in three; Apply commits one level",
     makeTool<MeshSubdivide>},
    {"Rotate", false, false, "Drag anywhere to turn the selected mesh about its centre; x, y, z hold to an axis",
     TransformTool::maker<TransformKind::Rotate, Element::Mesh>},
    {"Scale", false, false, "Drag away from the selected mesh's centre to grow it, toward it to shrink it",
     TransformTool::maker<TransformKind::Scale, Element::Mesh>},
};
// clang-format on

// Every mode with its tools, in picker order; a mode's tag is its index here, a tool's tag its
// index in its mode.
inline constexpr std::array<ModeEntry, 4> kModes{{
    {"Vertex", kVertexTools},
    {"Edge", kEdgeTools},
    {"Polygon", kPolygonTools},
    {"Mesh", kMeshTools},
}};

} // namespace tessel
