#include "ui/panel_views.h"

#include "editor/grid_size_panel.h"

#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QRegularExpressionValidator>

#include <algorithm>
#include <cmath>
#include <optional>
#include <utility>

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
    : QWidget(parent), m_rows(makeCountField(this)), m_columns(makeCountField(this)),
      m_edited(new QLabel(tr("edited: rows and columns no longer apply"), this)) {
    m_rows->setObjectName(QStringLiteral("rowsField"));
    m_columns->setObjectName(QStringLiteral("columnsField"));
    m_edited->setObjectName(QStringLiteral("gridEditedNote"));
    m_edited->setWordWrap(true);
    m_edited->setEnabled(false);
    auto* layout = new QFormLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addRow(tr("Rows"), m_rows);
    layout->addRow(tr("Columns"), m_columns);
    layout->addRow(m_edited);
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
    // An entry being typed stays until it is finished.
    for (const auto& [field, count] : {std::pair{m_rows, rows}, {m_columns, columns}}) {
        if (!(field->hasFocus() && field->isModified())) {
            field->setText(shown(count));
        }
    }
    const bool applies = m_panel && m_panel->applies();
    m_rows->setEnabled(applies);
    m_columns->setEnabled(applies);
    m_edited->setVisible(rows.has_value() && !applies);
}

void PlaneCreationView::commitRows() {
    if (m_panel) {
        m_panel->setRows(entry(m_rows));
    }
    m_rows->setModified(false);
    // A clamped or unchanged entry announces nothing, yet the field must show what is stored.
    refresh();
}

void PlaneCreationView::commitColumns() {
    if (m_panel) {
        m_panel->setColumns(entry(m_columns));
    }
    m_columns->setModified(false);
    refresh();
}

CubeCreationView::CubeCreationView(QWidget* parent) : QWidget(parent) {
    auto* title = new QLabel(tr("Cube"), this);
    title->setObjectName(QStringLiteral("cubeTitle"));
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);
    m_size = new QLabel(this);
    m_size->setObjectName(QStringLiteral("cubeSize"));
    m_centre = new QLabel(this);
    m_centre->setObjectName(QStringLiteral("cubeCentre"));
    auto* layout = new QFormLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addRow(title);
    layout->addRow(tr("Size"), m_size);
    layout->addRow(tr("Centre"), m_centre);
    setBounds(std::nullopt);
}

void CubeCreationView::setBounds(const std::optional<Box>& bounds) {
    if (!bounds) {
        m_size->setText(QStringLiteral("—"));
        m_centre->setText(QStringLiteral("—"));
        return;
    }
    const Vector3 size = bounds->max - bounds->min;
    const Vector3 centre = bounds->centre();
    // Four significant digits, what a panel line has room for ("2", not "2.000"); a centre that
    // rounding moved off zero by a hair of the cube's size reads 0.
    const float hair = 1e-5f * std::max({size.x, size.y, size.z, 1e-30f});
    const auto number = [hair](float value) {
        return QLocale().toString(std::abs(value) < hair ? 0.0f : value, 'g', 4);
    };
    m_size->setText(
        QStringLiteral("%1 × %2 × %3").arg(number(size.x), number(size.y), number(size.z)));
    m_centre->setText(
        QStringLiteral("%1, %2, %3").arg(number(centre.x), number(centre.y), number(centre.z)));
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
