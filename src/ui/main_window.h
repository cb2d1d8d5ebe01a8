#pragma once

#include "editor/document.h"
#include "editor/editor.h"
#include "editor/history.h"
#include "ui/preferences.h"

#include <QElapsedTimer>
#include <QMainWindow>

#include <array>
#include <map>
#include <memory>

class QAction;
class QLabel;
class QMenu;
class QSplitter;

namespace Ui {
class MainWindow;
}

namespace tessel {

class Autosave;
class ExitSignals;
class FileMenu;
class GLView;
class HelpWindow;
class OutlinePanel;
class ToolSettingsPanel;

// The modeller's window: the scene panel beside the editing area, whose toolbar holds the mode
// and tool pickers, the apply button and the rendering options, above four viewports in two
// rows; Edit, View and Help menus; a status bar with the selected mesh's counts, the
// selection's, what the tool does and messages such as why an edit was refused. It owns the
// shared editing state and the editor, and keeps the toolbar, the status bar and the
// viewports in step with them.
class MainWindow : public QMainWindow {
    Q_OBJECT

public:
    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    Document& document() { return m_document; }
    Editor& editor() { return m_editor; }
    // Top-left, top-right, bottom-left, bottom-right.
    std::array<GLView*, 4> viewports() const;
    // Every recorded change, for undo and redo.
    History& history() { return m_history; }
    FileMenu& files() { return *m_files; }
    Autosave& autosave() { return *m_autosave; }

    // Starts the session (main_window_recovery.cpp): exits by signal or by losing the display
    // autosave first; work a session before left unsaved is offered for recovery; then the file
    // the command line names is opened. `--recover RECORD` recovers that record's work instead.
    void start(const QStringList& arguments);

protected:
    // A wheel turn over the mode or tool picker changes nothing; Tab keeps the keyboard in the
    // viewports.
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Unsaved changes are not closed without asking.
    void closeEvent(QCloseEvent* event) override;
    // A dropped glTF file is opened, a file of another format imported.
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    // Shows the editor's picker state without sending it back as user actions.
    void refreshPickers();
    void refreshApplyButton();
    void updateViewports();
    void showRefusal(Model::Refusal refusal);
    void buildEditMenu();
    // The first time steps are dropped for the budget, the status bar says so.
    void tellStepsDropped();
    void setUpAutosave();
    void applyPreferences(const Preferences& preferences);
    // The user moved divider `index` of `moved`: the other row's divider follows.
    void followDivider(QSplitter* moved, QSplitter* other, int index);

    // Menus and status bar (main_window_menus.cpp).
    // The menu bar's menu of that title, added at the end when there is none yet.
    QMenu* menuNamed(const QString& title);
    // An entry that performs `command` on the recent viewport, showing its key.
    QAction* addCommand(QMenu* menu, Command command);
    void buildSelectionActions();
    void buildViewMenu();
    void buildHelpMenu();
    void buildStatusBar();
    void refreshStatus();
    void showFrameTime(GLView* view, double milliseconds);

    std::unique_ptr<Ui::MainWindow> m_ui;
    // The scene panel; a child widget that refers to m_document.
    OutlinePanel* m_outline = nullptr;
    // The current tool's settings, below the scene panel; a child widget that refers to m_editor.
    ToolSettingsPanel* m_toolSettings = nullptr;
    FileMenu* m_files = nullptr;
    Document m_document;
    Editor m_editor{m_document};
    History m_history;
    bool m_toldStepsDropped = false;
    Signal<>::Connection m_repaintConnection = 0;
    Signal<Viewport&>::Connection m_moveConnection = 0;
    Signal<>::Connection m_pickersConnection = 0;
    Signal<Model::Refusal>::Connection m_refusalConnection = 0;
    Signal<const NodePtr&, const NodePtr&>::Connection m_selectionConnection = 0;
    Signal<const StepPtr&>::Connection m_stepConnection = 0;
    Signal<>::Connection m_statusConnection = 0;
    Signal<>::Connection m_statusPickersConnection = 0;
    Signal<const std::string&>::Connection m_commandMessageConnection = 0;
    QLabel* m_hintLabel = nullptr;
    QLabel* m_meshLabel = nullptr;
    QLabel* m_selectionLabel = nullptr;
    QLabel* m_frameLabel = nullptr;
    QAction* m_frameTimeAction = nullptr;
    HelpWindow* m_helpWindow = nullptr;
    std::map<GLView*, QElapsedTimer> m_framesSince;
    // After the history: it stops listening to it first.
    std::unique_ptr<Autosave> m_autosave;
    std::unique_ptr<ExitSignals> m_exitSignals;
    Preferences m_preferences;
};

} // namespace tessel
