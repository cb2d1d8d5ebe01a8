#pragma once

#include "mesh/layer.h"

#include <cstddef>
#include <cstdint>
#include <span>

namespace tessel {

// Merges the listed points (all points when the list is empty; ids out of range skipped, repeats
// ignored, points without finite coordinates left alone) that lie within `distance` of each
// other, as one cleans up doubled points: going through them in id order, each point not merged
// yet takes every later listed point not merged yet within `distance` (inclusive, so 0 merges
// coincident points) and keeps its own position. A point so taken merges only into that one, never
// onward: three points in a row 0.8 · distance apart leave two. Every corner of a merged point
// then holds the point it merged into; a face keeps only the first of its corners holding one
// point and goes when fewer than three are left, and a face around a point merged into goes when
// a lower face has the same corners (in any order: two coincident copies of a surface leave one).
// The merged points go, and so do points that faces used before and none uses now (points no face
// used stay); survivors keep their order. Returns how many points went. A negative or
// not-a-number distance changes nothing.
//
// The points are bucketed in a sparse grid of cells at least `distance` wide (the occupied cells
// sorted by key, neighbours found by walking that order), so the time grows with the number of
// points and of pairs within reach, not with its square.
size_t mergeByDistance(Layer& layer, std::span<const std::int64_t> points, float distance);

} // namespace tessel
