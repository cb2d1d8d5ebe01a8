#include "io/input_limits.h"

#include "io/import_report.h"
#include "mesh/model.h"

#include <algorithm>
#include <cstdlib>
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

// Reads a text STL's words in order, with the line each is on.
class StlWords {
public:
    explicit StlWords(std::string_view text) : text_(text) {}

    std::string_view next() {
        const std::size_t start = text_.find_first_not_of(" \t\r\n\f\v", position_);
        for (std::size_t i = position_; i < std::min(start, text_.size()); ++i) {
            line_ += text_[i] == '\n';
        }
        if (start == std::string_view::npos) {
            position_ = text_.size();
            ended_ = true;
            return {};
        }
        position_ = std::min(text_.find_first_of(" \t\r\n\f\v", start), text_.size());
        return text_.substr(start, position_ - start);
    }

    // Skips the rest of the line (a solid's name).
    void skipLine() { position_ = std::min(text_.find('\n', position_), text_.size()); }

    bool number() {
        const std::string word(next());
        char* end = nullptr;
        std::strtod(word.c_str(), &end);
        return !word.empty() && end == word.c_str() + word.size();
    }

    std::size_t line() const { return line_; }
    // Whether the words run out with the one read last, or before it.
    bool ended() const {
        return ended_ ||
               text_.find_first_not_of(" \t\r\n\f\v", position_) == std::string_view::npos;
    }

private:
    std::string_view text_;
    std::size_t position_ = 0;
    std::size_t line_ = 1;
    bool ended_ = false;
};

// Checks every facet of a text STL: "facet normal" and three numbers, "outer loop", three
// "vertex" lines of three numbers, "endloop", "endfacet", within "solid" … "endsolid". A file
// cut short lacks its "endsolid"; the parser would give the facets before the cut without a
// word, and it leaks what it built when it gives up halfway.
std::string checkTextStl(std::span<const std::uint8_t> bytes) {
    const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    if (text.find('\0') != std::string_view::npos) {
        return "a NUL byte in a text STL file";
    }
    StlWords words(text);
    std::size_t facets = 0;
    const auto malformed = [&words] {
        return words.ended() ? "cut short: the text STL file does not end with \"endsolid\""
                             : "the text STL file is malformed at line " + countText(words.line());
    };
    std::string_view word = words.next();
    while (!word.empty()) {
        if (word != "solid") {
            return malformed();
        }
        words.skipLine();
        for (word = words.next(); word == "facet"; word = words.next()) {
            if (words.next() != "normal" || !words.number() || !words.number() || !words.number() ||
                words.next() != "outer" || words.next() != "loop") {
                return malformed();
            }
            for (int corner = 0; corner < 3; ++corner) {
                if (words.next() != "vertex" || !words.number() || !words.number() ||
                    !words.number()) {
                    return malformed();
                }
            }
            if (words.next() != "endloop" || words.next() != "endfacet") {
                return malformed();
            }
            if (++facets > kMaxTriangles) {
                return overLimit();
            }
        }
        if (word != "endsolid") {
            return malformed();
        }
        words.skipLine();
        word = words.next();
    }
    if (facets == 0) {
        return "the text STL file holds no facets";
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
    return checkTextStl(bytes);
}

std::string checkObj(std::span<const std::uint8_t> bytes) {
    if (std::find(bytes.begin(), bytes.end(), 0) != bytes.end()) {
        return "a NUL byte in an OBJ file";
    }
    // A face statement of n corners (one word each) is drawn by n − 2 triangles, at least one.
    std::size_t triangles = 0;
    bool lineStart = true;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const char c = static_cast<char>(bytes[i]);
        if (lineStart && c == 'f' && i + 1 < bytes.size() &&
            (bytes[i + 1] == ' ' || bytes[i + 1] == '\t')) {
            std::size_t corners = 0;
            for (++i; i < bytes.size() && bytes[i] != '\n'; ++i) {
                corners += bytes[i] != ' ' && bytes[i] != '\t' && bytes[i] != '\r' &&
                           (bytes[i - 1] == ' ' || bytes[i - 1] == '\t');
            }
            triangles += std::max<std::size_t>(corners, 3) - 2;
            if (triangles > kMaxTriangles) {
                return overLimit();
            }
            lineStart = true;
            continue;
        }
        lineStart = c == '\n' || (lineStart && (c == ' ' || c == '\t'));
    }
    return {};
}

std::size_t plyTypeSize(const std::string& type) {
    static const std::map<std::string, std::size_t> sizes = {
        {"char", 1},  {"uchar", 1},   {"int8", 1},   {"uint8", 1},  {"short", 2}, {"ushort", 2},
        {"int16", 2}, {"uint16", 2},  {"int", 4},    {"uint", 4},   {"int32", 4}, {"uint32", 4},
        {"float", 4}, {"float32", 4}, {"double", 8}, {"float64", 8}};
    const auto found = sizes.find(type);
    return found == sizes.end() ? 1 : found->second;
}

// A PLY property: a scalar of `size` bytes, or a list whose count takes `size` bytes and whose
// items take `itemSize` each.
struct PlyProperty {
    std::size_t size = 1;
    bool list = false;
    std::size_t itemSize = 1;
};

struct PlyElement {
    std::string name;
    std::uint64_t count = 0;
    std::vector<PlyProperty> properties;
};

std::string_view nextToken(std::string_view text, std::size_t& position) {
    const std::size_t start = text.find_first_not_of(" \t\r\n", position);
    if (start == std::string_view::npos) {
        position = text.size();
        return {};
    }
    const std::size_t end = std::min(text.find_first_of(" \t\r\n", start), text.size());
    position = end;
    return text.substr(start, end - start);
}

std::string shortEntry(const PlyElement& element, std::uint64_t entry, bool atEnd) {
    if (atEnd) {
        return "cut short: PLY element \"" + element.name + "\" has " + countText(entry) +
               " of its " + countText(element.count) + " entries";
    }
    return "entry " + countText(entry) + " of PLY element \"" + element.name +
           "\" has too few values";
}

// Walks the entries as far as their lists' counts, so that no list claims more items than the
// bytes after it can hold: parsers size a list by its count before reading it. A face's list of
// n corners is drawn by n − 2 triangles, which the mesh size limit bounds.
std::string checkPlyLists(std::string_view data, const std::vector<PlyElement>& elements,
                          bool binary, bool bigEndian) {
    std::size_t position = 0;
    std::uint64_t triangles = 0;
    for (const PlyElement& element : elements) {
        for (std::uint64_t entry = 0; entry < element.count; ++entry) {
            std::string_view line;
            std::size_t inLine = 0;
            if (!binary) {
                position = std::min(data.find_first_not_of("\r\n", position), data.size());
                const std::size_t end = std::min(data.find('\n', position), data.size());
                line = data.substr(position, end - position);
                position = end;
            }
            bool cornersMet = false;
            for (const PlyProperty& property : element.properties) {
                std::uint64_t items = 0;
                if (binary) {
                    if (property.size > data.size() - position) {
                        return "PLY element \"" + element.name + "\" runs past the end";
                    }
                    if (property.list) {
                        for (std::size_t b = 0; b < property.size; ++b) {
                            const std::size_t i = bigEndian ? b : property.size - 1 - b;
                            items = items << 8 | static_cast<std::uint8_t>(data[position + i]);
                        }
                    }
                    position += property.size;
                    if (items > (data.size() - position) / property.itemSize) {
                        return "PLY list claims " + countText(items) +
                               " items, more than the file holds";
                    }
                    position += items * property.itemSize;
                } else {
                    // Text entries take a line each, with a value for each scalar and each item.
                    const std::string_view token = nextToken(line, inLine);
                    if (token.empty()) {
                        return shortEntry(element, entry, position >= data.size());
                    }
                    if (property.list) {
                        items = std::strtoull(std::string(token).c_str(), nullptr, 10);
                        if (items > (line.size() - inLine) / 2 + 1) {
                            return position >= data.size() ? shortEntry(element, entry, true)
                                                           : "PLY list claims " + countText(items) +
                                                                 " items, more than its line holds";
                        }
                        for (std::uint64_t i = 0; i < items; ++i) {
                            if (nextToken(line, inLine).empty()) {
                                return shortEntry(element, entry, position >= data.size());
                            }
                        }
                    }
                }
                // The corners are the face's first list (others hold texture coordinates).
                if (property.list && element.name == "face" && !cornersMet) {
                    cornersMet = true;
                    if ((triangles += std::max<std::uint64_t>(items, 3) - 2) > kMaxTriangles) {
                        return overLimit();
                    }
                }
            }
        }
    }
    return {};
}

std::string checkPly(std::span<const std::uint8_t> bytes) {
    const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    if (text.substr(0, 3) != "ply" || (text.size() > 3 && text[3] != '\n' && text[3] != '\r')) {
        return "not a PLY file: it does not start with \"ply\"";
    }
    std::vector<PlyElement> elements;
    bool binary = false;
    bool bigEndian = false;
    std::size_t position = 0;
    for (;;) {
        const std::size_t end = text.find('\n', position);
        if (end == std::string_view::npos) {
            return "truncated PLY header (no end_header)";
        }
        const std::string_view header = text.substr(position, end - position);
        // The parser stalls on header lines split by other control characters.
        if (std::any_of(header.begin(), header.end(), [](char c) {
                return static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\r';
            })) {
            return "a control character in the PLY header";
        }
        std::istringstream line{std::string(header)};
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
            bigEndian = format == "binary_big_endian";
        } else if (keyword == "element") {
            PlyElement element;
            line >> element.name >> element.count;
            if (!line) {
                return "PLY element \"" + element.name + "\" has no valid count";
            }
            elements.push_back(element);
        } else if (keyword == "property" && !elements.empty()) {
            PlyProperty property;
            std::string type;
            line >> type;
            if (type == "list") {
                std::string itemType;
                line >> type >> itemType;
                property.list = true;
                property.itemSize = plyTypeSize(itemType);
            }
            property.size = plyTypeSize(type);
            elements.back().properties.push_back(property);
        }
    }
    if (!binary && text.find('\0', position) != std::string_view::npos) {
        return "a NUL byte in a text PLY file";
    }
    std::uint64_t left = bytes.size() - position;
    for (const PlyElement& element : elements) {
        // The least an entry takes: its scalars and list counts stored binary, or a character
        // and a separator per property as text.
        std::uint64_t least = 0;
        for (const PlyProperty& property : element.properties) {
            least += binary ? property.size : 2;
        }
        least = std::max<std::uint64_t>(1, binary || least == 0 ? least : least - 1);
        if (element.count > left / least) {
            return "PLY element \"" + element.name + "\" claims " + countText(element.count) +
                   " entries, more than the file holds";
        }
        if (element.name == "face" && element.count > kMaxTriangles) {
            return overLimit();
        }
        left -= element.count * least;
    }
    return checkPlyLists(text.substr(position), elements, binary, bigEndian);
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
