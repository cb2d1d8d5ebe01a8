#pragma once

#include <sstream>
#include <string_view>

namespace tessel {

// Stops the program after printing which operation met which bad value. Used only for
// programming errors: user input never reaches a failing check.
[[noreturn]] void failCheck(std::string_view operation, std::string_view message);

} // namespace tessel

// TESSEL_CHECK(condition, "extrude", "face id " << id << " out of range")
#define TESSEL_CHECK(condition, operation, details)                                                \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::ostringstream tesselCheckStream_;                                                 \
            tesselCheckStream_ << details;                                                         \
            ::tessel::failCheck(operation, tesselCheckStream_.str());                              \
        }                                                                                          \
    } while (false)
