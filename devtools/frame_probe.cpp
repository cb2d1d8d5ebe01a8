#include "frame_probe.h"

#include "render/gl_view.h"
#include "render/renderer.h"
#include "render/upload_count.h"
#include "tools/selection.h"
#include "tools/tool_support.h"
#include "ui/main_window.h"

#include <QApplication>
#include <QMouseEvent>
#include <QTimer>

#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <numeric>
#include <vector>

namespace tessel {

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kSegments = 224;
// Points a Vertex Move drags.
constexpr size_t kPoints = 10;
// A move that shows no frame within this time counts as lost, and the drag goes on.
constexpr int kFrameTimeoutMs = 2000;

double seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

// CPU seconds the process has used, all its threads (the rasterizer's too).
double cpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto s = [](const timeval& t) {
        return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
    };
    return s(usage.ru_utime) + s(usage.ru_stime);
}

// One move event and the frame that showed it, in seconds.
struct Sample {
    double latency; // from sending the event to the swap of its frame
    double handler; // the drag handler (the event's delivery)
    double core;    // the core's part of the viewports' render() calls
    double render;  // all of the render() calls
    double bytes;   // uploaded to the GPU for the frame
};

class FrameProbe : public QObject {
public:
    FrameProbe(MainWindow& window, QString tool, double duration)
        : QObject(&window), m_window(window), m_view(window.viewports()[0]),
          m_tool(std::move(tool)), m_duration(duration) {
        m_timeout.setSingleShot(true);
        connect(&m_timeout, &QTimer::timeout, this, [this] {
            ++m_lost;
            m_waiting = false;
            next();
        });
    }

    void start() {
        if (!prepare()) {
            std::fprintf(stderr, "frames: unknown tool '%s' (extrude, vertex-move, orbit)\n",
                         qPrintable(m_tool));
            QApplication::exit(1);
            return;
        }
        connect(m_view, &QOpenGLWidget::frameSwapped, this, &FrameProbe::frameSwapped);
        mouse(QEvent::MouseButtonPress, m_position, m_button, m_button);
        const Editor& controller = m_window.editor();
        const bool grabbed =
            m_tool == QLatin1String("extrude")       ? !controller.selectedFacesIds().empty()
            : m_tool == QLatin1String("vertex-move") ? !controller.selectedPointsIds().empty()
                                                     : true;
        if (!grabbed) {
            std::fprintf(stderr, "frames: %s: the press took nothing to drag\n",
                         qPrintable(m_tool));
            QApplication::exit(1);
            return;
        }
        // Let the frame of the press go by before the drag starts.
        QTimer::singleShot(500, this, [this] {
            m_begin = Clock::now();
            m_cpuAtBegin = cpuSeconds();
            next();
        });
    }

private:
    // The grid, the tool and the press position; false for an unknown tool.
    bool prepare() {
        Editor& controller = m_window.editor();
        const MeshPtr mesh = controller.selectedMesh();
        if (!mesh) {
            return false;
        }
        mesh->setModel(QuadGenerator(kSegments, kSegments).generate());
        // Selecting again builds the current tool for the new model.
        controller.selectMesh(mesh);
        const LayerPtr grid = mesh->model()->committed();
        const size_t row = kSegments + 1;
        const float cell = 1.0f / kSegments;
        if (m_tool == QLatin1String("extrude")) {
            controller.modeSelected(static_cast<int>(Editor::Mode::Polygon));
            controller.toolSelected(3);
            // Inside the lower triangle of the cell right of and above the centre.
            m_position = pixelOf({0.7f * cell, 0.3f * cell, 0});
            return true;
        }
        if (m_tool == QLatin1String("vertex-move")) {
            controller.modeSelected(static_cast<int>(Editor::Mode::Vertex));
            controller.toolSelected(0);
            // The points the click box catches at the press, so that the press keeps the
            // selection and drags it: the camera comes closer until they are ten at most.
            const Vector3 pressed = grid->positions[(row / 2 + 3) * row + row / 2 + 5];
            std::vector<std::int64_t> ids;
            for (int step = 0; step < 8; ++step) {
                m_position = pixelOf(pressed);
                m_view->viewport().pressPosition = normalizedOf(m_position);
                m_view->viewport().pointerPosition = m_view->viewport().pressPosition;
                ids = pointsInside(controller.selectionSides(m_view->viewport(), true), *grid);
                if (ids.size() <= kPoints) {
                    break;
                }
                Camera& camera = *m_view->viewport().camera;
                camera.localMatrix = Matrix::translation({0, 0, -0.1f}) * camera.localMatrix;
            }
            std::sort(ids.begin(), ids.end());
            controller.selectedPointsIds() = ids;
            return true;
        }
        if (m_tool == QLatin1String("orbit")) {
            // The right button orbits the camera; nothing in the scene changes.
            m_button = Qt::RightButton;
            m_position = pixelOf({0.1f, 0.1f, 0});
            return true;
        }
        return false;
    }

    QPointF pixelOf(const Vector3& world) {
        const Vector3 d = project(world, m_view->viewport());
        return {(d.x + 1) / 2 * m_view->width(), (1 - (d.y + 1) / 2) * m_view->height()};
    }
    Vec2 normalizedOf(QPointF pixel) const {
        return {static_cast<float>(pixel.x() / m_view->width()),
                static_cast<float>(1.0 - pixel.y() / m_view->height())};
    }

    void mouse(QEvent::Type type, QPointF at, Qt::MouseButton button, Qt::MouseButtons buttons) {
        QMouseEvent event(type, at, m_view->mapToGlobal(at), button, buttons, Qt::NoModifier);
        QApplication::sendEvent(m_view, &event);
    }

    // Sends the next move, or ends the drag when the time is up.
    void next() {
        if (seconds(Clock::now() - m_begin) >= m_duration) {
            finish();
            return;
        }
        // Back and forth, two pixels across and one up per event.
        if (m_moves++ % 40 == 0) {
            m_direction = -m_direction;
        }
        m_position += QPointF(2 * m_direction, -m_direction);
        m_timingAtSend = Renderer::timing();
        m_bytesAtSend = bytesUploadedToGpu();
        m_sentAt = Clock::now();
        mouse(QEvent::MouseMove, m_position, Qt::NoButton, m_button);
        m_handler = seconds(Clock::now() - m_sentAt);
        m_waiting = true;
        m_timeout.start(kFrameTimeoutMs);
    }

    void frameSwapped() {
        if (!m_waiting) {
            return;
        }
        const Clock::time_point now = Clock::now();
        m_timeout.stop();
        m_waiting = false;
        const Renderer::Timing timing = Renderer::timing();
        m_samples.push_back({seconds(now - m_sentAt), m_handler, timing.core - m_timingAtSend.core,
                             timing.render - m_timingAtSend.render,
                             static_cast<double>(bytesUploadedToGpu() - m_bytesAtSend)});
        m_end = now;
        // Back to the event loop first, as a user's next event would be.
        QTimer::singleShot(0, this, [this] { next(); });
    }

    void finish() {
        mouse(QEvent::MouseButtonRelease, m_position, m_button, Qt::NoButton);
        if (m_samples.empty()) {
            std::fprintf(stderr, "frames: %s: no frame was shown\n", qPrintable(m_tool));
            QApplication::exit(1);
            return;
        }
        std::vector<double> latencies;
        std::vector<double> bytes;
        for (const Sample& s : m_samples) {
            latencies.push_back(s.latency);
            bytes.push_back(s.bytes);
        }
        std::sort(latencies.begin(), latencies.end());
        std::sort(bytes.begin(), bytes.end());
        const auto quantile = [&latencies](double q) {
            const size_t i = static_cast<size_t>(std::ceil(q * latencies.size())) - 1;
            return 1000 * latencies[std::min(i, latencies.size() - 1)];
        };
        const auto mean = [this](double Sample::*field) {
            double sum = 0;
            for (const Sample& s : m_samples) {
                sum += s.*field;
            }
            return 1000 * sum / static_cast<double>(m_samples.size());
        };
        const double elapsed = seconds(m_end - m_begin);
        const double handler = mean(&Sample::handler);
        const double core = mean(&Sample::core);
        const double render = mean(&Sample::render);
        const double latency = mean(&Sample::latency);
        std::printf("frames: %s%s on %d triangles: %.1f frames/s (%zu frames in %.1f s, %d lost)\n",
                    qPrintable(m_tool),
                    m_tool == QLatin1String("vertex-move")
                        ? qPrintable(QStringLiteral(" of %1 points")
                                         .arg(m_window.editor().selectedPointsIds().size()))
                        : "",
                    2 * kSegments * kSegments, static_cast<double>(m_samples.size()) / elapsed,
                    m_samples.size(), elapsed, m_lost);
        std::printf(
            "frames: input to frame: median %.1f ms, 95th percentile %.1f ms, mean %.1f ms\n",
            quantile(0.5), quantile(0.95), latency);
        std::printf("frames: split of the mean: drag handler %.1f ms, core frame preparation and "
                    "preview %.1f ms, inside OpenGL calls %.1f ms, finishing the frame "
                    "(rasterization, composition, swap) %.1f ms\n",
                    handler, core, render - core, latency - handler - render);
        std::printf("frames: CPU time of all threads per frame: %.1f ms\n",
                    1000 * (cpuSeconds() - m_cpuAtBegin) / static_cast<double>(m_samples.size()));
        std::printf("frames: uploaded to the GPU per frame: median %.0f bytes, most %.0f bytes\n",
                    bytes[bytes.size() / 2], bytes.back());
        std::fflush(stdout);
        QApplication::exit(0);
    }

    MainWindow& m_window;
    GLView* m_view;
    QString m_tool;
    double m_duration;

    QPointF m_position;
    int m_moves = 0;
    double m_direction = -1;
    bool m_waiting = false;
    int m_lost = 0;
    QTimer m_timeout;
    Clock::time_point m_begin;
    Clock::time_point m_end;
    Clock::time_point m_sentAt;
    double m_handler = 0;
    Renderer::Timing m_timingAtSend;
    std::uint64_t m_bytesAtSend = 0;
    double m_cpuAtBegin = 0;
    Qt::MouseButton m_button = Qt::LeftButton;
    std::vector<Sample> m_samples;
};

} // namespace

void scheduleFrameProbe(MainWindow& window, const QString& tool, double duration) {
    auto* probe = new FrameProbe(window, tool, duration);
    // Give the window time to be mapped and drawn once.
    QTimer::singleShot(500, probe, [probe] { probe->start(); });
}

} // namespace tessel
