// Writes glTF 2.0 through tinygltf: one buffer, and per mesh one position view and one index
// view over it, in the order of the tree. Faces are written as the triangles that draw them, and
// a mesh with faces of more than three corners says how many each face has in its extras.

#include "io/gltf_faces.h"
#include "io/gltf_format.h"
#include "mesh/crease.h"
#include "mesh/polygon.h"
#include "scene/mesh.h"

#include "io/gltf_library.h"
#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstring>
#include <sstream>

namespace tessel::gltf {

namespace {

// Appends raw bytes to the buffer, starting at a multiple of 4 as views of floats need.
std::size_t append(std::vector<unsigned char>& buffer, const void* data, std::size_t size) {
    buffer.resize((buffer.size() + 3) / 4 * 4);
    const std::size_t offset = buffer.size();
    buffer.resize(offset + size);
    if (size > 0) {
        std::memcpy(buffer.data() + offset, data, size);
    }
    return offset;
}

// The text as valid UTF-8, which JSON must be: each byte that starts no valid sequence becomes
// U+FFFD. Names can come from anywhere (an OBJ's object, a file's name).
std::string validUtf8(const std::string& text) {
    std::string valid;
    valid.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const auto byte = [&](std::size_t k) {
            return i + k < text.size() ? static_cast<unsigned char>(text[i + k]) : 0u;
        };
        const unsigned lead = byte(0);
        // The length of the sequence and the range of its second byte (no overlong forms, no
        // surrogates, nothing past U+10FFFF); the bytes after the second are 0x80 to 0xBF.
        std::size_t length = 1;
        unsigned low = 0x80, high = 0xBF;
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            low = lead == 0xE0 ? 0xA0 : 0x80;
            high = lead == 0xED ? 0x9F : 0xBF;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            low = lead == 0xF0 ? 0x90 : 0x80;
            high = lead == 0xF4 ? 0x8F : 0xBF;
        }
        bool ok = lead < 0x80 || length > 1;
        for (std::size_t k = 1; k < length && ok; ++k) {
            ok = byte(k) >= (k == 1 ? low : 0x80) && byte(k) <= (k == 1 ? high : 0xBF);
        }
        if (ok) {
            valid.append(text, i, length);
            i += length;
        } else {
            valid += "\xEF\xBF\xBD";
            ++i;
        }
    }
    return valid;
}

int addView(tinygltf::Model& out, std::size_t offset, std::size_t length, int target) {
    tinygltf::BufferView view;
    view.buffer = 0;
    view.byteOffset = offset;
    view.byteLength = length;
    view.target = target;
    out.bufferViews.push_back(view);
    return static_cast<int>(out.bufferViews.size() - 1);
}

// The triangles that draw the faces, each face's in a row, the first of them starting
// with the face's first two corners: with the corner counts, the faces can be rebuilt exactly.
std::vector<Triangle> trianglesOf(const Layer& layer) {
    std::vector<Triangle> triangles;
    triangles.reserve(layer.faces.triangleCount());
    for (const FaceList::Face face : layer.faces) {
        const std::size_t first = triangles.size();
        polygon::triangulate(layer.positions, face, triangles);
        // Every edge of the face lies in exactly one of its triangles, wound the same way.
        bool placed = face.size() == 3;
        for (std::size_t t = first; t < triangles.size() && !placed; ++t) {
            Triangle& triangle = triangles[t];
            for (int k = 0; k < 3 && !placed; ++k) {
                if (triangle[k] == face[0] && triangle[(k + 1) % 3] == face[1]) {
                    std::rotate(triangle.begin(), triangle.begin() + k, triangle.end());
                    std::swap(triangle, triangles[first]);
                    placed = true;
                }
            }
        }
    }
    return triangles;
}

int addMesh(tinygltf::Model& out, const Mesh& node) {
    const Layer& layer = *node.model()->committed();
    std::vector<unsigned char>& buffer = out.buffers.front().data;

    tinygltf::Accessor positions;
    positions.bufferView = addView(
        out, append(buffer, layer.positions.data(), layer.positions.size() * sizeof(Vector3)),
        layer.positions.size() * sizeof(Vector3), TINYGLTF_TARGET_ARRAY_BUFFER);
    positions.componentType = TINYGLTF_COMPONENT_TYPE_FLOAT;
    positions.type = TINYGLTF_TYPE_VEC3;
    positions.count = layer.positions.size();
    Vector3 low = layer.positions.front();
    Vector3 high = low;
    for (const Vector3& p : layer.positions) {
        low = {std::min(low.x, p.x), std::min(low.y, p.y), std::min(low.z, p.z)};
        high = {std::max(high.x, p.x), std::max(high.y, p.y), std::max(high.z, p.z)};
    }
    positions.minValues = {low.x, low.y, low.z};
    positions.maxValues = {high.x, high.y, high.z};
    out.accessors.push_back(positions);

    tinygltf::Primitive primitive;
    primitive.attributes["POSITION"] = static_cast<int>(out.accessors.size() - 1);
    if (layer.faces.empty()) {
        primitive.mode = TINYGLTF_MODE_POINTS;
    } else {
        const std::vector<Triangle> triangles = trianglesOf(layer);
        tinygltf::Accessor indices;
        const std::size_t size = triangles.size() * sizeof(Triangle);
        indices.bufferView = addView(out, append(buffer, triangles.data(), size), size,
                                     TINYGLTF_TARGET_ELEMENT_ARRAY_BUFFER);
        indices.componentType = TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT;
        indices.type = TINYGLTF_TYPE_SCALAR;
        indices.count = triangles.size() * 3;
        out.accessors.push_back(indices);
        primitive.indices = static_cast<int>(out.accessors.size() - 1);
        primitive.mode = TINYGLTF_MODE_TRIANGLES;
    }

    tinygltf::Material material;
    const Material& own = *node.material;
    material.pbrMetallicRoughness.baseColorFactor = {own.ambient.x, own.ambient.y, own.ambient.z,
                                                     own.opacity};
    material.alphaMode = own.opacity < 1 ? "BLEND" : "OPAQUE";
    material.doubleSided = true;
    out.materials.push_back(material);
    primitive.material = static_cast<int>(out.materials.size() - 1);

    tinygltf::Mesh mesh;
    mesh.name = validUtf8(node.name());
    mesh.primitives.push_back(primitive);
    tinygltf::Value::Object extras;
    if (const Model::ParamsPtr& params = node.model()->params()) {
        extras[kGridRows] = tinygltf::Value(static_cast<int>(params->v()));
        extras[kGridColumns] = tinygltf::Value(static_cast<int>(params->u()));
    }
    if (const PrimitiveParamsPtr& params = node.model()->primitive()) {
        tinygltf::Value::Array settings;
        for (const PrimitiveParameter& parameter : params->parameters()) {
            settings.emplace_back(parameter.value);
        }
        tinygltf::Value::Object primitiveExtras;
        primitiveExtras["kind"] = tinygltf::Value(PrimitiveParams::nameOf(params->kind()));
        primitiveExtras["settings"] = tinygltf::Value(std::move(settings));
        extras[kPrimitive] = tinygltf::Value(std::move(primitiveExtras));
    }
    if (!layer.faces.allTriangles()) {
        extras[kFaceCornerRuns] = cornerRunsOf(layer.faces);
    }
    // The points are written in the layer's order, so the creases keep their ids.
    if (const std::vector<Crease> creases = creasesOnEdges(layer); !creases.empty()) {
        tinygltf::Value::Array list;
        list.reserve(3 * creases.size());
        for (const Crease& c : creases) {
            list.emplace_back(static_cast<int>(c.a));
            list.emplace_back(static_cast<int>(c.b));
            list.emplace_back(static_cast<double>(c.weight));
        }
        extras[kEdgeCreases] = tinygltf::Value(std::move(list));
    }
    if (!extras.empty()) {
        mesh.extras = tinygltf::Value(std::move(extras));
    }
    out.meshes.push_back(mesh);
    return static_cast<int>(out.meshes.size() - 1);
}

int addNode(tinygltf::Model& out, const Node& node) {
    const auto index = static_cast<int>(out.nodes.size());
    out.nodes.emplace_back();
    out.nodes.back().name = validUtf8(node.name());
    if (const auto* mesh = dynamic_cast<const Mesh*>(&node); mesh && mesh->model()) {
        tinygltf::Value::Object extras;
        if (mesh->smoothShading) {
            extras[kSmoothShading] = tinygltf::Value(true);
        }
        if (mesh->model()->committed()->positions.empty()) {
            extras["emptyMesh"] = tinygltf::Value(true);
        } else {
            const int meshIndex = addMesh(out, *mesh);
            out.nodes[static_cast<std::size_t>(index)].mesh = meshIndex;
        }
        if (!extras.empty()) {
            out.nodes[static_cast<std::size_t>(index)].extras = tinygltf::Value(std::move(extras));
        }
    }
    for (const NodePtr& child : node.children()) {
        const int childIndex = addNode(out, *child);
        out.nodes[static_cast<std::size_t>(index)].children.push_back(childIndex);
    }
    return index;
}

} // namespace

WriteResult write(const Node& root, std::string_view fileName, bool binary) {
    tinygltf::Model out;
    out.asset.version = "2.0";
    out.asset.generator = "Tessel";
    out.buffers.emplace_back();
    out.scenes.emplace_back();
    out.scenes.front().nodes.push_back(addNode(out, root));
    out.defaultScene = 0;
    if (out.buffers.front().data.empty()) {
        out.buffers.clear();
    }

    tinygltf::TinyGLTF writer;
    std::ostringstream stream;
    if (!writer.WriteGltfSceneToStream(&out, stream, false, true)) {
        return WriteResult::failed("the scene cannot be written as glTF");
    }
    const std::string glb = std::move(stream).str();
    if (binary) {
        return {Bytes(glb.begin(), glb.end()), {}, {}};
    }

    // A .gltf is the binary container's JSON with the buffer moved out to a file of its own.
    std::uint32_t jsonLength;
    std::memcpy(&jsonLength, glb.data() + 12, 4);
    nlohmann::json json = nlohmann::json::parse(glb.substr(20, jsonLength));
    std::vector<SiblingFile> siblings;
    if (!out.buffers.empty()) {
        std::string_view stem = fileName.substr(fileName.find_last_of('/') + 1);
        stem = stem.substr(0, stem.find_last_of('.'));
        const std::string binName = std::string(stem) + ".bin";
        json["buffers"][0]["uri"] = binName;
        const std::vector<unsigned char>& data = out.buffers.front().data;
        siblings.push_back({binName, Bytes(data.begin(), data.end())});
    }
    const std::string text = json.dump(2) + "\n";
    return {Bytes(text.begin(), text.end()), std::move(siblings), {}};
}

} // namespace tessel::gltf
