#pragma once

#include "base/signal.h"
#include "editor/step.h"

#include <cstddef>
#include <deque>
#include <optional>
#include <string>

namespace tessel {

// The undo history: the steps the user made, in order, and how many of them are done. A step
// recorded after an undo drops the steps undone. The history keeps at most a memory budget
// (the sum of its steps' bytes()), dropping the oldest done steps first; the latest done step
// stays even when it alone is over the budget, so the last change can always be undone.
//
// The clean state is the one last saved (or opened): the document has unsaved changes unless the
// history stands there. Once the steps leading back to it are dropped, no undo reaches it again.
class History {
public:
    static constexpr std::size_t kDefaultBudget = std::size_t{256} << 20;

    explicit History(std::size_t budget = kDefaultBudget);

    // Takes a step whose change has happened; drops the steps undone, then the oldest steps over
    // the budget.
    void record(StepPtr step);

    bool canUndo() const;
    bool canRedo() const;
    // Undoes or redoes one step; without one, nothing happens.
    void undo();
    void redo();
    // The names of the steps undo and redo would take ("Extrude"), or empty.
    std::string undoName() const;
    std::string redoName() const;

    // Steps kept, and how many of them are done.
    std::size_t count() const { return steps_.size(); }
    std::size_t doneCount() const { return done_; }
    // Kept step `index`, the oldest first.
    const Step& step(std::size_t index) const { return *steps_.at(index).step; }

    // The document stands where it was last saved.
    bool isClean() const;
    // The current state is the saved one.
    void markClean();
    // Forgets every step; the current state is clean (a document opened or made new).
    void clear();
    // Forgets every step; the current state is not clean (recovered work not saved yet).
    void clearUnsaved();

    // The memory the kept steps hold, in bytes, and the budget.
    std::size_t bytes() const { return bytes_; }
    std::size_t budget() const { return budget_; }
    // Setting a smaller budget drops the oldest steps over it at once.
    void setBudget(std::size_t bytes);

    // Anything above changed: a step recorded, undone, redone or dropped, or the clean state.
    Signal<> changed;
    // Steps were dropped for the budget: how many this time.
    Signal<std::size_t> stepsDropped;

private:
    // Drops the oldest done steps while over the budget, keeping the latest; returns how many.
    std::size_t trim();
    // Forgets every step, the current state clean when `clean` is 0.
    void forget(std::optional<std::size_t> clean);

    struct Kept {
        StepPtr step;
        std::size_t bytes = 0;
    };
    std::deque<Kept> steps_;
    std::size_t done_ = 0;
    // Steps dropped from the front since the last clear: positions below count from there.
    std::size_t dropped_ = 0;
    // The clean state as a number of steps done since the last clear; none when unreachable.
    std::optional<std::size_t> clean_ = 0;
    std::size_t bytes_ = 0;
    std::size_t budget_;
};

} // namespace tessel
