#include "render/gl_view.h"
#include "ui/file_menu.h"
#include "ui/main_window.h"

#include <QApplication>
#include <QStringList>

// tessel [FILE]: the modeller, with FILE open as its document.
int main(int argc, char* argv[]) {
    tessel::GLView::setDefaultFormat();
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Tessel"));
    QApplication::setApplicationName(QStringLiteral("Tessel"));
    tessel::MainWindow window;
    window.show();
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() > 1) {
        window.files().openFile(arguments.at(1));
    }
    return app.exec();
}
