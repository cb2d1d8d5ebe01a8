#pragma once

#include "tools/operation.h"

#include <vector>

namespace tessel {

// Factories of the Polygon-mode tools, in picker order: "Move", "Scale", "Plane cut",
// "Extrude", "Subdivide", "Delete".
std::vector<OperationFactory> polygonToolFactories();
// Factories of the Mesh-mode tools, in picker order: "Move", "Subdivide".
std::vector<OperationFactory> meshToolFactories();

} // namespace tessel
