#include "ui/main_window.h"

#include "render/gl_view.h"
#include "tools/tool_table.h"
#include "ui/autosave.h"
#include "ui/exit_signals.h"
#include "ui/file_menu.h"
#include "ui/outline_panel.h"
#include "ui/scene_tree_model.h"
#include "ui/tool_settings_panel.h"
#include "ui_main_window.h"

#include <QButtonGroup>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLocale>
#include <QMenuBar>
#include <QMimeData>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QVBoxLayout>

#include <algorithm>

namespace tessel {

MainWindow::MainWindow(QWidget* parent)
    : QMainWindow(parent), m_ui(std::make_unique<Ui::MainWindow>()) {
    m_ui->setupUi(this);
    m_ui->mainSplitter->setStretchFactor(0, 0);
    m_ui->mainSplitter->setStretchFactor(1, 1);
    m_ui->mainSplitter->setSizes({220, 1180});

    QButtonGroup* options = m_ui->renderingOptionsControl;
    options->setId(m_ui->pointsButton, 0);
    options->setId(m_ui->linesButton, 1);
    options->setId(m_ui->filledButton, 2);

    for (size_t tag = 0; tag < kModes.size(); ++tag) {
        m_ui->modeButton->addItem(
            QString::fromUtf8(kModes[tag].name.data(),
                              static_cast<qsizetype>(kModes[tag].name.size())),
            static_cast<int>(tag));
    }

    // Only user actions reach the editor: the refreshes below block the widgets' signals.
    connect(m_ui->modeButton, &QComboBox::activated, this, [this](int index) {
        m_editor.modeSelected(m_ui->modeButton->itemData(index).toInt());
        refreshPickers();
        updateViewports();
    });
    connect(m_ui->toolButton, &QComboBox::activated, this, [this](int index) {
        m_editor.toolSelected(m_ui->toolButton->itemData(index).toInt());
        refreshPickers();
        updateViewports();
    });
    connect(m_ui->applyButton, &QPushButton::clicked, this, [this] {
        m_editor.apply();
        updateViewports();
    });
    connect(options, &QButtonGroup::idClicked, this, [this, options](int segment) {
        m_editor.renderingOptionsControlClicked(segment, options->button(segment)->isChecked());
        refreshPickers();
        updateViewports();
    });
    connect(m_ui->topSplitView, &QSplitter::splitterMoved, this, [this](int, int index) {
        followDivider(m_ui->topSplitView, m_ui->bottomSplitView, index);
    });
    connect(m_ui->bottomSplitView, &QSplitter::splitterMoved, this, [this](int, int index) {
        followDivider(m_ui->bottomSplitView, m_ui->topSplitView, index);
    });

    m_moveConnection = m_editor.viewMoved.connect([this](Viewport& moved) {
        for (GLView* view : viewports()) {
            if (&view->viewport() == &moved) {
                view->update();
            }
        }
    });
    m_repaintConnection = m_editor.viewsChanged.connect([this] {
        updateViewports();
        // A commit, undo or redo may change what the panel says of the selected mesh.
        if (m_outline) {
            m_outline->refreshPanels();
        }
        if (m_toolSettings) {
            m_toolSettings->refresh();
        }
    });
    m_pickersConnection = m_editor.pickersChanged.connect([this] { refreshPickers(); });
    m_refusalConnection =
        m_editor.editRefused.connect([this](Model::Refusal refusal) { showRefusal(refusal); });
    m_selectionConnection = m_document.selectedNodeChanged.connect(
        [this](const NodePtr&, const NodePtr&) { refreshApplyButton(); });

    m_outline = new OutlinePanel(m_document, m_ui->outlineArea);
    auto* outlineLayout = new QVBoxLayout(m_ui->outlineArea);
    outlineLayout->setContentsMargins(0, 0, 0, 0);
    outlineLayout->addWidget(m_outline);
    m_toolSettings = new ToolSettingsPanel(m_editor, m_ui->outlineArea);
    outlineLayout->addWidget(m_toolSettings);
    // Opacity changes touch no selection, so the panel asks the editor for the repaint itself.
    connect(m_outline, &OutlinePanel::viewsChanged, this, [this] { m_editor.refresh(); });

    // Taken from the first user change on: the initial scene is not one.
    m_stepConnection =
        m_document.stepRecorded.connect([this](const StepPtr& step) { m_history.record(step); });
    m_history.stepsDropped.connect([this](std::size_t) { tellStepsDropped(); });
    m_files = new FileMenu(this, m_document, m_history);
    m_files->build(menuBar()->addMenu(tr("&File")));
    connect(m_files, &FileMenu::message, this,
            [this](const QString& text) { statusBar()->showMessage(text, 8000); });
    // The tree's root row is the document, named as the title names it.
    connect(m_files, &FileMenu::documentNameChanged, m_outline->model(),
            &SceneTreeModel::setDocumentName);
    m_outline->model()->setDocumentName(m_files->documentName());
    // What was read may lie anywhere: every viewport shows all of the scene, as Frame All does.
    connect(m_files, &FileMenu::sceneRead, this, [this] {
        for (GLView* view : viewports()) {
            m_editor.perform(Command::FrameAll, view->viewport());
        }
    });
    buildEditMenu();
    setUpAutosave();
    setAcceptDrops(true);

    m_editor.bindViewports({&m_ui->topLeftView->viewport(), &m_ui->topRightView->viewport(),
                            &m_ui->bottomLeftView->viewport(), &m_ui->bottomRightView->viewport()});
    for (GLView* view : viewports()) {
        view->setEditor(&m_editor);
        view->installEventFilter(this);
    }
    m_ui->modeButton->installEventFilter(this);
    m_ui->toolButton->installEventFilter(this);
    refreshPickers();
    buildStatusBar();
    buildSelectionActions();
    buildViewMenu();
    buildHelpMenu();
}

MainWindow::~MainWindow() {
    // The views outlive the editor (child widgets go after the members): no event or paint of
    // theirs may reach it.
    for (GLView* view : viewports()) {
        view->setEditor(nullptr);
    }
    // The panel refers to m_document, which members' destruction ends before the child widgets go.
    delete m_outline;
    // This one refers to m_editor likewise.
    delete m_toolSettings;
    m_toolSettings = nullptr;
    m_document.stepRecorded.disconnect(m_stepConnection);
    m_document.selectedNodeChanged.disconnect(m_selectionConnection);
    m_editor.editRefused.disconnect(m_refusalConnection);
    m_editor.pickersChanged.disconnect(m_pickersConnection);
    m_editor.viewsChanged.disconnect(m_repaintConnection);
    m_editor.viewMoved.disconnect(m_moveConnection);
    m_editor.viewsChanged.disconnect(m_statusConnection);
    m_editor.pickersChanged.disconnect(m_statusPickersConnection);
    m_editor.commandMessage.disconnect(m_commandMessageConnection);
}

std::array<GLView*, 4> MainWindow::viewports() const {
    return {m_ui->topLeftView, m_ui->topRightView, m_ui->bottomLeftView, m_ui->bottomRightView};
}

void MainWindow::refreshPickers() {
    const int modeTag = m_editor.modeTag();
    {
        const QSignalBlocker blocker(m_ui->modeButton);
        m_ui->modeButton->setCurrentIndex(m_ui->modeButton->findData(modeTag));
    }
    {
        const QSignalBlocker blocker(m_ui->toolButton);
        const std::span<const ToolEntry> tools = kModes.at(static_cast<size_t>(modeTag)).tools;
        // Refill only when the list differs, so an open pop-up is not rebuilt under the user.
        bool same = m_ui->toolButton->count() == static_cast<int>(tools.size());
        for (int i = 0; same && i < m_ui->toolButton->count(); ++i) {
            same =
                m_ui->toolButton->itemText(i).toStdString() == tools[static_cast<size_t>(i)].name;
        }
        if (!same) {
            m_ui->toolButton->clear();
            for (size_t tag = 0; tag < tools.size(); ++tag) {
                m_ui->toolButton->addItem(
                    QString::fromUtf8(tools[tag].name.data(),
                                      static_cast<qsizetype>(tools[tag].name.size())),
                    static_cast<int>(tag));
            }
        }
        m_ui->toolButton->setCurrentIndex(m_ui->toolButton->findData(m_editor.toolTag()));
    }
    if (m_toolSettings) {
        m_toolSettings->refresh();
    }
    QAbstractButton* buttons[] = {m_ui->pointsButton, m_ui->linesButton, m_ui->filledButton};
    for (int segment = 0; segment < 3; ++segment) {
        const QSignalBlocker blocker(buttons[segment]);
        buttons[segment]->setChecked(
            m_editor.renderingOptionsControl()[static_cast<size_t>(segment)]);
    }
    refreshApplyButton();
}

void MainWindow::refreshApplyButton() { m_ui->applyButton->setEnabled(m_editor.canApply()); }

void MainWindow::updateViewports() {
    for (GLView* view : viewports()) {
        view->update();
    }
}

void MainWindow::showRefusal(Model::Refusal refusal) {
    const QString limit = QLocale().toString(static_cast<qulonglong>(kMaxTriangles));
    const QString text = refusal == Model::Refusal::Commit
                             ? tr("Not applied: the mesh would have more than %1 triangles.")
                             : tr("No preview: the mesh would have more than %1 triangles.");
    statusBar()->showMessage(text.arg(limit), 6000);
}

void MainWindow::buildEditMenu() {
    QMenu* edit = menuBar()->addMenu(tr("&Edit"));
    QAction* undo = edit->addAction(tr("&Undo"), this, [this] { m_history.undo(); });
    undo->setObjectName("undoAction");
    undo->setShortcut(QKeySequence::Undo);
    QAction* redo = edit->addAction(tr("&Redo"), this, [this] { m_history.redo(); });
    redo->setObjectName("redoAction");
    redo->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
    // Help names them without the step's name their text adds.
    undo->setIconText(tr("Undo"));
    redo->setIconText(tr("Redo"));
    // "&Undo Move", or "&Undo" disabled.
    const auto name = [](QAction* action, const QString& verb, bool can, const std::string& step) {
        action->setEnabled(can);
        action->setText(step.empty() ? verb : verb + ' ' + QString::fromStdString(step));
    };
    const auto refreshActions = [this, undo, redo, name] {
        name(undo, tr("&Undo"), m_history.canUndo(), m_history.undoName());
        name(redo, tr("&Redo"), m_history.canRedo(), m_history.redoName());
    };
    refreshActions();
    // Undo may change anything the toolbar and the viewports show.
    m_history.changed.connect([this, refreshActions] {
        refreshActions();
        refreshPickers();
        updateViewports();
    });
}

void MainWindow::tellStepsDropped() {
    if (m_toldStepsDropped) {
        return;
    }
    m_toldStepsDropped = true;
    const QString budget = QLocale().formattedDataSize(static_cast<qint64>(m_history.budget()), 0,
                                                       QLocale::DataSizeTraditionalFormat);
    statusBar()->showMessage(tr("Undo history over its %1: the oldest steps are dropped "
                                "(Edit → Preferences sets the budget).")
                                 .arg(budget),
                             12000);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    // A picker turned by a wheel meant for a viewport would switch the tool unseen.
    if (event->type() == QEvent::Wheel &&
        (watched == m_ui->modeButton || watched == m_ui->toolButton)) {
        return true;
    }
    // Tab would hand the keyboard to a panel field, where the camera keys type digits.
    if (event->type() == QEvent::KeyPress && qobject_cast<GLView*>(watched) != nullptr) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Tab || key == Qt::Key_Backtab) {
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (m_files->mayDiscardChanges()) {
        // A clean end: nothing is left to recover.
        m_autosave->discard();
        event->accept();
    } else {
        event->ignore();
    }
}

namespace {

// The local file a drop carries, or an empty string.
QString droppedFile(const QMimeData* data) {
    const QList<QUrl> urls = data->urls();
    return urls.size() == 1 && urls.front().isLocalFile() ? urls.front().toLocalFile() : QString();
}

} // namespace

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
    if (!droppedFile(event->mimeData()).isEmpty()) {
        event->acceptProposedAction();
    }
}

void MainWindow::dropEvent(QDropEvent* event) {
    const QString path = droppedFile(event->mimeData());
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (path.isEmpty()) {
        return;
    }
    event->acceptProposedAction();
    if (suffix == QLatin1String("glb") || suffix == QLatin1String("gltf")) {
        if (m_files->mayDiscardChanges()) {
            m_files->openFile(path);
        }
    } else {
        m_files->importFile(path);
    }
}

void MainWindow::followDivider(QSplitter* moved, QSplitter* other, int index) {
    // Handle i of a QSplitter sits before widget i, so the first divider has index 1.
    QList<int> sizes = other->sizes();
    if (index < 1 || index >= sizes.size() || moved->count() == 0) {
        return;
    }
    int before = 0;
    for (int i = 0; i + 1 < index; ++i) {
        before += sizes[i] + other->handleWidth();
    }
    const int pair = sizes[index - 1] + sizes[index];
    const int left = std::clamp(moved->widget(0)->width() - before, 0, pair);
    sizes[index - 1] = left;
    sizes[index] = pair - left;
    other->setSizes(sizes);
}

} // namespace tessel
