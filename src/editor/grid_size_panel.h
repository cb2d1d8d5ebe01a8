#pragma once

#include "base/signal.h"
#include "editor/document.h"
#include "mesh/model.h"

#include <cstdint>
#include <optional>

namespace tessel {

// The rows and columns of the selected quad grid, as the panel's fields show and edit them.
class GridSizePanel {
public:
    explicit GridSizePanel(const Document* document = nullptr) : document(document) {}

    // Where the selected mesh is found.
    const Document* document;

    // The grid parameters of the selected mesh, or null without a document, without a mesh,
    // or for a mesh that is not a quad grid.
    Model::ParamsPtr gridParams() const;

    // Whether the rows and columns still shape the grid: false once its points were edited (a
    // commit), until undo takes the grid back to before that edit.
    bool applies() const;

    // The grid's vertical (rows) and horizontal (columns) segment counts; nullopt without a grid.
    std::optional<std::int64_t> rows() const;
    std::optional<std::int64_t> columns() const;

    // Stores the value through the grid parameters, which truncate and clamp it (12 stores 10).
    // nullopt writes the current value back. The grid regenerates on its next read. Without a
    // grid, or when the counts no longer apply, nothing changes. A write that changes the stored
    // count emits its signal.
    void setRows(std::optional<double> value);
    void setColumns(std::optional<double> value);
    // (old, new) count.
    Signal<std::int64_t, std::int64_t> rowsChanged;
    Signal<std::int64_t, std::int64_t> columnsChanged;
};

} // namespace tessel
