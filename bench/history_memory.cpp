// The undo history's memory in a long session: edits of the grid of 999,698 triangles (707 × 707
// cells), each moving the four corners of a cell (a different one each time, spread over the
// grid) as the user moves selected points from the keyboard in Vertex mode: G, the pointer moved,
// a click; each edit a step the history takes as the window's takes it. Prints the budget, the
// steps and bytes the history keeps, and the process's resident memory with the grid alone and
// after the edits.
//   tessel_history_memory [budget in MB, 0 for none (256 by default)] [edits (10,000)]
// Resident memory is the whole process's: run it once per budget (scripts/bench --history).
#include "editor/history.h"
#include "resident_memory.h"
#include "tools/transform.h"

#include "../tests/support/fake_viewport.h"

#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <string>

namespace {

using namespace tessel;

} // namespace

int main(int argc, char** argv) {
    const long megabytes = argc > 1 ? std::atol(argv[1]) : 256;
    const long edits = argc > 2 ? std::atol(argv[2]) : 10000;
    constexpr int kCells = 707;

    testing::FakeEditor editor;
    editor.history.setBudget(megabytes > 0 ? static_cast<std::size_t>(megabytes) << 20
                                           : std::numeric_limits<std::size_t>::max());
    const MeshPtr grid = editor.quad();
    grid->setModel(QuadGenerator(kCells, kCells).generate());
    Editor& controller = editor.controller;
    controller.selectMesh(grid);
    controller.modeSelected(static_cast<int>(Editor::Mode::Vertex));
    controller.toolSelected(0);
    testing::FakeViewport& view = editor.views[0];
    long recorded = 0;
    editor.window.stepRecorded.connect([&](const StepPtr&) { ++recorded; });
    const double alone = residentMegabytes();

    const auto start = std::chrono::steady_clock::now();
    for (long i = 0; i < edits; ++i) {
        // The four corners of a cell inside the grid, a different one each time, moved as the
        // user moves a selection from the keyboard: G, the pointer moved, a click.
        const long cell = (kCells * kCells / 2 + 7919 * i) % (kCells * kCells);
        const long row = kCells + 1;
        const long corner = cell / kCells * row + cell % kCells;
        controller.selectedPointsIds() = {corner, corner + 1, corner + row, corner + row + 1};
        const Vec2 at =
            view.normalizedOf(grid->model()->committed()->positions[static_cast<size_t>(corner)]);
        controller.startTransform(TransformGesture::Kind::Move, view, at);
        controller.hover(view, {at.x + 0.002f, at.y + 0.001f});
        view.click(at.x + 0.002f, at.y + 0.001f);
        if (recorded != i + 1) {
            std::fprintf(stderr, "history memory: edit %ld recorded no step\n", i);
            return 1;
        }
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

    const History& history = editor.history;
    std::printf("budget %s: %ld edits (4 points each) of %zu triangles in %.0f s: %zu steps "
                "kept, %.1f MB (%.0f bytes a step); resident %.0f MB with the grid alone, %.0f MB "
                "after\n",
                megabytes > 0 ? (std::to_string(megabytes) + " MB").c_str() : "none", edits,
                grid->model()->committed()->faces.size(), seconds, history.count(),
                static_cast<double>(history.bytes()) / (1 << 20),
                static_cast<double>(history.bytes()) / static_cast<double>(history.count()), alone,
                residentMegabytes());
    return 0;
}
