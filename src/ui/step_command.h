#pragma once

#include "editor/step.h"

#include <QUndoCommand>

namespace tessel {

// A recorded step on Qt's undo stack. The change has already happened when the step is pushed,
// so the push's first redo does nothing.
class StepCommand : public QUndoCommand {
public:
    explicit StepCommand(StepPtr step)
        : QUndoCommand(QString::fromStdString(step->name())), m_step(std::move(step)) {}

    void undo() override { m_step->undo(); }
    void redo() override {
        if (m_pushed) {
            m_step->redo();
        }
        m_pushed = true;
    }

private:
    StepPtr m_step;
    bool m_pushed = false;
};

} // namespace tessel
