#pragma once

// The shape of a glTF document's JSON, checked before tinygltf reads it: tinygltf passes over a
// member of the wrong type (a mesh whose "primitives" is no list comes out with no parts), and
// reads a glTF 1.0 file, whose collections are objects, as an empty scene.

#include <nlohmann/json.hpp>

#include <string>

namespace tessel::gltf {

// Why the document is not glTF 2.0 as the reader understands it ("glTF 1.0 is not supported;
// save it as glTF 2.0", "\"primitives\" of mesh 0 is not a list"), or empty. Checks the
// members the reader uses: their types, and that the required ones are there.
std::string wrongStructure(const nlohmann::json& document);

} // namespace tessel::gltf
