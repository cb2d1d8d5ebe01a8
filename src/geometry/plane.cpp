#include "geometry/plane.h"

#include "base/check.h"

namespace tessel {

float Plane::signedDistance(const Vector3& p) const {
    TESSEL_CHECK(origin_.has_value(), "Plane::signedDistance", "plane has no origin");
    return normal().dot(p - *origin_);
}

std::vector<float> NormalizedRange(long count) {
    TESSEL_CHECK(count >= 0, "NormalizedRange", "negative count " << count);
    std::vector<float> values;
    values.reserve(static_cast<size_t>(count));
    const float last = static_cast<float>(count - 1);
    for (long i = 0; i < count; ++i) {
        values.push_back(static_cast<float>(i) / last);
    }
    return values;
}

} // namespace tessel
