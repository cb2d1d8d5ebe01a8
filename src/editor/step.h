#pragma once

#include <cstddef>
#include <memory>
#include <string>

namespace tessel {

// One change the user made, as the undo history replays it. A step is recorded after its change
// has happened; undo() then takes the document back to the state before it and redo() forward
// again. The history calls them strictly alternating, starting with undo(), and only on the state
// the change left or found.
class Step {
public:
    explicit Step(std::string name) : name_(std::move(name)) {}
    virtual ~Step() = default;
    Step(const Step&) = delete;
    Step& operator=(const Step&) = delete;

    // What the Edit menu calls the change: "Extrude", "Weld 8 points", "Rows 4 → 6".
    const std::string& name() const { return name_; }
    virtual void undo() = 0;
    virtual void redo() = 0;
    // The memory the step keeps, in bytes.
    virtual std::size_t bytes() const { return sizeof(*this) + name_.capacity(); }

private:
    std::string name_;
};
using StepPtr = std::shared_ptr<Step>;

} // namespace tessel
