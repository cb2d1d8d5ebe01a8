#include "render/gl_view.h"
#include "ui/frame_probe.h"
#include "ui/main_window.h"
#include "ui/screenshot.h"

#include <QApplication>

int main(int argc, char* argv[]) {
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
