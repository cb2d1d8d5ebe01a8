#include "editor/frame_data.h"

#include "base/check.h"
#include "mesh/normals.h"
#include "scene/viewport.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numeric>

namespace tessel {

FrameData::Source::Source(const std::shared_ptr<const Layer>& l) {
    if (!l) {
        return;
    }
    layer = l;
    pointCount = l->positions.size();
    faceCount = l->faces.size();
    pointStorage = l->positions.data();
    faceStorage = l->faces.storage();
}

bool FrameData::Source::matches(const std::shared_ptr<const Layer>& l) const {
    // Same control block: the very object, alive (an expired pointer never matches).
    const bool sameObject = !layer.owner_before(l) && !l.owner_before(layer) && !layer.expired();
    return sameObject && pointCount == l->positions.size() && faceCount == l->faces.size() &&
           pointStorage == l->positions.data() && faceStorage == l->faces.storage();
}

void FrameData::invalidate() {
    // The lists of a layer not drawn in the last frame that drew anything go, and with them the
    // hold on that layer.
    if (!prepared_.empty()) {
        std::erase_if(faces_, [](const std::unique_ptr<Faces>& f) { return !f->used; });
        for (const std::unique_ptr<Faces>& f : faces_) {
            f->used = false;
        }
    }
    if (!prepared_.empty()) {
        std::erase_if(extras_, [](const Extras& e) { return !e.used; });
        for (Extras& e : extras_) {
            e.used = false;
        }
    }
    // Keep the storage of what the last frame used, for the next one to fill; let go of the rest.
    std::erase_if(entries_, [](const std::unique_ptr<Entry>& e) { return !e->used; });
    for (const std::unique_ptr<Entry>& e : entries_) {
        e->used = e->current;
        e->current = false;
        e->source.layer.reset();
    }
    prepared_.clear();
}

void FrameData::releaseStorage() {
    entries_.clear();
    extras_.clear();
    // Only the layers still shown somewhere keep their lists.
    for (const std::unique_ptr<Faces>& f : faces_) {
        f->held.reset();
    }
    std::erase_if(faces_,
                  [](const std::unique_ptr<Faces>& f) { return f->source.layer.expired(); });
    prepared_.clear();
}

size_t FrameData::faceListBytes() const {
    size_t bytes = 0;
    std::vector<const void*> counted;
    for (const std::unique_ptr<Faces>& f : faces_) {
        for (const auto& list : {f->triangulation, f->edges}) {
            if (std::find(counted.begin(), counted.end(), list.get()) == counted.end()) {
                counted.push_back(list.get());
                bytes += list->capacity() * sizeof(std::uint32_t);
            }
        }
    }
    return bytes;
}

const FrameData::Faces& FrameData::facesOf(const LayerPtr& layer) {
    for (const std::unique_ptr<Faces>& f : faces_) {
        if (f->source.matches(layer)) {
            f->used = true;
            f->held = layer;
            return *f;
        }
    }
    auto made = std::make_unique<Faces>();
    made->source = Source(layer);
    made->held = layer;
    // A layer drawn lately with the same faces: a preview before the last event changed it.
    for (const std::unique_ptr<Faces>& f : faces_) {
        const std::shared_ptr<const Layer> other = f->source.layer.lock();
        if (other && f->source.matches(other) &&
            other->positions.size() == layer->positions.size() && other->faces == layer->faces) {
            made->edges = f->edges;
            if (layer->faces.allTriangles() || layer->positions.empty() ||
                std::memcmp(other->positions.data(), layer->positions.data(),
                            layer->positions.size() * sizeof(Vector3)) == 0) {
                made->triangulation = f->triangulation;
            } else {
                made->triangulation = std::make_shared<const std::vector<std::uint32_t>>(
                    triangulation(*layer, *other, *f->triangulation));
                ++faceListBuilds_;
            }
            break;
        }
    }
    if (!made->edges) {
        made->edges = std::make_shared<const std::vector<std::uint32_t>>(edgeList(*layer));
        ++faceListBuilds_;
    }
    if (!made->triangulation) {
        made->triangulation =
            std::make_shared<const std::vector<std::uint32_t>>(triangulation(*layer));
        faceListBuilds_ += layer->faces.allTriangles() ? 0 : 1;
    }
    return *faces_.emplace_back(std::move(made));
}

std::shared_ptr<const std::vector<Vector3>> FrameData::extraOf(const LayerPtr& layer, Extra kind) {
    for (Extras& e : extras_) {
        if (e.kind == kind && e.source.matches(layer)) {
            e.used = true;
            return e.values;
        }
    }
    auto values = std::make_shared<const std::vector<Vector3>>(
        kind == Extra::PointNormals ? pointNormals(*layer)
                                    : faceNormalLines(*layer, normalLineLength(*layer)));
    extras_.push_back({Source(layer), kind, values, true});
    return values;
}

const LayerDrawData& FrameData::dataFor(const LayerPtr& layer, bool isSelected,
                                        const ElementSelection& selection) {
    for (const std::unique_ptr<Entry>& e : entries_) {
        if (e->current && e->isSelected == isSelected && e->source.matches(layer)) {
            return e->data;
        }
    }
    const auto spare = std::find_if(entries_.begin(), entries_.end(),
                                    [](const std::unique_ptr<Entry>& e) { return !e->current; });
    Entry& entry = spare != entries_.end() ? **spare : *entries_.emplace_back(new Entry);
    LayerDrawData& data = entry.data;

    const Faces& faces = facesOf(layer);
    data.triangles = triangleList(*layer, *faces.triangulation);
    data.trianglesOwner = layer->faces.allTriangles()
                              ? std::shared_ptr<const void>(layer)
                              : std::shared_ptr<const void>(faces.triangulation);
    data.edges = *faces.edges;
    data.edgesOwner = faces.edges;
    triangleRanges(layer->faces,
                   isSelected ? std::span<const std::uint32_t>(selection.faces)
                              : std::span<const std::uint32_t>{},
                   data.ordinaryTriangles, data.selectedTriangles);
    if (isSelected && !selection.faces.empty()) {
        selectedEdges(*layer, true, selection.faces, entry.selectedEdges);
    } else if (isSelected && !selection.edges.empty()) {
        selectedEdgesOf(*faces.edges, selection.edges, entry.selectedEdges);
    } else {
        entry.selectedEdges.clear();
    }
    data.selectedEdges = entry.selectedEdges;
    pointRanges(layer->positions.size(),
                isSelected ? std::span<const std::int64_t>(selection.points)
                           : std::span<const std::int64_t>{},
                data.ordinaryPoints, data.selectedPoints);

    data.bounds.reset();
    for (const Vector3& p : layer->positions) {
        // Points of a failed edit may not be numbers; they bound nothing.
        if (!std::isfinite(p.x) || !std::isfinite(p.y) || !std::isfinite(p.z)) {
            continue;
        }
        if (data.bounds) {
            data.bounds->add(p);
        } else {
            data.bounds = Box{p, p};
        }
    }

    entry.source = Source(layer);
    entry.isSelected = isSelected;
    entry.current = true;
    entry.used = true;
    ++builds_;
    return data;
}

float pixelsPerPoint(const DrawItem& item, float pixelWidth, float pixelHeight) {
    const std::optional<Box>& box = item.data->bounds;
    if (!box) {
        return INFINITY;
    }
    // The extent of the box's corners on the screen, unclipped; a corner behind the camera makes
    // it unbounded.
    float left = INFINITY;
    float right = -INFINITY;
    float bottom = INFINITY;
    float top = -INFINITY;
    for (int corner = 0; corner < 8; ++corner) {
        const Vector3 p = box->corner(corner);
        const Vector4 clip = item.matrix * Vector4(p, 1);
        if (clip.w() <= 0) {
            return INFINITY;
        }
        left = std::min(left, clip.x() / clip.w());
        right = std::max(right, clip.x() / clip.w());
        bottom = std::min(bottom, clip.y() / clip.w());
        top = std::max(top, clip.y() / clip.w());
    }
    const float area = (right - left) * pixelWidth / 2 * (top - bottom) * pixelHeight / 2;
    return area / static_cast<float>(item.layer->positions.size());
}

bool outlineTooDense(const DrawItem& item, float pixelWidth, float pixelHeight) {
    // Below this many pixels of extent per point, points and edges fill the faces.
    constexpr float kPixelsPerPoint = 6;
    const auto points = static_cast<float>(item.layer->positions.size());
    return points > pixelWidth * pixelHeight ||
           pixelsPerPoint(item, pixelWidth, pixelHeight) < kPixelsPerPoint;
}

float pointSizeOf(const DrawItem& item, float pixelWidth, float pixelHeight) {
    constexpr float kLargest = 10;
    constexpr float kSmallest = 4;
    if (!item.isSelected) {
        return 1;
    }
    const float spacing = std::sqrt(pixelsPerPoint(item, pixelWidth, pixelHeight));
    return std::clamp(0.5f * spacing, kSmallest, kLargest);
}

bool largePointsCoverFaces(const DrawItem& item, float pixelWidth, float pixelHeight) {
    // Squares as wide as the points' spacing cover every pixel between them.
    const float size = pointSizeOf(item, pixelWidth, pixelHeight);
    return item.isSelected && !outlineTooDense(item, pixelWidth, pixelHeight) &&
           pixelsPerPoint(item, pixelWidth, pixelHeight) <= size * size;
}

std::vector<DrawItem> FrameData::prepare(Viewport& view, const FrameContent& content) {
    if (std::find(prepared_.begin(), prepared_.end(), &view) != prepared_.end()) {
        invalidate();
    }
    prepared_.push_back(&view);

    const CameraPtr& camera = view.camera;
    TESSEL_CHECK(camera != nullptr, "FrameData::prepare", "viewport without a camera");
    std::vector<NodePtr> nodes;
    if (const NodePtr& root = content.root) {
        nodes = root->flat();
    }
    if (view.isMouseDragged && view.selectionVolume) {
        nodes.push_back(view.selectionVolume);
    }
    const Matrix viewProjection = camera->viewProjection(view.aspectRatio);
    const NodePtr& selectedNode = content.selectedNode;
    static const ElementSelection nothing;
    const ElementSelection& selection = content.selection ? *content.selection : nothing;
    std::vector<DrawItem> items;
    for (const NodePtr& node : nodes) {
        const MeshPtr mesh = asMesh(node);
        if (!mesh) {
            continue;
        }
        const Matrix modelView = camera->matrix().inverted() * mesh->matrix();
        const Matrix mvp = viewProjection * mesh->matrix();
        const ModelPtr& model = mesh->model();
        const bool isSelected = mesh == selectedNode;
        const LayerPtr layer = model->shownLayer();
        const auto add = [&](const LayerPtr& shown, const void* key, bool large) -> DrawItem& {
            DrawItem& item = items.emplace_back();
            item.layer = shown;
            item.key = key;
            item.matrix = mvp;
            item.modelView = modelView;
            item.material = mesh->material;
            item.isSelected = large;
            return item;
        };
        // While a tool draws geometry of its own (the cage of a smooth preview, a cutting plane),
        // that is what the pointer handles: the mesh's own points are drawn small, so that
        // hundreds of thousands of refined points do not hide the surface and the cage.
        const LayerPtr tool = model->toolLayer();
        DrawItem& item = add(layer, mesh.get(), isSelected && tool == nullptr);
        item.data = &dataFor(layer, isSelected, selection);
        item.isSelectionVolume = view.selectionVolume && model == view.selectionVolume->model();
        item.faceOrientation = content.options.faceOrientation;
        if (mesh->smoothShading) {
            item.pointNormals = extraOf(layer, Extra::PointNormals);
        }
        if (content.options.normals && isSelected) {
            item.normalLines = extraOf(layer, Extra::NormalLines);
        }
        // A tool's geometry is drawn large, as the selected mesh is, but the selections are ids of
        // the mesh: none of them names a part of it.
        if (tool != nullptr) {
            add(tool, model.get(), true).data = &dataFor(tool, false, selection);
        }
    }
    // The layers this frame draws are known (every viewport draws the same ones), and each new
    // one was compared: the layers it no longer draws need not be held any more.
    for (const std::unique_ptr<Faces>& f : faces_) {
        if (!f->used) {
            f->held.reset();
        }
    }
    return items;
}

} // namespace tessel
