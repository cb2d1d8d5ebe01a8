#include "tools/tool_tables.h"

#include "tools/mesh_tools.h"
#include "tools/plane_cut.h"
#include "tools/polygon_tools.h"

namespace tessel {

std::vector<OperationFactory> polygonToolFactories() {
    return {
        [](DetailViewController& c) -> OperationPtr { return PolygonTranslation::make(c); },
        [](DetailViewController& c) -> OperationPtr { return PolygonScale::make(c); },
        [](DetailViewController& c) -> OperationPtr { return PlaneCut::make(c); },
        [](DetailViewController& c) -> OperationPtr { return Extrude::make(c); },
        [](DetailViewController& c) -> OperationPtr { return PolygonSubdivide::make(c); },
        [](DetailViewController& c) -> OperationPtr { return PolygonDelete::make(c); },
    };
}

std::vector<OperationFactory> meshToolFactories() {
    return {
        [](DetailViewController& c) -> OperationPtr { return MeshTranslation::make(c); },
        [](DetailViewController& c) -> OperationPtr { return MeshSubdivide::make(c); },
    };
}

} // namespace tessel
