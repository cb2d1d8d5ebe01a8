#pragma once

#include "editor/document.h"
#include "editor/step.h"

#include <cstdint>
#include <vector>

namespace tessel {

// Where a node sits in the scene: under `parent` (null: among the scene's top-level nodes) at
// `index`.
struct Placement {
    NodePtr parent;
    std::size_t index = 0;
};

// The node's place, or nullopt when the scene does not hold it.
std::optional<Placement> placementOf(const Scene& scene, const NodePtr& node);
// Puts the node back at its place; the place must exist (its parent in the scene, the index at
// most the number of its siblings).
void place(Scene& scene, const NodePtr& node, const Placement& placement);
// Takes the node out of its place; it must be there.
void unplace(Scene& scene, const NodePtr& node, const Placement& placement);

// Meshes added to the scene (or taken out of it), each at its place, with the selection before
// and after.
class NodesPlaced final : public Step {
public:
    struct Entry {
        NodePtr node;
        Placement placement;
    };
    // `entries` in the order they were added; `added` false when they were removed.
    NodesPlaced(std::string name, Document& document, std::vector<Entry> entries, bool added,
                NodePtr selectedBefore, NodePtr selectedAfter);
    void undo() override;
    void redo() override;

private:
    void put(bool in);

    Document& document_;
    std::vector<Entry> entries_;
    bool added_;
    NodePtr selectedBefore_;
    NodePtr selectedAfter_;
};

// A grid's rows or columns changed from `old` to `now`.
class GridSizeChange final : public Step {
public:
    enum class Axis { Rows, Columns };
    GridSizeChange(Document& document, MeshPtr mesh, Axis axis, std::int64_t old, std::int64_t now);
    void undo() override { set(old_); }
    void redo() override { set(now_); }

private:
    void set(std::int64_t value);

    Document& document_;
    MeshPtr mesh_;
    Axis axis_;
    std::int64_t old_;
    std::int64_t now_;
};

// One setting of a primitive changed from `old` to `now`.
class PrimitiveChange final : public Step {
public:
    PrimitiveChange(Document& document, MeshPtr mesh, std::size_t index, double old, double now);
    void undo() override { set(old_); }
    void redo() override { set(now_); }

private:
    void set(double value);

    Document& document_;
    MeshPtr mesh_;
    std::size_t index_;
    double old_;
    double now_;
};

// A mesh's opacity changed from `old` to `now`; `changed` is told after undo and redo.
class OpacityChange final : public Step {
public:
    OpacityChange(Document& document, MeshPtr mesh, float old, float now, Signal<>& changed);
    void undo() override { set(old_); }
    void redo() override { set(now_); }

private:
    void set(float value);

    Document& document_;
    MeshPtr mesh_;
    float old_;
    float now_;
    Signal<>& changed_;
};

// A mesh was made smooth (or flat) from the other; `changed` is told after undo and redo.
class ShadingChange final : public Step {
public:
    ShadingChange(Document& document, MeshPtr mesh, bool smooth, Signal<>& changed);
    void undo() override { set(!smooth_); }
    void redo() override { set(smooth_); }

private:
    void set(bool smooth);

    Document& document_;
    MeshPtr mesh_;
    bool smooth_;
    Signal<>& changed_;
};

} // namespace tessel
