#pragma once

// Random user sessions for fuzzing the editor: a seeded script of abstract actions that a driver
// acts out, on a headless editor or on the real window, and the check both run afterwards.
#include "editor/editor.h"
#include "mesh/crease.h"
#include "support/layer_checks.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <optional>
#include <random>
#include <string>
#include <utility>

namespace tessel::testing {

// The number in the environment variable `name`, or `fallback` when it is not set.
inline long setting(const char* name, long fallback) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0' ? std::strtol(value, nullptr, 10) : fallback;
}

// One thing a user does. Positions are normalized over the viewport (0 to 1 across, (0, 0)
// bottom-left) and may lie outside it. Where `amount` picks among choices, a driver takes it
// modulo the choices it has.
struct UserAction {
    enum class Kind {
        Press,          // button 0 left, 1 right, 2 middle, with `modifiers` (ModifierKey bits)
        Drag,           // the pointer moves to (x, y), the button held
        Release,        // the button comes up, also when none is held
        Wheel,          // `amount` notches at (x, y)
        Key,            // kBindings[amount]; when negative, a key bound to nothing
        Menu,           // a menu entry: the command `amount`
        Mode,           // the mode picker chooses tag `amount`
        Tool,           // the tool picker chooses tag `amount`, also one no picker offers
        Apply,          //
        Undo,           //
        Redo,           //
        RenderOption,   // the rendering option `amount` (points, lines, filled) is toggled
        SelectRow,      // the outline's row `amount` (or none) is clicked
        AddMesh,        //
        RemoveMesh,     //
        Rows,           // `amount` typed into the rows field, and into a primitive's setting
        Opacity,        // the opacity slider moved to `amount` of 100
        StaleSelection, // ids that name no point or face are selected beside real ones
        Display,        // `amount` % 3 toggles the smooth shading box, Face Orientation, Normals
    };
    Kind kind = Kind::Press;
    int view = 0;
    float x = 0;
    float y = 0;
    int button = 0;
    unsigned modifiers = NoModifier;
    int amount = 0;
};

// The actions of one session. A press is mostly followed by drags and a release in the same
// viewport, with keys, wheel turns, menus and undo coming in between.
class EventScript {
public:
    explicit EventScript(unsigned seed) : random_(seed) {}

    UserAction next() {
        using Kind = UserAction::Kind;
        UserAction a;
        a.view = held_ ? heldView_ : pick(4);
        a.x = coordinate();
        a.y = coordinate();
        // A mode chosen is mostly followed by a tool of it.
        if (std::exchange(toolPending_, false) && !held_ && pick(4)) {
            a.kind = Kind::Tool;
            a.amount = pick(9) - 2;
            return a;
        }
        const int roll = pick(24);
        // With a button held: drags, the release, or keys, wheel turns, undo and menus between.
        const int other = held_ && roll >= 16 ? 10 + pick(8) : roll;
        if (held_ && roll < 16) {
            a.kind = roll < 12 ? Kind::Drag : Kind::Release;
            a.x = x_ = x_ + (coordinate() - 0.5f) / 2;
            a.y = y_ = y_ + (coordinate() - 0.5f) / 2;
            held_ = roll < 12;
        } else if (other < 10) {
            a.kind = Kind::Press;
            held_ = true;
            heldView_ = a.view;
            x_ = a.x;
            y_ = a.y;
            a.button = std::max(0, pick(4) - 1);
            a.modifiers = pick(2) ? NoModifier : kModifierSets[pick(5)];
        } else if (other < 14) {
            a.kind = Kind::Key;
            a.amount = pick(5) ? keyBinding() : -1 - pick(12);
        } else if (other == 14) {
            a.kind = pick(4) ? Kind::Wheel : Kind::Release;
            a.amount = pick(9) - 4;
        } else if (other < 17) {
            a.kind = other == 15 ? Kind::Undo : Kind::Redo;
        } else if (held_) {
            a.kind = Kind::Menu;
            a.amount = pick(kCommandCount);
        } else {
            constexpr Kind others[] = {
                Kind::Menu,    Kind::Mode,           Kind::Tool,         Kind::Apply,
                Kind::Mode,    Kind::Tool,           Kind::Apply,        Kind::Mode,
                Kind::Tool,    Kind::Apply,          Kind::RenderOption, Kind::SelectRow,
                Kind::AddMesh, Kind::Rows,           Kind::RemoveMesh,   Kind::SelectRow,
                Kind::Opacity, Kind::StaleSelection, Kind::Menu,         Kind::Display};
            a.kind = others[pick(std::size(others))];
            toolPending_ = a.kind == Kind::Mode;
            a.amount = a.kind == Kind::Mode   ? pick(4)
                       : a.kind == Kind::Tool ? pick(14) - 2
                       : a.kind == Kind::Rows ? pick(14) - 2
                                              : pick(101);
        }
        return a;
    }

private:
    static constexpr unsigned kModifierSets[] = {Shift, Ctrl, Alt, Ctrl | Shift, Shift | Alt};

    int pick(size_t n) {
        return std::uniform_int_distribution<int>(0, static_cast<int>(n) - 1)(random_);
    }
    // Mostly inside the viewport; now and then far outside it.
    float coordinate() {
        return std::uniform_real_distribution<float>(pick(5) ? 0 : -3, pick(5) ? 1 : 4)(random_);
    }
    int keyBinding() {
        for (;;) {
            const int row = pick(std::size(kBindings));
            if (kBindings[row].trigger == Trigger::Key) {
                return row;
            }
        }
    }

    std::mt19937 random_;
    bool held_ = false;
    bool toolPending_ = false;
    int heldView_ = 0;
    float x_ = 0;
    float y_ = 0;
};

// The first fault of what the viewports draw now or of a mesh's committed points and faces: a
// face whose corners are not three different points of its layer, or draw lists that do not
// hold every triangle of the faces and every point once, or edges outside the layer, or creases
// out of order or naming points it does not have.
inline std::optional<std::string> sceneFault(Editor& editor,
                                             const std::array<Viewport*, 4>& views) {
    for (const MeshPtr& mesh : editor.meshes()) {
        const Layer& committed = *mesh->model()->committed();
        if (hasBrokenFace(committed)) {
            return mesh->name() + ": a committed face is broken";
        }
        if (validCreases(committed.creases, committed.positions.size()) != committed.creases) {
            return mesh->name() + ": a crease names no pair of its points";
        }
    }
    for (Viewport* view : views) {
        for (const DrawItem& item : editor.prepareFrame(*view)) {
            const Layer& layer = *item.layer;
            const LayerDrawData& data = *item.data;
            const auto past = [&](auto i) { return i >= layer.positions.size(); };
            const auto covered = [](const IndexRanges& a, const IndexRanges& b) {
                size_t n = 0;
                for (const IndexRanges* list : {&a, &b}) {
                    for (const IndexRange& r : *list) {
                        n += r.count;
                    }
                }
                return n;
            };
            if (hasBrokenFace(layer) || data.triangles.size() != 3 * layer.faces.triangleCount() ||
                covered(data.ordinaryTriangles, data.selectedTriangles) != data.triangles.size() ||
                covered(data.ordinaryPoints, data.selectedPoints) != layer.positions.size() ||
                data.edges.size() % 2 != 0 || data.selectedEdges.size() % 2 != 0 ||
                std::ranges::any_of(data.triangles, past) ||
                std::ranges::any_of(data.edges, past) ||
                std::ranges::any_of(data.selectedEdges, past)) {
                return "a drawn layer of " + std::to_string(layer.faces.size()) +
                       " faces or its draw lists are broken";
            }
        }
    }
    editor.frameData.invalidate();
    return std::nullopt;
}

} // namespace tessel::testing
