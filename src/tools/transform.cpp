#include "tools/transform.h"

#include "tools/tool_support.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <numbers>
#include <optional>

namespace tessel {
namespace {

constexpr std::array<Vector3, 3> kAxes = {Vector3{1, 0, 0}, Vector3{0, 1, 0}, Vector3{0, 0, 1}};
constexpr const char* kAxisNames[] = {"x", "y", "z"};
constexpr const char* kPlaneNames[] = {"yz", "xz", "xy"};

constexpr double kMoveStep = 0.1;
constexpr double kRotateStep = 5;
constexpr double kScaleStep = 0.1;

double roundTo(double value, double step) { return std::round(value / step) * step; }

// Cosine and sine of an angle in degrees, exact at multiples of 90° (a quarter turn leaves
// integer coordinates integers).
std::pair<double, double> cosSinDegrees(double degrees) {
    const double turn = std::fmod(degrees, 360.0);
    if (turn == std::round(turn / 90) * 90) {
        switch ((static_cast<int>(turn / 90) % 4 + 4) % 4) {
        case 0: return {1, 0};
        case 1: return {0, 1};
        case 2: return {-1, 0};
        default: return {0, -1};
        }
    }
    const double radians = turn * std::numbers::pi / 180;
    return {std::cos(radians), std::sin(radians)};
}

// The affine map p ↦ L·(p − c) + c for the 3×3 linear part L (row by row).
Matrix aboutCentre(const std::array<double, 9>& l, const Vector3& c) {
    const double cx = c.x, cy = c.y, cz = c.z;
    std::array<float, 16> m{};
    for (int r = 0; r < 3; ++r) {
        const double image = l[3 * r] * cx + l[3 * r + 1] * cy + l[3 * r + 2] * cz;
        const double centre = r == 0 ? cx : r == 1 ? cy : cz;
        m[4 * r] = static_cast<float>(l[3 * r]);
        m[4 * r + 1] = static_cast<float>(l[3 * r + 1]);
        m[4 * r + 2] = static_cast<float>(l[3 * r + 2]);
        m[4 * r + 3] = static_cast<float>(centre - image);
    }
    m[15] = 1;
    return Matrix(m);
}

// Rotation by `degrees` about the unit axis a (right-handed).
std::array<double, 9> rotation(const Vector3& a, double degrees) {
    const auto [c, s] = cosSinDegrees(degrees);
    const double x = a.x, y = a.y, z = a.z, t = 1 - c;
    return {t * x * x + c,     t * x * y - s * z, t * x * z + s * y, //
            t * x * y + s * z, t * y * y + c,     t * y * z - s * x, //
            t * x * z - s * y, t * y * z + s * x, t * z * z + c};
}

// Scaling by f along the unit axis a, the rest left (or, `plane`, across it: f everywhere but
// along a).
std::array<double, 9> scaling(const Vector3& a, double f, bool plane) {
    const double along = plane ? 1 : f;
    const double across = plane ? f : 1;
    const double k = along - across;
    const double x = a.x, y = a.y, z = a.z;
    return {across + k * x * x, k * x * y,          k * x * z, //
            k * x * y,          across + k * y * y, k * y * z, //
            k * x * z,          k * y * z,          across + k * z * z};
}

// Fixed decimals without a minus before a zero.
std::string decimals(double value, int digits) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", digits, value);
    std::string result = text;
    if (result.front() == '-' && result.find_first_not_of("-0.") == std::string::npos) {
        result.erase(0, 1);
    }
    return result;
}

// A homogeneous point, its x, y and z divided out later.
Vector4 homogeneous(const Matrix& inverse, Vec2 p, float depth) {
    return inverse * Vector4(p.x, p.y, depth, 1);
}

} // namespace

TransformGesture::TransformGesture(Kind kind, const Vector3& centre, const Matrix& viewProjection,
                                   float aspectRatio, Vec2 start)
    : kind_(kind), centre_(centre), viewProjection_(viewProjection),
      inverse_(viewProjection.inverted()), aspectRatio_(aspectRatio),
      projectedCentre_(project(centre, viewProjection)), start_(start), pointer_(start) {}

TransformGesture::TransformGesture(Kind kind, const Vector3& centre, const Viewport& view)
    : TransformGesture(kind, centre, view.viewProjection(), view.aspectRatio,
                       devicePosition(view.pointerPosition)) {}

Vec2 TransformGesture::screen(Vec2 device) const { return {device.x * aspectRatio_, device.y}; }

void TransformGesture::pointerAt(Vec2 position) {
    if (kind_ == Kind::Rotate) {
        // The angle between the last and the new direction from the centre, so that whole turns
        // add up.
        const Vec2 c = screen({projectedCentre_.x, projectedCentre_.y});
        const Vec2 from = screen(pointer_);
        const Vec2 to = screen(position);
        const double ax = from.x - c.x, ay = from.y - c.y;
        const double bx = to.x - c.x, by = to.y - c.y;
        if (ax * ax + ay * ay > 0 && bx * bx + by * by > 0) {
            swept_ += std::atan2(ax * by - ay * bx, ax * bx + ay * by);
        }
    }
    pointer_ = position;
}

bool TransformGesture::key(char c) {
    const auto hold = [&](Constraint constraint, int axis) {
        const bool same = constraint_ == constraint && axis_ == axis;
        constraint_ = same ? Constraint::None : constraint;
        axis_ = axis;
    };
    if (c >= 'x' && c <= 'z') {
        hold(Constraint::Axis, c - 'x');
    } else if (c >= 'X' && c <= 'Z') {
        hold(Constraint::Plane, c - 'X');
    } else if (c >= '0' && c <= '9') {
        typed_ += c;
    } else if (c == '.') {
        if (typed_.find('.') == std::string::npos) {
            typed_ += c;
        }
    } else if (c == '-') {
        if (!typed_.empty() && typed_.front() == '-') {
            typed_.erase(0, 1);
        } else {
            typed_.insert(0, 1, '-');
        }
    } else if (c == kBackspace) {
        if (!typed_.empty()) {
            typed_.pop_back();
        }
    } else {
        return false;
    }
    return true;
}

bool TransformGesture::hasTypedNumber() const {
    return typed_.find_first_not_of('-') != std::string::npos;
}

double TransformGesture::typedNumber() const {
    // "." and "-." read as zero.
    return std::strtod(typed_.c_str(), nullptr);
}

Vector3 TransformGesture::viewAxis() const {
    // The screen's right and up at the centre's depth: a turn from right toward up is
    // counter-clockwise on the screen, and positive about their cross product.
    const Vector3& c = projectedCentre_;
    const Vector3 at = unproject(c.x, c.y, c.z, inverse_);
    const Vector3 right = unproject(c.x + 0.01f, c.y, c.z, inverse_) - at;
    const Vector3 up = unproject(c.x, c.y + 0.01f, c.z, inverse_) - at;
    const Vector3 axis = right.cross(up);
    return axis.squaredLength() > 0 ? axis.normalized() : kAxes[2];
}

Vector3 TransformGesture::moveOffset() const {
    const float depth = projectedCentre_.z;
    const Vector3 inScreenPlane = unproject(pointer_.x, pointer_.y, depth, inverse_) -
                                  unproject(start_.x, start_.y, depth, inverse_);
    if (constraint_ == Constraint::None) {
        return inScreenPlane;
    }
    const Vector3& a = kAxes[static_cast<size_t>(axis_)];
    // The pointer's ray: from its point at the centre's depth, along the line through every depth
    // (a direction taken homogeneously, so that a point at infinity still gives it).
    const auto ray = [&](Vec2 p) {
        const Vector4 near = homogeneous(inverse_, p, depth);
        const Vector4 far = homogeneous(inverse_, p, depth + 0.5f);
        const Vector3 n(near.x(), near.y(), near.z());
        const Vector3 f(far.x(), far.y(), far.z());
        return std::pair{n * (1 / near.w()), f * near.w() - n * far.w()};
    };
    const auto [startOrigin, startDirection] = ray(start_);
    const auto [origin, direction] = ray(pointer_);
    const auto fallback = [&] {
        const float along = inScreenPlane.dot(a);
        return constraint_ == Constraint::Axis ? a * along : inScreenPlane - a * along;
    };
    if (constraint_ == Constraint::Axis) {
        // The parameter t of the axis point c + t·a nearest the ray o + s·d.
        const auto nearest = [&](const Vector3& o, const Vector3& d) -> std::optional<double> {
            const Vector3 w = centre_ - o;
            const double b = a.dot(d), dd = d.dot(d);
            const double denominator = dd - b * b;
            if (!(denominator > 1e-6 * dd)) {
                return std::nullopt;
            }
            return (b * d.dot(w) - dd * a.dot(w)) / denominator;
        };
        const auto from = nearest(startOrigin, startDirection);
        const auto to = nearest(origin, direction);
        if (!from || !to) {
            return fallback();
        }
        return a * static_cast<float>(*to - *from);
    }
    // Where each ray meets the plane through the centre normal to a.
    const auto meet = [&](const Vector3& o, const Vector3& d) -> std::optional<Vector3> {
        const double across = a.dot(d);
        if (!(std::abs(across) > 1e-3 * d.length())) {
            return std::nullopt;
        }
        return o + d * static_cast<float>(a.dot(centre_ - o) / across);
    };
    const auto from = meet(startOrigin, startDirection);
    const auto to = meet(origin, direction);
    if (!from || !to) {
        return fallback();
    }
    // Exactly in the plane, whatever the rounding.
    const Vector3 offset = *to - *from;
    return offset - a * offset.dot(a);
}

TransformGesture::Amount TransformGesture::pointerAmount() const {
    Amount amount;
    switch (kind_) {
    case Kind::Move: {
        Vector3 offset = moveOffset();
        if (snapping_) {
            if (constraint_ == Constraint::Axis) {
                const Vector3& a = kAxes[static_cast<size_t>(axis_)];
                offset = a * static_cast<float>(roundTo(offset.dot(a), kMoveStep));
            } else {
                offset = {static_cast<float>(roundTo(offset.x, kMoveStep)),
                          static_cast<float>(roundTo(offset.y, kMoveStep)),
                          static_cast<float>(roundTo(offset.z, kMoveStep))};
            }
        }
        amount.offset = offset;
        break;
    }
    case Kind::Rotate: {
        const Vector3 view = viewAxis();
        double degrees = swept_ * 180 / std::numbers::pi;
        amount.about = view;
        if (constraint_ != Constraint::None) {
            amount.about = kAxes[static_cast<size_t>(axis_)];
            degrees = amount.about.dot(view) < 0 ? -degrees : degrees;
        }
        amount.degrees = snapping_ ? roundTo(degrees, kRotateStep) : degrees;
        break;
    }
    case Kind::Scale: {
        const Vec2 c = screen({projectedCentre_.x, projectedCentre_.y});
        const Vec2 from = screen(start_);
        const Vec2 to = screen(pointer_);
        const double before = std::hypot(from.x - c.x, from.y - c.y);
        const double now = std::hypot(to.x - c.x, to.y - c.y);
        const double factor = before > 0 ? now / before : 1;
        amount.factor = snapping_ ? roundTo(factor, kScaleStep) : factor;
        break;
    }
    }
    return amount;
}

TransformGesture::Amount TransformGesture::amount() const {
    if (fixed_) {
        return *fixed_;
    }
    if (!hasTypedNumber()) {
        Amount amount = pointerAmount();
        if (!typed_.empty()) {
            // Only a "-": the pointer's amount, negated.
            amount.offset = -amount.offset;
            amount.degrees = -amount.degrees;
            amount.factor = -amount.factor;
        }
        return amount;
    }
    const double number = typedNumber();
    Amount amount;
    switch (kind_) {
    case Kind::Move: {
        // Along the axis; unconstrained along x, in a plane along the first of its axes.
        int along = axis_;
        if (constraint_ == Constraint::None) {
            along = 0;
        } else if (constraint_ == Constraint::Plane) {
            along = axis_ == 0 ? 1 : 0;
        }
        amount.offset = kAxes[static_cast<size_t>(along)] * static_cast<float>(number);
        break;
    }
    case Kind::Rotate:
        amount.about =
            constraint_ == Constraint::None ? viewAxis() : kAxes[static_cast<size_t>(axis_)];
        amount.degrees = number;
        break;
    case Kind::Scale: amount.factor = number; break;
    }
    return amount;
}

Matrix TransformGesture::matrix() const {
    const Matrix m = transform();
    // A centre or a typed amount beyond float's range must not make positions not-a-number.
    const bool finite =
        std::all_of(m.data.begin(), m.data.end(), [](float v) { return std::isfinite(v); });
    return finite ? m : Matrix();
}

Matrix TransformGesture::transform() const {
    const Amount a = amount();
    switch (kind_) {
    case Kind::Move: return Matrix::translation(a.offset);
    case Kind::Rotate: return aboutCentre(rotation(a.about, a.degrees), centre_);
    case Kind::Scale:
        if (constraint_ == Constraint::None) {
            return aboutCentre({a.factor, 0, 0, 0, a.factor, 0, 0, 0, a.factor}, centre_);
        }
        return aboutCentre(
            scaling(kAxes[static_cast<size_t>(axis_)], a.factor, constraint_ == Constraint::Plane),
            centre_);
    }
    return {};
}

std::string TransformGesture::status() const {
    const bool typedNumber = hasTypedNumber();
    const Amount a = amount();
    // What the amount applies to: an axis's letter, a plane's two letters, or nothing.
    std::string to;
    if (kind_ == Kind::Move && typedNumber) {
        int along = constraint_ == Constraint::Axis ? axis_ : 0;
        if (constraint_ == Constraint::Plane) {
            along = axis_ == 0 ? 1 : 0;
        }
        to = kAxisNames[along];
    } else if (constraint_ == Constraint::Axis ||
               (constraint_ == Constraint::Plane && kind_ == Kind::Rotate)) {
        to = kAxisNames[axis_];
    } else if (constraint_ == Constraint::Plane) {
        to = kPlaneNames[axis_];
    }
    std::string amount;
    switch (kind_) {
    case Kind::Move:
        if (typedNumber) {
            amount = typed_;
        } else if (constraint_ == Constraint::Axis) {
            amount = decimals(a.offset.dot(kAxes[static_cast<size_t>(axis_)]), 2);
        } else {
            amount = decimals(a.offset.x, 2);
            amount += ", ";
            amount += decimals(a.offset.y, 2);
            amount += ", ";
            amount += decimals(a.offset.z, 2);
        }
        break;
    case Kind::Rotate:
        amount = typedNumber ? typed_ : decimals(a.degrees, 1);
        amount += "°";
        break;
    case Kind::Scale: amount = typedNumber ? typed_ : decimals(a.factor, 2); break;
    }
    std::string text = kind_ == Kind::Move ? "Move" : kind_ == Kind::Rotate ? "Rotate" : "Scale";
    if (!to.empty()) {
        text += ' ';
        text += to;
    }
    text += ": ";
    text += amount;
    return text;
}

Matrix inLayerCoordinates(const Matrix& world, const Matrix& nodeMatrix) {
    return nodeMatrix.inverted() * world * nodeMatrix;
}

std::vector<std::uint32_t> pointsToTransform(const Layer& layer,
                                             std::span<const std::int64_t> points,
                                             std::span<const Edge> edges,
                                             std::span<const std::uint32_t> faces) {
    const size_t count = layer.positions.size();
    std::vector<std::uint8_t> moved(count, 0);
    for (const std::int64_t id : points) {
        if (isValidPointId(id, layer)) {
            moved[static_cast<size_t>(id)] = 1;
        }
    }
    for (const Edge& e : edges) {
        if (e.a < count && e.b < count) {
            moved[e.a] = 1;
            moved[e.b] = 1;
        }
    }
    for (const std::uint32_t f : faces) {
        if (f < layer.faces.size()) {
            for (const std::uint32_t p : layer.faces[f]) {
                moved[p] = 1;
            }
        }
    }
    std::vector<std::uint32_t> result;
    for (size_t p = 0; p < count; ++p) {
        if (moved[p]) {
            result.push_back(static_cast<std::uint32_t>(p));
        }
    }
    return result;
}

LayerPtr transformedLayer(const Layer& committed, std::span<const std::uint32_t> points,
                          const Matrix& matrix) {
    LayerPtr layer = std::make_shared<Layer>(
        Layer{{}, committed.faces, committed.fragmentShader, committed.creases});
    const std::array<float, 16>& m = matrix.data;
    const auto moved = [&m](const Vector3& p) {
        return Vector3{m[0] * p.x + m[1] * p.y + m[2] * p.z + m[3],
                       m[4] * p.x + m[5] * p.y + m[6] * p.z + m[7],
                       m[8] * p.x + m[9] * p.y + m[10] * p.z + m[11]};
    };
    const std::vector<Vector3>& from = committed.positions;
    std::vector<Vector3>& to = layer->positions;
    if (std::adjacent_find(points.begin(), points.end(), std::greater_equal<>()) == points.end()) {
        // Ascending: one pass that copies the points between the moved ones and moves those,
        // reading the committed points once.
        to.reserve(from.size());
        size_t next = 0;
        for (const std::uint32_t id : points) {
            if (id >= from.size()) {
                break;
            }
            to.insert(to.end(), from.begin() + static_cast<std::ptrdiff_t>(next),
                      from.begin() + static_cast<std::ptrdiff_t>(id));
            to.push_back(moved(from[id]));
            next = id + 1;
        }
        to.insert(to.end(), from.begin() + static_cast<std::ptrdiff_t>(next), from.end());
        return layer;
    }
    to = from;
    for (const std::uint32_t id : points) {
        // Read from the committed points, so that a repeated id writes the same again.
        if (id < from.size()) {
            to[id] = moved(from[id]);
        }
    }
    return layer;
}

} // namespace tessel
