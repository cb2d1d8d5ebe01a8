#include "editor/mesh_edit.h"

namespace tessel {

MeshEdit::MeshEdit(std::string name, EditRestorer& editor, MeshPtr mesh, const Layer& before,
                   bool followedParams, EditState stateBefore, EditState stateAfter)
    : Step(std::move(name)), editor_(editor), mesh_(std::move(mesh)),
      change_(LayerChange::between(before, *mesh_->model()->committed())),
      followedParams_(followedParams), before_(std::move(stateBefore)),
      after_(std::move(stateAfter)) {}

void MeshEdit::undo() {
    editor_.restore(mesh_, change_.undone(*mesh_->model()->committed()), followedParams_, before_);
}

void MeshEdit::redo() {
    editor_.restore(mesh_, change_.redone(*mesh_->model()->committed()), false, after_);
}

std::size_t MeshEdit::bytes() const {
    const auto stateBytes = [](const EditState& state) {
        return state.selection.points.capacity() * sizeof(std::int64_t) +
               state.selection.edges.capacity() * sizeof(Edge) +
               state.selection.faces.capacity() * sizeof(std::uint32_t);
    };
    return Step::bytes() + sizeof(*this) + change_.bytes() + stateBytes(before_) +
           stateBytes(after_);
}

} // namespace tessel
