// The window's Edit selection entries, View and Help menus, and its status bar.

#include "ui/main_window.h"

#include "render/gl_view.h"
#include "ui/help_window.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QStatusBar>

namespace tessel {

namespace {

QString text(std::string_view s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

// The shortcut of a command's key binding, if it has one.
QKeySequence shortcutOf(Command command) {
    const Binding* binding = keyBindingOf(command);
    if (!binding) {
        return {};
    }
    QString keys;
    if (binding->modifiers & Ctrl) {
        keys += "Ctrl+";
    }
    if (binding->modifiers & Shift) {
        keys += "Shift+";
    }
    if (binding->modifiers & Alt) {
        keys += "Alt+";
    }
    return QKeySequence(keys + text(binding->key).toUpper());
}

} // namespace

QMenu* MainWindow::menuNamed(const QString& title) {
    for (QAction* action : menuBar()->actions()) {
        if (action->menu() && action->text().remove('&') == title) {
            return action->menu();
        }
    }
    QMenu* menu = menuBar()->addMenu("&" + title);
    menu->setObjectName(title.toLower() + "Menu");
    return menu;
}

QAction* MainWindow::addCommand(QMenu* menu, Command command) {
    QAction* action = menu->addAction(text(commandName(command)));
    // Keys that also work inside a viewport stay the viewports' own; the menu only shows them.
    const QKeySequence keys = shortcutOf(command);
    if (!keys.isEmpty()) {
        action->setShortcut(keys);
        if (command != Command::SelectAll && command != Command::SelectNone &&
            command != Command::InvertSelection) {
            action->setShortcutContext(Qt::WidgetShortcut);
        }
    }
    connect(action, &QAction::triggered, this,
            [this, command] { m_editor.perform(command, m_editor.recentView()); });
    return action;
}

void MainWindow::buildSelectionActions() {
    QMenu* edit = menuNamed(tr("Edit"));
    edit->addSeparator();
    for (const Command command :
         {Command::SelectAll, Command::SelectNone, Command::InvertSelection}) {
        addCommand(edit, command);
    }
    // From the menu the transforms start from where the pointer last was in the viewport.
    edit->addSeparator();
    for (const Command command :
         {Command::StartMove, Command::StartRotate, Command::StartScale, Command::Duplicate}) {
        addCommand(edit, command);
    }
    edit->addSeparator();
    addCommand(edit, Command::Fill);
    addCommand(edit, Command::BridgeLoops);
    addCommand(edit, Command::StartLoopCut);
    addCommand(edit, Command::StartBevel);
    addCommand(edit, Command::StartPointBevel);
    addCommand(edit, Command::StartEdgeCrease);
    QMenu* removal = edit->addMenu(tr("Delete"));
    removal->setObjectName("deleteMenu");
    addCommand(removal, Command::DeletePoints);
    addCommand(removal, Command::DeleteEdges);
    addCommand(removal, Command::DeleteFaces)->setText(tr("Delete Faces"));
    addCommand(removal, Command::DeleteOnlyFaces);
}

void MainWindow::buildViewMenu() {
    QMenu* view = menuNamed(tr("View"));
    for (const std::optional<Command>& command : GLView::cornerCommands()) {
        if (command) {
            addCommand(view, *command);
        } else {
            view->addSeparator();
        }
    }
    addCommand(view, Command::ResetCameras);
    view->addSeparator();
    // Options of all four viewports, kept by the editor.
    const auto addViewOption = [this, view](const QString& title, const char* name,
                                            bool ViewOptions::*option) {
        QAction* action = view->addAction(title);
        action->setObjectName(name);
        action->setCheckable(true);
        action->setChecked(m_editor.viewOptions().*option);
        connect(action, &QAction::toggled, this, [this, option](bool on) {
            ViewOptions options = m_editor.viewOptions();
            options.*option = on;
            m_editor.setViewOptions(options);
        });
    };
    addViewOption(tr("Face Orientation"), "faceOrientationAction", &ViewOptions::faceOrientation);
    addViewOption(tr("Normals"), "normalsAction", &ViewOptions::normals);
    view->addSeparator();
    m_frameTimeAction = view->addAction(tr("Frame Time"));
    m_frameTimeAction->setCheckable(true);
    connect(m_frameTimeAction, &QAction::toggled, m_frameLabel, &QLabel::setVisible);
}

void MainWindow::buildHelpMenu() {
    QMenu* help = menuNamed(tr("Help"));
    help->addAction(tr("Keyboard and Mouse"), this, [this] {
        if (!m_helpWindow) {
            m_helpWindow = new HelpWindow(menuBar(), this);
        }
        m_helpWindow->show();
        m_helpWindow->raise();
    });
    help->addAction(tr("About Tessel"), this, [this] {
        QMessageBox::about(this, tr("About Tessel"),
                           tr("<b>Tessel</b><p>An interactive polygon-mesh modeller: four "
                              "viewports, editing tools in Vertex, Edge, Polygon and Mesh modes, "
                              "with a live preview of every edit.</p>"));
    });
}

void MainWindow::buildStatusBar() {
    QStatusBar* bar = statusBar();
    m_hintLabel = new QLabel(bar);
    m_hintLabel->setObjectName("toolHint");
    m_meshLabel = new QLabel(bar);
    m_meshLabel->setObjectName("meshStatus");
    m_selectionLabel = new QLabel(bar);
    m_selectionLabel->setObjectName("selectionStatus");
    m_frameLabel = new QLabel(bar);
    m_frameLabel->setObjectName("frameTime");
    m_frameLabel->hide();
    for (QLabel* label : {m_hintLabel, m_meshLabel, m_selectionLabel, m_frameLabel}) {
        label->setContentsMargins(6, 0, 6, 0);
    }
    // Messages take the place of the hint for a few seconds; the counts stay.
    bar->addWidget(m_hintLabel, 1);
    bar->addPermanentWidget(m_selectionLabel);
    bar->addPermanentWidget(m_meshLabel);
    bar->addPermanentWidget(m_frameLabel);
    m_statusConnection = m_editor.viewsChanged.connect([this] { refreshStatus(); });
    m_statusPickersConnection = m_editor.pickersChanged.connect([this] { refreshStatus(); });
    m_commandMessageConnection = m_editor.commandMessage.connect([this](const std::string& why) {
        statusBar()->showMessage(QString::fromStdString(why), 6000);
    });
    for (GLView* view : viewports()) {
        connect(view, &GLView::framePainted, this,
                [this, view](double milliseconds) { showFrameTime(view, milliseconds); });
    }
    refreshStatus();
}

void MainWindow::refreshStatus() {
    // A running transform shows its amount where the hint goes.
    const std::string transform = m_editor.transformStatus();
    m_hintLabel->setText(transform.empty() ? text(m_editor.toolHint())
                                           : QString::fromStdString(transform));
    m_meshLabel->setText(QString::fromStdString(m_editor.meshStatus()));
    const std::string selection = m_editor.selectionStatus();
    m_selectionLabel->setText(QString::fromStdString(selection));
    m_selectionLabel->setVisible(!selection.empty());
}

void MainWindow::showFrameTime(GLView* view, double milliseconds) {
    if (!m_frameLabel->isVisible()) {
        return;
    }
    // Frames per second from the interval between two frames of the same viewport, while they
    // come close together (a drag); an idle editor draws nothing.
    QElapsedTimer& since = m_framesSince[view];
    QString rate;
    if (since.isValid() && since.elapsed() < 1000) {
        rate = tr(", %1 fps").arg(1000.0 / std::max<qint64>(1, since.elapsed()), 0, 'f', 0);
    }
    since.start();
    m_frameLabel->setText(tr("Frame %1 ms%2").arg(milliseconds, 0, 'f', 1).arg(rate));
}

} // namespace tessel
