#pragma once

#include "mesh/model.h"
#include "tools/operation.h"
#include "tools/tool_context.h"
#include "tools/transform.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tessel {

// "Move", "Rotate" and "Scale" of the selection about its centre (the mean of its points), in
// every mode: the selected points, the ends of the selected edges, the corners of the selected
// faces, or every point of the selected mesh.
//
// As a tool: a press (in Polygon mode the face click first, which picks the pressed face) starts
// the transform from the pointer, the drag drives it, the release commits it. From the keyboard
// the editor starts one itself (begin), moves it with the pointer, hands it keys, and commits or
// cancels it. While one runs, its preview shows on the selected mesh; nothing else is installed.
//
// After a commit, and while the mesh keeps the layer it committed, the panel shows the exact
// amounts (Move: X, Y, Z; Rotate: the angle; Scale: the factor), and setting one commits the same
// transform with that amount in place of the last, from the layer before it.
class TransformTool final : public Operation,
                            public Modifier,
                            public std::enable_shared_from_this<TransformTool> {
public:
    using Kind = TransformGesture::Kind;

    static std::shared_ptr<TransformTool> make(ToolContext& context, Kind kind, Element element);
    template <Kind kind, Element element> static OperationPtr maker(ToolContext& context) {
        return make(context, kind, element);
    }

    // Starts a transform of the selection as it is now from the pointer in `view`; false (and
    // nothing started) without a selected mesh or without a point to move.
    bool begin(Viewport& view);
    bool isRunning() const { return gesture_.has_value(); }
    Kind kind() const { return kind_; }
    // The pointer is at `position` (normalized) in the transform's view.
    void pointerAt(Vec2 position);
    // A key for the running transform (transform.h); false when it is not one of its keys.
    bool key(char c);
    void setSnapping(bool snapping);
    // "Rotate z: 45°" while running, else empty.
    std::string status() const;
    // Commits the running transform as the mesh's layer, or drops it with nothing committed.
    void commit();
    void cancel();

    void press(Vec2 position, Viewport& view) override;
    void drag(Vec2 delta, Viewport& view) override;
    void release(Vec2 position, Viewport& view) override;

    std::vector<ToolSetting> settings() const override;
    void set(size_t index, double value) override;

    // The committed layer with the transform's points moved, sharing its faces; a copy when no
    // transform runs.
    ModifierResult evaluate(const Layer& committed) override;

private:
    TransformTool(ToolContext& context, Kind kind, Element element)
        : context_(context), kind_(kind), element_(element) {}

    // The last commit, which the panel adjusts.
    struct Committed {
        ModelPtr model;
        LayerPtr before;
        LayerPtr after;
        TransformGesture gesture;
        std::vector<std::uint32_t> points;
        Matrix nodeMatrix;
    };
    // The last commit, while its mesh still shows what it committed.
    const Committed* adjustable() const;

    ToolContext& context_;
    Kind kind_;
    Element element_;
    std::optional<TransformGesture> gesture_;
    ModelPtr model_;
    std::vector<std::uint32_t> points_;
    Matrix nodeMatrix_;
    std::optional<Committed> last_;
};

} // namespace tessel
