#include "editor/scene_outline.h"

#include "support/event_script.h"
#include "support/fake_viewport.h"

#include "tools/tool_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace tessel::testing {

namespace {

// Acts a script out on the editor as the window's widgets would: pointer gestures through the
// bindings table, keys, menus, pickers, the scene panel and undo. It goes further than the
// window can: a release reaches the editor even with no button held.
class HeadlessSession {
public:
    // With `polygons`, the cube's mesh is made of four-cornered faces and a concave hexagon; with
    // `quadGrid` the grid's mesh is of four-cornered faces too, rings across which Ctrl+R cuts.
    HeadlessSession(bool polygons, bool quadGrid) {
        if (quadGrid) {
            editor_.quad()->setModel(Model::make(QuadGenerator(4, 4).generateQuadLayer()));
        }
        if (polygons) {
            const std::vector<Vector3> points{{0, 0, 0}, {1, 0, 0},    {2, 0, 0}, {3, 0, 0},
                                              {0, 1, 0}, {1, 1, 0},    {2, 1, 0}, {3, 1, 0},
                                              {0, 2, 0}, {1, 1.5f, 0}, {2, 2, 0}, {3, 2, 0}};
            editor_.cube()->setModel(
                Model::make(makeLayer(points, FaceList::polygons({{0, 1, 5, 4},
                                                                  {1, 2, 6, 5},
                                                                  {2, 3, 7, 6},
                                                                  {4, 5, 6, 10, 9, 8},
                                                                  {6, 7, 11, 10}}))));
        }
    }

    void act(const UserAction& a) {
        using Kind = UserAction::Kind;
        Editor& c = editor_.controller;
        FakeViewport& view = editor_.views[static_cast<size_t>(a.view)];
        switch (a.kind) {
        case Kind::Press: press(view, a); break;
        case Kind::Drag:
            if (gesture_ == Command::Orbit) {
                c.orbit(view, {2 * (a.x - last_.x), 2 * (a.y - last_.y)});
            } else if (gesture_ == Command::Pan) {
                c.pan(view, last_, {a.x, a.y});
            } else if (gesture_) {
                view.dragTo(a.x, a.y);
            } else if (const MeshPtr mesh = c.selectedMesh(); mesh && c.isLoopCutting()) {
                // A running loop cut (Ctrl+R) is moved onto the middle of an edge, to show a ring.
                const LayerPtr layer = mesh->model()->committed();
                const auto f = static_cast<size_t>(std::abs(a.x) * 997) %
                               std::max<size_t>(layer->faces.size(), 1);
                const Vector3 p = layer->faces.empty()
                                      ? Vector3{}
                                      : project((layer->positions[layer->faces[f][0]] +
                                                 layer->positions[layer->faces[f][1]]) *
                                                    0.5f,
                                                view);
                c.hover(view, {(p.x + 1) / 2, (p.y + 1) / 2});
            } else {
                c.hover(view, {a.x, a.y});
            }
            last_ = {a.x, a.y};
            break;
        case Kind::Release:
            if (gesture_ != Command::Orbit && gesture_ != Command::Pan) {
                view.release();
            }
            gesture_.reset();
            break;
        case Kind::Wheel:
            // A running loop cut (Ctrl+R) takes the wheel for its number of cuts.
            if (c.isLoopCutting()) {
                c.loopCutWheel(a.amount);
            } else if (c.isBevelling()) {
                c.bevelWheel(a.amount);
            } else {
                c.zoom(view, {a.x, a.y}, static_cast<float>(a.amount));
            }
            break;
        case Kind::Key:
            if (a.amount < 0) {
                // Unbound keys, and what a running transform takes: axes, planes, an amount.
                const char key = "A -QXYZ15.y\b"[-1 - a.amount];
                if (!c.transformKey(key)) {
                    view.key(std::string(1, key));
                }
            } else if (const Binding& b = kBindings[a.amount]; b.command == Command::CameraKey) {
                view.key(std::string(b.key));
            } else {
                selectForBorderCommand(b.command, a);
                c.perform(b.command, view);
            }
            break;
        case Kind::Menu:
            selectForBorderCommand(static_cast<Command>(a.amount % kCommandCount), a);
            c.perform(static_cast<Command>(a.amount % kCommandCount), view);
            break;
        case Kind::Mode: c.modeSelected(a.amount); break;
        case Kind::Tool: c.toolSelected(a.amount); break;
        case Kind::Apply:
            // Every other time, a value of the tool's panel first, somewhere within its bounds.
            if (const std::vector<ToolSetting> settings = c.toolSettings();
                !settings.empty() && a.amount % 2 == 1) {
                const ToolSetting& s = settings[static_cast<size_t>(a.amount) % settings.size()];
                c.setToolSetting(static_cast<size_t>(a.amount) % settings.size(),
                                 s.minimum + (s.maximum - s.minimum) * (a.amount % 11) / 10.0);
            }
            // Mesh "Subdivide" triples the mesh on every Apply, "Mirror" doubles it.
            if (!c.selectedMesh() || c.selectedMesh()->model()->committed()->faces.size() < 2000) {
                c.apply();
            }
            break;
        case Kind::Undo:
            if (editor_.history.canUndo()) {
                editor_.history.undo();
            }
            break;
        case Kind::Redo:
            if (editor_.history.canRedo()) {
                editor_.history.redo();
            }
            break;
        case Kind::RenderOption: {
            const int segment = a.amount % 3;
            c.renderingOptionsControlClicked(segment, !c.renderingOptionsControl()[segment]);
            break;
        }
        case Kind::SelectRow: {
            const NodePtr root = editor_.window.scene()->root();
            const Node::Children rows = root ? root->flat({nullptr}) : Node::Children{nullptr};
            editor_.window.setSelectedNode(rows[static_cast<size_t>(a.amount) % rows.size()]);
            break;
        }
        case Kind::AddMesh: {
            const std::vector<std::string>& items = outline_.addNodeMenuItems;
            outline_.addNode(items[static_cast<size_t>(a.amount) % items.size()]);
            break;
        }
        case Kind::RemoveMesh: outline_.removeNode(); break;
        case Kind::Rows:
            outline_.gridSizePanel.setRows(a.amount);
            outline_.primitivePanel.setValue(static_cast<size_t>(a.amount + 2) % 4, a.amount);
            break;
        case Kind::Opacity: outline_.materialPanel.slideAlpha(a.amount); break;
        case Kind::StaleSelection:
            c.selectedPointsIds() = {a.amount % 40 - 5, a.amount, INT64_MAX};
            c.selectedFacesIds() = {static_cast<std::uint32_t>(a.amount), UINT32_MAX};
            break;
        case Kind::Display: {
            ViewOptions options = c.viewOptions();
            if (a.amount % 3 == 0) {
                MaterialPanel& material = outline_.materialPanel;
                material.setSmoothShading(!material.smoothShading().value_or(true));
            }
            options.faceOrientation ^= a.amount % 3 == 1;
            options.normals ^= a.amount % 3 == 2;
            c.setViewOptions(options);
            break;
        }
        }
    }

    std::optional<std::string> fault() {
        FakeEditor& e = editor_;
        return sceneFault(e.controller, {&e.views[0], &e.views[1], &e.views[2], &e.views[3]});
    }

private:
    // Half the time Fill, Bridge and Edge Crease get a selection they can act on, which random
    // clicks seldom make: every border edge of the mesh (Edge mode; for Bridge, after a face is
    // deleted), or two corners of a face (Vertex mode). Bevel gets every few edges or points.
    void selectForBorderCommand(Command command, const UserAction& a) {
        Editor& c = editor_.controller;
        const MeshPtr mesh = c.selectedMesh();
        if (mesh && a.x >= 0.5f &&
            (command == Command::StartBevel || command == Command::StartPointBevel)) {
            const Layer& layer = *mesh->model()->committed();
            const EdgeTopology topology = edgeTopology(layer);
            const auto step = 1 + static_cast<std::uint32_t>(std::abs(a.y) * 7) % 5;
            c.selectedEdges().clear();
            c.selectedPointsIds().clear();
            for (std::uint32_t e = 0; e < topology.edges.size(); e += step) {
                c.selectedEdges().push_back(topology.edges[e]);
                c.selectedPointsIds().push_back(topology.edges[e].a);
            }
            return;
        }
        if ((command != Command::Fill && command != Command::BridgeLoops &&
             command != Command::StartEdgeCrease) ||
            !mesh || a.x < 0.5f) {
            return;
        }
        const auto pick = [&a](size_t count) {
            return static_cast<size_t>(std::abs(a.y) * 1000) % count;
        };
        if (command == Command::BridgeLoops && c.mode() == Editor::Mode::Edge &&
            !mesh->model()->committed()->faces.empty()) {
            // A face taken out first makes a second border where it was inside the surface.
            FakeViewport& view = editor_.views[0];
            c.modeSelected(2);
            c.selectedFacesIds() = {
                static_cast<std::uint32_t>(pick(mesh->model()->committed()->faces.size()))};
            c.perform(Command::DeleteOnlyFaces, view);
            c.modeSelected(1);
        }
        const Layer& layer = *mesh->model()->committed();
        if (c.mode() == Editor::Mode::Edge) {
            const EdgeTopology topology = edgeTopology(layer);
            c.selectedEdges().clear();
            for (std::uint32_t e = 0; e < topology.edges.size(); ++e) {
                if (topology.facesOf(e).size() == 1) {
                    c.selectedEdges().push_back(topology.edges[e]);
                }
            }
        } else if (c.mode() == Editor::Mode::Vertex && !layer.faces.empty()) {
            const FaceList::Face face = layer.faces[pick(layer.faces.size())];
            c.selectedPointsIds() = {face[0], face[face.size() / 2]};
        }
    }

    // What the window's viewport does with a press: the bindings name the gesture; the left
    // button with modifiers no binding names works the tool. One gesture at a time.
    void press(FakeViewport& view, const UserAction& a) {
        constexpr Trigger triggers[] = {Trigger::LeftDrag, Trigger::RightDrag, Trigger::MiddleDrag};
        const Binding* binding = findBinding(triggers[a.button], a.modifiers);
        if (gesture_ || (!binding && a.button != 0)) {
            return;
        }
        // A running loop cut: the right button drops it, the middle one does nothing.
        if (editor_.controller.isLoopCutting() && a.button != 0) {
            if (a.button == 1) {
                editor_.controller.cancelLoopCut();
            }
            return;
        }
        // A running bevel: the left button commits it, the right one drops it.
        if (editor_.controller.isBevelling()) {
            if (a.button == 0) {
                view.press(a.x, a.y);
            } else if (a.button == 1) {
                editor_.controller.cancelBevel();
            }
            return;
        }
        gesture_ = binding ? binding->command : Command::ToolGesture;
        last_ = {a.x, a.y};
        switch (*gesture_) {
        case Command::AddToSelection: view.press(a.x, a.y, FakeViewport::Change::Add); break;
        case Command::RemoveFromSelection:
            view.press(a.x, a.y, FakeViewport::Change::Remove);
            break;
        case Command::Orbit:
        case Command::Pan: editor_.controller.beginNavigation(view); break;
        default: view.press(a.x, a.y); break;
        }
    }

    FakeEditor editor_;
    SceneOutline outline_{editor_.window};
    std::optional<Command> gesture_;
    Vec2 last_;
};

} // namespace

// Sessions from fixed seeds, every other one with a mesh of polygons (every fourth a grid of them
// too); after every action all that the viewports would draw is well formed.
// TESSEL_EVENT_FUZZ_SEQUENCES, _LENGTH and _FIRST_SEED change the sessions run.
TEST(EventFuzzTest, NoSessionBreaksALayerOrDrawsAnIdThatNamesNoPoint) {
    const long sessions = setting("TESSEL_EVENT_FUZZ_SEQUENCES", 300);
    const long length = setting("TESSEL_EVENT_FUZZ_LENGTH", 300);
    const long first = setting("TESSEL_EVENT_FUZZ_FIRST_SEED", 1);
    for (long seed = first; seed < first + sessions; ++seed) {
        HeadlessSession session(seed % 2 == 0, seed % 4 == 0);
        EventScript script(static_cast<unsigned>(seed));
        for (long step = 0; step < length; ++step) {
            session.act(script.next());
            const std::optional<std::string> fault = session.fault();
            ASSERT_FALSE(fault) << *fault << " (seed " << seed << ", action " << step << ")";
        }
    }
}

} // namespace tessel::testing
