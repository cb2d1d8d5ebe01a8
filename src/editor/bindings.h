#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tessel {

// What a key, a button or a menu entry does in the editing area.
enum class Command {
    ToolGesture,
    AddToSelection,
    RemoveFromSelection,
    Orbit,
    Pan,
    Zoom,
    CameraKey,
    ViewFront,
    ViewBack,
    ViewLeft,
    ViewRight,
    ViewTop,
    ViewBottom,
    FrameSelected,
    FrameAll,
    ResetCameras,
    SelectAll,
    SelectNone,
    InvertSelection,
    CancelGesture,
    DeleteFaces,
    SelectLoop,
    SelectRing,
    StartMove,
    StartRotate,
    StartScale,
    ConfirmTransform,
    Duplicate,
    DeletePoints,
    DeleteEdges,
    DeleteOnlyFaces,
    Fill,
    BridgeLoops,
    StartLoopCut,
    StartBevel,
    StartPointBevel,
    StartEdgeCrease,
};
inline constexpr int kCommandCount = static_cast<int>(Command::StartEdgeCrease) + 1;

// How a binding is triggered: a button held and dragged (or clicked), the wheel, a key, or only
// a menu entry.
enum class Trigger { LeftDrag, RightDrag, MiddleDrag, Wheel, Key, Menu };

// Modifier keys held with a trigger, as bits.
enum ModifierKey : unsigned { NoModifier = 0, Shift = 1, Ctrl = 2, Alt = 4 };

// One row of the bindings table: a trigger with its modifiers (and, for keys, the key: a lower
// case letter, a digit, "Home", "Escape", "Return", "Delete" or "Backspace"), the command, and what
// the user reads of it in Help.
struct Binding {
    Trigger trigger;
    unsigned modifiers;
    std::string_view key;
    Command command;
    std::string_view description;
};

// Every binding of the editing area. The viewports dispatch through it and Help lists it.
// clang-format off
inline constexpr Binding kBindings[] = {
    {Trigger::LeftDrag, NoModifier, "", Command::ToolGesture, "Use the current tool (the status bar says how)"},
    {Trigger::LeftDrag, Shift, "", Command::AddToSelection, "Add to the selection: Vertex mode, the points clicked or in the rectangle; Polygon Move, Scale, Extrude, Delete, the face clicked"},
    {Trigger::LeftDrag, Ctrl, "", Command::RemoveFromSelection, "Remove from the selection (Vertex mode): the points clicked or in the rectangle"},
    {Trigger::RightDrag, NoModifier, "", Command::Orbit, "Orbit around the selected mesh (or the scene)"},
    {Trigger::LeftDrag, Alt, "", Command::Orbit, "Orbit around the selected mesh (or the scene)"},
    {Trigger::MiddleDrag, NoModifier, "", Command::Pan, "Pan: what is under the pointer follows it"},
    {Trigger::RightDrag, Shift, "", Command::Pan, "Pan: what is under the pointer follows it"},
    {Trigger::Wheel, NoModifier, "", Command::Zoom, "Zoom toward the pointer"},
    {Trigger::Key, NoModifier, "a", Command::CameraKey, "Move the camera left"},
    {Trigger::Key, NoModifier, "d", Command::CameraKey, "Move the camera right"},
    {Trigger::Key, NoModifier, "s", Command::CameraKey, "Move the camera down"},
    {Trigger::Key, NoModifier, "w", Command::CameraKey, "Move the camera up"},
    {Trigger::Key, NoModifier, "q", Command::CameraKey, "Move the camera back along the view"},
    {Trigger::Key, NoModifier, "e", Command::CameraKey, "Move the camera forward along the view"},
    {Trigger::Key, NoModifier, "z", Command::CameraKey, "Tilt the camera down"},
    {Trigger::Key, NoModifier, "x", Command::CameraKey, "Tilt the camera up"},
    {Trigger::Key, NoModifier, "c", Command::CameraKey, "Turn the camera left"},
    {Trigger::Key, NoModifier, "v", Command::CameraKey, "Turn the camera right"},
    {Trigger::Key, NoModifier, "1", Command::ViewFront, "View from the front"},
    {Trigger::Key, Ctrl, "1", Command::ViewBack, "View from the back"},
    {Trigger::Key, NoModifier, "3", Command::ViewRight, "View from the right"},
    {Trigger::Key, Ctrl, "3", Command::ViewLeft, "View from the left"},
    {Trigger::Key, NoModifier, "7", Command::ViewTop, "View from the top"},
    {Trigger::Key, Ctrl, "7", Command::ViewBottom, "View from the bottom"},
    {Trigger::Key, NoModifier, "f", Command::Fill, "Edge mode: fill each selected closed border with a face; Vertex mode: join the two selected points across their face; other modes: frame the selected mesh"},
    {Trigger::Menu, NoModifier, "", Command::FrameSelected, "Frame Selected (View menu): frame the selected mesh"},
    {Trigger::Key, NoModifier, "Home", Command::FrameAll, "Frame every mesh"},
    {Trigger::Menu, NoModifier, "", Command::ResetCameras, "Reset cameras (View menu): the four starting cameras"},
    {Trigger::Key, Ctrl, "a", Command::SelectAll, "Select all points (Vertex mode) or faces (Polygon mode)"},
    {Trigger::Key, Ctrl | Shift, "a", Command::SelectNone, "Select none"},
    {Trigger::Key, Ctrl, "i", Command::InvertSelection, "Invert the selection"},
    {Trigger::Key, NoModifier, "Escape", Command::CancelGesture, "Cancel the press, drag or transform in progress: nothing is changed"},
    {Trigger::Key, NoModifier, "Delete", Command::DeleteFaces, "Delete what is selected: points, edges or faces, by the mode"},
    {Trigger::Key, NoModifier, "Backspace", Command::DeleteFaces, "Delete what is selected: points, edges or faces, by the mode"},
    {Trigger::LeftDrag, Ctrl | Alt, "", Command::SelectRing, "Edge mode: select the ring of edges across the four-cornered faces of the edge clicked"},
    {Trigger::Menu, NoModifier, "", Command::SelectLoop, "Edge mode, Alt + left click: select the loop of the edge clicked (Shift+Alt adds it)"},
    {Trigger::Key, Shift, "g", Command::StartMove, "Move the selection from the pointer; x, y, z (X, Y, Z) hold to an axis (a plane), digits type the amount, Ctrl snaps"},
    {Trigger::Key, Shift, "r", Command::StartRotate, "Rotate the selection about its centre from the pointer; keys as for Move"},
    {Trigger::Key, Shift, "s", Command::StartScale, "Scale the selection about its centre from the pointer; keys as for Move"},
    {Trigger::Key, NoModifier, "Return", Command::ConfirmTransform, "Confirm the transform (a left click does too; Escape or a right click cancels it)"},
    {Trigger::Key, Ctrl, "r", Command::StartLoopCut, "Edge and Polygon mode: loop cut across the four-cornered faces of the edge under the pointer; the wheel or digits set the cuts, a drag slides them, a click cuts"},
    {Trigger::Key, Ctrl, "b", Command::StartBevel, "Edge mode: bevel the selected edges; Vertex mode: the selected points. The width follows the pointer away from the selection (or type it), the wheel sets the segments (or s, then digits), a click or Return bevels"},
    {Trigger::Key, Ctrl | Shift, "b", Command::StartPointBevel, "Bevel points: cut off the selected points (in Edge mode, the points of the selected edges); controls as for Bevel"},
    {Trigger::Key, Shift, "e", Command::StartEdgeCrease, "Edge mode: crease the selected edges for the subdivision surface; the pointer toward their centre sharpens, digits type the weight (0 to 1), a click or Return sets it"},
    {Trigger::Key, Shift, "d", Command::Duplicate, "Duplicate the selected faces (or those the selection spans), then move the copy"},
    {Trigger::Menu, NoModifier, "", Command::DeletePoints, "Delete Points (Edit menu): the selected points and the faces that use them"},
    {Trigger::Menu, NoModifier, "", Command::DeleteEdges, "Delete Edges (Edit menu): the faces along the selected edges"},
    {Trigger::Menu, NoModifier, "", Command::DeleteOnlyFaces, "Delete Only Faces (Edit menu): the selected faces, keeping every point"},
    {Trigger::Menu, NoModifier, "", Command::BridgeLoops, "Bridge Edge Loops (Edit menu, Edge mode): join two selected closed borders with a band of faces"},
};
// clang-format on

// The binding of `trigger` with exactly `modifiers` (and `key`, for keys), if any.
const Binding* findBinding(Trigger trigger, unsigned modifiers, std::string_view key = {});
// The first key binding of `command`, if any: what its menu entry shows as its shortcut.
const Binding* keyBindingOf(Command command);
// The name a menu gives a command that takes no pointer ("Front", "Frame All"); empty for the
// gestures and the camera keys.
std::string_view commandName(Command command);
// How Help names a binding's trigger: "Ctrl+Shift+A", "Shift + left click or drag", "Wheel".
std::string triggerText(const Binding& binding);

} // namespace tessel
