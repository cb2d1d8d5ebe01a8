// Writes OBJ, PLY and STL through Assimp's exporters, from a scene built to mirror the tree.

#include "io/exchange_format.h"
#include "mesh/polygon.h"
#include "scene/mesh.h"

#include <assimp/Exporter.hpp>
#include <assimp/scene.h>

#include <memory>

namespace tessel::exchange {

namespace {

aiMesh* exportedMesh(const Mesh& node) {
    const Layer& layer = *node.model()->committed();
    auto* mesh = new aiMesh;
    mesh->mName = node.name();
    mesh->mMaterialIndex = 0;
    mesh->mPrimitiveTypes = aiPrimitiveType_TRIANGLE;
    mesh->mNumVertices = static_cast<unsigned>(layer.positions.size());
    mesh->mVertices = new aiVector3D[layer.positions.size()];
    for (std::size_t i = 0; i < layer.positions.size(); ++i) {
        const Vector3& p = layer.positions[i];
        mesh->mVertices[i] = {p.x, p.y, p.z};
    }
    std::vector<Triangle> triangles;
    for (const FaceList::Face face : layer.faces) {
        polygon::triangulate(layer.positions, face, triangles);
    }
    mesh->mNumFaces = static_cast<unsigned>(triangles.size());
    mesh->mFaces = new aiFace[triangles.size()];
    for (std::size_t i = 0; i < triangles.size(); ++i) {
        aiFace& face = mesh->mFaces[i];
        face.mNumIndices = 3;
        face.mIndices = new unsigned[3]{triangles[i][0], triangles[i][1], triangles[i][2]};
    }
    return mesh;
}

// Mirrors the node and its subtree; meshes with faces are collected in `meshes`.
aiNode* exportedNode(const Node& node, std::vector<aiMesh*>& meshes) {
    auto* out = new aiNode(node.name());
    if (const auto* mesh = dynamic_cast<const Mesh*>(&node);
        mesh && mesh->model() && !mesh->model()->committed()->faces.empty()) {
        out->mNumMeshes = 1;
        out->mMeshes = new unsigned[1]{static_cast<unsigned>(meshes.size())};
        meshes.push_back(exportedMesh(*mesh));
    }
    if (!node.children().empty()) {
        out->mNumChildren = static_cast<unsigned>(node.children().size());
        out->mChildren = new aiNode*[node.children().size()];
        for (std::size_t i = 0; i < node.children().size(); ++i) {
            out->mChildren[i] = exportedNode(*node.children()[i], meshes);
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
    scene->mRootNode = exportedNode(root, meshes);
    if (meshes.empty()) {
        return WriteResult::failed("the scene has no faces to write");
    }
    scene->mNumMeshes = static_cast<unsigned>(meshes.size());
    scene->mMeshes = new aiMesh*[meshes.size()];
    std::copy(meshes.begin(), meshes.end(), scene->mMeshes);
    scene->mNumMaterials = 1;
    scene->mMaterials = new aiMaterial* [1] { new aiMaterial };

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
