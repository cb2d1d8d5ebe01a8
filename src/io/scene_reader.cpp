#include "io/scene_reader.h"

#include "io/exchange_format.h"
#include "io/gltf_format.h"
#include "io/import_report.h"
#include "io/input_limits.h"

namespace tessel {

ReadResult readSceneFile(std::string_view fileName, std::span<const std::uint8_t> bytes,
                         const SiblingReader& sibling) {
    const std::optional<FileFormat> format = formatOfFileName(fileName);
    if (!format) {
        return ReadResult::failed("unknown file type (known: .glb, .gltf, .obj, .ply, .stl)");
    }
    if (bytes.empty()) {
        return ReadResult::failed("empty file");
    }
    if (bytes.size() > kMaxFileBytes) {
        return ReadResult::failed("larger than the " + countText(kMaxFileBytes >> 20) +
                                  " MiB a scene file may have");
    }
    if (*format == FileFormat::Glb || *format == FileFormat::Gltf) {
        return gltf::read(bytes, *format == FileFormat::Glb, sibling);
    }
    if (std::string failure = checkDeclaredCounts(*format, bytes); !failure.empty()) {
        return ReadResult::failed(std::move(failure));
    }
    std::string_view stem = fileName.substr(fileName.find_last_of('/') + 1);
    stem = stem.substr(0, stem.find_last_of('.'));
    return exchange::read(bytes, *format, std::string(stem));
}

} // namespace tessel
