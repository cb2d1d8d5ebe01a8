#include "editor/scene_outline.h"

#include "support/fake_viewport.h"
#include "support/step_history.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

namespace tessel::testing {

// In every layer the viewports would draw, each face's corners name three different points,
// and the index lists hold each face and each point once.
bool framesAreSound(FakeEditor& editor) {
    for (FakeViewport& view : editor.views) {
        for (const DrawItem& item : editor.controller.frameData.prepare(view, editor.controller)) {
            const Layer& layer = *item.layer;
            for (const Triangle& t : layer.triangles) {
                if (std::max({t[0], t[1], t[2]}) >= layer.positions.size() || t[0] == t[1] ||
                    t[1] == t[2] || t[2] == t[0]) {
                    return false;
                }
            }
            const IndexData& faces = item.data->triangles;
            const IndexData& points = item.data->points;
            if (faces.ordinary.size() + faces.selected.size() != 3 * layer.triangles.size() ||
                points.ordinary.size() + points.selected.size() != layer.positions.size()) {
                return false;
            }
        }
    }
    return true;
}

// Sessions from fixed seeds, driven as the window drives the editor: gestures anywhere (tool,
// adding and removing selections, navigation, releases without a press), keys, commands, picks
// (also of tags no picker offers), Apply, stale selections, the scene panel's actions, undo and
// redo (also in the middle of a gesture).
TEST(EventFuzzTest, NoSessionBreaksALayerOrDrawsAnIdThatNamesNoPoint) {
    for (unsigned seed = 1; seed <= 100; ++seed) {
        FakeEditor editor;
        SceneOutline outline(editor.window);
        StepHistory history(editor.window);
        Editor& c = editor.controller;
        std::mt19937 random(seed);
        const auto pick = [&](int n) {
            return std::uniform_int_distribution<int>(0, n - 1)(random);
        };
        const auto coordinate = [&] {
            return std::uniform_real_distribution<float>(pick(5) ? 0 : -3, pick(5) ? 1 : 4)(random);
        };
        FakeViewport* held = nullptr;
        for (int event = 0; event < 300; ++event) {
            FakeViewport& view = held ? *held : editor.views[pick(4)];
            const int kind = pick(21);
            if (kind == 19) {
                if (history.canUndo()) {
                    history.undo();
                }
            } else if (kind == 20) {
                if (history.canRedo()) {
                    history.redo();
                }
            } else if (kind >= 16) {
                // Navigation and commands may come in the middle of a held gesture.
                if (kind == 16) {
                    c.beginNavigation(view);
                    c.orbit(view, {coordinate() - 0.5f, coordinate() - 0.5f});
                    c.pan(view, {coordinate(), coordinate()}, {coordinate(), coordinate()});
                } else if (kind == 17) {
                    c.zoom(view, {coordinate(), coordinate()}, static_cast<float>(pick(9) - 4));
                } else {
                    c.perform(static_cast<Command>(pick(kCommandCount)), view);
                }
            } else if (held && kind >= 12) {
                view.dragTo(view.pointerPosition.x + coordinate() - 0.5f,
                            view.pointerPosition.y + coordinate() - 0.5f);
            } else if (held && kind < 3) {
                view.release();
                held = nullptr;
            } else if (kind < 3 || kind >= 12) {
                view.press(coordinate(), coordinate(),
                           static_cast<Editor::SelectionChange>(pick(3)));
                held = &view;
            } else if (kind == 11 && pick(4) == 0) {
                view.release();
                held = nullptr;
            } else if (kind == 3) {
                c.modeSelected(pick(3));
            } else if (kind == 4) {
                c.toolSelected(pick(9) - 2);
            } else if (kind == 5 &&
                       (!c.selectedMesh() ||
                        c.selectedMesh()->model()->committed()->triangles.size() < 2000)) {
                c.apply();
            } else if (kind == 6) {
                const NodePtr root = editor.window.scene()->root();
                const std::vector<NodePtr> nodes =
                    root ? root->flat({nullptr}) : Node::Children{nullptr};
                editor.window.setSelectedNode(nodes[pick(static_cast<int>(nodes.size()))]);
            } else if (kind == 7) {
                c.selectedPointsIds() = {pick(40) - 5, pick(40), INT64_MAX};
                c.selectedFacesIds() = {static_cast<std::uint32_t>(pick(80)), UINT32_MAX};
            } else if (kind == 8) {
                outline.addNode(pick(2) ? "Quad" : "Cube");
            } else if (kind == 9) {
                outline.removeNode();
            } else if (kind == 10) {
                outline.gridSizePanel.setRows(pick(14) - 2);
            } else {
                view.key(std::string(1, "adswqezxcvA "[pick(12)]));
            }
            ASSERT_TRUE(framesAreSound(editor)) << "seed " << seed << ", event " << event;
        }
    }
}

} // namespace tessel::testing
