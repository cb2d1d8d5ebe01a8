#pragma once

#include "editor/document.h"
#include "editor/editor.h"

#include <QMainWindow>
#include <QUndoStack>

#include <array>
#include <memory>

class QSplitter;

namespace Ui {
class MainWindow;
}

namespace tessel {

class FileMenu;
class GLView;
class OutlinePanel;

// The modeller's window: the scene panel beside the editing area, whose toolbar holds the mode
// and tool pickers, the apply button and the rendering options, above four viewports in two
// rows; a status bar, there from the first refused edit on, tells why an edit was refused. It
// owns the shared editing state and the editor controller, and keeps the toolbar and the
// viewports in step with them.
class MainWindow : public QMainWindow {
    Q_OBJECT

public:
    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    Document& document() { return m_split; }
    Editor& editor() { return m_detail; }
    // Top-left, top-right, bottom-left, bottom-right.
    std::array<GLView*, 4> viewports() const;
    // Every recorded change, for undo and redo.
    QUndoStack& history() { return m_history; }
    FileMenu& files() { return *m_files; }

protected:
    // Unsaved changes are not closed without asking.
    void closeEvent(QCloseEvent* event) override;
    // A dropped glTF file is opened, a file of another format imported.
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    // Shows the controller's picker state without sending it back as user actions.
    void refreshPickers();
    void refreshApplyButton();
    void updateViewports();
    void showRefusal(Model::Refusal refusal);
    void buildEditMenu();
    // The user moved divider `index` of `moved`: the other row's divider follows.
    void followDivider(QSplitter* moved, QSplitter* other, int index);

    std::unique_ptr<Ui::MainWindow> m_ui;
    // The scene panel; a child widget that refers to m_split.
    OutlinePanel* m_outline = nullptr;
    FileMenu* m_files = nullptr;
    Document m_split;
    Editor m_detail{m_split};
    QUndoStack m_history;
    Signal<>::Connection m_needsDisplayConnection = 0;
    Signal<>::Connection m_pickersConnection = 0;
    Signal<Model::Refusal>::Connection m_refusalConnection = 0;
    Signal<const NodePtr&, const NodePtr&>::Connection m_selectionConnection = 0;
    Signal<const StepPtr&>::Connection m_stepConnection = 0;
};

} // namespace tessel
