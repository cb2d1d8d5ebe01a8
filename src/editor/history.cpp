#include "editor/history.h"

#include <utility>

namespace tessel {

History::History(std::size_t budget) : budget_(budget) {}

void History::record(StepPtr step) {
    if (!step) {
        return;
    }
    // The steps undone go; with them the clean state, when it was one of theirs.
    if (clean_ && *clean_ > dropped_ + done_) {
        clean_.reset();
    }
    while (steps_.size() > done_) {
        bytes_ -= steps_.back().bytes;
        steps_.pop_back();
    }
    const std::size_t size = step->bytes();
    steps_.push_back({std::move(step), size});
    bytes_ += size;
    ++done_;
    trim();
    changed.emit();
}

bool History::canUndo() const { return done_ > 0; }

bool History::canRedo() const { return done_ < steps_.size(); }

void History::undo() {
    if (!canUndo()) {
        return;
    }
    // Held here: what the step's undo sets off may clear the history.
    const StepPtr step = steps_[done_ - 1].step;
    --done_;
    step->undo();
    changed.emit();
}

void History::redo() {
    if (!canRedo()) {
        return;
    }
    const StepPtr step = steps_[done_].step;
    ++done_;
    step->redo();
    changed.emit();
}

std::string History::undoName() const { return canUndo() ? steps_[done_ - 1].step->name() : ""; }

std::string History::redoName() const { return canRedo() ? steps_[done_].step->name() : ""; }

bool History::isClean() const { return clean_ == dropped_ + done_; }

void History::markClean() {
    if (!isClean()) {
        clean_ = dropped_ + done_;
        changed.emit();
    }
}

void History::clear() { forget(0); }

void History::clearUnsaved() { forget(std::nullopt); }

void History::forget(std::optional<std::size_t> clean) {
    if (steps_.empty() && clean_ == clean && dropped_ == 0) {
        return;
    }
    // Moved out first: a step's destructor sees the history already empty.
    const std::deque<Kept> steps = std::exchange(steps_, {});
    done_ = 0;
    dropped_ = 0;
    clean_ = clean;
    bytes_ = 0;
    changed.emit();
}

void History::setBudget(std::size_t bytes) {
    budget_ = bytes;
    if (trim() > 0) {
        changed.emit();
    }
}

std::size_t History::trim() {
    std::size_t dropped = 0;
    while (bytes_ > budget_ && done_ > 1) {
        bytes_ -= steps_.front().bytes;
        steps_.pop_front();
        --done_;
        ++dropped_;
        ++dropped;
    }
    if (dropped == 0) {
        return 0;
    }
    if (clean_ && *clean_ < dropped_) {
        clean_.reset();
    }
    stepsDropped.emit(dropped);
    return dropped;
}

} // namespace tessel
