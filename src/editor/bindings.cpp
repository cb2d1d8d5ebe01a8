#include "editor/bindings.h"

#include <cctype>

namespace tessel {

const Binding* findBinding(Trigger trigger, unsigned modifiers, std::string_view key) {
    for (const Binding& binding : kBindings) {
        if (binding.trigger == trigger && binding.modifiers == modifiers && binding.key == key) {
            return &binding;
        }
    }
    return nullptr;
}

const Binding* keyBindingOf(Command command) {
    for (const Binding& binding : kBindings) {
        if (binding.command == command && binding.trigger == Trigger::Key) {
            return &binding;
        }
    }
    return nullptr;
}

std::string_view commandName(Command command) {
    switch (command) {
    case Command::ViewFront: return "Front";
    case Command::ViewBack: return "Back";
    case Command::ViewLeft: return "Left";
    case Command::ViewRight: return "Right";
    case Command::ViewTop: return "Top";
    case Command::ViewBottom: return "Bottom";
    case Command::FrameSelected: return "Frame Selected";
    case Command::FrameAll: return "Frame All";
    case Command::ResetCameras: return "Reset Cameras";
    case Command::SelectAll: return "Select All";
    case Command::SelectNone: return "Select None";
    case Command::InvertSelection: return "Invert Selection";
    case Command::StartMove: return "Move";
    case Command::StartRotate: return "Rotate";
    case Command::StartScale: return "Scale";
    case Command::Duplicate: return "Duplicate";
    case Command::DeleteFaces: return "Delete";
    case Command::DeletePoints: return "Delete Points";
    case Command::DeleteEdges: return "Delete Edges";
    case Command::DeleteOnlyFaces: return "Delete Only Faces";
    case Command::Fill: return "Fill";
    case Command::BridgeLoops: return "Bridge Edge Loops";
    case Command::StartLoopCut: return "Loop Cut";
    case Command::StartBevel: return "Bevel";
    case Command::StartPointBevel: return "Bevel Points";
    case Command::StartEdgeCrease: return "Edge Crease";
    default: return {};
    }
}

std::string triggerText(const Binding& binding) {
    std::string text;
    const bool isKey = binding.trigger == Trigger::Key;
    // Keys read as shortcuts ("Ctrl+A"), buttons as gestures ("Shift + right drag").
    const char* join = isKey ? "+" : " + ";
    if (binding.modifiers & Ctrl) {
        text += std::string("Ctrl") + join;
    }
    if (binding.modifiers & Shift) {
        text += std::string("Shift") + join;
    }
    if (binding.modifiers & Alt) {
        text += std::string("Alt") + join;
    }
    const bool first = text.empty();
    if (first && binding.trigger == Trigger::LeftDrag) {
        text += "Plain ";
    }
    switch (binding.trigger) {
    case Trigger::LeftDrag:
        // Orbiting needs a drag; the tool and the selections take clicks too.
        text += binding.command == Command::Orbit ? "left drag" : "left click or drag";
        break;
    case Trigger::RightDrag: text += first ? "Right drag" : "right drag"; break;
    case Trigger::MiddleDrag: text += first ? "Middle drag" : "middle drag"; break;
    case Trigger::Wheel: text += first ? "Wheel" : "wheel"; break;
    case Trigger::Menu: text += "Menu"; break;
    case Trigger::Key: {
        std::string key(binding.key);
        // Letters with a modifier read in upper case, as shortcuts do; alone they are typed.
        if (key.size() == 1 && binding.modifiers != NoModifier) {
            key[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(key[0])));
        }
        text += key;
        break;
    }
    }
    return text;
}

} // namespace tessel
