#include "io/draco_mesh.h"

#include "io/import_report.h"
#include "mesh/model.h"

#include <draco/compression/decode.h>

namespace tessel {

std::string decodeDracoMesh(std::span<const std::uint8_t> bytes, std::uint32_t positionId,
                            std::size_t maxPoints, std::size_t maxTriangles,
                            std::vector<Vector3>& positions, std::vector<Triangle>& triangles) {
    draco::DecoderBuffer buffer;
    buffer.Init(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    draco::Decoder decoder;
    draco::StatusOr<std::unique_ptr<draco::Mesh>> decoded = decoder.DecodeMeshFromBuffer(&buffer);
    if (!decoded.ok() || !decoded.value()) {
        return "its compressed data is not a Draco mesh";
    }
    const draco::Mesh& mesh = *decoded.value();
    const draco::PointAttribute* attribute = mesh.GetAttributeByUniqueId(positionId);
    if (!attribute || attribute->num_components() != 3) {
        return "its compressed data has no positions of three numbers";
    }
    if (mesh.num_points() > maxPoints) {
        return "more than the " + countText(maxPoints) + " points meshes may hold";
    }
    if (mesh.num_faces() > maxTriangles) {
        return "more than the " + countText(kMaxTriangles) + "-triangle limit";
    }
    positions.resize(mesh.num_points());
    for (draco::PointIndex i(0); i < mesh.num_points(); ++i) {
        const draco::AttributeValueIndex value = attribute->mapped_index(i);
        float xyz[3];
        if (value.value() >= attribute->size() || !attribute->ConvertValue<float>(value, 3, xyz)) {
            return "its compressed positions cannot be read";
        }
        positions[i.value()] = {xyz[0], xyz[1], xyz[2]};
    }
    triangles.resize(mesh.num_faces());
    for (draco::FaceIndex f(0); f < mesh.num_faces(); ++f) {
        const draco::Mesh::Face& face = mesh.face(f);
        triangles[f.value()] = {face[0].value(), face[1].value(), face[2].value()};
    }
    return {};
}

} // namespace tessel
