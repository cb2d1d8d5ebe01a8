#pragma once

#include "editor/element_selection.h"
#include "editor/step.h"
#include "mesh/layer_change.h"
#include "scene/mesh.h"

#include <cstdint>
#include <vector>

namespace tessel {

// What the editor had selected in a mesh, and in which mode.
struct EditState {
    int mode = 0;
    ElementSelection selection;
};

// Where undo and redo put a mesh's layer back: selects the mesh, makes `layer` its committed
// layer (a grid following its params again when `followsParams`), and puts back the mode and
// selection.
class EditRestorer {
public:
    virtual void restore(const MeshPtr& mesh, LayerPtr layer, bool followsParams,
                         const EditState& state) = 0;

protected:
    ~EditRestorer() = default;
};

// A commit of a tool's edit to a mesh: the difference between the committed layers, with the
// selection before and after. Undo and redo select the mesh and put its layer and selection back.
class MeshEdit final : public Step {
public:
    MeshEdit(std::string name, EditRestorer& editor, MeshPtr mesh, const Layer& before,
             bool followedParams, EditState stateBefore, EditState stateAfter);
    void undo() override;
    void redo() override;
    std::size_t bytes() const override;
    // The commit left the layer as it was (a click that moved nothing).
    bool changesNothing() const { return change_.isEmpty(); }

private:
    EditRestorer& editor_;
    MeshPtr mesh_;
    LayerChange change_;
    // A grid followed its rows and columns before the commit; after it, it no longer does.
    bool followedParams_;
    EditState before_;
    EditState after_;
};

} // namespace tessel
