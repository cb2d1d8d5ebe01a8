#pragma once

#include "editor/detail_view_controller.h"

#include <map>
#include <vector>

namespace tessel {

// The tool factories of every mode, index i matching modes[mode].tools[i].
std::map<DetailViewController::Mode, std::vector<OperationFactory>> makeOperations();

} // namespace tessel
