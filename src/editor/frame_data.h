#pragma once

#include "editor/render_index_data.h"
#include "geometry/matrix.h"
#include "scene/mesh.h"

#include <memory>
#include <vector>

namespace tessel {

class Editor;
struct Viewport;

// What a viewport draws of one layer besides its positions: its index lists.
struct LayerDrawData {
    IndexData triangles;
    IndexData points;
};

// One layer to draw, in the frame's draw order.
struct DrawItem {
    // Held so that the layer outlives the draw even if an event replaced it meanwhile.
    LayerPtr layer;
    const LayerDrawData* data = nullptr;
    // Model-view-projection of the mesh in this viewport.
    Matrix matrix;
    MaterialPtr material;
    // The selected mesh's layer, or a tool's geometry: drawn with large points. Only the selected
    // mesh's draw data holds the selections.
    bool isSelected = false;
    bool isSelectionVolume = false;
};

// The CPU side of drawing the editor's viewports, shared between them.
//
// The four viewports show the same layers from different cameras, so the index lists of a layer
// are built once per frame and handed to every viewport that draws it in
// that frame. A frame ends, and everything built is forgotten, when
//   - invalidate() runs (the editor calls it whenever it asks for a repaint, which every
//     event that changes the scene, a selection or a preview does), or
//   - a viewport prepares a second time without one (a repaint of its own: a resize or an
//     expose), so that whatever changed since is read again.
// Within a frame an entry is used only for the very layer object it was built from (held
// weakly, so a freed layer can never be mistaken for a new one at the same address) and with
// the same selection state, and only while the layer's lists still have the sizes and storage
// they had.
class FrameData {
public:
    FrameData() = default;
    FrameData(const FrameData&) = delete;
    FrameData& operator=(const FrameData&) = delete;

    // Everything `view` draws now, in draw order: every mesh's shown layer (read as it is: no
    // preview is evaluated here) and the tool geometry of a preview, each with its draw data,
    // prepared or taken from another viewport of the same frame. The data stays valid until the
    // next prepare() or invalidate().
    std::vector<DrawItem> prepare(Viewport& view, const Editor& owner);

    // Ends the frame: the next prepare() builds everything anew.
    void invalidate();
    // Ends the frame and lets go of the storage kept for the next one.
    void releaseStorage();

    // How many layers' draw data have been built so far (for tests and benchmarks).
    size_t builds() const { return builds_; }

private:
    struct Entry {
        std::weak_ptr<const Layer> layer;
        bool isSelected = false;
        size_t pointCount = 0;
        size_t faceCount = 0;
        const void* pointStorage = nullptr;
        const void* faceStorage = nullptr;
        // Built in the current frame.
        bool current = false;
        // Used in the current frame (current entries) or the previous one.
        bool used = false;
        LayerDrawData data;

        bool matches(const LayerPtr& l, bool selected) const;
    };

    const LayerDrawData& dataFor(const LayerPtr& layer, bool isSelected, const Editor& owner);

    // Unique pointers: the data handed out must not move when entries are added.
    std::vector<std::unique_ptr<Entry>> entries_;
    std::vector<const Viewport*> prepared_;
    size_t builds_ = 0;
};

} // namespace tessel
