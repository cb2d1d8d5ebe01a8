#include "io/gltf_sibling_files.h"

#include <algorithm>

namespace tessel::gltf {

namespace {

bool insideFolder(const std::string& path) {
    if (path.empty() || path.front() == '/' || path.find('\\') != std::string::npos) {
        return false;
    }
    std::size_t start = 0;
    while (start <= path.size()) {
        const std::size_t end = std::min(path.find('/', start), path.size());
        if (path.compare(start, end - start, "..") == 0 && end - start == 2) {
            return false;
        }
        start = end + 1;
    }
    return true;
}

// The path as the file wrote it: tinygltf puts "./" in front of relative ones.
std::string writtenPath(const std::string& path) {
    return path.starts_with("./") ? path.substr(2) : path;
}

bool siblingExists(const std::string& fullPath, void* user) {
    auto& files = *static_cast<SiblingFiles*>(user);
    const std::string path = writtenPath(fullPath);
    if (files.found.contains(path)) {
        return true;
    }
    if (!insideFolder(path)) {
        files.refused = "buffer file \"" + path + "\" is outside the file's folder";
        return false;
    }
    if (!files.reader || !*files.reader) {
        files.missing = files.missing.empty() ? path : files.missing;
        return false;
    }
    std::optional<Bytes> bytes = (*files.reader)(path);
    if (!bytes) {
        files.missing = files.missing.empty() ? path : files.missing;
        return false;
    }
    files.found.emplace(path, std::move(*bytes));
    return true;
}

std::string samePath(const std::string& path, void*) { return path; }

bool readSibling(std::vector<unsigned char>* out, std::string* err, const std::string& fullPath,
                 void* user) {
    auto& files = *static_cast<SiblingFiles*>(user);
    const std::string path = writtenPath(fullPath);
    const auto found = files.found.find(path);
    if (found == files.found.end()) {
        if (err) {
            *err += "cannot read buffer file \"" + path + "\"";
        }
        return false;
    }
    *out = std::move(found->second);
    files.found.erase(found);
    return true;
}

bool refuseWrite(std::string*, const std::string&, const std::vector<unsigned char>&, void*) {
    return false;
}

bool skipImage(tinygltf::Image*, const int, std::string*, std::string*, int, int,
               const unsigned char*, int, void*) {
    return true;
}

} // namespace

void SiblingFiles::install(tinygltf::TinyGLTF& loader) {
    loader.SetFsCallbacks({&siblingExists, &samePath, &readSibling, &refuseWrite, this});
    loader.SetImageLoader(&skipImage, nullptr);
}

} // namespace tessel::gltf
