#pragma once

#include "editor/frame_data.h"
#include "editor/visible_ranges.h"

#include <QOpenGLFunctions_3_3_Core>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <unordered_map>
#include <vector>

namespace tessel {

// The layers the viewports draw, in GPU memory shared by the viewports' contexts (one share
// group), so that a layer is uploaded once for the four of them and again only where it changed.
//
// Each drawn layer has a slot by its draw key (a mesh, a mesh's tool geometry). The slot mirrors
// the last layer drawn for that key: its positions and index lists, held by their owners so that
// they cannot change meanwhile. A new layer for the key is compared with them: arrays of the same
// size upload only the ranges that differ, arrays with the same owner and storage upload nothing.
// A camera move or a repaint therefore uploads nothing, and a drag that moves a few points
// uploads those points and the few triangles they change.
//
// Members that touch GL take the caller's functions, with its context (of the share group)
// current: a context may go while the store lives on.
class GpuLayers {
public:
    // The store of the share group, made on first use. Renderers hold it; the last to let go
    // frees its buffers with release().
    static std::shared_ptr<GpuLayers> shared();
    GpuLayers() = default;
    ~GpuLayers();
    GpuLayers(const GpuLayers&) = delete;
    GpuLayers& operator=(const GpuLayers&) = delete;

    // The buffers that draw `item`, brought up to date.
    struct Buffers {
        GLuint positions = 0;
        GLuint triangles = 0;
        GLuint edges = 0;
        GLuint selectedEdges = 0;
        GLuint creasedEdges = 0;
        // 0 when the item has none.
        GLuint normals = 0;
        GLuint normalLines = 0;
    };
    Buffers update(QOpenGLFunctions_3_3_Core& gl, const DrawItem& item);

    // Boxes around runs of the item's triangles, edges and points, for drawing only what a
    // viewport may see of it. Built on first request for a layer and kept while its slot draws
    // the same points and lists.
    struct RunBounds {
        ListBounds triangles;
        ListBounds edges;
        ListBounds points;
    };
    const RunBounds& runBounds(const DrawItem& item);

    // Called once per viewport frame: slots not drawn for a while (a deleted mesh, a finished
    // rectangle selection) are freed.
    void endFrame(QOpenGLFunctions_3_3_Core& gl);
    // Frees every buffer.
    void release(QOpenGLFunctions_3_3_Core& gl);

private:
    // One GL buffer and what was last put into it.
    struct Array {
        GLuint name = 0;
        size_t bytes = 0;
        std::shared_ptr<const void> owner;
        const void* data = nullptr;
        // The data itself, when its owner is not known to keep it (copied lists).
        std::vector<std::byte> copy;
    };
    struct Slot {
        Array positions;
        Array triangles;
        Array edges;
        Array selectedEdges;
        Array creasedEdges;
        Array normals;
        Array normalLines;
        std::uint64_t lastFrame = 0;
        // What the run bounds were built from, held so that it cannot be mistaken for another.
        std::shared_ptr<const void> boundsLayer;
        std::shared_ptr<const void> boundsTriangles;
        std::shared_ptr<const void> boundsEdges;
        RunBounds bounds;
    };

    // Makes `array` hold `data`, which `owner` keeps unchanged (null: copy it), uploading what
    // differs from what it holds. `unit` is the size of one element: changed ranges are whole
    // elements.
    void put(GLenum target, Array& array, std::shared_ptr<const void> owner,
             std::span<const std::byte> data, size_t unit);
    void free(Array& array);
    void free(Slot& slot);

    std::unordered_map<const void*, Slot> slots_;
    std::uint64_t frame_ = 0;
    // The functions of the call in progress.
    QOpenGLFunctions_3_3_Core* m_gl = nullptr;
};

} // namespace tessel
