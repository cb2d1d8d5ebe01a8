#include "scene/viewport.h"

namespace tessel {

std::string viewLabel(const Viewport& view) {
    switch (view.viewName) {
    case ViewName::Perspective:
        return view.camera ? view.camera->name() + " \u00b7 Perspective" : "Perspective";
    case ViewName::User: return "User";
    case ViewName::Front: return "Front";
    case ViewName::Back: return "Back";
    case ViewName::Left: return "Left";
    case ViewName::Right: return "Right";
    case ViewName::Top: return "Top";
    case ViewName::Bottom: return "Bottom";
    }
    return {};
}

} // namespace tessel
