#include "io/file_format.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <string>

namespace tessel {

namespace {

constexpr std::array<FileFormat, 5> kFormats = {FileFormat::Glb, FileFormat::Gltf, FileFormat::Obj,
                                                FileFormat::Ply, FileFormat::Stl};

} // namespace

std::string_view extensionOf(FileFormat format) {
    switch (format) {
    case FileFormat::Glb: return "glb";
    case FileFormat::Gltf: return "gltf";
    case FileFormat::Obj: return "obj";
    case FileFormat::Ply: return "ply";
    case FileFormat::Stl: return "stl";
    }
    return {};
}

std::optional<FileFormat> formatOfFileName(std::string_view fileName) {
    const size_t dot = fileName.find_last_of('.');
    if (dot == std::string_view::npos) {
        return std::nullopt;
    }
    std::string extension(fileName.substr(dot + 1));
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    for (const FileFormat format : kFormats) {
        if (extension == extensionOf(format)) {
            return format;
        }
    }
    return std::nullopt;
}

} // namespace tessel
