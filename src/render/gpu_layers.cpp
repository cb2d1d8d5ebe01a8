#include "render/gpu_layers.h"

#include "base/check.h"
#include "mesh/layer.h"
#include "render/upload_count.h"

#include <algorithm>
#include <cstring>

namespace tessel {

namespace {

std::uint64_t uploaded = 0;

// A slot not drawn in this many viewport frames goes.
constexpr std::uint64_t kIdleFrames = 32;

// Changed elements closer than this are uploaded as one range: a call costs more than the bytes.
constexpr size_t kMergeGap = 64;

template <class T> std::span<const std::byte> bytesOf(std::span<const T> values) {
    return std::as_bytes(values);
}

} // namespace

std::shared_ptr<GpuLayers> GpuLayers::shared() {
    // One store for the whole process: every context shares with the application's global one.
    static std::weak_ptr<GpuLayers> current;
    std::shared_ptr<GpuLayers> store = current.lock();
    if (!store) {
        store = std::make_shared<GpuLayers>();
        current = store;
    }
    return store;
}

GpuLayers::~GpuLayers() = default;

void GpuLayers::release(QOpenGLFunctions_3_3_Core& gl) {
    m_gl = &gl;
    for (auto& [key, slot] : slots_) {
        free(slot);
    }
    slots_.clear();
}

std::uint64_t bytesUploadedToGpu() { return uploaded; }

void GpuLayers::free(Slot& slot) {
    for (Array* array : {&slot.positions, &slot.triangles, &slot.edges, &slot.selectedEdges,
                         &slot.creasedEdges, &slot.normals, &slot.normalLines}) {
        free(*array);
    }
}

void GpuLayers::free(Array& array) {
    if (array.name != 0) {
        m_gl->glDeleteBuffers(1, &array.name);
        array.name = 0;
    }
}

void GpuLayers::put(GLenum target, Array& array, std::shared_ptr<const void> owner,
                    std::span<const std::byte> data, size_t unit) {
    if (array.name == 0) {
        m_gl->glGenBuffers(1, &array.name);
    }
    m_gl->glBindBuffer(target, array.name);
    const bool kept = owner != nullptr;
    if (kept && owner == array.owner && data.data() == array.data && data.size() == array.bytes) {
        return;
    }
    const auto held = static_cast<const std::byte*>(array.data);
    if (data.empty() && array.bytes == 0) {
        array.owner = std::move(owner);
        return;
    }
    if (data.size() != array.bytes || held == nullptr) {
        m_gl->glBufferData(target, static_cast<GLsizeiptr>(data.size()), data.data(),
                           GL_DYNAMIC_DRAW);
        uploaded += data.size();
    } else if (held != data.data()) {
        // Compare block by block, then element by element inside a block that differs.
        const size_t count = data.size() / unit;
        constexpr size_t kBlock = 256;
        size_t start = 0;
        size_t end = 0;
        bool open = false;
        const auto flush = [&] {
            m_gl->glBufferSubData(target, static_cast<GLintptr>(start * unit),
                                  static_cast<GLsizeiptr>((end - start) * unit),
                                  data.data() + start * unit);
            uploaded += (end - start) * unit;
        };
        for (size_t b = 0; b < count; b += kBlock) {
            const size_t n = std::min(kBlock, count - b);
            if (std::memcmp(held + b * unit, data.data() + b * unit, n * unit) == 0) {
                continue;
            }
            for (size_t i = b; i < b + n; ++i) {
                if (std::memcmp(held + i * unit, data.data() + i * unit, unit) == 0) {
                    continue;
                }
                if (open && i - end <= kMergeGap) {
                    end = i + 1;
                    continue;
                }
                if (open) {
                    flush();
                }
                start = i;
                end = i + 1;
                open = true;
            }
        }
        if (open) {
            flush();
        }
    }
    array.bytes = data.size();
    if (kept) {
        array.owner = std::move(owner);
        array.copy.clear();
        array.data = data.data();
    } else {
        array.owner.reset();
        array.copy.assign(data.begin(), data.end());
        array.data = array.copy.data();
    }
}

GpuLayers::Buffers GpuLayers::update(QOpenGLFunctions_3_3_Core& gl, const DrawItem& item) {
    m_gl = &gl;
    Slot& slot = slots_[item.key];
    slot.lastFrame = frame_;
    const Layer& layer = *item.layer;
    const LayerDrawData& data = *item.data;
    put(GL_ARRAY_BUFFER, slot.positions, item.layer,
        bytesOf(std::span<const Vector3>(layer.positions)), sizeof(Vector3));
    put(GL_ELEMENT_ARRAY_BUFFER, slot.triangles, data.trianglesOwner, bytesOf(data.triangles),
        3 * sizeof(std::uint32_t));
    put(GL_ELEMENT_ARRAY_BUFFER, slot.edges, data.edgesOwner, bytesOf(data.edges),
        2 * sizeof(std::uint32_t));
    put(GL_ELEMENT_ARRAY_BUFFER, slot.selectedEdges, nullptr, bytesOf(data.selectedEdges),
        2 * sizeof(std::uint32_t));
    put(GL_ELEMENT_ARRAY_BUFFER, slot.creasedEdges, nullptr, bytesOf(data.creasedEdges),
        2 * sizeof(std::uint32_t));
    Buffers buffers{slot.positions.name, slot.triangles.name, slot.edges.name,
                    slot.selectedEdges.name};
    buffers.creasedEdges = slot.creasedEdges.name;
    if (item.pointNormals) {
        put(GL_ARRAY_BUFFER, slot.normals, item.pointNormals,
            bytesOf(std::span<const Vector3>(*item.pointNormals)), sizeof(Vector3));
        buffers.normals = slot.normals.name;
    }
    if (item.normalLines) {
        put(GL_ARRAY_BUFFER, slot.normalLines, item.normalLines,
            bytesOf(std::span<const Vector3>(*item.normalLines)), 2 * sizeof(Vector3));
        buffers.normalLines = slot.normalLines.name;
    }
    return buffers;
}

const GpuLayers::RunBounds& GpuLayers::runBounds(const DrawItem& item) {
    // Runs shorter than a row of a large grid, so that a view of a corner of it leaves out the
    // other columns too, and few enough to test each frame.
    const auto run = [](size_t primitives) { return std::max<size_t>(64, primitives / 8192); };
    Slot& slot = slots_[item.key];
    const LayerDrawData& data = *item.data;
    const std::vector<Vector3>& positions = item.layer->positions;
    if (slot.boundsLayer != item.layer || slot.boundsTriangles != data.trianglesOwner ||
        slot.boundsEdges != data.edgesOwner) {
        slot.bounds.triangles =
            boundsOfRuns(positions, data.triangles, 3 * run(data.triangles.size() / 3));
        slot.bounds.edges = boundsOfRuns(positions, data.edges, 2 * run(data.edges.size() / 2));
        slot.bounds.points = boundsOfRuns(positions, {}, run(positions.size()));
        slot.boundsLayer = item.layer;
        slot.boundsTriangles = data.trianglesOwner;
        slot.boundsEdges = data.edgesOwner;
    }
    return slot.bounds;
}

void GpuLayers::endFrame(QOpenGLFunctions_3_3_Core& gl) {
    m_gl = &gl;
    ++frame_;
    for (auto it = slots_.begin(); it != slots_.end();) {
        Slot& slot = it->second;
        if (frame_ - slot.lastFrame <= kIdleFrames) {
            ++it;
            continue;
        }
        free(slot);
        it = slots_.erase(it);
    }
}

} // namespace tessel
