// Writes OBJ, PLY and STL through Assimp's exporters, from a scene built to mirror the tree: OBJ
// and PLY with the faces as they are, STL with the triangles that draw them.

#include "io/exchange_format.h"
#include "mesh/polygon.h"
#include "scene/mesh.h"

#include <assimp/Exporter.hpp>
#include <assimp/scene.h>

#include <memory>

namespace tessel::exchange {

namespace {

aiMesh* exportedMesh(const Mesh& node, bool triangles) {
    const Layer& layer = *node.model()->committed();
    auto* mesh = new aiMesh;
    mesh->mName = node.name();
    mesh->mMaterialIndex = 0;
    mesh->mNumVertices = static_cast<unsigned>(layer.positions.size());
    mesh->mVertices = new aiVector3D[layer.positions.size()];
    for (std::size_t i = 0; i < layer.positions.size(); ++i) {
        const Vector3& p = layer.positions[i];
        mesh->mVertices[i] = {p.x, p.y, p.z};
    }
    FaceList drawn;
    if (triangles) {
        std::vector<Triangle> cut;
        for (const FaceList::Face face : layer.faces) {
            polygon::triangulate(layer.positions, face, cut);
        }
        drawn = FaceList(cut);
    }
    const FaceList& faces = triangles ? drawn : layer.faces;
    mesh->mPrimitiveTypes = faces.allTriangles()
                                ? aiPrimitiveType_TRIANGLE
                                : aiPrimitiveType_TRIANGLE | aiPrimitiveType_POLYGON;
    mesh->mNumFaces = static_cast<unsigned>(faces.size());
    mesh->mFaces = new aiFace[faces.size()];
    for (std::size_t f = 0; f < faces.size(); ++f) {
        const FaceList::Face corners = faces[f];
        aiFace& face = mesh->mFaces[f];
        face.mNumIndices = static_cast<unsigned>(corners.size());
        face.mIndices = new unsigned[corners.size()];
        std::copy(corners.begin(), corners.end(), face.mIndices);
    }
    return mesh;
}

// Mirrors the node and its subtree; meshes with faces are collected in `meshes`.
aiNode* exportedNode(const Node& node, bool triangles, std::vector<aiMesh*>& meshes) {
    auto* out = new aiNode(node.name());
    if (const auto* mesh = dynamic_cast<const Mesh*>(&node);
        mesh && mesh->model() && !mesh->model()->committed()->faces.empty()) {
        out->mNumMeshes = 1;
        out->mMeshes = new unsigned[1]{static_cast<unsigned>(meshes.size())};
        meshes.push_back(exportedMesh(*mesh, triangles));
    }
    if (!node.children().empty()) {
        out->mNumChildren = static_cast<unsigned>(node.children().size());
        out->mChildren = new aiNode*[node.children().size()];
        for (std::size_t i = 0; i < node.children().size(); ++i) {
            out->mChildren[i] = exportedNode(*node.children()[i], triangles, meshes);
            out->mChildren[i]->mParent = out;
        }
    }
    return out;
}

const char* exporterId(FileFormat format, Encoding encoding) {
    const bool binary = encoding == Encoding::Binary;
    switch (format) {
    case FileFormat::Obj: return "objnomtl";
    case FileFormat::Ply: return binary ? "plyb" : "ply";
    case FileFormat::Stl: return binary ? "stlb" : "stl";
    default: return "";
    }
}

} // namespace

WriteResult write(const Node& root, FileFormat format, Encoding encoding) {
    auto scene = std::make_unique<aiScene>();
    std::vector<aiMesh*> meshes;
    scene->mRootNode = exportedNode(root, format == FileFormat::Stl, meshes);
    if (meshes.empty()) {
        return WriteResult::failed("the scene has no faces to write");
    }
    scene->mNumMeshes = static_cast<unsigned>(meshes.size());
    scene->mMeshes = new aiMesh*[meshes.size()];
    std::copy(meshes.begin(), meshes.end(), scene->mMeshes);
    scene->mNumMaterials = 1;
    scene->mMaterials = new aiMaterial* [1] { new aiMaterial };
    // Assimp's PLY writer gives each face's corner count one byte: a larger face would come out
    // cut short, and the faces after it shifted.
    for (const aiMesh* mesh : meshes) {
        for (unsigned f = 0; f < mesh->mNumFaces && format == FileFormat::Ply; ++f) {
            if (const unsigned corners = mesh->mFaces[f].mNumIndices; corners > 255) {
                return WriteResult::failed(
                    "face " + std::to_string(f) + " of mesh \"" + mesh->mName.C_Str() + "\" has " +
                    std::to_string(corners) + " corners, more than the 255 a PLY face may have");
            }
        }
    }

    Assimp::Exporter exporter;
    const aiExportDataBlob* blob = exporter.ExportToBlob(scene.get(), exporterId(format, encoding));
    if (!blob) {
        return WriteResult::failed(std::string("the scene cannot be written: ") +
                                   exporter.GetErrorString());
    }
    const auto* data = static_cast<const std::uint8_t*>(blob->data);
    return {Bytes(data, data + blob->size), {}, {}};
}

} // namespace tessel::exchange
