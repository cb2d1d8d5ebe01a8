#include "editor/viewport_set.h"

#include "base/check.h"
#include "mesh/model.h"
#include "scene/mesh.h"
#include "scene/navigation.h"

#include <algorithm>
#include <iterator>

namespace tessel {

namespace {

// One signed step per camera key; every other string moves nothing.
struct CameraStep {
    float dx = 0;
    float dy = 0;
    float dz = 0;
    float pitch = 0;
    float yaw = 0;
};

std::optional<CameraStep> cameraStep(const std::optional<std::string>& characters) {
    if (!characters || characters->size() != 1) {
        return std::nullopt;
    }
    constexpr float s = 0.1f;
    CameraStep step;
    switch ((*characters)[0]) {
    case 'a': step.dx = -s; break;
    case 'd': step.dx = s; break;
    case 's': step.dy = -s; break;
    case 'w': step.dy = s; break;
    case 'q': step.dz = -s; break;
    case 'e': step.dz = s; break;
    case 'z': step.pitch = -s; break;
    case 'x': step.pitch = s; break;
    case 'c': step.yaw = -s; break;
    case 'v': step.yaw = s; break;
    default: return std::nullopt;
    }
    return step;
}

} // namespace

ViewportSet::ViewportSet()
    // Projection parameters are the Camera defaults; binding places them.
    : cameras_{Camera::make("Camera 1"), Camera::make("Camera 2"), Camera::make("Camera 3"),
               Camera::make("Camera 4")} {}

void ViewportSet::bind(const std::array<Viewport*, 4>& views) {
    TESSEL_CHECK(viewports_.empty(), "ViewportSet::bind", "the views are already bound");
    for (size_t i = 0; i < views.size(); ++i) {
        TESSEL_CHECK(views[i] != nullptr, "ViewportSet::bind",
                     "viewport " << i << " is not connected");
    }
    for (size_t i = 0; i < views.size(); ++i) {
        Viewport* view = views[i];
        view->camera = cameras_[i];
        viewports_.push_back(view);
        view->selectionVolume = Mesh::make(Model::makeCube());
    }
    resetCameras();
}

Viewport& ViewportSet::recent() {
    if (!recent_) {
        TESSEL_CHECK(!viewports_.empty(), "ViewportSet::recent",
                     "read before any viewport was bound");
        recent_ = viewports_.front();
    }
    return *recent_;
}

void ViewportSet::resetCameras() {
    for (size_t i = 0; i < cameras_.size(); ++i) {
        cameras_[i]->localMatrix = Matrix::translation({0, 0, i == 0 ? 0.5f : 2.5f});
    }
    for (Viewport* view : viewports_) {
        view->viewName = ViewName::Perspective;
    }
}

bool ViewportSet::stepCamera(Viewport& view, const std::optional<std::string>& characters) {
    const std::optional<CameraStep> found = cameraStep(characters);
    if (!found) {
        return false;
    }
    const CameraStep& step = *found;
    Camera& camera = *view.camera;
    const Vector3 position = camera.localMatrix.translationPart();

    // Unprojection of a device point through the viewport's current view-projection.
    const Matrix inverse = view.viewProjection().inverted();
    const auto unproject = [&inverse](float x, float y, float z) {
        return (inverse * Vector4(x, y, z, 1)).dehomogenized();
    };
    const Vector3 origin = unproject(0, 0, 0);
    const Vector3 translation = unproject(step.dx, step.dy, step.dz) - origin;

    // The axes are rebuilt from the current view on every key, so rounding never accumulates
    // into a skewed camera. Device x runs against world x (the aspect correction mirrors it),
    // hence the sign of X.
    Vector3 x;
    Vector3 y;
    Vector3 z;
    if (step.pitch != 0) {
        x = -(unproject(1, 0, 0) - origin).normalized();
        z = (position - unproject(0, step.pitch, 0)).normalized();
        y = z.cross(x);
    } else {
        y = (unproject(0, 1, 0) - origin).normalized();
        z = (position - unproject(step.yaw, 0, 0)).normalized();
        x = y.cross(z);
    }
    camera.localMatrix = Matrix::columns({x, y, z, position + translation});
    if (step.pitch != 0 || step.yaw != 0) {
        view.viewName = ViewName::User;
    }
    return true;
}

void ViewportSet::lookAlong(Viewport& view, const Vector3& centre, ViewName name) {
    // From the centre toward the eye, and the screen's up; the world is y-up.
    struct Axis {
        ViewName name;
        Vector3 direction;
        Vector3 up;
    };
    static constexpr Axis axes[] = {
        {ViewName::Front, {0, 0, 1}, {0, 1, 0}}, {ViewName::Back, {0, 0, -1}, {0, 1, 0}},
        {ViewName::Left, {-1, 0, 0}, {0, 1, 0}}, {ViewName::Right, {1, 0, 0}, {0, 1, 0}},
        {ViewName::Top, {0, 1, 0}, {0, 0, -1}},  {ViewName::Bottom, {0, -1, 0}, {0, 0, 1}},
    };
    const Axis* axis = std::find_if(std::begin(axes), std::end(axes),
                                    [name](const Axis& a) { return a.name == name; });
    TESSEL_CHECK(axis != std::end(axes), "ViewportSet::lookAlong",
                 "view " << static_cast<int>(name) << " is no axis view");
    // The camera keeps its distance to what it looks at.
    const float distance = (view.camera->localMatrix.translationPart() - centre).length();
    lookFrom(*view.camera, centre, axis->direction, axis->up,
             std::max(distance, 4 * view.camera->zn));
    view.viewName = name;
}

} // namespace tessel
