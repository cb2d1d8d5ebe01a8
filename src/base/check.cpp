#include "base/check.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace tessel {

void failCheck(std::string_view operation, std::string_view message) {
    std::fprintf(stderr, "tessel: programming error in %.*s: %.*s\n",
                 static_cast<int>(operation.size()), operation.data(),
                 static_cast<int>(message.size()), message.data());
    std::fflush(stderr);
    std::abort();
}

} // namespace tessel
