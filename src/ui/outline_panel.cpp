#include "ui/outline_panel.h"

#include "ui/panel_views.h"
#include "ui/primitive_creation_view.h"
#include "ui/scene_tree_model.h"
#include "ui_outline_panel.h"

#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QScopedValueRollback>
#include <QScreen>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace tessel {

OutlinePanel::OutlinePanel(Document& owner, QWidget* parent)
    : QWidget(parent), m_ui(std::make_unique<Ui::OutlinePanel>()), m_outline(owner),
      m_model(new SceneTreeModel(owner.scene(), this)), m_popover(new QFrame(this, Qt::Popup)),
      m_popoverView(new PlaneCreationView(m_popover)) {
    m_ui->setupUi(this);
    m_ui->outlineView->setModel(m_model);
    m_ui->planeCreationView->setPanel(&m_outline.gridSizePanel);
    m_popoverView->setPanel(&m_outline.gridSizePanel);
    m_ui->primitiveCreationView->setPanel(&m_outline.primitivePanel);

    m_popover->setObjectName(QStringLiteral("planeCreationPopover"));
    m_popover->setFrameShape(QFrame::StyledPanel);
    auto* popoverLayout = new QVBoxLayout(m_popover);
    popoverLayout->addWidget(new QLabel(tr("Grid"), m_popover));
    popoverLayout->addWidget(m_popoverView);

    auto* addMenu = new QMenu(m_ui->addNodeButton);
    for (const std::string& item : m_outline.addNodeMenuItems) {
        const QString title = QString::fromStdString(item);
        QAction* action = addMenu->addAction(title);
        connect(action, &QAction::triggered, this, [this, title] { addNode(title); });
    }
    m_ui->addNodeButton->setMenu(addMenu);

    connect(m_ui->removeNodeButton, &QToolButton::clicked, this,
            [this] { m_outline.removeNode(); });
    connect(m_ui->visibilityButton, &QToolButton::toggled, this, [this](bool hidden) {
        m_ui->selectedObjectContainerView->setHidden(hidden);
        m_ui->visibilityButton->setText(hidden ? tr("Show settings") : tr("Hide settings"));
    });
    connect(m_ui->outlineView->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &OutlinePanel::outlineSelectionChanged);
    connect(m_ui->slider, &QSlider::sliderPressed, this,
            [this] { m_outline.materialPanel.beginSlide(); });
    connect(m_ui->slider, &QSlider::sliderReleased, this,
            [this] { m_outline.materialPanel.endSlide(); });
    connect(m_ui->slider, &QSlider::valueChanged, this, [this](int value) {
        m_outline.materialPanel.slideAlpha(value, m_ui->slider->maximum());
    });
    connect(m_ui->smoothShadingBox, &QCheckBox::toggled, this,
            [this](bool smooth) { m_outline.materialPanel.setSmoothShading(smooth); });
    connect(m_model, &QAbstractItemModel::rowsInserted, this, [this](const QModelIndex& parent) {
        if (!parent.isValid()) {
            expandRoot();
        }
        showSelectedNode();
    });
    // A reordered tree takes rows out and puts them back, and the selected row would be lost.
    connect(m_model, &QAbstractItemModel::rowsRemoved, this, &OutlinePanel::showSelectedNode);

    m_selectionConnection = owner.selectedNodeChanged.connect(
        [this](const NodePtr&, const NodePtr&) { followSelectedNode(); });
    m_popoverConnection =
        m_outline.planeCreationRequested.connect([this] { m_popoverRequested = true; });
    m_opacityConnection = m_outline.materialPanel.opacityChanged.connect([this] {
        // Also when undo wrote it: the slider shows the value.
        refreshPanels();
        Q_EMIT viewsChanged();
    });
    m_shadingConnection = m_outline.materialPanel.shadingChanged.connect([this] {
        refreshPanels();
        Q_EMIT viewsChanged();
    });

    expandRoot();
    followSelectedNode();
}

OutlinePanel::~OutlinePanel() {
    m_outline.materialPanel.shadingChanged.disconnect(m_shadingConnection);
    m_outline.materialPanel.opacityChanged.disconnect(m_opacityConnection);
    m_outline.planeCreationRequested.disconnect(m_popoverConnection);
    m_outline.owner().selectedNodeChanged.disconnect(m_selectionConnection);
}

QTreeView* OutlinePanel::outlineView() const { return m_ui->outlineView; }

QSlider* OutlinePanel::slider() const { return m_ui->slider; }

QCheckBox* OutlinePanel::smoothShadingBox() const { return m_ui->smoothShadingBox; }

PlaneCreationView* OutlinePanel::planeCreationView() const { return m_ui->planeCreationView; }

PrimitiveCreationView* OutlinePanel::primitiveCreationView() const {
    return m_ui->primitiveCreationView;
}

void OutlinePanel::addNode(const QString& title) {
    m_popoverRequested = false;
    m_outline.addNode(title.toStdString());
    // Shown once the grid is in place and selected, so the pop-up opens on its counts.
    if (m_popoverRequested) {
        m_popoverRequested = false;
        showPlaneCreationPopover();
    }
}

void OutlinePanel::showPlaneCreationPopover() {
    m_popoverView->refresh();
    m_popover->adjustSize();
    // Beside the tree's right edge, kept on the screen.
    QTreeView* tree = m_ui->outlineView;
    QPoint topLeft = tree->mapToGlobal(QPoint(tree->width(), 0));
    if (const QScreen* display = screen()) {
        const QRect available = display->availableGeometry();
        topLeft.setX(std::max(available.left(),
                              std::min(topLeft.x(), available.right() - m_popover->width())));
        topLeft.setY(std::max(available.top(),
                              std::min(topLeft.y(), available.bottom() - m_popover->height())));
    }
    m_popover->move(topLeft);
    m_popover->show();
    m_popoverView->rowsField()->setFocus(Qt::PopupFocusReason);
    m_popoverView->rowsField()->selectAll();
}

void OutlinePanel::outlineSelectionChanged() {
    if (m_following) {
        return;
    }
    const QModelIndexList rows = m_ui->outlineView->selectionModel()->selectedRows();
    if (!rows.isEmpty()) {
        m_outline.outlineSelectionChanged(m_model->node(rows.first()));
    }
}

void OutlinePanel::followSelectedNode() {
    showSelectedNode();
    refreshPanels();
}

void OutlinePanel::showSelectedNode() {
    const QScopedValueRollback<bool> guard(m_following, true);
    QItemSelectionModel* selection = m_ui->outlineView->selectionModel();
    const QModelIndex row = m_model->indexOf(m_outline.selectedNode());
    if (!row.isValid()) {
        selection->clear();
        return;
    }
    if (!selection->isRowSelected(row.row(), row.parent())) {
        selection->setCurrentIndex(row,
                                   QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    }
    m_ui->outlineView->scrollTo(row);
}

void OutlinePanel::refreshPanels() {
    m_ui->removeNodeButton->setEnabled(m_outline.canRemoveNode());
    const SceneOutline::CreationPanel creation = m_outline.creationPanel();
    m_ui->planeCreationContainerView->setVisible(creation == SceneOutline::CreationPanel::Grid);
    m_ui->cubeCreationContainerView->setVisible(creation == SceneOutline::CreationPanel::Cube);
    m_ui->cubeCreationView->setBounds(m_outline.cubeBounds());
    m_ui->primitiveCreationView->refresh();
    const std::optional<SceneOutline::MeshSummary> summary = m_outline.meshSummary();
    m_ui->meshSummaryView->setVisible(creation == SceneOutline::CreationPanel::Mesh);
    if (summary && creation == SceneOutline::CreationPanel::Mesh) {
        const QLocale locale;
        m_ui->meshSummaryView->setText(
            tr("<b>%1</b><br>%2 points, %3 faces")
                .arg(QString::fromStdString(summary->name).toHtmlEscaped(),
                     locale.toString(static_cast<qulonglong>(summary->points)),
                     locale.toString(static_cast<qulonglong>(summary->faces))));
    }
    m_ui->planeCreationView->refresh();
    m_popoverView->refresh();
    const std::optional<double> opacity =
        m_outline.materialPanel.sliderValue(m_ui->slider->maximum());
    m_ui->materialEditContainerView->setVisible(opacity.has_value());
    if (opacity) {
        const QSignalBlocker blocker(m_ui->slider);
        m_ui->slider->setValue(static_cast<int>(std::lround(*opacity)));
    }
    if (const std::optional<bool> smooth = m_outline.materialPanel.smoothShading()) {
        const QSignalBlocker blocker(m_ui->smoothShadingBox);
        m_ui->smoothShadingBox->setChecked(*smooth);
    }
}

void OutlinePanel::expandRoot() { m_ui->outlineView->expand(m_model->index(0, 0)); }

} // namespace tessel
