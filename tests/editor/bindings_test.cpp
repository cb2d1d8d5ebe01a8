#include "editor/bindings.h"

#include "support/fake_viewport.h"

#include <gtest/gtest.h>

#include <set>
#include <tuple>

namespace tessel::testing {

TEST(BindingsTest, EveryCommandHasABindingAndNoTriggerHasTwo) {
    std::set<Command> bound;
    std::set<std::tuple<Trigger, unsigned, std::string_view>> triggers;
    for (const Binding& binding : kBindings) {
        bound.insert(binding.command);
        if (const Binding* key = keyBindingOf(binding.command)) {
            EXPECT_EQ(key->trigger, Trigger::Key) << commandName(binding.command);
        }
        if (binding.trigger != Trigger::Menu) {
            EXPECT_TRUE(triggers.insert({binding.trigger, binding.modifiers, binding.key}).second)
                << triggerText(binding);
        }
    }
    EXPECT_EQ(bound.size(), static_cast<size_t>(kCommandCount));
    EXPECT_EQ(triggerText(*findBinding(Trigger::RightDrag, Shift)), "Shift + right drag");
    // Letters read in upper case with a modifier, as shortcuts do; alone they are typed.
    EXPECT_EQ(triggerText(*findBinding(Trigger::Key, Ctrl, "a")), "Ctrl+A");
    EXPECT_EQ(triggerText(*findBinding(Trigger::Key, NoModifier, "a")), "a");
}

// The camera keys are listed exactly: every key that moves the camera has a row, and no row
// names a key that does not.
TEST(BindingsTest, TheCameraKeyRowsAreTheKeysThatMoveTheCamera) {
    for (char key = ' '; key <= '~'; ++key) {
        FakeEditor editor;
        editor.views[0].key(std::string(1, key));
        const bool moved =
            editor.controller.cameras()[0]->localMatrix != Matrix::translation({0, 0, 0.5f});
        const Binding* binding = findBinding(Trigger::Key, NoModifier, std::string(1, key));
        EXPECT_EQ(moved, binding && binding->command == Command::CameraKey) << key;
    }
}

} // namespace tessel::testing
