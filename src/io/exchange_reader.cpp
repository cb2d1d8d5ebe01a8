// Reads OBJ, PLY and STL through Assimp. Faces keep their corners as the file has them; Assimp
// gives every face corner a point of its own, and the points are joined again by position here.

#include "io/exchange_format.h"
#include "io/import_cleanup.h"
#include "io/import_report.h"
#include "scene/mesh.h"

#include <assimp/IOStream.hpp>
#include <assimp/IOSystem.hpp>
#include <assimp/Importer.hpp>
#include <assimp/postprocess.h>
#include <assimp/scene.h>

#include <array>

namespace tessel::exchange {

namespace {

// A file system with no files: a file read from memory names no other file (an OBJ's material
// library, say) that the importer may open.
class NoFiles : public Assimp::IOSystem {
public:
    bool Exists(const char*) const override { return false; }
    char getOsSeparator() const override { return '/'; }
    Assimp::IOStream* Open(const char*, const char*) override { return nullptr; }
    void Close(Assimp::IOStream* stream) override { delete stream; }
};

using Matrix4 = std::array<double, 16>; // row-major, as Assimp stores it

Matrix4 matrixOf(const aiMatrix4x4& m) {
    return {m.a1, m.a2, m.a3, m.a4, m.b1, m.b2, m.b3, m.b4,
            m.c1, m.c2, m.c3, m.c4, m.d1, m.d2, m.d3, m.d4};
}

Matrix4 multiplied(const Matrix4& a, const Matrix4& b) {
    Matrix4 m{};
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) {
            for (int k = 0; k < 4; ++k) {
                m[r * 4 + c] += a[r * 4 + k] * b[k * 4 + c];
            }
        }
    }
    return m;
}

constexpr Matrix4 kIdentity = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

class TreeBuilder {
public:
    explicit TreeBuilder(const aiScene& scene) : scene_(scene) {}

    std::string failure;
    ImportReport report;

    NodePtr build(const std::string& rootName) {
        struct Pending {
            const aiNode* source;
            NodePtr node;
            Matrix4 world;
        };
        const aiNode* top = scene_.mRootNode;
        const Matrix4 topWorld = matrixOf(top->mTransformation);
        NodePtr root = makeNode(*top, rootName, topWorld);
        std::vector<Pending> pending;
        if (root) {
            pending.push_back({top, root, topWorld});
        }
        while (!pending.empty()) {
            Pending current = std::move(pending.back());
            pending.pop_back();
            Node::Children children;
            for (unsigned i = 0; i < current.source->mNumChildren; ++i) {
                const aiNode& child = *current.source->mChildren[i];
                const Matrix4 world = multiplied(current.world, matrixOf(child.mTransformation));
                NodePtr node = makeNode(child, child.mName.C_Str(), world);
                if (!node) {
                    return nullptr;
                }
                node->parent = current.node;
                children.push_back(node);
                pending.push_back({&child, std::move(node), world});
            }
            current.node->setChildren(std::move(children));
        }
        return root;
    }

private:
    NodePtr makeNode(const aiNode& source, const std::string& name, const Matrix4& world) {
        if (source.mNumMeshes == 0) {
            return Node::make(name);
        }
        // The parts of one object (one per material) become one mesh: their points are joined
        // across the parts' borders as within each part.
        std::vector<Vector3> positions;
        std::vector<std::uint32_t> corners;
        std::vector<std::uint32_t> counts;
        const bool applies = world != kIdentity;
        for (unsigned i = 0; i < source.mNumMeshes; ++i) {
            if (source.mMeshes[i] >= scene_.mNumMeshes) {
                failure = "mesh " + std::to_string(source.mMeshes[i]) + " does not exist";
                return nullptr;
            }
            if (!appendMesh(*scene_.mMeshes[source.mMeshes[i]], world, applies, positions, corners,
                            counts)) {
                return nullptr;
            }
        }
        if (applies) {
            ++report.transformsApplied;
        }
        FaceList faces(std::move(corners), counts);
        if (failure = cleanImportedMesh(positions, faces, true, report); !failure.empty()) {
            return nullptr;
        }
        LayerPtr layer = makeLayer(std::move(positions), std::move(faces));
        return Mesh::make(Model::make(std::move(layer)), name);
    }

    bool appendMesh(const aiMesh& mesh, const Matrix4& world, bool applies,
                    std::vector<Vector3>& positions, std::vector<std::uint32_t>& corners,
                    std::vector<std::uint32_t>& counts) {
        const auto offset = static_cast<std::uint32_t>(positions.size());
        positions.reserve(positions.size() + mesh.mNumVertices);
        for (unsigned i = 0; i < mesh.mNumVertices; ++i) {
            const aiVector3D& v = mesh.mVertices[i];
            if (applies) {
                const double x = v.x, y = v.y, z = v.z;
                positions.push_back(
                    {narrowedCoordinate(world[0] * x + world[1] * y + world[2] * z + world[3]),
                     narrowedCoordinate(world[4] * x + world[5] * y + world[6] * z + world[7]),
                     narrowedCoordinate(world[8] * x + world[9] * y + world[10] * z + world[11])});
            } else {
                positions.push_back({v.x, v.y, v.z});
            }
        }
        const bool mirrors =
            applies && world[0] * (world[5] * world[10] - world[6] * world[9]) -
                               world[1] * (world[4] * world[10] - world[6] * world[8]) +
                               world[2] * (world[4] * world[9] - world[5] * world[8]) <
                           0;
        for (unsigned i = 0; i < mesh.mNumFaces; ++i) {
            const aiFace& face = mesh.mFaces[i];
            if (face.mNumIndices < 3) {
                ++report.pointsAndLinesSkipped;
                continue;
            }
            // A face of n corners is drawn as n − 2 triangles; the limit bounds those.
            triangles_ += face.mNumIndices - 2;
            if (triangles_ > kMaxTriangles) {
                failure = "more than the " + countText(kMaxTriangles) + "-triangle limit";
                return false;
            }
            for (unsigned c = 0; c < face.mNumIndices; ++c) {
                if (face.mIndices[c] >= mesh.mNumVertices) {
                    failure = "index " + std::to_string(face.mIndices[c]) + " past the " +
                              countText(mesh.mNumVertices) + " points";
                    return false;
                }
            }
            // A mirroring transform turns the face's back to the front: its corners run the
            // other way from the same first corner.
            corners.push_back(face.mIndices[0] + offset);
            for (unsigned c = 1; c < face.mNumIndices; ++c) {
                corners.push_back(face.mIndices[mirrors ? face.mNumIndices - c : c] + offset);
            }
            counts.push_back(face.mNumIndices);
        }
        return true;
    }

    const aiScene& scene_;
    std::size_t triangles_ = 0;
};

} // namespace

ReadResult read(std::span<const std::uint8_t> bytes, FileFormat format,
                const std::string& rootName) {
    Assimp::Importer importer;
    importer.SetIOHandler(new NoFiles);
    // Only what the file holds: no generated normals, no reordering, no splitting, and faces
    // with the corners they have.
    const aiScene* scene =
        importer.ReadFileFromMemory(bytes.data(), bytes.size(), aiProcess_ValidateDataStructure,
                                    std::string(extensionOf(format)).c_str());
    if (!scene || !scene->mRootNode) {
        // Assimp's messages name its own structures ("aiMesh::mFaces[0]::mIndices[19]"); the
        // one fault worth naming in the file's terms is a face past the points.
        const std::string error = importer.GetErrorString();
        const std::string kind = format == FileFormat::Obj   ? "OBJ"
                                 : format == FileFormat::Ply ? "PLY"
                                                             : "STL";
        return ReadResult::failed("not a readable " + kind + " file" +
                                  (error.find("out of range") != std::string::npos
                                       ? ": a face names a point that does not exist"
                                       : ""));
    }

    TreeBuilder builder(*scene);
    NodePtr root = builder.build(rootName);
    if (!root) {
        return ReadResult::failed(builder.failure);
    }
    return {std::move(root), builder.report.sentences(), {}};
}

} // namespace tessel::exchange
