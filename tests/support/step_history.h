#pragma once

#include "editor/document.h"

#include <string>
#include <vector>

namespace tessel::testing {

// The document's recorded steps, replayed the way the window's undo stack replays them: a step
// recorded after an undo drops the ones undone.
struct StepHistory {
    explicit StepHistory(Document& document) {
        document.stepRecorded.connect([this](const StepPtr& step) {
            steps.resize(done);
            steps.push_back(step);
            ++done;
        });
    }
    bool canUndo() const { return done > 0; }
    bool canRedo() const { return done < steps.size(); }
    void undo() { steps.at(--done)->undo(); }
    void redo() { steps.at(done++)->redo(); }
    std::vector<std::string> names() const {
        std::vector<std::string> names;
        for (const StepPtr& step : steps) {
            names.push_back(step->name());
        }
        return names;
    }

    std::vector<StepPtr> steps;
    size_t done = 0;
};

} // namespace tessel::testing
