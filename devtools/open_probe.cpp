#include "open_probe.h"

#include "io/scene_reader.h"
#include "io/scene_writer.h"
#include "render/gl_view.h"
#include "ui/file_menu.h"
#include "ui/main_window.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QTimer>

#include <chrono>
#include <cstdio>
#include <memory>
#include <set>

namespace tessel {

namespace {

using Clock = std::chrono::steady_clock;

double milliseconds(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

} // namespace

bool writeGridFile(const QString& path, int columns, int rows) {
    const NodePtr root = Node::make(
        "grid", {Mesh::make(Model::make(QuadGenerator(columns, rows).generateLayer()), "grid")});
    const WriteResult written = writeSceneFile(*root, QFileInfo(path).fileName().toStdString());
    QFile file(path);
    return written.ok() && written.siblings.empty() && file.open(QIODevice::WriteOnly) &&
           file.write(reinterpret_cast<const char*>(written.bytes.data()),
                      static_cast<qint64>(written.bytes.size())) ==
               static_cast<qint64>(written.bytes.size());
}

void scheduleOpenProbe(MainWindow& window, const QString& path) {
    // Give the window time to be mapped and drawn once.
    QTimer::singleShot(500, &window, [&window, path] {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "open: cannot read %s\n", qPrintable(path));
            QApplication::exit(1);
            return;
        }
        const QByteArray data = file.readAll();
        const Clock::time_point readStart = Clock::now();
        const ReadResult read =
            readSceneFile(QFileInfo(path).fileName().toStdString(),
                          {reinterpret_cast<const std::uint8_t*>(data.constData()),
                           static_cast<size_t>(data.size())});
        const double readTime = milliseconds(Clock::now() - readStart);

        const auto shown = std::make_shared<std::set<GLView*>>();
        const auto opened = std::make_shared<Clock::time_point>();
        const Clock::time_point start = Clock::now();
        for (GLView* view : window.viewports()) {
            QObject::connect(view, &QOpenGLWidget::frameSwapped, &window, [=, &window] {
                shown->insert(view);
                if (shown->size() == window.viewports().size()) {
                    std::printf("open: %s: read %.0f ms; Open %.0f ms; then a frame in every "
                                "viewport %.0f ms later\n",
                                qPrintable(QFileInfo(path).fileName()), readTime,
                                milliseconds(*opened - start),
                                milliseconds(Clock::now() - *opened));
                    std::fflush(stdout);
                    QApplication::exit(0);
                }
            });
        }
        if (!read.ok() || !window.files().openFile(path)) {
            std::fprintf(stderr, "open: %s cannot be opened\n", qPrintable(path));
            QApplication::exit(1);
            return;
        }
        *opened = Clock::now();
        QTimer::singleShot(60000, &window, [] {
            std::fprintf(stderr, "open: no frame within a minute\n");
            QApplication::exit(1);
        });
    });
}

} // namespace tessel
