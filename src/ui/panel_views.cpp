#include "ui/panel_views.h"

#include "editor/grid_size_panel.h"

#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>

#include <optional>

namespace tessel {

namespace {

QLineEdit* makeCountField(QWidget* parent) {
    auto* field = new QLineEdit(parent);
    // Three digits reach past the largest count, so an over-large entry is accepted and then
    // shown clamped rather than silently refused while typing.
    field->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,3}")), field));
    field->setPlaceholderText(QStringLiteral("—"));
    return field;
}

std::optional<double> entry(const QLineEdit* field) {
    bool ok = false;
    const int value = field->text().toInt(&ok);
    return ok ? std::optional<double>(value) : std::nullopt;
}

QString shown(std::optional<std::int64_t> count) {
    return count ? QString::number(*count) : QString();
}

} // namespace

PlaneCreationView::PlaneCreationView(QWidget* parent)
    : QWidget(parent), m_rows(makeCountField(this)), m_columns(makeCountField(this)) {
    m_rows->setObjectName(QStringLiteral("rowsField"));
    m_columns->setObjectName(QStringLiteral("columnsField"));
    auto* layout = new QFormLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addRow(tr("Rows"), m_rows);
    layout->addRow(tr("Columns"), m_columns);
    connect(m_rows, &QLineEdit::editingFinished, this, &PlaneCreationView::commitRows);
    connect(m_columns, &QLineEdit::editingFinished, this, &PlaneCreationView::commitColumns);
    refresh();
}

void PlaneCreationView::setPanel(GridSizePanel* panel) {
    m_panel = panel;
    refresh();
}

void PlaneCreationView::refresh() {
    const std::optional<std::int64_t> rows = m_panel ? m_panel->rows() : std::nullopt;
    const std::optional<std::int64_t> columns = m_panel ? m_panel->columns() : std::nullopt;
    m_rows->setText(shown(rows));
    m_columns->setText(shown(columns));
    m_rows->setEnabled(rows.has_value());
    m_columns->setEnabled(columns.has_value());
}

void PlaneCreationView::commitRows() {
    if (m_panel) {
        m_panel->setRows(entry(m_rows));
    }
    // A clamped or unchanged entry announces nothing, yet the field must show what is stored.
    refresh();
}

void PlaneCreationView::commitColumns() {
    if (m_panel) {
        m_panel->setColumns(entry(m_columns));
    }
    refresh();
}

CubeCreationView::CubeCreationView(QWidget* parent) : QWidget(parent) {
    auto* title = new QLabel(tr("Cube"), this);
    title->setObjectName(QStringLiteral("cubeTitle"));
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);
    auto* size = new QLabel(QStringLiteral("2 × 2 × 2"), this);
    size->setObjectName(QStringLiteral("cubeSize"));
    auto* centre = new QLabel(QStringLiteral("0, 0, 0"), this);
    centre->setObjectName(QStringLiteral("cubeCentre"));
    auto* layout = new QFormLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addRow(title);
    layout->addRow(tr("Size"), size);
    layout->addRow(tr("Centre"), centre);
}

QSize SelectedObjectContainerView::sizeHint() const {
    if (const auto* first = findChild<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
        if (const auto* inner = first->findChild<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
            return inner->sizeHint();
        }
    }
    return QWidget::sizeHint();
}

} // namespace tessel
