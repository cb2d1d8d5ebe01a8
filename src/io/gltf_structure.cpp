#include "io/gltf_structure.h"

#include <algorithm>
#include <cmath>
#include <iterator>

namespace tessel::gltf {

namespace {

using nlohmann::json;

constexpr const char* kCollections[] = {"scenes",      "nodes",   "meshes",   "accessors",
                                        "bufferViews", "buffers", "materials"};

// Indices the reader keeps as int.
constexpr double kLargestIndex = 2147483647;

enum class Kind { Object, List, Count, Text, Counts, Numbers };

const char* nameOf(Kind kind) {
    switch (kind) {
    case Kind::Object: return "an object";
    case Kind::List: return "a list";
    case Kind::Count: return "a whole number of at least 0";
    case Kind::Text: return "text";
    case Kind::Counts: return "a list of whole numbers";
    case Kind::Numbers: return "a list of numbers";
    }
    return "";
}

bool isCount(const json& value) {
    return value.is_number_unsigned() || (value.is_number_integer() && value.get<long long>() >= 0);
}

bool isKind(const json& value, Kind kind) {
    switch (kind) {
    case Kind::Object: return value.is_object();
    case Kind::List: return value.is_array();
    case Kind::Count: return isCount(value);
    case Kind::Text: return value.is_string();
    case Kind::Counts:
        return value.is_array() &&
               std::all_of(value.begin(), value.end(), [](const json& v) { return isCount(v); });
    case Kind::Numbers:
        return value.is_array() && std::all_of(value.begin(), value.end(), [](const json& v) {
                   return v.is_number() && std::isfinite(v.get<double>());
               });
    }
    return false;
}

// Checks the members of one object of the document, keeping the first fault.
class Members {
public:
    Members(const json& object, std::string owner, std::string& failure)
        : object_(object), owner_(std::move(owner)), failure_(failure) {}

    // The member, when it is there and of its kind; null otherwise (and a fault when it is there
    // but of another kind, or required and missing).
    const json* get(const char* key, Kind kind, bool required = false) {
        if (!failure_.empty()) {
            return nullptr;
        }
        const auto found = object_.find(key);
        if (found == object_.end()) {
            if (required) {
                failure_ = owner_ + " has no \"" + key + "\"";
            }
            return nullptr;
        }
        if (!isKind(*found, kind)) {
            failure_ = "\"" + std::string(key) + "\" of " + owner_ + " is not " + nameOf(kind);
            return nullptr;
        }
        return &*found;
    }

    void numbers(const char* key, std::size_t size) {
        if (const json* list = get(key, Kind::Numbers); list && list->size() != size) {
            failure_ = "\"" + std::string(key) + "\" of " + owner_ + " has " +
                       std::to_string(list->size()) + " numbers instead of " + std::to_string(size);
        }
    }

private:
    const json& object_;
    std::string owner_;
    std::string& failure_;
};

// Calls `check` with the members of each object of a top-level list such as "meshes".
template <typename Check>
void eachObject(const json& document, const char* key, const char* one, std::string& failure,
                Check check) {
    Members top(document, "the file", failure);
    const json* list = top.get(key, Kind::List);
    if (!list) {
        return;
    }
    for (std::size_t i = 0; i < list->size() && failure.empty(); ++i) {
        const std::string owner = std::string(one) + " " + std::to_string(i);
        if (!(*list)[i].is_object()) {
            failure = owner + " is not an object";
            return;
        }
        Members members((*list)[i], owner, failure);
        check(members, (*list)[i], owner);
    }
}

void checkPrimitive(const json& primitive, const std::string& owner, std::string& failure) {
    if (!primitive.is_object()) {
        failure = owner + " is not an object";
        return;
    }
    Members members(primitive, owner, failure);
    if (const json* attributes = members.get("attributes", Kind::Object, true)) {
        for (const auto& [name, accessor] : attributes->items()) {
            if (!isCount(accessor) && failure.empty()) {
                failure = "attribute \"" + name + "\" of " + owner + " is not an accessor's number";
            }
        }
    }
    members.get("indices", Kind::Count);
    members.get("material", Kind::Count);
    if (const json* mode = members.get("mode", Kind::Count); mode && mode->get<double>() > 6) {
        failure = owner + " is drawn in mode " + mode->dump() + ", which glTF does not define";
    }
    if (const json* extensions = members.get("extensions", Kind::Object)) {
        Members inExtensions(*extensions, owner + "'s extensions", failure);
        if (const json* draco = inExtensions.get("KHR_draco_mesh_compression", Kind::Object)) {
            Members compressed(*draco, owner + "'s compression", failure);
            const json* view = compressed.get("bufferView", Kind::Count, true);
            if (view && view->get<double>() > kLargestIndex) {
                failure = "buffer view " + view->dump() + " does not exist";
            }
            if (const json* attributes = compressed.get("attributes", Kind::Object, true)) {
                for (const auto& [name, id] : attributes->items()) {
                    if ((!isCount(id) || id.get<double>() > kLargestIndex) && failure.empty()) {
                        failure = "compressed attribute \"" + name + "\" of " + owner +
                                  " is not a whole number";
                    }
                }
            }
        }
    }
}

} // namespace

std::string wrongStructure(const json& document) {
    if (!document.is_object()) {
        return "not a glTF file: its JSON is not an object";
    }
    std::string failure;
    Members top(document, "the file", failure);
    const json* asset = top.get("asset", Kind::Object);
    const json* version = nullptr;
    if (asset) {
        version = Members(*asset, "\"asset\"", failure).get("version", Kind::Text);
    }
    // glTF 1.0 keeps its collections in objects keyed by name instead of lists.
    const bool keyedCollections =
        std::any_of(std::begin(kCollections), std::end(kCollections), [&document](const char* key) {
            return document.contains(key) && document[key].is_object();
        });
    const std::string versionText = version ? version->get<std::string>() : "";
    if (versionText.starts_with("1") || (!versionText.starts_with("2") && keyedCollections)) {
        return "glTF 1.0 is not supported; save it as glTF 2.0";
    }
    if (!failure.empty()) {
        return failure;
    }
    if (!asset || !version) {
        return "not a glTF file: it has no \"asset\" with a \"version\"";
    }
    if (!versionText.starts_with("2.")) {
        return "glTF version \"" + versionText.substr(0, 12) + "\" is not supported";
    }

    // A required extension changes what the file means; those that only touch its look leave
    // the meshes as they are.
    if (const json* required = top.get("extensionsRequired", Kind::List)) {
        for (const json& name : *required) {
            const std::string text = name.is_string() ? name.get<std::string>() : name.dump();
            const bool readable = text == "KHR_draco_mesh_compression" ||
                                  text.starts_with("KHR_materials_") ||
                                  text.starts_with("KHR_texture_") ||
                                  text.starts_with("EXT_texture_") || text == "KHR_lights_punctual";
            if (!readable) {
                return "it needs the glTF extension \"" + text.substr(0, 40) +
                       "\", which this modeller does not read";
            }
        }
    }
    top.get("scene", Kind::Count);
    eachObject(document, "scenes", "scene", failure,
               [](Members& members, const json&, const std::string&) {
                   members.get("nodes", Kind::Counts);
               });
    eachObject(document, "nodes", "node", failure,
               [](Members& members, const json&, const std::string&) {
                   members.get("children", Kind::Counts);
                   members.get("mesh", Kind::Count);
                   members.get("name", Kind::Text);
                   members.numbers("matrix", 16);
                   members.numbers("translation", 3);
                   members.numbers("rotation", 4);
                   members.numbers("scale", 3);
               });
    eachObject(document, "meshes", "mesh", failure,
               [&failure](Members& members, const json&, const std::string& owner) {
                   members.get("name", Kind::Text);
                   if (const json* primitives = members.get("primitives", Kind::List, true)) {
                       for (std::size_t i = 0; i < primitives->size() && failure.empty(); ++i) {
                           checkPrimitive((*primitives)[i],
                                          "part " + std::to_string(i) + " of " + owner, failure);
                       }
                   }
               });
    eachObject(document, "accessors", "accessor", failure,
               [](Members& members, const json&, const std::string&) {
                   members.get("bufferView", Kind::Count);
                   members.get("byteOffset", Kind::Count);
                   members.get("componentType", Kind::Count, true);
                   members.get("count", Kind::Count, true);
                   members.get("type", Kind::Text, true);
               });
    eachObject(document, "bufferViews", "buffer view", failure,
               [](Members& members, const json&, const std::string&) {
                   members.get("buffer", Kind::Count, true);
                   members.get("byteOffset", Kind::Count);
                   members.get("byteLength", Kind::Count, true);
                   members.get("byteStride", Kind::Count);
               });
    eachObject(document, "buffers", "buffer", failure,
               [](Members& members, const json&, const std::string&) {
                   members.get("byteLength", Kind::Count, true);
                   members.get("uri", Kind::Text);
               });
    eachObject(document, "materials", "material", failure,
               [&failure](Members& members, const json&, const std::string& owner) {
                   if (const json* pbr = members.get("pbrMetallicRoughness", Kind::Object)) {
                       Members(*pbr, owner, failure).numbers("baseColorFactor", 4);
                   }
               });
    return failure;
}

} // namespace tessel::gltf
