#pragma once

#include "io/file_format.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace tessel {

// The largest file the modeller reads: far above the mesh size limit in every format.
inline constexpr std::size_t kMaxFileBytes = std::size_t{1} << 30;

// Checks the counts an OBJ, PLY or STL file declares against its size and against the mesh size
// limit, before any parser sees it, so that no parser allocates for elements the bytes cannot
// hold; text files must hold no NUL byte, which stalls the parser. Returns why the file cannot be
// right ("element \"vertex\" claims 4,294,967,295 entries, more than the file holds", "more than
// the 4,000,000-triangle limit"), or empty.
std::string checkDeclaredCounts(FileFormat format, std::span<const std::uint8_t> bytes);

} // namespace tessel
