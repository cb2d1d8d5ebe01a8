#include "io/input_limits.h"

#include "io/import_report.h"
#include "mesh/model.h"

#include <cstring>
#include <map>
#include <sstream>
#include <string_view>
#include <vector>

namespace tessel {

namespace {

std::string overLimit() { return "more than the " + countText(kMaxTriangles) + "-triangle limit"; }

bool startsWithWord(std::string_view text, std::string_view word) {
    const std::size_t start = text.find_first_not_of(" \t\r\n");
    return start != std::string_view::npos && text.substr(start, word.size()) == word;
}

std::string checkTextStl(std::span<const std::uint8_t> bytes) {
    const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    std::size_t facets = 0;
    for (std::size_t at = text.find("endfacet"); at != std::string_view::npos;
         at = text.find("endfacet", at + 8)) {
        if (++facets > kMaxTriangles) {
            return overLimit();
        }
    }
    return {};
}

std::string checkStl(std::span<const std::uint8_t> bytes) {
    const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    if (bytes.size() >= 84) {
        std::uint32_t count;
        std::memcpy(&count, bytes.data() + 80, 4);
        const std::uint64_t expected = 84 + 50 * std::uint64_t{count};
        if (expected == bytes.size()) {
            return count > kMaxTriangles ? overLimit() : std::string();
        }
        if (!startsWithWord(text, "solid")) {
            return "binary STL claims " + countText(count) + " triangles but holds " +
                   countText((bytes.size() - 84) / 50);
        }
        return checkTextStl(bytes);
    }
    if (!startsWithWord(text, "solid")) {
        return "truncated STL file (shorter than its 84-byte header)";
    }
    return {};
}

std::string checkObj(std::span<const std::uint8_t> bytes) {
    // Every face statement gives at least one triangle.
    std::size_t faces = 0;
    bool lineStart = true;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const char c = static_cast<char>(bytes[i]);
        if (lineStart && c == 'f' && i + 1 < bytes.size() &&
            (bytes[i + 1] == ' ' || bytes[i + 1] == '\t')) {
            ++faces;
        }
        lineStart = c == '\n' || (lineStart && (c == ' ' || c == '\t'));
    }
    return faces > kMaxTriangles ? overLimit() : std::string();
}

std::size_t plyTypeSize(const std::string& type) {
    static const std::map<std::string, std::size_t> sizes = {
        {"char", 1},  {"uchar", 1},   {"int8", 1},   {"uint8", 1},  {"short", 2}, {"ushort", 2},
        {"int16", 2}, {"uint16", 2},  {"int", 4},    {"uint", 4},   {"int32", 4}, {"uint32", 4},
        {"float", 4}, {"float32", 4}, {"double", 8}, {"float64", 8}};
    const auto found = sizes.find(type);
    return found == sizes.end() ? 1 : found->second;
}

std::string checkPly(std::span<const std::uint8_t> bytes) {
    const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    if (text.substr(0, 3) != "ply" || (text.size() > 3 && text[3] != '\n' && text[3] != '\r')) {
        return "not a PLY file (wrong magic)";
    }
    struct Element {
        std::string name;
        std::uint64_t count = 0;
        std::size_t binaryBytes = 0; // the least one entry takes, stored binary
        std::size_t properties = 0;
    };
    std::vector<Element> elements;
    bool binary = false;
    std::size_t position = 0;
    for (;;) {
        const std::size_t end = text.find('\n', position);
        if (end == std::string_view::npos) {
            return "truncated PLY header (no end_header)";
        }
        std::istringstream line{std::string(text.substr(position, end - position))};
        position = end + 1;
        std::string keyword;
        line >> keyword;
        if (keyword == "end_header") {
            break;
        }
        if (keyword == "format") {
            std::string format;
            line >> format;
            binary = format.starts_with("binary");
        } else if (keyword == "element") {
            Element element;
            line >> element.name >> element.count;
            if (!line) {
                return "PLY element \"" + element.name + "\" has no valid count";
            }
            elements.push_back(element);
        } else if (keyword == "property" && !elements.empty()) {
            std::string type;
            line >> type;
            if (type == "list") {
                line >> type; // the count's type: a list holds at least its count
            }
            elements.back().binaryBytes += plyTypeSize(type);
            ++elements.back().properties;
        }
    }
    std::uint64_t left = bytes.size() - position;
    for (const Element& element : elements) {
        // A text entry takes at least a character and a separator per property.
        const std::uint64_t least = binary ? std::max<std::size_t>(1, element.binaryBytes)
                                    : element.properties == 0 ? 1
                                                              : 2 * element.properties - 1;
        if (element.count > left / least) {
            return "PLY element \"" + element.name + "\" claims " + countText(element.count) +
                   " entries, more than the file holds";
        }
        if (element.name == "face" && element.count > kMaxTriangles) {
            return overLimit();
        }
        left -= element.count * least;
    }
    return {};
}

} // namespace

std::string checkDeclaredCounts(FileFormat format, std::span<const std::uint8_t> bytes) {
    switch (format) {
    case FileFormat::Stl: return checkStl(bytes);
    case FileFormat::Obj: return checkObj(bytes);
    case FileFormat::Ply: return checkPly(bytes);
    case FileFormat::Glb:
    case FileFormat::Gltf: return {};
    }
    return {};
}

} // namespace tessel
