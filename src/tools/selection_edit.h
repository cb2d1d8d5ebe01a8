#pragma once

#include "mesh/edge.h"
#include "mesh/model.h"
#include "tools/operation.h"
#include "tools/tool_context.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace tessel {

// The appliable edits of the selection as it stands (Apply commits what they preview), each for the
// elements of one mode, its scope (Mesh: the whole mesh). Made, the tool installs its preview on
// the selected mesh's model; it takes the selection of its scope from its context whenever the
// editor says it changed, and its preview is a function of the committed layer, that copy and its
// settings.
//
// Presses in Face scope run the face click (pressOnPolygon), so that faces are picked with the
// tool in hand; in the others the editor selects, and gestures do nothing. Events that
// arrive while no mesh is selected change nothing.
class SelectionEdit : public Operation,
                      public Modifier,
                      public std::enable_shared_from_this<SelectionEdit> {
public:
    void press(Vec2 position, Viewport& view) override;
    void drag(Vec2 delta, Viewport& view) override;
    void release(Vec2 position, Viewport& view) override;
    // Takes the selection of the scope and makes the preview stale.
    void selectionChanged() override;

protected:
    SelectionEdit(ToolContext& context, Element scope) : context_(context), scope_(scope) {}
    // Puts this tool's preview on the selected mesh's model (if any), replacing any other.
    void installOwnPreview();
    // Whether the selection taken names elements of `committed`: it was taken while `committed`
    // was the model's committed layer. An Apply that renumbers points or faces leaves the
    // selection naming others, so edits that renumber act on nothing until the selection changes.
    bool selectionHolds(const Layer& committed) const {
        return takenFor_.lock().get() == &committed;
    }

    ToolContext& context_;
    const Element scope_;
    // The selection of the scope when it last changed (the others stay empty).
    std::vector<std::int64_t> points_;
    std::vector<Edge> edges_;
    std::vector<std::uint32_t> faces_;

private:
    std::weak_ptr<const Layer> takenFor_;
};

} // namespace tessel
