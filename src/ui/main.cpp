#include "render/gl_view.h"
#include "ui/main_window.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    tessel::GLView::setDefaultFormat();
    QApplication app(argc, argv);
    tessel::MainWindow window;
    window.show();
    return app.exec();
}
