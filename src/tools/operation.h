#pragma once

#include "scene/viewport.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace tessel {

class ToolContext;

// A value of a tool the user sets in the tool's panel: a number (within its bounds, shown with
// `decimals` places), one of several `choices` (the value is the index), or on and off (the
// value is 0 or 1); or one of several `choices` the tool only shows (the value is the index).
struct ToolSetting {
    enum class Kind { Number, Choice, Toggle, Label };
    std::string name;
    Kind kind = Kind::Number;
    double value = 0;
    double minimum = 0;
    double maximum = 1;
    int decimals = 2;
    std::vector<std::string> choices;
};

// An editing tool. Created with its context (tool_context.h) when the user picks it; receives
// the pointer gestures of whichever viewport the user works in. Positions are normalized, deltas
// in device units.
//
// A tool keeps what its gesture needs from the press on (the selection it acts on, the view's
// projection, the pointer): its preview, when it installs one (a Modifier), is a function of the
// committed layer and that state alone, and never changes the selection. A release may change
// the selection after it committed (what a weld or a delete leaves selected).
class Operation {
public:
    virtual ~Operation() = default;
    // The button went down at `position` in `view`.
    virtual void press(Vec2 position, Viewport& view) = 0;
    // The pointer moved by `delta` with the button held (view.pointerPosition is where it is).
    virtual void drag(Vec2 delta, Viewport& view) = 0;
    // The button came up at `position`.
    virtual void release(Vec2 position, Viewport& view) = 0;

    // The selection changed outside the tool's own gestures (a click or rectangle the editor
    // handled, a selection command, undo): a tool that acts on the selection as it stands takes
    // it from its context now, and makes its preview stale.
    virtual void selectionChanged() {}

    // The values the tool's panel shows, in order; none for most tools.
    virtual std::vector<ToolSetting> settings() const { return {}; }
    // The user set setting `index` to `value` (within its bounds); the editor then refreshes the
    // preview. Indices past the settings are ignored.
    virtual void set(size_t /*index*/, double /*value*/) {}
};

using OperationPtr = std::shared_ptr<Operation>;

} // namespace tessel
