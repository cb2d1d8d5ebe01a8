#pragma once

#include "scene/viewport.h"

#include <functional>
#include <memory>

namespace tessel {

class ToolContext;

// An editing tool. Created with its context (tool_context.h) when the user picks it; receives
// the mouse gestures of whichever viewport the user works in. Positions are normalized, deltas
// in device units.
class Operation {
public:
    virtual ~Operation() = default;
    virtual void press(Vec2 position, Viewport& view) = 0;
    virtual void drag(Vec2 delta, Viewport& view) = 0;
    virtual void release(Vec2 position, Viewport& view) = 0;
};

using OperationPtr = std::shared_ptr<Operation>;

} // namespace tessel
