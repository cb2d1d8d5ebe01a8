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
// and how the editor makes it.
struct ToolEntry {
    std::string_view name;
    bool appliable;
    OperationPtr (*make)(ToolContext& context);
};

// One mode: the name the mode picker shows and its tools in picker order.
struct ModeEntry {
    std::string_view name;
    std::span<const ToolEntry> tools;
};

template <class Tool> OperationPtr makeTool(ToolContext& context) { return Tool::make(context); }

inline constexpr ToolEntry kVertexTools[] = {
    {"Move", false, makeTool<VertexTranslation>},
    {"Weld", false, makeTool<Weld>},
};
inline constexpr ToolEntry kPolygonTools[] = {
    {"Move", false, makeTool<PolygonTranslation>},    {"Scale", false, makeTool<PolygonScale>},
    {"Plane cut", true, makeTool<PlaneCut>},          {"Extrude", false, makeTool<Extrude>},
    {"Subdivide", false, makeTool<PolygonSubdivide>}, {"Delete", false, makeTool<PolygonDelete>},
};
inline constexpr ToolEntry kMeshTools[] = {
    {"Move", false, makeTool<MeshTranslation>},
    {"Subdivide", true, makeTool<MeshSubdivide>},
};

// Every mode with its tools, in picker order; a mode's tag is its index here, a tool's tag its
// index in its mode.
inline constexpr std::array<ModeEntry, 3> kModes{{
    {"Vertex", kVertexTools},
    {"Polygon", kPolygonTools},
    {"Mesh", kMeshTools},
}};

} // namespace tessel
