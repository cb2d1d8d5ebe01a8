#pragma once

#include "tools/polygon_tools.h"

namespace tessel {

// "Inset": insets the selected faces (insetFaces) by the drag measure dx + dy in world units
// (right and up grow it; at 0 or below nothing is inset), as one region when the Region setting
// is on (at first), else each face on its own. The release commits.
class Inset final : public DraggingPolygonTool {
public:
    static std::shared_ptr<Inset> make(ToolContext& context);
    ModifierResult evaluate(const Layer& committed) override;
    // Two triangles more than the committed layer per side of a selected face.
    size_t trianglesAfter(const Layer& committed) const override;

    // Region (on at first).
    std::vector<ToolSetting> settings() const override;
    void set(size_t index, double value) override;

private:
    using DraggingPolygonTool::DraggingPolygonTool;

    bool asRegion_ = true;
};

// "Flip": turns the selected faces to face the other way (flipFaces) while the button is held;
// the release commits.
class Flip final : public PolygonTool {
public:
    static std::shared_ptr<Flip> make(ToolContext& context);
    ModifierResult evaluate(const Layer& committed) override;

private:
    using PolygonTool::PolygonTool;
};

} // namespace tessel
