#pragma once

#include <QString>

namespace tessel {

class MainWindow;

// Measures real frames of the window: replaces the selected mesh's model with a 224 × 224 grid
// (100,352 triangles), takes up `tool` ("extrude": Polygon "Extrude" on a face near the centre;
// "vertex-move": Vertex "Move" with 1,000 points selected), presses in the top-left viewport and
// drags there with mouse events for `seconds`. Each move event is sent as soon as the frame
// showing the previous one has been swapped to the screen.
//
// Prints the frames per second, the median and 95th percentile of the time from sending a move
// event to the swap of the frame that shows it, and how that time splits between the drag
// handler, the core's frame preparation (preview included), the time inside OpenGL calls (with
// Mesa's software rasterizer this holds its vertex work and any rasterization it does before the
// frame ends), and the rest (rasterization, composition of the window, swap). Then quits with 0,
// or 1 when `tool` is unknown, the press took nothing to drag, or no frame was shown.
void scheduleFrameProbe(MainWindow& window, const QString& tool, double seconds);

} // namespace tessel
