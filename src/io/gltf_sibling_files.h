#pragma once

#include "io/gltf_library.h"
#include "io/scene_reader.h"

#include <map>
#include <string>

namespace tessel::gltf {

// The files a .gltf names beside it (its buffers), as tinygltf asks for them: each read once
// through `reader`, and only from inside the file's own folder. Images are never decoded.
struct SiblingFiles {
    const SiblingReader* reader = nullptr;
    std::map<std::string, Bytes> found;
    // Why a path was refused (it leads out of the folder), if one was.
    std::string refused;
    // The first file the reader could not give.
    std::string missing;

    // Makes `loader` read its files through this, which must outlive the loading.
    void install(tinygltf::TinyGLTF& loader);
};

} // namespace tessel::gltf
