#pragma once

#include <QString>

#include <ostream>

namespace tessel {

// `tessel --convert IN OUT`: reads IN as the window opens or imports it and writes its scene in
// the format of OUT's extension (PLY and STL binary), as the window exports it. What reading
// changed ("24 corners joined into 8 points") goes to `out`, one line each; a failure goes to
// `errors` as the one sentence the window would show. Returns the exit status: 0 on success, 1 on
// failure. Needs no display and no QGuiApplication.
int convertSceneFile(const QString& in, const QString& outPath, std::ostream& out,
                     std::ostream& errors);

} // namespace tessel
