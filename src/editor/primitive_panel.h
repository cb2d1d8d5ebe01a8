#pragma once

#include "base/signal.h"
#include "editor/document.h"
#include "mesh/primitives.h"

#include <cstddef>
#include <optional>

namespace tessel {

// The settings of the selected primitive (plane, box, sphere …), as the panel's fields show and
// edit them.
class PrimitivePanel {
public:
    explicit PrimitivePanel(const Document* document = nullptr) : document(document) {}

    // Where the selected mesh is found.
    const Document* document;

    // The selected mesh's primitive settings, or null without a document, without a mesh, or for
    // a mesh that is no primitive.
    PrimitiveParamsPtr params() const;

    // Whether the settings still shape the mesh: false once its points were edited (a commit),
    // until undo takes it back to before that edit.
    bool applies() const;

    // Stores the value through the settings, which truncate counts and clamp; nullopt writes the
    // current value back. Without a primitive, with an index past its settings, or when the
    // settings no longer apply, nothing changes. A write that changes the stored value
    // regenerates the mesh and emits valueChanged.
    void setValue(std::size_t index, std::optional<double> value);
    // (mesh, index, old, new).
    Signal<const MeshPtr&, std::size_t, double, double> valueChanged;
};

} // namespace tessel
