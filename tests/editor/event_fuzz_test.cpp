// Random event sequences from fixed seeds against the real editor core: the controllers, every
// tool and four viewports, driven the way the window drives them (mode and tool picks, presses,
// drags and releases anywhere, keys, Apply, selection writes, the scene panel's actions). After
// every event each mesh must be well formed, committed and previewed, and the lists the renderer
// would draw must refer to existing points only.
//
// TESSEL_EVENT_FUZZ_SEQUENCES, TESSEL_EVENT_FUZZ_LENGTH and TESSEL_EVENT_FUZZ_FIRST_SEED change the
// amount and the seeds (scripts/soak runs a million events this way).
#include "editor/detail_view_controller.h"
#include "editor/outline_view_controller.h"
#include "editor/render_index_data.h"

#include "../../fuzz/layer_program.h"
#include "support/fake_viewport.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <limits>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/common_interface_defs.h>
#endif

namespace tessel {
namespace {

using testing::FakeEditor;
using testing::FakeViewport;

long environmentNumber(const char* name, long fallback) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0' ? std::strtol(value, nullptr, 10) : fallback;
}

// A crash (a failed check, a sanitizer report) ends the process without a test failure; the
// seed and the event that were running must still reach the log so the case can be replayed.
char crashNote[256] = "";

void printCrashNote() {
    if (crashNote[0] != '\0') {
        const ssize_t written = ::write(STDERR_FILENO, crashNote, std::strlen(crashNote));
        (void)written;
    }
}

extern "C" void onFatalSignal(int signal) {
    printCrashNote();
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

void installCrashNote() {
    std::signal(SIGABRT, onFatalSignal);
    std::signal(SIGSEGV, onFatalSignal);
#if defined(__SANITIZE_ADDRESS__)
    __sanitizer_set_death_callback(printCrashNote);
#endif
}

// Checks every mesh of the scene as the renderer would read it: the committed layers, the layers
// shown (the preview's while one is installed) and the tool model of a computed preview.
// `summary` receives the committed meshes' face count and a fingerprint of their geometry.
struct SceneSummary {
    size_t polygons = 0;
    double fingerprint = 0;
};

std::optional<std::string> editorFault(FakeEditor& editor, SceneSummary* summary) {
    *summary = {};
    const ScenePtr& scene = editor.window.scene();
    if (scene->nodes().empty()) {
        return std::nullopt;
    }
    const DetailViewController& c = editor.controller;
    for (const MeshPtr& mesh : scene->meshes()) {
        Model& model = *mesh->model();
        const bool selected = mesh == c.selectedNode();
        const auto check = [&](const std::vector<LayerPtr>& layers,
                               const char* which) -> std::optional<std::string> {
            for (const LayerPtr& layer : layers) {
                std::optional<std::string> fault = fuzz::layerFault(*layer);
                if (!fault) {
                    static const std::vector<std::uint32_t> noFaces;
                    static const std::vector<std::int64_t> noPoints;
                    fault = fuzz::indexFault(*layer, selected ? c.selectedFacesIds : noFaces,
                                             selected ? c.selectedPointsIds : noPoints);
                }
                if (fault) {
                    return "mesh " + mesh->name() + ", " + which + " layer: " + *fault;
                }
            }
            return std::nullopt;
        };
        const std::vector<LayerPtr> committed = model._layers();
        if (auto fault = check(committed, "committed")) {
            return fault;
        }
        const std::vector<LayerPtr> shown = model.layers();
        if (shown.empty()) {
            return "mesh " + mesh->name() + " shows no layer";
        }
        if (auto fault = check(shown, "shown")) {
            return fault;
        }
        const CachedModifierPtr modifier = model.modifier_;
        if (modifier && modifier->result && modifier->result->tool) {
            if (auto fault = check(modifier->result->tool->layers(), "tool")) {
                return fault;
            }
        }
        for (const LayerPtr& layer : committed) {
            summary->polygons += layer->polygons.size();
            summary->fingerprint += 7.0 * static_cast<double>(layer->polygons.size()) +
                                    static_cast<double>(layer->points.size());
            for (const PointPtr& p : layer->points) {
                const Vector3& q = p->position;
                if (std::isfinite(q.x + q.y + q.z)) {
                    summary->fingerprint += 1e-3 * (q.x + 2.0 * q.y + 3.0 * q.z);
                }
            }
        }
    }
    return std::nullopt;
}

// One random user session on a freshly loaded editor.
class Session {
public:
    explicit Session(unsigned seed)
        : rng_(seed), seed_(seed), outline_(editor_.window) {
        // Viewports of different shapes, as after the user drags the dividers.
        static constexpr float aspects[] = {0.25f, 0.75f, 1.0f, 1.6f, 4.0f};
        for (auto& view : editor_.views) {
            view.aspect = aspects[pick(std::size(aspects))];
        }
    }

    // Runs `length` events; returns the first fault with the events that led to it.
    std::optional<std::string> run(int length) {
        for (int event = 0; event < length; ++event) {
            std::snprintf(crashNote, sizeof crashNote,
                          "event fuzzing: crashed in seed %u at event %d\n", seed_, event);
            const std::string what = step();
            log_.push_back(what);
            if (log_.size() > 40) {
                log_.pop_front();
            }
            SceneSummary summary;
            if (auto fault = editorFault(editor_, &summary)) {
                std::ostringstream report;
                report << "seed " << seed_ << ", event " << event << " (" << what
                       << "): " << *fault << "\nlast events:";
                for (const std::string& line : log_) {
                    report << "\n  " << line;
                }
                return report.str();
            }
            polygons_ = summary.polygons;
            largest_ = std::max(largest_, summary.polygons);
            edits_ += summary.fingerprint != fingerprint_;
            fingerprint_ = summary.fingerprint;
        }
        crashNote[0] = '\0';
        return std::nullopt;
    }

private:
    size_t pick(size_t count) { return std::uniform_int_distribution<size_t>(0, count - 1)(rng_); }
    float uniform(float low, float high) {
        return std::uniform_real_distribution<float>(low, high)(rng_);
    }

    // A pointer position inside the viewport, on its border or outside it.
    Vec2 position() {
        switch (pick(6)) {
        case 0:
            return {pick(2) ? 0.0f : 1.0f, uniform(0, 1)};
        case 1:
            return {uniform(0, 1), pick(2) ? 0.0f : 1.0f};
        case 2:
            return {uniform(-3, 4), uniform(-3, 4)};
        case 3:
            // Far off: the window is small and the drag went across the whole screen.
            return {uniform(-200, 200), uniform(-200, 200)};
        default:
            return {uniform(0, 1), uniform(0, 1)};
        }
    }

    std::string key() {
        static const char* const keys[] = {"a", "d", "s", "w", "q", "e", "z", "x", "c", "v",
                                           "A", "W", "ad", "zzz", "", "1", " ", "\t", "é"};
        const size_t k = pick(std::size(keys) + 1);
        return k == std::size(keys) ? "(none)" : keys[k];
    }

    NodePtr someMesh() {
        const ScenePtr& scene = editor_.window.scene();
        if (scene->nodes().empty()) {
            return nullptr;
        }
        const std::vector<MeshPtr> meshes = scene->meshes();
        return meshes.empty() ? nullptr : meshes[pick(meshes.size())];
    }

    // A value for the rows and columns fields: in range, zero, negative, huge or not a number.
    std::optional<double> gridValue() {
        static constexpr double values[] = {1, 2, 3, 7, 10, 11, 0, -1, -1e9, 1e9, 1e300, 2.9};
        const size_t k = pick(std::size(values) + 2);
        if (k == std::size(values)) {
            return std::nullopt;
        }
        if (k == std::size(values) + 1) {
            return std::numeric_limits<double>::quiet_NaN();
        }
        return values[k];
    }

    std::string step() {
        std::ostringstream what;
        // The viewport the pointer is in: the held one while the button is down, as the window
        // keeps sending a pressed pointer's events to the viewport it pressed.
        FakeViewport& view = held_ ? *held_ : editor_.views[pick(4)];
        const size_t viewIndex = static_cast<size_t>(&view - editor_.views.data());
        const size_t kind = pick(100);

        if (held_ && kind < 55) {
            // Drags, mostly short; some of zero length, some very long.
            const size_t shape = pick(10);
            Vec2 to = view.normalizedPointerPosition;
            if (shape < 6) {
                to.x += uniform(-0.05f, 0.05f);
                to.y += uniform(-0.05f, 0.05f);
            } else if (shape < 8) {
                to = position();
            } // else: a zero-length drag
            what << "drag " << viewIndex << " to " << to.x << "," << to.y;
            view.dragTo(to.x, to.y);
            return what.str();
        }
        if (held_ && kind < 75) {
            what << "release " << viewIndex;
            held_ = nullptr;
            view.release();
            return what.str();
        }
        // While the button is held anything else may still happen: keys reach the held
        // viewport, and the pickers and the panel stay reachable from the keyboard.
        const size_t other = held_ ? 20 + pick(80) : kind;
        if (held_ && other < 40) {
            const std::string k = key();
            what << "held key \"" << k << "\" in " << viewIndex;
            view.keyDown(k == "(none)" ? std::nullopt : std::optional<std::string>(k));
            return what.str();
        }
        return event(view, viewIndex, other, what);
    }

    std::string event(FakeViewport& view, size_t viewIndex, size_t kind, std::ostringstream& what) {
        DetailViewController& c = editor_.controller;
        if (kind < 20) {
            const Vec2 at = position();
            what << "press " << viewIndex << " at " << at.x << "," << at.y;
            view.press(at.x, at.y);
            held_ = &view;
            return what.str();
        }
        if (kind < 28) {
            const int tag = static_cast<int>(pick(3));
            what << "mode " << tag;
            c.modeSelected(tag);
            return what.str();
        }
        if (kind < 40) {
            // Mostly tags the picker offers; a few that it does not.
            const int tag = pick(8) == 0 ? static_cast<int>(pick(12)) - 3 : static_cast<int>(pick(6));
            what << "tool " << tag;
            c.toolSelected(tag);
            return what.str();
        }
        if (kind < 52) {
            const std::string k = key();
            what << "key \"" << k << "\" in " << viewIndex;
            view.keyDown(k == "(none)" ? std::nullopt : std::optional<std::string>(k));
            return what.str();
        }
        if (kind < 60) {
            // Mesh Subdivide triples a mesh on every Apply; past a few thousand faces the
            // session would only get slower without reaching new states.
            const MeshPtr mesh = c.selectedMesh();
            if (mesh && polygons_ > 3000) {
                return "apply skipped (mesh large)";
            }
            c.apply();
            return "apply";
        }
        if (kind < 66) {
            const size_t which = pick(4);
            const NodePtr node = which == 0 ? editor_.window.scene()->root()
                                 : which == 1 ? nullptr
                                              : someMesh();
            what << "select " << (node ? node->name() : "nothing");
            c.setSelectedNode(node);
            return what.str();
        }
        if (kind < 72) {
            static const char* const titles[] = {"Quad", "Cube", "Sphere"};
            const char* title = titles[pick(3)];
            what << "add " << title;
            outline_.addNode(title);
            return what.str();
        }
        if (kind < 76) {
            what << "remove " << (c.selectedNode() ? c.selectedNode()->name() : "nothing");
            outline_.removeNode();
            return what.str();
        }
        if (kind < 82) {
            const std::optional<double> value = gridValue();
            const bool rows = pick(2) == 0;
            what << (rows ? "rows " : "columns ") << (value ? std::to_string(*value) : "empty");
            if (rows) {
                outline_.planeCreationViewController.setRows(value);
            } else {
                outline_.planeCreationViewController.setColumns(value);
            }
            return what.str();
        }
        if (kind < 86) {
            static constexpr double values[] = {0, 35, 100, -20, 250, 1e12};
            const double value = values[pick(std::size(values))];
            what << "opacity " << value;
            outline_.materialEditViewController.slideAlpha(value);
            return what.str();
        }
        if (kind < 90) {
            const int segment = static_cast<int>(pick(3));
            const bool on = pick(2) == 0;
            what << "options " << segment << (on ? " on" : " off");
            c.renderingOptionsControlClicked(segment, on);
            return what.str();
        }
        // Selections that went stale: ids past the end, negative, or huge.
        std::vector<std::int64_t> points;
        std::vector<std::uint32_t> faces;
        for (size_t k = pick(4); k-- > 0;) {
            points.push_back(static_cast<std::int64_t>(pick(60)) - 5);
            faces.push_back(static_cast<std::uint32_t>(pick(80)));
        }
        if (pick(4) == 0) {
            points.push_back(std::numeric_limits<std::int64_t>::max());
            faces.push_back(std::numeric_limits<std::uint32_t>::max());
        }
        c.selectedPointsIds = points;
        c.selectedFacesIds = faces;
        what << "selection of " << points.size() << " points, " << faces.size() << " faces";
        return what.str();
    }

    std::mt19937 rng_;
    unsigned seed_;
    FakeEditor editor_;
    OutlineViewController outline_;
    FakeViewport* held_ = nullptr;
    size_t polygons_ = 0;
    double fingerprint_ = 0;

public:
    // Events after which some committed mesh had changed, and the most faces the scene held.
    long edits_ = 0;
    size_t largest_ = 0;

private:
    std::deque<std::string> log_;
};

TEST(EventFuzzTest, RandomSessionsKeepEveryMeshWellFormed) {
    installCrashNote();
    const long sequences = environmentNumber("TESSEL_EVENT_FUZZ_SEQUENCES", 300);
    const long length = environmentNumber("TESSEL_EVENT_FUZZ_LENGTH", 300);
    const long firstSeed = environmentNumber("TESSEL_EVENT_FUZZ_FIRST_SEED", 1);

    const auto start = std::chrono::steady_clock::now();
    long edits = 0;
    size_t largest = 0;
    for (long s = 0; s < sequences; ++s) {
        Session session(static_cast<unsigned>(firstSeed + s));
        const std::optional<std::string> fault = session.run(static_cast<int>(length));
        ASSERT_FALSE(fault.has_value()) << *fault;
        edits += session.edits_;
        largest = std::max(largest, session.largest_);
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const long events = sequences * length;
    std::printf("event fuzzing: %ld sequences x %ld events = %ld events in %.1f s (%.0f events/s); "
                "%ld changed a committed mesh; at most %zu faces in a scene\n",
                sequences, length, events, seconds, seconds > 0 ? events / seconds : 0.0, edits,
                largest);
}

} // namespace
} // namespace tessel
