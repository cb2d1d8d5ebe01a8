#pragma once

#include "base/signal.h"
#include "editor/document.h"

#include <optional>

namespace tessel {

// The opacity slider of the selected mesh's material, and its smooth shading check box.
class MaterialPanel {
public:
    explicit MaterialPanel(const Document* document = nullptr) : document(document) {}

    // Where the selected mesh is found.
    const Document* document;

    // Where the slider, running from 0 to `maximum`, shows the selected mesh's opacity;
    // nullopt without a document or a mesh.
    std::optional<double> sliderValue(double maximum = 100) const;

    // The slider moved to `value` of `maximum`: the mesh's opacity becomes value / maximum.
    // Without a mesh nothing changes. A non-positive maximum is a programming error.
    void slideAlpha(double value, double maximum = 100);
    // The mesh's opacity was written: what shows it must be redrawn.
    Signal<> opacityChanged;

    // Between these, the slider is held: its moves make one change of opacity.
    void beginSlide();
    void endSlide();
    // A change of opacity ended (mesh, old, new): a move of the slider not held, or a release.
    Signal<const MeshPtr&, float, float> opacitySet;

    // Whether the selected mesh is drawn smooth (Mesh::smoothShading); nullopt without a document
    // or a mesh.
    std::optional<bool> smoothShading() const;
    // The check box was set: the selected mesh is drawn smooth or flat. Without a mesh, or when
    // it already is, nothing changes and nothing is told.
    void setSmoothShading(bool smooth);
    // The mesh's shading was written (here, or by undo and redo): what shows it must be redrawn.
    Signal<> shadingChanged;
    // A change of shading made here (mesh, smooth now), after shadingChanged.
    Signal<const MeshPtr&, bool> shadingSet;

private:
    struct Slide {
        MeshPtr mesh;
        float old = 1;
    };
    std::optional<Slide> slide_;
};

} // namespace tessel
