#pragma once

#include <QString>

namespace tessel {

class MainWindow;

// Saves a picture of the window for the documentation, then quits the application with 0 (or 1
// when the file cannot be written).
//
// `steps` first poses the window as a user would, one space-separated step at a time:
// "<n>:<keys>" clicks viewport n (1 top-left … 4 bottom-right) in its corner and types the
// keys; "<n>>x1,y1,x2,y2" drags the mouse in viewport n from (x1, y1) to (x2, y2), fractions
// of its width and height from its top-left corner with the left button, "<n>)x1,y1,x2,y2" with
// the right one; "<n>/points", "<n>/lines" or "<n>/filled"
// clicks viewport n and toggles that option.
void scheduleScreenshot(MainWindow& window, const QString& path, const QString& steps);

} // namespace tessel
