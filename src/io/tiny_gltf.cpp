// The tinygltf implementation, compiled once.
#define TINYGLTF_IMPLEMENTATION
#include "io/gltf_library.h"
