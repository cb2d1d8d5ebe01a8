// Developer tools over the real window, kept out of the shipping program:
//   tessel-devtools screenshot <file.png> [steps]   poses the window, saves a picture, quits
//   tessel-devtools frames <tool> [seconds] [without] measures real frames of a drag, quits;
//                                                    `without` lists passes to leave out
//                                                    (edges,points,faces)
//   tessel-devtools open <file>                      measures the first frames of an opened file
//   tessel-devtools grid <columns> <rows> <file>     writes a flat grid mesh, no window
#include "base/memory.h"
#include "frame_probe.h"
#include "open_probe.h"
#include "render/gl_view.h"
#include "render/renderer.h"
#include "screenshot.h"
#include "ui/main_window.h"

#include <QApplication>

#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char* argv[]) {
    // The window's frames are measured with the allocator set as the modeller sets it.
    tessel::keepFreedMemoryForReuse();
    // Needs no display.
    if (argc == 5 && std::strcmp(argv[1], "grid") == 0) {
        return tessel::writeGridFile(QString::fromLocal8Bit(argv[4]), std::atoi(argv[2]),
                                     std::atoi(argv[3]))
                   ? 0
                   : 1;
    }
    tessel::GLView::setDefaultFormat();
    QApplication app(argc, argv);
    const QStringList arguments = QApplication::arguments();
    const QString command = arguments.value(1);
    if ((command != QLatin1String("screenshot") && command != QLatin1String("frames") &&
         command != QLatin1String("open")) ||
        arguments.size() < 3) {
        std::fprintf(
            stderr,
            "usage: %s screenshot <file.png> [steps] | frames <tool> [seconds] [without] | open "
            "<file> | grid <columns> <rows> <file>\n",
            argc > 0 ? argv[0] : "tessel-devtools");
        return 2;
    }
    tessel::MainWindow window;
    window.show();
    if (command == QLatin1String("screenshot")) {
        tessel::scheduleScreenshot(window, arguments[2], arguments.value(3));
    } else if (command == QLatin1String("open")) {
        tessel::scheduleOpenProbe(window, arguments[2]);
    } else {
        bool ok = false;
        const double seconds = arguments.value(3).toDouble(&ok);
        const QStringList without = arguments.value(4).split(',');
        tessel::Renderer::omitted = {without.contains("edges"), without.contains("points"),
                                     without.contains("faces")};
        tessel::scheduleFrameProbe(window, arguments[2], ok && seconds > 0 ? seconds : 5.0);
    }
    return app.exec();
}
