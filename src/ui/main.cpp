#include "base/memory.h"
#include "render/gl_view.h"
#include "ui/convert.h"
#include "ui/file_menu.h"
#include "ui/main_window.h"

#include <QApplication>
#include <QCoreApplication>
#include <QStringList>

#include <cstring>
#include <iostream>

namespace {

constexpr const char* kUsage =
    "Usage: tessel [FILE]\n"
    "       tessel --recover RECORD\n"
    "       tessel --convert IN OUT\n"
    "\n"
    "  FILE                open FILE in the modeller\n"
    "  --recover RECORD    open the unsaved work an autosave RECORD (a .json in the recovery\n"
    "                      folder) holds, as the recovery question at start does\n"
    "  --convert IN OUT    read IN as the modeller reads it and write its meshes to OUT, in the\n"
    "                      format of OUT's extension (.glb, .gltf, .obj, .ply, .stl; PLY and STL\n"
    "                      binary), without a window or a display; what reading changed goes to\n"
    "                      standard output, a failure to standard error (exit status 1)\n"
    "  --help              show this help\n";

} // namespace

int main(int argc, char* argv[]) {
    tessel::keepFreedMemoryForReuse();
    if (argc > 1 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::cout << kUsage;
        return 0;
    }
    if (argc > 1 && std::strcmp(argv[1], "--convert") == 0) {
        // No QGuiApplication: it would need a display, and conversion runs over ssh and in
        // scripts.
        QCoreApplication app(argc, argv);
        const QStringList arguments = QCoreApplication::arguments();
        if (arguments.size() != 4) {
            std::cerr << "tessel: --convert takes an input and an output file\n" << kUsage;
            return 1;
        }
        return tessel::convertSceneFile(arguments.at(2), arguments.at(3), std::cout, std::cerr);
    }
    tessel::GLView::setDefaultFormat();
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Tessel"));
    QApplication::setApplicationName(QStringLiteral("Tessel"));
    tessel::MainWindow window;
    window.show();
    window.start(QApplication::arguments().mid(1));
    return app.exec();
}
