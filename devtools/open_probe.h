#pragma once

#include <QString>

namespace tessel {

class MainWindow;

// Writes a flat grid of `columns` × `rows` cells (2 × columns × rows triangles) as one mesh
// without grid parameters, in the format of the path's extension. False when it cannot.
bool writeGridFile(const QString& path, int columns, int rows);

// Measures how long an opened file takes to show: reads it once on its own (the read alone), then
// opens it as File → Open does (reading it again and replacing the scene) and waits until each of
// the four viewports has shown a frame of it. Prints the three times and quits with 0, or 1 when
// the file cannot be opened or nothing is shown within a minute.
void scheduleOpenProbe(MainWindow& window, const QString& path);

} // namespace tessel
