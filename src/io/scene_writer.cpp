#include "io/scene_writer.h"

#include "io/exchange_format.h"
#include "io/gltf_format.h"
#include "scene/mesh.h"

#include <algorithm>
#include <cmath>
#include <sstream>

namespace tessel {

namespace {

// Why the tree cannot be written, or nothing. A point without a finite position (extruding a
// face with no area leaves three) would make a file that no reader accepts, ours included: the
// saved work could not be opened again.
std::optional<std::string> unwritable(const Node& node) {
    if (const auto* mesh = dynamic_cast<const Mesh*>(&node); mesh && mesh->model()) {
        const std::vector<Vector3>& positions = mesh->model()->committed()->positions;
        const auto lost = std::count_if(positions.begin(), positions.end(), [](const Vector3& p) {
            return !std::isfinite(p.x) || !std::isfinite(p.y) || !std::isfinite(p.z);
        });
        if (lost > 0) {
            std::ostringstream why;
            why << "mesh \"" << node.name() << "\" has " << lost
                << (lost == 1 ? " point" : " points")
                << " without a finite position; undo the edit that made them or delete their "
                   "faces first";
            return why.str();
        }
    }
    for (const NodePtr& child : node.children()) {
        if (std::optional<std::string> why = unwritable(*child)) {
            return why;
        }
    }
    return std::nullopt;
}

} // namespace

WriteResult writeSceneFile(const Node& root, std::string_view fileName, Encoding encoding) {
    const std::optional<FileFormat> format = formatOfFileName(fileName);
    if (!format) {
        return WriteResult::failed("unknown file type (known: .glb, .gltf, .obj, .ply, .stl)");
    }
    if (std::optional<std::string> why = unwritable(root)) {
        return WriteResult::failed(std::move(*why));
    }
    if (*format == FileFormat::Glb || *format == FileFormat::Gltf) {
        return gltf::write(root, fileName, *format == FileFormat::Glb);
    }
    return exchange::write(root, *format, encoding);
}

} // namespace tessel
