#include "io/scene_writer.h"

#include "io/exchange_format.h"
#include "io/gltf_format.h"

namespace tessel {

WriteResult writeSceneFile(const Node& root, std::string_view fileName, Encoding encoding) {
    const std::optional<FileFormat> format = formatOfFileName(fileName);
    if (!format) {
        return WriteResult::failed("unknown file type (known: .glb, .gltf, .obj, .ply, .stl)");
    }
    if (*format == FileFormat::Glb || *format == FileFormat::Gltf) {
        return gltf::write(root, fileName, *format == FileFormat::Glb);
    }
    return exchange::write(root, *format, encoding);
}

} // namespace tessel
