#include "render/gl_view.h"
#include "ui/frame_probe.h"
#include "ui/main_window.h"
#include "ui/screenshot.h"

#include <QApplication>

#include <malloc.h>

int main(int argc, char* argv[]) {
    // Every drag frees one preview of the mesh and allocates the next of the same size. Keeping
    // freed memory in the heap instead of handing it back to the system saves faulting the same
    // pages in again on every event.
    mallopt(M_TRIM_THRESHOLD, 512 * 1024 * 1024);
    mallopt(M_MMAP_THRESHOLD, 32 * 1024 * 1024);
    tessel::GLView::setDefaultFormat();
    QApplication app(argc, argv);
    tessel::MainWindow window;
    window.show();

    // Documentation pictures: TESSEL_SCREENSHOT=<file.png>, posed by TESSEL_SCREENSHOT_STEPS.
    const QString screenshot = qEnvironmentVariable("TESSEL_SCREENSHOT");
    if (!screenshot.isEmpty()) {
        tessel::scheduleScreenshot(window, screenshot,
                                   qEnvironmentVariable("TESSEL_SCREENSHOT_STEPS"));
    }
    // Frame timing: TESSEL_FRAME_PROBE=<tool> for TESSEL_FRAME_PROBE_SECONDS (5 by default).
    const QString probe = qEnvironmentVariable("TESSEL_FRAME_PROBE");
    if (!probe.isEmpty()) {
        bool ok = false;
        const double seconds = qEnvironmentVariable("TESSEL_FRAME_PROBE_SECONDS").toDouble(&ok);
        tessel::scheduleFrameProbe(window, probe, ok && seconds > 0 ? seconds : 5.0);
    }
    return app.exec();
}
