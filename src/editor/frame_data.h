#pragma once

#include "editor/element_selection.h"
#include "editor/render_index_data.h"
#include "editor/view_options.h"
#include "geometry/matrix.h"
#include "scene/mesh.h"
#include "scene/navigation.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <vector>

namespace tessel {

struct Viewport;

// What a frame shows: the scene under its root, the selected node, and what is selected in that
// node's mesh (nothing when null).
struct FrameContent {
    NodePtr root;
    NodePtr selectedNode;
    const ElementSelection* selection = nullptr;
    ViewOptions options;
};

// What a viewport draws of one layer besides its positions: its index lists, and which parts of
// them are selected. The lists hold point ids; each is kept alive by its owner (the layer, or a
// list built for it), which is shared with the layers of the same faces, so that whoever keeps a
// copy of a list on the GPU can tell by the owner that it has not changed.
struct LayerDrawData {
    // Three point ids per triangle: the faces cut into triangles, face by face.
    std::span<const std::uint32_t> triangles;
    std::shared_ptr<const void> trianglesOwner;
    // The runs of `triangles` that draw the ordinary and the selected faces.
    IndexRanges ordinaryTriangles;
    IndexRanges selectedTriangles;
    // Two point ids per edge: the faces' own edges, each once.
    std::span<const std::uint32_t> edges;
    std::shared_ptr<const void> edgesOwner;
    // The edges of the selected faces (or the selected edges), which `edges` holds too; they
    // live as long as the frame.
    std::span<const std::uint32_t> selectedEdges;
    // The runs of point ids of the ordinary and the selected points.
    IndexRanges ordinaryPoints;
    IndexRanges selectedPoints;
    // The box around the layer's points, in its own coordinates (empty without points).
    std::optional<Box> bounds;
};

// One layer to draw, in the frame's draw order.
struct DrawItem {
    // Held so that the layer outlives the draw even if an event replaced it meanwhile.
    LayerPtr layer;
    const LayerDrawData* data = nullptr;
    // Who draws this layer from frame to frame (a mesh, or a mesh's tool geometry): the layers
    // drawn for one key are most often alike, so what the GPU holds for the last can be updated.
    const void* key = nullptr;
    // Model-view-projection of the mesh in this viewport, and its model-view part.
    Matrix matrix;
    Matrix modelView;
    MaterialPtr material;
    // The selected mesh's layer (unless its tool draws geometry of its own), or a tool's
    // geometry: drawn with large points. Only the selected mesh's draw data holds the selections.
    bool isSelected = false;
    bool isSelectionVolume = false;
    // A normal per point when the mesh is shaded smooth (null when flat).
    std::shared_ptr<const std::vector<Vector3>> pointNormals;
    // Two positions per face, its centre and a short way along its normal, when the view shows
    // the selected mesh's normals (null otherwise).
    std::shared_ptr<const std::vector<Vector3>> normalLines;
    // Faces coloured by the side the camera sees.
    bool faceOrientation = false;
};

// Whether a layer's own points and edges, drawn over its faces in a viewport of that many pixels,
// would lie so close together that they cover the faces and show nothing of the shape: more
// points than the viewport has pixels, or fewer than a few pixels of the layer's extent on the
// screen per point. The selection is drawn either way.
bool outlineTooDense(const DrawItem& item, float pixelWidth, float pixelHeight);
// How wide, in pixels, the item's points are drawn in a viewport of that many pixels: one pixel
// for a mesh not selected; for the selected mesh or a tool's geometry, ten where they lie far
// enough apart, smaller as they crowd (half their spacing, but at least four pixels), so
// that a finely divided mesh still shows its faces between them.
float pointSizeOf(const DrawItem& item, float pixelWidth, float pixelHeight);
// Whether the selected mesh's points, drawn large, lie so close together in that viewport that
// they cover its faces and edges wholly (and are not left out as too dense to show).
bool largePointsCoverFaces(const DrawItem& item, float pixelWidth, float pixelHeight);
// Pixels of the layer's extent on the screen per point: its box's corners, unclipped (infinite
// when the box reaches behind the camera or there are no points that are numbers).
float pixelsPerPoint(const DrawItem& item, float pixelWidth, float pixelHeight);

// The CPU side of drawing the editor's viewports, shared between them.
//
// What a layer's faces draw as, triangles and edges, depends on the layer alone, and a layer never
// changes once shown (an edit makes a new one): it is built once per layer and kept while the
// layer is drawn, through camera moves, selection changes and frames of other layers. A layer
// that replaces one drawn in the last frame with the same faces (the next preview of a drag that
// moves points, a preview evaluated again) shares its edges, and its triangles too when every
// face is a triangle or the points are the same: a layer drawn is held until a frame is prepared
// without it, for that comparison.
//
// The four viewports show the same layers from different cameras, so the selection's split of
// a layer's lists is made once per frame and handed to every viewport that draws it in that
// frame. A frame ends, and its splits are forgotten, when
//   - invalidate() runs (the editor calls it whenever it asks for a repaint, which every
//     event that changes the scene, a selection or a preview does), or
//   - a viewport prepares a second time without one (a repaint of its own: a resize or an
//     expose), so that whatever changed since is read again.
// Either is used only for the very layer object it was built from (known by its control block,
// so a freed layer can never be mistaken for a new one at the same address), and only while the
// layer's arrays still have the sizes and storage they had; a frame's split only with the same
// selection state.
class FrameData {
public:
    FrameData() = default;
    FrameData(const FrameData&) = delete;
    FrameData& operator=(const FrameData&) = delete;

    // Everything `view` draws now, in draw order: every mesh's shown layer (read as it is: no
    // preview is evaluated here) and the tool geometry of a preview, each with its draw data,
    // prepared or taken from another viewport of the same frame. The data stays valid until the
    // next prepare() or invalidate().
    std::vector<DrawItem> prepare(Viewport& view, const FrameContent& content);

    // Ends the frame: the next prepare() splits the lists anew (and builds those of new layers).
    void invalidate();
    // Ends the frame and lets go of the storage kept for the next one, and of the layers no
    // longer shown.
    void releaseStorage();

    // How many layers' draw data have been put together so far, once per layer and frame (for
    // tests and benchmarks).
    size_t builds() const { return builds_; }
    // How many times a layer's faces have been cut into triangles or listed as edges so far.
    size_t faceListBuilds() const { return faceListBuilds_; }
    // Bytes held by the triangles and edges of the layers drawn lately.
    size_t faceListBytes() const;

private:
    // Who a list was built for: a layer as it was then.
    struct Source {
        std::weak_ptr<const Layer> layer;
        size_t pointCount = 0;
        size_t faceCount = 0;
        const void* pointStorage = nullptr;
        const void* faceStorage = nullptr;

        explicit Source(const std::shared_ptr<const Layer>& l = nullptr);
        bool matches(const std::shared_ptr<const Layer>& l) const;
    };
    // A layer's triangulation and edges, shared with the layers of the same faces.
    struct Faces {
        Source source;
        // The layer, held until a frame is prepared that does not draw it: a layer that replaces
        // it (the next preview of a drag) is compared with it.
        std::shared_ptr<const Layer> held;
        std::shared_ptr<const std::vector<std::uint32_t>> triangulation;
        std::shared_ptr<const std::vector<std::uint32_t>> edges;
        // Drawn since the last frame that drew anything ended.
        bool used = true;
    };
    struct Entry {
        Source source;
        bool isSelected = false;
        // Built in the current frame.
        bool current = false;
        // Used in the current frame (current entries) or the previous one.
        bool used = false;
        // The selected edges when there are any (the data's span points here).
        std::vector<std::uint32_t> selectedEdges;
        LayerDrawData data;
    };

    const LayerDrawData& dataFor(const LayerPtr& layer, bool isSelected,
                                 const ElementSelection& selection);
    const Faces& facesOf(const LayerPtr& layer);
    // What only some meshes draw of a layer: its point normals (smooth shading) or its faces'
    // normal lines, kept while the same layer is drawn.
    enum class Extra { PointNormals, NormalLines };
    std::shared_ptr<const std::vector<Vector3>> extraOf(const LayerPtr& layer, Extra kind);

    // Unique pointers: the data handed out must not move when entries are added.
    std::vector<std::unique_ptr<Entry>> entries_;
    std::vector<std::unique_ptr<Faces>> faces_;
    struct Extras {
        Source source;
        Extra kind;
        std::shared_ptr<const std::vector<Vector3>> values;
        bool used = true;
    };
    std::vector<Extras> extras_;
    std::vector<const Viewport*> prepared_;
    size_t builds_ = 0;
    size_t faceListBuilds_ = 0;
};

} // namespace tessel
