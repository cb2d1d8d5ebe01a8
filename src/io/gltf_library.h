#pragma once

// tinygltf as the modeller builds it: no image decoding or encoding and no file access of its
// own (files come through the callbacks the reader installs). Every file that uses tinygltf
// includes it through here, so that all see the same declarations.
#define TINYGLTF_NO_STB_IMAGE
#define TINYGLTF_NO_STB_IMAGE_WRITE
#define TINYGLTF_NO_EXTERNAL_IMAGE
#define TINYGLTF_NO_FS
// The library needs <fstream> even when it touches no file.
#include <fstream>

#include <tiny_gltf.h>
