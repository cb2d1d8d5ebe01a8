#pragma once

#include "geometry/vector.h"
#include "scene/node.h"

#include <utility>

namespace tessel {

// A position expressed in the frame that `owner` defines. Immutable once built (the fields are
// read through accessors), but copyable and assignable like any value.
class LocalVector3f {
  public:
    LocalVector3f(NodePtr owner, const Vector3& value) : owner_(std::move(owner)), value_(value) {}

    const NodePtr& owner() const { return owner_; }
    const Vector3& value() const { return value_; }

  private:
    NodePtr owner_;
    Vector3 value_;
};

} // namespace tessel
