#pragma once

#include "editor/scene_outline.h"

#include <QWidget>

#include <memory>

class QCheckBox;
class QFrame;
class QSlider;
class QTreeView;

namespace Ui {
class OutlinePanel;
}

namespace tessel {

class PlaneCreationView;
class PrimitiveCreationView;
class SceneTreeModel;

// The side panel of the window: the scene's node tree, the add menu ("Quad", "Cube" and the
// primitives) and the remove button, and below them the description of the selected mesh (a
// grid's rows and columns, a cube's title, size and centre, a primitive's settings, or another
// mesh's name and counts), its opacity and
// whether it is shaded smooth. The
// tree's selected row and the window's selected node follow each other whichever side changes.
// Adding a "Quad" opens a pop-up with the new grid's rows and columns beside the tree.
//
// The panel reaches the window's state through `owner`, which must outlive it: a window that
// owns both deletes the panel before its own members go.
class OutlinePanel : public QWidget {
    Q_OBJECT

public:
    explicit OutlinePanel(Document& owner, QWidget* parent = nullptr);
    ~OutlinePanel() override;

    SceneOutline& outline() { return m_outline; }
    SceneTreeModel* model() const { return m_model; }
    QTreeView* outlineView() const;
    QSlider* slider() const;
    QCheckBox* smoothShadingBox() const;
    // The rows and columns beside the tree, and the pop-up that adding a "Quad" opens.
    PlaneCreationView* planeCreationView() const;
    QFrame* planeCreationPopover() const { return m_popover; }
    PlaneCreationView* popoverPlaneCreationView() const { return m_popoverView; }
    // The settings of a selected primitive (plane, box, sphere …).
    PrimitiveCreationView* primitiveCreationView() const;

    // Shows the selected mesh as it is now (after an edit, undo or redo).
    void refreshPanels();

Q_SIGNALS:
    // Something the viewports draw changed without a change of the selected node.
    void viewsChanged();

private:
    void addNode(const QString& title);
    void showPlaneCreationPopover();
    void outlineSelectionChanged();
    // The selected node was written (by this panel or anyone else).
    void followSelectedNode();
    // Selects the selected node's row (or none) without writing the selection back.
    void showSelectedNode();
    void expandRoot();

    std::unique_ptr<Ui::OutlinePanel> m_ui;
    SceneOutline m_outline;
    SceneTreeModel* m_model;
    QFrame* m_popover;
    PlaneCreationView* m_popoverView;
    // Set while the tree is made to show the selected node, so that it is not written back.
    bool m_following = false;
    bool m_popoverRequested = false;
    Signal<const NodePtr&, const NodePtr&>::Connection m_selectionConnection = 0;
    Signal<>::Connection m_popoverConnection = 0;
    Signal<>::Connection m_opacityConnection = 0;
    Signal<>::Connection m_shadingConnection = 0;
};

} // namespace tessel
