#include "frame_probe.h"

#include "render/gl_view.h"
#include "render/renderer.h"
#include "tools/selection.h"
#include "tools/tool_support.h"
#include "ui/main_window.h"

#include <QApplication>
#include <QMouseEvent>
#include <QTimer>

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
// A move that shows no frame within this time counts as lost, and the drag goes on.
constexpr int kFrameTimeoutMs = 2000;

double seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

// One move event and the frame that showed it, in seconds.
struct Sample {
    double latency; // from sending the event to the swap of its frame
    double handler; // the drag handler (the event's delivery)
    double core;    // the core's part of the viewports' render() calls
    double render;  // all of the render() calls
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
            std::fprintf(stderr, "frames: unknown tool '%s' (extrude, vertex-move)\n",
                         qPrintable(m_tool));
            QApplication::exit(1);
            return;
        }
        connect(m_view, &QOpenGLWidget::frameSwapped, this, &FrameProbe::frameSwapped);
        mouse(QEvent::MouseButtonPress, m_position, Qt::LeftButton, Qt::LeftButton);
        const Editor& controller = m_window.editor();
        const bool grabbed = m_tool == QLatin1String("extrude")
                                 ? !controller.selectedFacesIds().empty()
                                 : controller.selectedPointsIds().size() == 1000;
        if (!grabbed) {
            std::fprintf(stderr, "frames: %s: the press took nothing to drag\n",
                         qPrintable(m_tool));
            QApplication::exit(1);
            return;
        }
        // Let the frame of the press go by before the drag starts.
        QTimer::singleShot(500, this, [this] {
            m_begin = Clock::now();
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
            m_position = pixelOf(grid->positions[(row / 2 + 3) * row + row / 2 + 5]);
            // Every point the click box there catches, so that the press keeps the selection and
            // drags it, then points spread over the grid up to 1,000.
            m_view->viewport().pressPosition = normalizedOf(m_position);
            m_view->viewport().pointerPosition = m_view->viewport().pressPosition;
            std::vector<std::int64_t> ids =
                pointsInside(controller.selectionSides(m_view->viewport(), true), *grid);
            const size_t count = grid->positions.size();
            for (size_t i = 0; ids.size() < 1000; ++i) {
                const auto id = static_cast<std::int64_t>(i * (count / 1000));
                if (std::find(ids.begin(), ids.end(), id) == ids.end()) {
                    ids.push_back(id);
                }
            }
            std::sort(ids.begin(), ids.end());
            controller.selectedPointsIds() = ids;
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
        m_sentAt = Clock::now();
        mouse(QEvent::MouseMove, m_position, Qt::NoButton, Qt::LeftButton);
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
                             timing.render - m_timingAtSend.render});
        m_end = now;
        // Back to the event loop first, as a user's next event would be.
        QTimer::singleShot(0, this, [this] { next(); });
    }

    void finish() {
        mouse(QEvent::MouseButtonRelease, m_position, Qt::LeftButton, Qt::NoButton);
        if (m_samples.empty()) {
            std::fprintf(stderr, "frames: %s: no frame was shown\n", qPrintable(m_tool));
            QApplication::exit(1);
            return;
        }
        std::vector<double> latencies;
        for (const Sample& s : m_samples) {
            latencies.push_back(s.latency);
        }
        std::sort(latencies.begin(), latencies.end());
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
        std::printf("frames: %s on %d triangles: %.1f frames/s (%zu frames in %.1f s, %d lost)\n",
                    qPrintable(m_tool), 2 * kSegments * kSegments,
                    static_cast<double>(m_samples.size()) / elapsed, m_samples.size(), elapsed,
                    m_lost);
        std::printf(
            "frames: input to frame: median %.1f ms, 95th percentile %.1f ms, mean %.1f ms\n",
            quantile(0.5), quantile(0.95), latency);
        std::printf("frames: split of the mean: drag handler %.1f ms, core frame preparation and "
                    "preview %.1f ms, inside OpenGL calls %.1f ms, finishing the frame "
                    "(rasterization, composition, swap) %.1f ms\n",
                    handler, core, render - core, latency - handler - render);
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
    std::vector<Sample> m_samples;
};

} // namespace

void scheduleFrameProbe(MainWindow& window, const QString& tool, double duration) {
    auto* probe = new FrameProbe(window, tool, duration);
    // Give the window time to be mapped and drawn once.
    QTimer::singleShot(500, probe, [probe] { probe->start(); });
}

} // namespace tessel
