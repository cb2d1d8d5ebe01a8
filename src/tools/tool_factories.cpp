#include "tools/tool_factories.h"

#include "tools/tool_tables.h"
#include "tools/vertex_translation.h"
#include "tools/weld.h"

namespace tessel {

std::map<DetailViewController::Mode, std::vector<OperationFactory>> makeOperations() {
    using Mode = DetailViewController::Mode;
    std::map<Mode, std::vector<OperationFactory>> table;
    table[Mode::Vertex] = {
        [](DetailViewController& c) -> OperationPtr { return VertexTranslation::make(c); },
        [](DetailViewController& c) -> OperationPtr { return Weld::make(c); },
    };
    table[Mode::Polygon] = polygonToolFactories();
    table[Mode::Mesh] = meshToolFactories();
    return table;
}

} // namespace tessel
