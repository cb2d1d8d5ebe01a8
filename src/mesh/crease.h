#pragma once

#include "mesh/edge.h"
#include "mesh/layer.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace tessel {

// The crease weights of a layer's edges (Layer::creases): kept ascending by their points, each
// pair once, every weight above 0 and at most 1.

// The weight of the edge between these points: 0 when it is not creased.
float creaseOf(const Layer& layer, Edge edge);

// Gives each of the edges `weight` (clamped to 0 … 1; 0 uncreases them). Edges whose points are
// out of range or equal are skipped, and so is a weight that is not a number.
void setCreases(Layer& layer, std::span<const Edge> edges, float weight);

// Renumbers the creases' points through a remap table (old id to new id or kRemoved, as the
// edits that renumber points return): a crease whose point goes, or whose points become one, goes
// too; two that become one keep the larger weight. Ids past the table's end go as well.
void remapCreases(std::vector<Crease>& creases, std::span<const std::uint32_t> remap);

// Gives the copies of creased edges the weight of their originals: `copyOf` names each point's copy
// (or kRemoved), as the edits that copy faces make it; an edge whose copy is itself stays as it is.
void copyCreases(std::vector<Crease>& creases, std::span<const std::uint32_t> copyOf);

// Creases as a file may give them, made valid for `pointCount` points: pairs out of range or of
// one point dropped, points put in order, weights that are not numbers or not above 0 dropped and
// those above 1 made 1, repeats joined (the larger weight stays).
std::vector<Crease> validCreases(std::vector<Crease> creases, std::size_t pointCount);

// The creases of the layer that are edges of its faces, in order: what a subdivision and a file
// take.
std::vector<Crease> creasesOnEdges(const Layer& layer);

} // namespace tessel
