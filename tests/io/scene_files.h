#pragma once

// A small scene for the file tests and ways to look into what a file gave back.

#include "io/scene_reader.h"
#include "io/scene_writer.h"
#include "mesh/extrude.h"
#include "mesh/polygon.h"
#include "mesh/subdivide.h"
#include "scene/mesh.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <map>

namespace tessel::testing {

// A quad, a concave hexagon beside it (no fan draws it) and a triangle above, in one plane; the
// points are numbered in the order the faces first use them, as files that store points per
// corner give them back.
inline MeshPtr polygonMesh() {
    const std::vector<Vector3> positions = {{0, 0, 0},    {1, 0, 0},    {1, 1, 0},
                                            {0, 1, 0},    {3, 0, 0},    {3, 1, 0},
                                            {2, 0.4f, 0}, {1.5f, 1, 0}, {0.5f, 2, 0}};
    return Mesh::make(
        Model::make(makeLayer(positions,
                              FaceList::polygons({{0, 1, 2, 3}, {1, 4, 5, 6, 7, 2}, {3, 2, 8}}))),
        "Polygons");
}

// root ─ Quad (3 × 3 grid), Group ─ Cube (opacity 0.4), Edited (4 × 2 grid, subdivided and
// extruded: positions that are no round numbers), Polygons (polygonMesh, shaded smooth).
inline NodePtr smallScene() {
    MeshPtr quad = Mesh::make(Model::makeQuad(Model::Params::make(3, 3)), "Quad");
    MeshPtr cube = Mesh::make(Model::makeCube(), "Cube");
    cube->material->opacity = 0.4f;
    ModelPtr edited = Model::makeQuad(Model::Params::make(4, 2));
    LayerPtr layer = std::make_shared<Layer>(*edited->committed());
    subdivide(*layer, 0);
    extrude(*layer, 3, 0.25f);
    edited->setCommitted(layer);
    MeshPtr polygons = polygonMesh();
    polygons->smoothShading = true;
    return Node::make("Scene",
                      {quad, Node::make("Group", {cube, Mesh::make(edited, "Edited"), polygons})});
}

// Every node's name, indented by its depth.
inline std::string outline(const NodePtr& node, int depth = 0) {
    std::string text = std::string(2 * depth, ' ') + node->name() + "\n";
    for (const NodePtr& child : node->children()) {
        text += outline(child, depth + 1);
    }
    return text;
}

inline std::vector<MeshPtr> meshesOf(const NodePtr& root) {
    std::vector<MeshPtr> meshes;
    for (const NodePtr& node : root->flat()) {
        if (MeshPtr mesh = asMesh(node)) {
            meshes.push_back(mesh);
        }
    }
    return meshes;
}

// Each triangle as its three corner positions (rounded to `grid`, if given), turned to start at
// the least corner, the triangles sorted: compares meshes whose point ids and order differ but
// whose triangles and their winding agree.
inline std::vector<std::array<float, 9>> cornerPositions(const std::vector<MeshPtr>& meshes,
                                                         float grid = 0) {
    const auto round = [&](float v) { return grid > 0 ? std::round(v * grid) / grid : v; };
    std::vector<std::array<float, 9>> faces;
    for (const MeshPtr& mesh : meshes) {
        const Layer& layer = *mesh->model()->committed();
        for (const FaceList::Face t : layer.faces) {
            std::array<std::array<float, 3>, 3> corners;
            for (int c = 0; c < 3; ++c) {
                const Vector3& p = layer.positions[t[c]];
                corners[c] = {round(p.x), round(p.y), round(p.z)};
            }
            std::rotate(corners.begin(), std::min_element(corners.begin(), corners.end()),
                        corners.end());
            faces.push_back(std::bit_cast<std::array<float, 9>>(corners));
        }
    }
    std::sort(faces.begin(), faces.end());
    return faces;
}

// The triangles that draw the layer's faces, as a mesh over the same points.
inline MeshPtr drawnTriangles(const Layer& layer) {
    std::vector<Triangle> drawn;
    for (const FaceList::Face face : layer.faces) {
        polygon::triangulate(layer.positions, face, drawn);
    }
    return Mesh::make(Model::make(makeLayer(layer.positions, drawn)));
}

inline ReadResult readBack(const WriteResult& written, const std::string& name) {
    std::map<std::string, Bytes> files;
    for (const SiblingFile& file : written.siblings) {
        files[file.name] = file.bytes;
    }
    return readSceneFile(name, written.bytes, [files](const std::string& path) {
        const auto found = files.find(path);
        return found == files.end() ? std::nullopt : std::optional<Bytes>(found->second);
    });
}

inline Bytes bytesOf(const std::string& text) { return Bytes(text.begin(), text.end()); }

// A text PLY header for three points and one face.
inline const std::string kTriangleHeader =
    "ply\nformat ascii 1.0\nelement vertex 3\nproperty float x\nproperty float y\n"
    "property float z\nelement face 1\nproperty list uchar int vertex_indices\nend_header\n";

} // namespace tessel::testing
