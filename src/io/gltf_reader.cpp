// Reads glTF 2.0 through tinygltf, then checks every accessor against its buffer before a
// single element is copied: tinygltf parses the JSON and the container, not the data.

#include "io/draco_mesh.h"
#include "io/gltf_faces.h"
#include "io/gltf_format.h"
#include "io/gltf_sibling_files.h"
#include "io/gltf_structure.h"
#include "io/import_cleanup.h"
#include "io/import_report.h"
#include "mesh/crease.h"
#include "scene/mesh.h"

#include "io/gltf_library.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <optional>
#include <string_view>

namespace tessel::gltf {

namespace {

// Deeper nesting than this is no scene a modeller writes; refusing it keeps the recursive
// parts of the JSON library and of node destruction far from the stack's end.
constexpr std::size_t kMaxJsonDepth = 64;
constexpr std::size_t kMaxNodeDepth = 256;
// Points alone are not bounded by the triangle limit; no mesh made of triangles has more.
constexpr std::size_t kMaxPoints = 3 * kMaxTriangles;

using Matrix4 = std::array<double, 16>; // column-major, as glTF stores it
constexpr Matrix4 kIdentity = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

Matrix4 multiplied(const Matrix4& a, const Matrix4& b) {
    Matrix4 m{};
    for (int c = 0; c < 4; ++c) {
        for (int r = 0; r < 4; ++r) {
            double sum = 0;
            for (int k = 0; k < 4; ++k) {
                sum += a[k * 4 + r] * b[c * 4 + k];
            }
            m[c * 4 + r] = sum;
        }
    }
    return m;
}

Matrix4 localMatrixOf(const tinygltf::Node& node) {
    if (node.matrix.size() == 16) {
        Matrix4 m;
        std::copy(node.matrix.begin(), node.matrix.end(), m.begin());
        return m;
    }
    Matrix4 m = kIdentity;
    if (node.scale.size() == 3) {
        m = {node.scale[0], 0, 0, 0, 0, node.scale[1], 0, 0, 0, 0, node.scale[2], 0, 0, 0, 0, 1};
    }
    if (node.rotation.size() == 4) {
        const double x = node.rotation[0], y = node.rotation[1], z = node.rotation[2],
                     w = node.rotation[3];
        const Matrix4 r = {1 - 2 * (y * y + z * z),
                           2 * (x * y + z * w),
                           2 * (x * z - y * w),
                           0,
                           2 * (x * y - z * w),
                           1 - 2 * (x * x + z * z),
                           2 * (y * z + x * w),
                           0,
                           2 * (x * z + y * w),
                           2 * (y * z - x * w),
                           1 - 2 * (x * x + y * y),
                           0,
                           0,
                           0,
                           0,
                           1};
        m = multiplied(r, m);
    }
    if (node.translation.size() == 3) {
        m[12] = node.translation[0];
        m[13] = node.translation[1];
        m[14] = node.translation[2];
    }
    return m;
}

// The deepest nesting of arrays and objects in JSON text, strings skipped.
std::size_t jsonDepth(std::string_view text) {
    std::size_t depth = 0;
    std::size_t deepest = 0;
    bool inString = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (inString) {
            if (c == '\\') {
                ++i;
            } else if (c == '"') {
                inString = false;
            }
        } else if (c == '"') {
            inString = true;
        } else if (c == '[' || c == '{') {
            deepest = std::max(deepest, ++depth);
        } else if ((c == ']' || c == '}') && depth > 0) {
            --depth;
        }
    }
    return deepest;
}

std::uint32_t littleEndian32(const std::uint8_t* p) {
    return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 |
           std::uint32_t{p[3]} << 24;
}

// The elements of one accessor, checked to lie inside its buffer view and buffer.
struct Elements {
    const std::uint8_t* data = nullptr;
    std::size_t stride = 0;
    std::size_t count = 0;
};

std::string elementsOf(const tinygltf::Model& model, int index, std::size_t elementSize,
                       Elements& elements) {
    const std::string name = "accessor " + std::to_string(index);
    if (index < 0 || static_cast<std::size_t>(index) >= model.accessors.size()) {
        return name + " does not exist";
    }
    const tinygltf::Accessor& accessor = model.accessors[static_cast<std::size_t>(index)];
    if (accessor.sparse.isSparse) {
        return name + " is sparse, which is not supported";
    }
    if (accessor.bufferView < 0 ||
        static_cast<std::size_t>(accessor.bufferView) >= model.bufferViews.size()) {
        return name + " has no buffer view";
    }
    const tinygltf::BufferView& view =
        model.bufferViews[static_cast<std::size_t>(accessor.bufferView)];
    if (view.buffer < 0 || static_cast<std::size_t>(view.buffer) >= model.buffers.size()) {
        return name + " refers to a buffer that does not exist";
    }
    const std::vector<unsigned char>& buffer =
        model.buffers[static_cast<std::size_t>(view.buffer)].data;
    if (view.byteOffset > buffer.size() || view.byteLength > buffer.size() - view.byteOffset) {
        return name + "'s buffer view runs past the end of its buffer";
    }
    const std::size_t stride = view.byteStride == 0 ? elementSize : view.byteStride;
    if (stride < elementSize) {
        return name + "'s elements overlap (stride " + std::to_string(stride) + ")";
    }
    if (accessor.count > 0) {
        // offset + (count − 1)·stride + size ≤ length, without overflow.
        const std::size_t length = view.byteLength;
        if (accessor.byteOffset > length || elementSize > length - accessor.byteOffset ||
            (accessor.count - 1) > (length - accessor.byteOffset - elementSize) / stride) {
            return name + " claims " + countText(accessor.count) +
                   " elements, past the end of its buffer";
        }
    }
    elements.data = buffer.data() + view.byteOffset + accessor.byteOffset;
    elements.stride = stride;
    elements.count = accessor.count;
    return {};
}

std::size_t componentSize(int componentType) {
    switch (componentType) {
    case TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE: return 1;
    case TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT: return 2;
    case TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT: return 4;
    default: return 0;
    }
}

// The creases an extras list gives, as far as they fit the points: whole triples of numbers whose
// points are ids of the mesh (validCreases drops or clamps the rest).
std::vector<Crease> creasesOf(const tinygltf::Value& list, std::size_t pointCount) {
    std::vector<Crease> creases;
    if (!list.IsArray()) {
        return creases;
    }
    const auto id = [pointCount](const tinygltf::Value& value) -> std::optional<std::uint32_t> {
        const double v = value.IsNumber() ? value.GetNumberAsDouble() : -1;
        if (!(v >= 0 && v < static_cast<double>(pointCount)) || v != std::floor(v)) {
            return std::nullopt;
        }
        return static_cast<std::uint32_t>(v);
    };
    for (std::size_t i = 0; i + 2 < list.ArrayLen(); i += 3) {
        const std::optional<std::uint32_t> a = id(list.Get(static_cast<int>(i)));
        const std::optional<std::uint32_t> b = id(list.Get(static_cast<int>(i + 1)));
        const tinygltf::Value& weight = list.Get(static_cast<int>(i + 2));
        if (a && b && weight.IsNumber()) {
            const double w = weight.GetNumberAsDouble();
            creases.push_back(
                {*a, *b, std::isfinite(w) ? static_cast<float>(std::min(w, 1.0)) : 0});
        }
    }
    return validCreases(std::move(creases), pointCount);
}

class TreeBuilder {
public:
    TreeBuilder(const tinygltf::Model& model) : model_(model) {}

    std::string failure;
    ImportReport report;

    // The node with that index and its subtree, or null with `failure` set.
    NodePtr build(int rootIndex);

private:
    struct Pending {
        int index;
        NodePtr node;
        Matrix4 world;
    };

    NodePtr makeNode(int index, const Matrix4& world);
    bool appendPrimitive(const tinygltf::Primitive& primitive, const Matrix4& world, bool applies,
                         std::vector<Vector3>& positions, std::vector<Triangle>& triangles);
    // Each reads one part of the primitive, or says why it cannot.
    std::string readPositions(const tinygltf::Primitive& primitive,
                              std::vector<Vector3>& positions);
    std::string readCorners(const tinygltf::Primitive& primitive, std::size_t pointCount,
                            std::vector<std::uint32_t>& corners);
    std::string readCompressed(const tinygltf::Value& compression, std::vector<Vector3>& positions,
                               std::vector<Triangle>& triangles);
    ModelPtr modelOf(const tinygltf::Mesh& mesh, LayerPtr layer) const;

    const tinygltf::Model& model_;
    std::vector<bool> used_ = std::vector<bool>(model_.nodes.size(), false);
    std::size_t triangles_ = 0;
    std::size_t points_ = 0;
};

NodePtr TreeBuilder::build(int rootIndex) {
    // Breadth-first with an explicit list: the depth of a hostile tree never reaches the stack.
    if (rootIndex < 0 || static_cast<std::size_t>(rootIndex) >= model_.nodes.size()) {
        failure = "node " + std::to_string(rootIndex) + " does not exist";
        return nullptr;
    }
    const Matrix4 rootWorld = localMatrixOf(model_.nodes[static_cast<std::size_t>(rootIndex)]);
    NodePtr root = makeNode(rootIndex, rootWorld);
    std::vector<Pending> level;
    if (root) {
        level.push_back({rootIndex, root, rootWorld});
    }
    for (std::size_t depth = 0; root && !level.empty(); ++depth) {
        if (depth > kMaxNodeDepth) {
            failure = "nodes nested deeper than " + std::to_string(kMaxNodeDepth) + " levels";
            return nullptr;
        }
        std::vector<Pending> next;
        for (const Pending& pending : level) {
            Node::Children children;
            for (const int child : model_.nodes[static_cast<std::size_t>(pending.index)].children) {
                if (child < 0 || static_cast<std::size_t>(child) >= model_.nodes.size()) {
                    failure = "node " + std::to_string(child) + " does not exist";
                    return nullptr;
                }
                const Matrix4 world = multiplied(
                    pending.world, localMatrixOf(model_.nodes[static_cast<std::size_t>(child)]));
                NodePtr node = makeNode(child, world);
                if (!node) {
                    return nullptr;
                }
                node->parent = pending.node;
                children.push_back(node);
                next.push_back({child, std::move(node), world});
            }
            pending.node->setChildren(std::move(children));
        }
        level = std::move(next);
    }
    return failure.empty() ? root : nullptr;
}

NodePtr TreeBuilder::makeNode(int index, const Matrix4& world) {
    if (index < 0 || static_cast<std::size_t>(index) >= model_.nodes.size()) {
        failure = "node " + std::to_string(index) + " does not exist";
        return nullptr;
    }
    if (used_[static_cast<std::size_t>(index)]) {
        failure = "node " + std::to_string(index) + " appears twice in the tree";
        return nullptr;
    }
    used_[static_cast<std::size_t>(index)] = true;
    const tinygltf::Node& source = model_.nodes[static_cast<std::size_t>(index)];
    const bool emptyMesh = source.extras.IsObject() && source.extras.Has("emptyMesh");
    if (source.mesh < 0 && !emptyMesh) {
        return Node::make(source.name);
    }
    const bool smooth = source.extras.IsObject() && source.extras.Has(kSmoothShading) &&
                        source.extras.Get(kSmoothShading).IsBool() &&
                        source.extras.Get(kSmoothShading).Get<bool>();
    if (emptyMesh) {
        MeshPtr empty = Mesh::make(Model::make(), source.name);
        empty->smoothShading = smooth;
        return empty;
    }
    if (static_cast<std::size_t>(source.mesh) >= model_.meshes.size()) {
        failure = "mesh " + std::to_string(source.mesh) + " does not exist";
        return nullptr;
    }
    const tinygltf::Mesh& mesh = model_.meshes[static_cast<std::size_t>(source.mesh)];
    const bool applies = world != kIdentity;
    LayerPtr layer = makeLayer();
    std::vector<Triangle> triangles;
    bool compressed = false;
    for (const tinygltf::Primitive& primitive : mesh.primitives) {
        if (!appendPrimitive(primitive, world, applies, layer->positions, triangles)) {
            return nullptr;
        }
        compressed = compressed || primitive.extensions.contains("KHR_draco_mesh_compression");
    }
    std::optional<FaceList> faces;
    if (mesh.extras.IsObject() && mesh.extras.Has(kFaceCornerRuns)) {
        // Compressed triangles come in the encoder's order, not the faces'.
        if (!compressed) {
            faces = facesOf(triangles, mesh.extras.Get(kFaceCornerRuns));
        }
        report.meshesKeptAsTriangles += !faces;
    }
    layer->faces = faces ? std::move(*faces) : FaceList(triangles);
    if (mesh.extras.IsObject() && mesh.extras.Has(kEdgeCreases)) {
        layer->creases = creasesOf(mesh.extras.Get(kEdgeCreases), layer->positions.size());
    }
    if (applies) {
        ++report.transformsApplied;
    }
    MeshPtr node =
        Mesh::make(modelOf(mesh, std::move(layer)), source.name.empty() ? mesh.name : source.name);
    node->smoothShading = smooth;
    if (!mesh.primitives.empty()) {
        const int material = mesh.primitives.front().material;
        if (material >= 0 && static_cast<std::size_t>(material) < model_.materials.size()) {
            const std::vector<double>& color = model_.materials[static_cast<std::size_t>(material)]
                                                   .pbrMetallicRoughness.baseColorFactor;
            if (color.size() == 4) {
                const auto channel = [](double c) {
                    return std::isfinite(c) ? static_cast<float>(std::clamp(c, 0.0, 1.0)) : 1.0f;
                };
                node->material->ambient = {channel(color[0]), channel(color[1]), channel(color[2])};
                node->material->opacity = channel(color[3]);
            }
        }
    }
    return node;
}

// The triangles that a strip or fan of these corners describes, each wound as the first one;
// triangles with a repeated corner only join the strip's pieces and are left out.
std::vector<Triangle> trianglesOfSequence(const std::vector<std::uint32_t>& corners, int mode) {
    std::vector<Triangle> triangles;
    if (corners.size() < 3) {
        return triangles;
    }
    triangles.reserve(corners.size() - 2);
    for (std::size_t i = 0; i + 2 < corners.size(); ++i) {
        const Triangle t = mode == TINYGLTF_MODE_TRIANGLE_FAN
                               ? Triangle{corners[i + 1], corners[i + 2], corners[0]}
                           : i % 2 == 0 ? Triangle{corners[i], corners[i + 1], corners[i + 2]}
                                        : Triangle{corners[i], corners[i + 2], corners[i + 1]};
        if (t[0] != t[1] && t[1] != t[2] && t[0] != t[2]) {
            triangles.push_back(t);
        }
    }
    return triangles;
}

std::string TreeBuilder::readCorners(const tinygltf::Primitive& primitive, std::size_t pointCount,
                                     std::vector<std::uint32_t>& corners) {
    if (primitive.indices < 0) {
        corners.resize(pointCount);
        for (std::size_t i = 0; i < pointCount; ++i) {
            corners[i] = static_cast<std::uint32_t>(i);
        }
        return {};
    }
    const std::size_t size =
        static_cast<std::size_t>(primitive.indices) < model_.accessors.size()
            ? componentSize(
                  model_.accessors[static_cast<std::size_t>(primitive.indices)].componentType)
            : 1;
    if (size == 0 || model_.accessors[static_cast<std::size_t>(primitive.indices)].type !=
                         TINYGLTF_TYPE_SCALAR) {
        return "indices are not unsigned integers";
    }
    Elements indices;
    if (std::string why = elementsOf(model_, primitive.indices, size, indices); !why.empty()) {
        return why;
    }
    // A list, strip or fan of n corners has fewer than n triangles.
    if (triangles_ + indices.count / (primitive.mode == TINYGLTF_MODE_TRIANGLES ? 3 : 1) >
        kMaxTriangles + 2) {
        return "more than the " + countText(kMaxTriangles) + "-triangle limit";
    }
    corners.resize(indices.count);
    for (std::size_t i = 0; i < indices.count; ++i) {
        const std::uint8_t* p = indices.data + i * indices.stride;
        if (size == 1) {
            corners[i] = *p;
        } else if (size == 2) {
            std::uint16_t v16;
            std::memcpy(&v16, p, 2);
            corners[i] = v16;
        } else {
            std::memcpy(&corners[i], p, 4);
        }
    }
    return {};
}

std::string TreeBuilder::readPositions(const tinygltf::Primitive& primitive,
                                       std::vector<Vector3>& positions) {
    const int accessorIndex = primitive.attributes.at("POSITION");
    Elements source;
    if (std::string why = elementsOf(model_, accessorIndex, sizeof(Vector3), source);
        !why.empty()) {
        return why;
    }
    const tinygltf::Accessor& accessor = model_.accessors[static_cast<std::size_t>(accessorIndex)];
    if (accessor.type != TINYGLTF_TYPE_VEC3 ||
        accessor.componentType != TINYGLTF_COMPONENT_TYPE_FLOAT) {
        return "positions are not three floats each";
    }
    if (points_ + source.count > kMaxPoints) {
        return "more than the " + countText(kMaxPoints) + " points meshes may hold";
    }
    positions.resize(source.count);
    for (std::size_t i = 0; i < source.count; ++i) {
        std::memcpy(&positions[i], source.data + i * source.stride, sizeof(Vector3));
    }
    return {};
}

std::string TreeBuilder::readCompressed(const tinygltf::Value& compression,
                                        std::vector<Vector3>& positions,
                                        std::vector<Triangle>& triangles) {
    // The structure check made these members whole numbers.
    const int viewIndex = compression.Get("bufferView").GetNumberAsInt();
    const tinygltf::Value& ids = compression.Get("attributes");
    if (!ids.Has("POSITION")) {
        return "a compressed part has no positions";
    }
    if (viewIndex < 0 || static_cast<std::size_t>(viewIndex) >= model_.bufferViews.size()) {
        return "buffer view " + std::to_string(viewIndex) + " does not exist";
    }
    const tinygltf::BufferView& view = model_.bufferViews[static_cast<std::size_t>(viewIndex)];
    if (view.buffer < 0 || static_cast<std::size_t>(view.buffer) >= model_.buffers.size()) {
        return "buffer view " + std::to_string(viewIndex) +
               " refers to a buffer that does not exist";
    }
    const std::vector<unsigned char>& buffer =
        model_.buffers[static_cast<std::size_t>(view.buffer)].data;
    if (view.byteOffset > buffer.size() || view.byteLength > buffer.size() - view.byteOffset) {
        return "buffer view " + std::to_string(viewIndex) + " runs past the end of its buffer";
    }
    const std::string why =
        decodeDracoMesh({buffer.data() + view.byteOffset, view.byteLength},
                        static_cast<std::uint32_t>(ids.Get("POSITION").GetNumberAsInt()),
                        kMaxPoints - points_, kMaxTriangles - triangles_, positions, triangles);
    return why.empty() ? why : "a part compressed with Draco cannot be read: " + why;
}

bool TreeBuilder::appendPrimitive(const tinygltf::Primitive& primitive, const Matrix4& world,
                                  bool applies, std::vector<Vector3>& positions,
                                  std::vector<Triangle>& triangles) {
    const int mode = primitive.mode == -1 ? TINYGLTF_MODE_TRIANGLES : primitive.mode;
    const bool points = mode == TINYGLTF_MODE_POINTS;
    const bool surface = mode == TINYGLTF_MODE_TRIANGLES || mode == TINYGLTF_MODE_TRIANGLE_STRIP ||
                         mode == TINYGLTF_MODE_TRIANGLE_FAN;
    if ((!points && !surface) || !primitive.attributes.contains("POSITION")) {
        ++report.primitivesSkipped;
        return true;
    }
    std::vector<Vector3> primitivePositions;
    FaceList primitiveTriangles;
    bool perCorner = false;
    const auto compression = primitive.extensions.find("KHR_draco_mesh_compression");
    if (compression != primitive.extensions.end()) {
        std::vector<Triangle> decoded;
        failure = readCompressed(compression->second, primitivePositions, decoded);
        if (!failure.empty()) {
            return false;
        }
        if (!points) {
            primitiveTriangles = FaceList(decoded);
        }
    } else {
        if (failure = readPositions(primitive, primitivePositions); !failure.empty()) {
            return false;
        }
        std::vector<std::uint32_t> corners;
        if (!points) {
            if (failure = readCorners(primitive, primitivePositions.size(), corners);
                !failure.empty()) {
                return false;
            }
        }
        if (mode == TINYGLTF_MODE_TRIANGLES) {
            if (corners.size() % 3 != 0) {
                failure = primitive.indices >= 0 ? "index count " + countText(corners.size()) +
                                                       " is not a multiple of 3"
                                                 : "point count " + countText(corners.size()) +
                                                       " of a triangle list is not a multiple of 3";
                return false;
            }
            primitiveTriangles = FaceList(std::move(corners), 3);
        } else if (!points) {
            primitiveTriangles = trianglesOfSequence(corners, mode);
        }
        // Without indices each corner of a list has its own point; strips and fans share them.
        perCorner = primitive.indices < 0 && mode == TINYGLTF_MODE_TRIANGLES;
    }
    // Nodes that share a mesh each get a copy: the total, not the file's size, bounds the memory.
    points_ += primitivePositions.size();
    if (points_ > kMaxPoints) {
        failure = "more than the " + countText(kMaxPoints) + " points meshes may hold";
        return false;
    }
    if (triangles_ + primitiveTriangles.size() > kMaxTriangles) {
        failure = "more than the " + countText(kMaxTriangles) + "-triangle limit";
        return false;
    }

    if (applies) {
        for (Vector3& p : primitivePositions) {
            const double x = p.x, y = p.y, z = p.z;
            p = {narrowedCoordinate(world[0] * x + world[4] * y + world[8] * z + world[12]),
                 narrowedCoordinate(world[1] * x + world[5] * y + world[9] * z + world[13]),
                 narrowedCoordinate(world[2] * x + world[6] * y + world[10] * z + world[14])};
        }
        const double determinant = world[0] * (world[5] * world[10] - world[9] * world[6]) -
                                   world[4] * (world[1] * world[10] - world[9] * world[2]) +
                                   world[8] * (world[1] * world[6] - world[5] * world[2]);
        // A mirroring transform turns the faces' backs to the front; swapping keeps them facing
        // out.
        if (determinant < 0) {
            for (std::size_t f = 0; f < primitiveTriangles.size(); ++f) {
                const std::span<std::uint32_t> t = primitiveTriangles.cornersOf(f);
                std::swap(t[1], t[2]);
            }
        }
    }
    // Each face is a triangle still: cleaning drops repeated corners only with their faces.
    if (failure = cleanImportedMesh(primitivePositions, primitiveTriangles, perCorner, report);
        !failure.empty()) {
        return false;
    }
    const auto offset = static_cast<std::uint32_t>(positions.size());
    positions.insert(positions.end(), primitivePositions.begin(), primitivePositions.end());
    for (const FaceList::Face t : primitiveTriangles) {
        triangles.push_back({t[0] + offset, t[1] + offset, t[2] + offset});
    }
    triangles_ += primitiveTriangles.size();
    return true;
}

// The primitive settings a mesh's extras hold, or null when they hold none that fit a known kind.
PrimitiveParamsPtr primitiveOf(const tinygltf::Value& extras) {
    if (!extras.Has(kPrimitive)) {
        return nullptr;
    }
    const tinygltf::Value& saved = extras.Get(kPrimitive);
    if (!saved.IsObject() || !saved.Get("kind").IsString() || !saved.Get("settings").IsArray()) {
        return nullptr;
    }
    for (const PrimitiveKind kind :
         {PrimitiveKind::Plane, PrimitiveKind::Box, PrimitiveKind::UvSphere,
          PrimitiveKind::Icosphere, PrimitiveKind::Cylinder, PrimitiveKind::Cone,
          PrimitiveKind::Torus}) {
        if (PrimitiveParams::nameOf(kind) != saved.Get("kind").Get<std::string>()) {
            continue;
        }
        const tinygltf::Value& settings = saved.Get("settings");
        auto params = PrimitiveParams::make(kind);
        if (settings.ArrayLen() != params->parameters().size()) {
            return nullptr;
        }
        // Twice: a setting bounded by a later one (a torus's radii) takes its value once the
        // later one has been read.
        for (int pass = 0; pass < 2; ++pass) {
            for (std::size_t i = 0; i < settings.ArrayLen(); ++i) {
                if (settings.Get(static_cast<int>(i)).IsNumber()) {
                    params->set(i, settings.Get(static_cast<int>(i)).GetNumberAsDouble());
                }
            }
        }
        return params;
    }
    return nullptr;
}

ModelPtr TreeBuilder::modelOf(const tinygltf::Mesh& mesh, LayerPtr layer) const {
    const tinygltf::Value& extras = mesh.extras;
    ModelPtr model;
    if (!extras.IsObject()) {
        return Model::make(std::move(layer));
    }
    if (const PrimitiveParamsPtr primitive = primitiveOf(extras)) {
        model = Model::makePrimitive(primitive);
    } else if (extras.Has(kGridRows) && extras.Has(kGridColumns) &&
               extras.Get(kGridRows).IsNumber() && extras.Get(kGridColumns).IsNumber()) {
        model = Model::makeQuad(Model::Params::make(extras.Get(kGridColumns).GetNumberAsDouble(),
                                                    extras.Get(kGridRows).GetNumberAsDouble()));
    } else {
        return Model::make(std::move(layer));
    }
    // A grid or primitive as generated keeps following its settings; an edited one keeps its
    // points.
    const Layer& generated = *model->committed();
    if (generated.positions != layer->positions || generated.faces != layer->faces) {
        model->setCommitted(std::move(layer));
    }
    return model;
}

} // namespace

ReadResult read(std::span<const std::uint8_t> bytes, bool binary, const SiblingReader& sibling) {
    std::string_view jsonText(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    std::size_t afterJson = 0;
    if (binary) {
        if (bytes.size() < 4 || std::memcmp(bytes.data(), "glTF", 4) != 0) {
            return ReadResult::failed("not a binary glTF file: it does not start with \"glTF\"");
        }
        if (bytes.size() >= 8 && littleEndian32(bytes.data() + 4) == 1) {
            return ReadResult::failed("glTF 1.0 is not supported; save it as glTF 2.0");
        }
        const std::uint64_t declared = bytes.size() >= 12 ? littleEndian32(bytes.data() + 8) : 0;
        const std::uint64_t chunk = bytes.size() >= 20 ? littleEndian32(bytes.data() + 12) : 0;
        if (bytes.size() < 20 || declared > bytes.size() || 20 + chunk > bytes.size()) {
            return ReadResult::failed(
                "cut short: it holds " + countText(bytes.size()) + " of the " +
                countText(std::max<std::uint64_t>(declared, 20)) + " bytes its header gives");
        }
        jsonText = jsonText.substr(20, chunk);
        afterJson = 20 + chunk;
    }
    if (jsonDepth(jsonText) > kMaxJsonDepth) {
        return ReadResult::failed("JSON nested deeper than " + std::to_string(kMaxJsonDepth) +
                                  " levels");
    }
    // Parsed here as well as in tinygltf: its messages quote the file at length, and it passes
    // over members of the wrong type.
    nlohmann::json document;
    try {
        document = nlohmann::json::parse(jsonText);
    } catch (const nlohmann::json::parse_error& error) {
        return ReadResult::failed("not a glTF file: its JSON is malformed at byte " +
                                  countText(error.byte));
    }
    if (std::string why = wrongStructure(document); !why.empty()) {
        return ReadResult::failed(why);
    }
    // tinygltf insists that an index accessor has a buffer view, which a compressed part's has
    // not: such parts lose their "indices", read from the compressed data instead.
    bool rewritten = false;
    nlohmann::json noMeshes = nlohmann::json::array();
    for (nlohmann::json& mesh : document.contains("meshes") ? document["meshes"] : noMeshes) {
        for (nlohmann::json& primitive : mesh["primitives"]) {
            if (primitive.contains("extensions") &&
                primitive["extensions"].contains("KHR_draco_mesh_compression")) {
                rewritten = primitive.erase("indices") > 0 || rewritten;
            }
        }
    }
    std::string rewrittenText;
    Bytes rewrittenGlb;
    if (rewritten) {
        rewrittenText = document.dump();
        if (binary) {
            rewrittenText.append((4 - rewrittenText.size() % 4) % 4, ' ');
            rewrittenGlb.assign(bytes.begin(), bytes.begin() + 12);
            const auto put32 = [&rewrittenGlb](std::size_t at, std::uint64_t value) {
                for (int b = 0; b < 4; ++b) {
                    rewrittenGlb[at + b] = static_cast<std::uint8_t>(value >> (8 * b));
                }
            };
            rewrittenGlb.resize(20);
            put32(12, rewrittenText.size());
            std::memcpy(rewrittenGlb.data() + 16, "JSON", 4);
            rewrittenGlb.insert(rewrittenGlb.end(), rewrittenText.begin(), rewrittenText.end());
            rewrittenGlb.insert(rewrittenGlb.end(), bytes.begin() + afterJson, bytes.end());
            put32(8, rewrittenGlb.size());
            bytes = rewrittenGlb;
        } else {
            jsonText = rewrittenText;
        }
    }
    document = nullptr;

    SiblingFiles files{&sibling, {}, {}, {}};
    tinygltf::TinyGLTF loader;
    files.install(loader);
    tinygltf::Model model;
    std::string error;
    std::string warning;
    const bool loaded =
        binary ? loader.LoadBinaryFromMemory(&model, &error, &warning, bytes.data(),
                                             static_cast<unsigned int>(bytes.size()), "")
               : loader.LoadASCIIFromString(&model, &error, &warning, jsonText.data(),
                                            static_cast<unsigned int>(jsonText.size()), "");
    if (!files.refused.empty()) {
        return ReadResult::failed(files.refused);
    }
    if (!files.missing.empty()) {
        return ReadResult::failed("cannot read its buffer file \"" + files.missing + "\"");
    }
    if (!loaded) {
        // What is left after the checks above: buffers that do not hold what they claim.
        return ReadResult::failed("not a readable glTF file: a buffer's data cannot be read");
    }

    // The roots: the scene's, or every node that is nobody's child when the file has no scene.
    std::vector<int> roots;
    if (!model.scenes.empty()) {
        const std::size_t scene =
            model.defaultScene >= 0 &&
                    static_cast<std::size_t>(model.defaultScene) < model.scenes.size()
                ? static_cast<std::size_t>(model.defaultScene)
                : 0;
        roots = model.scenes[scene].nodes;
    } else {
        std::vector<bool> isChild(model.nodes.size(), false);
        for (const tinygltf::Node& node : model.nodes) {
            for (const int child : node.children) {
                if (child >= 0 && static_cast<std::size_t>(child) < isChild.size()) {
                    isChild[static_cast<std::size_t>(child)] = true;
                }
            }
        }
        for (std::size_t i = 0; i < model.nodes.size(); ++i) {
            if (!isChild[i]) {
                roots.push_back(static_cast<int>(i));
            }
        }
    }

    TreeBuilder builder(model);
    Node::Children built;
    for (const int index : roots) {
        NodePtr node = builder.build(index);
        if (!node) {
            return ReadResult::failed(builder.failure);
        }
        built.push_back(std::move(node));
    }
    NodePtr root = built.size() == 1 ? built.front() : Node::make({}, std::move(built));
    return {std::move(root), builder.report.sentences(), {}};
}

} // namespace tessel::gltf
