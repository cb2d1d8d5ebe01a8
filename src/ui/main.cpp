#include "render/gl_view.h"
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
    return app.exec();
}
