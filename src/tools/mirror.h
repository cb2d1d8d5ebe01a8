#pragma once

#include "geometry/matrix.h"
#include "tools/selection_edit.h"

namespace tessel {

// "Mirror": previews a mirror image of the whole mesh (Mesh scope) or of the selected faces
// (Face scope; none selected changes nothing) across the world plane through the origin normal
// to the Axis setting, appended to the mesh (mirrorFaces); Apply commits. With "Weld seam" the
// image shares the points that lie on the plane, within 1e-4 of the mesh's largest extent.
//
// The plane is taken into the mesh's own coordinates through the node's matrix as it was when the
// tool was made or the selection last changed; when that matrix has no inverse nothing is
// mirrored.
class Mirror final : public SelectionEdit {
public:
    static std::shared_ptr<Mirror> make(ToolContext& context, Element scope);
    // Also takes the node's matrix again.
    void selectionChanged() override;
    ModifierResult evaluate(const Layer& committed) override;
    // The committed triangles and those of the faces mirrored.
    size_t trianglesAfter(const Layer& committed) const override;

    // Axis ("X", "Y", "Z"; X at first) and Weld seam (on at first).
    std::vector<ToolSetting> settings() const override;
    void set(size_t index, double value) override;

private:
    using SelectionEdit::SelectionEdit;

    int axis_ = 0;
    bool weldSeam_ = true;
    // The node's matrix: layer to world coordinates.
    Matrix matrix_;
};

} // namespace tessel
