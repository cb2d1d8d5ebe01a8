// The editor's navigation gestures, view commands, selection commands and status lines.

#include "editor/editor.h"

#include "tools/tool_table.h"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <sstream>
#include <type_traits>
#include <utility>

namespace tessel {

namespace {

Vec2 device(Vec2 normalized) { return {2 * normalized.x - 1, 2 * normalized.y - 1}; }

// Counts with their noun, singular for one: "1 point", "25 points".
std::string counted(size_t n, const char* noun) {
    std::ostringstream out;
    out << n << ' ' << noun << (n == 1 ? "" : "s");
    return out.str();
}

// An id that names one of `count` elements; selections may hold ids an edit left behind.
template <class Id> bool names(Id id, size_t count) {
    return std::cmp_greater_equal(id, 0) && std::cmp_less(id, count);
}

} // namespace

std::optional<Box> Editor::bounds(bool selectedOnly) const {
    std::vector<MeshPtr> shown;
    if (const MeshPtr mesh = selectedMesh(); mesh && selectedOnly) {
        shown.push_back(mesh);
    } else {
        shown = meshes();
    }
    std::optional<Box> all;
    for (const MeshPtr& mesh : shown) {
        const std::optional<Box> box =
            boundsOf(mesh->model()->shownLayer()->positions, mesh->matrix());
        if (!box) {
            continue;
        }
        if (!all) {
            all = box;
        } else {
            all->add(box->min);
            all->add(box->max);
        }
    }
    return all;
}

Vector3 Editor::pivot() const {
    const std::optional<Box> box = bounds(true);
    return box ? box->centre() : Vector3{0, 0, 0};
}

void Editor::beginNavigation(Viewport& view) {
    makeRecent(view);
    navigationPivot_ = pivot();
}

void Editor::orbit(Viewport& view, Vec2 delta) {
    constexpr float kHalfTurnPerUnit = 1.5707964f;
    tessel::orbit(*view.camera, navigationPivot_, delta.x * kHalfTurnPerUnit,
                  delta.y * kHalfTurnPerUnit);
    needsDisplay.emit();
}

void Editor::pan(Viewport& view, Vec2 from, Vec2 to) {
    const Vec2 a = device(from);
    const Vec2 b = device(to);
    tessel::pan(*view.camera, view.aspectRatio, navigationPivot_, a.x, a.y, b.x, b.y);
    needsDisplay.emit();
}

void Editor::zoom(Viewport& view, Vec2 at, float steps) {
    // A wheel turn is no click: the recent view stays, also for a tool dragging in another one.
    const Vec2 p = device(at);
    tessel::zoom(*view.camera, view.aspectRatio, pivot(), p.x, p.y, std::pow(0.85f, steps));
    needsDisplay.emit();
}

void Editor::lookAlong(Viewport& view, const Vector3& direction, const Vector3& up) {
    const Vector3 centre = pivot();
    // The camera keeps its distance to what it looks at.
    const float distance = (view.camera->localMatrix.translationPart() - centre).length();
    lookFrom(*view.camera, centre, direction, up, std::max(distance, 4 * view.camera->zn));
}

void Editor::resetCameras() {
    for (size_t i = 0; i < cameras_.size(); ++i) {
        // The first camera sits close to the grid, the others further back.
        cameras_[i]->localMatrix = Matrix::translation({0, 0, i == 0 ? 0.5f : 2.5f});
    }
}

void Editor::perform(Command command, Viewport& view) {
    switch (command) {
    case Command::ViewFront: lookAlong(view, {0, 0, 1}, {0, 1, 0}); break;
    case Command::ViewBack: lookAlong(view, {0, 0, -1}, {0, 1, 0}); break;
    case Command::ViewLeft: lookAlong(view, {-1, 0, 0}, {0, 1, 0}); break;
    case Command::ViewRight: lookAlong(view, {1, 0, 0}, {0, 1, 0}); break;
    case Command::ViewTop: lookAlong(view, {0, 1, 0}, {0, 0, -1}); break;
    case Command::ViewBottom: lookAlong(view, {0, -1, 0}, {0, 0, 1}); break;
    case Command::FrameSelected:
    case Command::FrameAll:
        if (const std::optional<Box> box = bounds(command == Command::FrameSelected)) {
            frame(*view.camera, view.aspectRatio, *box);
        }
        break;
    case Command::ResetCameras: resetCameras(); break;
    case Command::SelectAll: selectAll(); break;
    case Command::SelectNone:
        selectedPointsIds_.clear();
        selectedFacesIds_.clear();
        break;
    case Command::InvertSelection: invertSelection(); break;
    case Command::CancelGesture: cancelGesture(); break;
    case Command::DeleteFaces: deleteSelectedFaces(); break;
    case Command::ToolGesture:
    case Command::AddToSelection:
    case Command::RemoveFromSelection:
    case Command::Orbit:
    case Command::Pan:
    case Command::Zoom:
    case Command::CameraKey: return;
    }
    needsDisplay.emit();
}

void Editor::selectAll() {
    const MeshPtr mesh = selectedMesh();
    if (!mesh) {
        return;
    }
    const Layer& layer = *mesh->model()->shownLayer();
    if (mode_ == Mode::Vertex) {
        selectedPointsIds_.resize(layer.positions.size());
        std::iota(selectedPointsIds_.begin(), selectedPointsIds_.end(), std::int64_t{0});
    } else if (mode_ == Mode::Polygon) {
        selectedFacesIds_.resize(layer.faces.size());
        std::iota(selectedFacesIds_.begin(), selectedFacesIds_.end(), std::uint32_t{0});
    }
}

void Editor::invertSelection() {
    const MeshPtr mesh = selectedMesh();
    if (!mesh) {
        return;
    }
    const Layer& layer = *mesh->model()->shownLayer();
    // Ids out of range (left by an edit) select nothing and are dropped.
    const auto invert = [](auto& ids, size_t count) {
        std::vector<std::uint8_t> selected(count, 0);
        for (const auto id : ids) {
            if (names(id, count)) {
                selected[static_cast<size_t>(id)] = 1;
            }
        }
        ids.clear();
        for (size_t i = 0; i < count; ++i) {
            if (!selected[i]) {
                ids.push_back(static_cast<std::remove_reference_t<decltype(ids.front())>>(i));
            }
        }
    };
    if (mode_ == Mode::Vertex) {
        invert(selectedPointsIds_, layer.positions.size());
    } else if (mode_ == Mode::Polygon) {
        invert(selectedFacesIds_, layer.faces.size());
    }
}

std::string Editor::meshStatus() const {
    const MeshPtr mesh = selectedMesh();
    if (!mesh) {
        return "No mesh selected";
    }
    const Layer& layer = *mesh->model()->shownLayer();
    std::string status = mesh->name() + ": " + counted(layer.positions.size(), "point") + ", " +
                         counted(layer.faces.size(), "face");
    if (const size_t drawn = layer.faces.triangleCount(); drawn != layer.faces.size()) {
        status += " (" + counted(drawn, "triangle") + ")";
    }
    return status;
}

std::string Editor::selectionStatus() const {
    const MeshPtr mesh = selectedMesh();
    if (!mesh || mode_ == Mode::Mesh) {
        return {};
    }
    const Layer& layer = *mesh->model()->shownLayer();
    const auto valid = [](const auto& ids, size_t count) {
        return static_cast<size_t>(
            std::count_if(ids.begin(), ids.end(), [count](auto id) { return names(id, count); }));
    };
    std::ostringstream out;
    if (mode_ == Mode::Vertex) {
        out << valid(selectedPointsIds_, layer.positions.size()) << " of "
            << counted(layer.positions.size(), "point") << " selected";
    } else {
        out << valid(selectedFacesIds_, layer.faces.size()) << " of "
            << counted(layer.faces.size(), "face") << " selected";
    }
    return out.str();
}

std::string_view Editor::toolHint() const {
    return kModes[static_cast<size_t>(mode_)].tools[static_cast<size_t>(toolTag_)].hint;
}

} // namespace tessel
