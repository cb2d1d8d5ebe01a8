#pragma once

#include "tools/dissolve.h"
#include "tools/face_tools.h"
#include "tools/merge_by_distance.h"
#include "tools/mesh_tools.h"
#include "tools/mirror.h"
#include "tools/orientation.h"
#include "tools/plane_cut.h"
#include "tools/polygon_tools.h"
#include "tools/subdivision_surface.h"
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
// The same for a tool that acts on the selection of one scope (selection_edit.h).
template <class Tool, Element scope> OperationPtr makeToolFor(ToolContext& context) {
    return Tool::make(context, scope);
}

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
    {"Merge by distance", true, false, "Click or drag a rectangle to select points (none: all of them); Apply merges those closer than Distance",
     makeToolFor<MergeByDistance, Element::Point>},
    {"Dissolve", true, false, "Click or drag a rectangle to select points; Apply dissolves them, joining the faces around each",
     makeToolFor<Dissolve, Element::Point>},
};
inline constexpr ToolEntry kEdgeTools[] = {
    {"Move", false, false, "Click or drag a rectangle to select edges (Alt+click: a loop, Ctrl+Alt+click: a ring); drag a selected edge to move them",
     TransformTool::maker<TransformKind::Move, Element::Edge>},
    {"Rotate", false, false, "Select edges, then drag one of them to turn them all about their centre; x, y, z hold to an axis",
     TransformTool::maker<TransformKind::Rotate, Element::Edge>},
    {"Scale", false, false, "Select edges, then drag one of them away from their centre to grow them, toward it to shrink them",
     TransformTool::maker<TransformKind::Scale, Element::Edge>},
    {"Dissolve", true, false, "Click or drag a rectangle to select edges; Apply dissolves them, joining the faces on both sides",
     makeToolFor<Dissolve, Element::Edge>},
};
inline constexpr ToolEntry kPolygonTools[] = {
    {"Move", false, true, "Drag a face parallel to the screen; Shift+click adds faces",
     makeTool<PolygonTranslation>},
    {"Scale", false, true, "Drag a face right or up to grow it, left or down to shrink it; Shift+click adds faces",
     makeTool<PolygonScale>},
    {"Plane cut", true, false, "Drag the yellow plane to move it, elsewhere to turn it; Apply cuts",
     makeTool<PlaneCut>},
    {"Extrude", false, true, "Drag a face up or right to pull the selected faces out as one, down or left to push them in; Shift+click adds faces",
     makeTool<Extrude>},
    {"Subdivide", false, false, "Click a face to split it in three around its centre",
     makeTool<PolygonSubdivide>},
    {"Delete", false, true, "Click a face to delete it; Shift+click adds faces, deleted at the release",
     makeTool<PolygonDelete>},
    {"Rotate", false, true, "Drag a face to turn the selected faces about their centre; Shift+click adds faces; x, y, z hold to an axis",
     TransformTool::maker<TransformKind::Rotate, Element::Face>},
    {"Inset", false, true, "Drag a face right or up to inset the selected faces (as one with Region); Shift+click adds faces",
     makeTool<Inset>},
    {"Flip", false, true, "Click a face to turn it the other way; Shift+click adds faces, flipped at the release",
     makeTool<Flip>},
    {"Recalculate outside", true, true, "Click a face to select it, Shift+click to add one; Apply turns the selected faces to point outward",
     makeToolFor<RecalculateOutside, Element::Face>},
    {"Mirror", true, true, "Click a face to select it, Shift+click to add one; Apply adds their mirror image across the Axis plane",
     makeToolFor<Mirror, Element::Face>},
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
    {"Recalculate outside", true, false, "Apply turns every face of the mesh to point outward",
     makeToolFor<RecalculateOutside, Element::Mesh>},
    {"Mirror", true, false, "Apply adds the mesh's mirror image across the Axis plane through the origin",
     makeToolFor<Mirror, Element::Mesh>},
    {"Merge by distance", true, false, "Apply merges the points closer than Distance",
     makeToolFor<MergeByDistance, Element::Mesh>},
    {"Subdivision surface", true, false, "Shows the mesh smoothed Level times (by Loop's rules when all faces are triangles); drag a cage point to move it; Apply commits",
     makeTool<SubdivisionSurfaceTool>},
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
