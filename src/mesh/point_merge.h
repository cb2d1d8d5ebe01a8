#pragma once

#include "mesh/layer.h"

#include <cstddef>
#include <memory>

namespace tessel {

// Squared distance below which two points count as one.
inline constexpr float coincidentDistanceSquared = 2.5e-13f;

// Welds the layer's coincident points together, with exactly the result of this sequence:
//
//   for each point p of the layer as it is on entry, in order (p keeps its entry position):
//       Q = the ids of every point q now in the layer, q not p itself, with |p − q|² < 2.5e-13,
//           in id order;
//       if Q is not empty: weld Q (and p, while it is in the layer) at the mean of the
//           positions of Q followed by p's.
//
// Same final positions and order, same faces in the same order. A point already welded away
// still takes its turn: it pulls the merged point it went into once more, so a group of k
// coincident points ends up as one point after several welds.
//
// Runs in time linear in the layer's size plus the faces around the welded points.
void mergeCoincidentPoints(Layer& layer);

// What a merge learnt about the positions of a layer's first points: whether any two of them
// coincide, and a search structure over them. Kept between merges of layers whose first points
// stand at bit-for-bit the same positions (the successive cuts of one mesh).
class PointMergeMemo {
public:
    PointMergeMemo();
    ~PointMergeMemo();
    PointMergeMemo(PointMergeMemo&&) noexcept;
    PointMergeMemo& operator=(PointMergeMemo&&) noexcept;

private:
    friend void mergeCoincidentPoints(Layer& layer, size_t settled, PointMergeMemo& memo);
    struct State;
    std::unique_ptr<State> state_;
};

// The same result as mergeCoincidentPoints(layer), for a layer whose points from `settled` on
// were added to points that were there before (the points of a split, say). When no two of the
// first `settled` points coincide, only the ones near a later point are looked at. `memo` holds
// what is known about the first `settled` positions; it is checked against them, rebuilt when
// they differ, and kept for the next call.
void mergeCoincidentPoints(Layer& layer, size_t settled, PointMergeMemo& memo);

} // namespace tessel
