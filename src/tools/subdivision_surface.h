#pragma once

#include "mesh/model.h"
#include "mesh/subdivision.h"
#include "tools/operation.h"

#include <cstdint>
#include <memory>
#include <optional>

namespace tessel {

// Mesh "Subdivision surface": previews the selected mesh as the smooth surface its faces are the
// cage of (subdivision.h), refined Level times (1 … 4, 1 at first), with the cage's points drawn
// as the tool's geometry; Apply commits the smooth mesh. The panel shows the scheme the cage is
// refined by (Catmull-Clark, or Loop for triangles only) beside the Level.
//
// A press within reach of a cage point on the screen picks the nearest; a drag moves it parallel
// to the screen (the surface follows), and the release commits the moved cage. The press makes
// the weights of the refined points (SubdivisionSurface), kept while the cage's faces and the
// settings stay the same, so that each drag event only sums them again; until then, and when
// they no longer fit, the preview refines the cage once (quicker than making the weights) and
// keeps that result while the cage and the settings stay the same.
//
// Once applied, the preview is the committed layer as it is, without cage points, until a
// setting is set again.
class SubdivisionSurfaceTool final : public Operation,
                                     public Modifier,
                                     public std::enable_shared_from_this<SubdivisionSurfaceTool> {
public:
    // Installs the preview on the selected mesh's model (if any).
    static std::shared_ptr<SubdivisionSurfaceTool> make(ToolContext& context);

    // How near (in device units) a press must come to a cage point to pick it.
    static constexpr float kReach = 0.04f;

    void press(Vec2 position, Viewport& view) override;
    void drag(Vec2 delta, Viewport& view) override;
    void release(Vec2 position, Viewport& view) override;

    ModifierResult evaluate(const Layer& committed) override;
    size_t trianglesAfter(const Layer& committed) const override;

    // Scheme (shown only), Level, Border corners.
    std::vector<ToolSetting> settings() const override;
    void set(size_t index, double value) override;

    int level() const { return level_; }

private:
    explicit SubdivisionSurfaceTool(ToolContext& context) : context_(context) {}

    // The committed positions with the picked point where the drag has brought it.
    std::vector<Vector3> cagePositions(const Layer& committed) const;

    ToolContext& context_;
    int level_ = 1;
    SubdivisionBoundary boundary_ = SubdivisionBoundary::SmoothCorners;
    // The weights made at the last press, kept while they fit.
    std::shared_ptr<const SubdivisionSurface> surface_;
    // The last cage refined once, what for and the result.
    struct Refined {
        LayerPtr layer;
        FaceList faces;
        std::vector<Crease> creases;
        std::vector<Vector3> positions;
        int level = 0;
        SubdivisionBoundary boundary = SubdivisionBoundary::SmoothCorners;
    };
    Refined refined_;
    // The layer the last evaluation made; a committed layer that is it was applied.
    std::weak_ptr<const Layer> lastResult_;
    bool applied_ = false;
    // The gesture: the picked point, the view's projection at the press, where the point lay in
    // device coordinates and where the pointer is now.
    std::optional<std::uint32_t> picked_;
    Matrix viewProjection_;
    Vector3 pickedDevice_;
    Vec2 pointer_;
};

} // namespace tessel
