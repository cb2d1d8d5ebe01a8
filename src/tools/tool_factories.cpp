#include "tools/tool_factories.h"

#include "tools/vertex_translation.h"
#include "tools/weld.h"

namespace tessel {

namespace {

// A slot for a tool that has no implementation yet: picking it leaves no tool active.
OperationFactory unavailable()
{
    return [](DetailViewController&) -> OperationPtr { return nullptr; };
}

} // namespace

std::map<DetailViewController::Mode, std::vector<OperationFactory>> makeOperations()
{
    using Mode = DetailViewController::Mode;
    std::map<Mode, std::vector<OperationFactory>> table;
    table[Mode::Vertex] = {
        [](DetailViewController& c) -> OperationPtr { return VertexTranslation::make(c); },
        [](DetailViewController& c) -> OperationPtr { return Weld::make(c); },
    };
    table[Mode::Polygon] = {unavailable(), unavailable(), unavailable(),
                            unavailable(), unavailable(), unavailable()};
    table[Mode::Mesh] = {unavailable(), unavailable()};
    return table;
}

} // namespace tessel
