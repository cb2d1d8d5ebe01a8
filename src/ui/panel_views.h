#pragma once

#include "scene/navigation.h"

#include <QWidget>

#include <optional>

class QLabel;
class QLineEdit;

namespace tessel {

class GridSizePanel;

// The rows and columns fields of a quad grid. They show the panel's counts (empty and
// disabled when the selected mesh is not a grid) and hand a finished entry to it: Return or
// leaving the field. Digits only; the grid's parameters clamp the value, and the field then
// shows what was stored. Once the grid's points were edited the counts no longer apply: the
// fields are disabled, with a note saying so.
class PlaneCreationView : public QWidget {
    Q_OBJECT

public:
    explicit PlaneCreationView(QWidget* parent = nullptr);

    void setPanel(GridSizePanel* panel);
    // Shows the panel's current counts.
    void refresh();

    QLineEdit* rowsField() const { return m_rows; }
    QLineEdit* columnsField() const { return m_columns; }
    QLabel* editedNote() const { return m_edited; }

    QSize sizeHint() const override { return {200, 70}; }

private:
    void commitRows();
    void commitColumns();

    GridSizePanel* m_panel = nullptr;
    QLineEdit* m_rows;
    QLineEdit* m_columns;
    QLabel* m_edited;
};

// The read-only description of a cube mesh: its title, and the size and centre of the box
// around its points, which follow every edit.
class CubeCreationView : public QWidget {
    Q_OBJECT

public:
    explicit CubeCreationView(QWidget* parent = nullptr);

    // Shows the box (none: a cube with no points left).
    void setBounds(const std::optional<Box>& bounds);

    QSize sizeHint() const override { return {200, 70}; }

private:
    QLabel* m_size;
    QLabel* m_centre;
};

// Holds the panels of the selected object. Its preferred size is that of the first widget
// inside its first child widget, so the side panel sizes it by the panel it leads with.
class SelectedObjectContainerView : public QWidget {
    Q_OBJECT

public:
    using QWidget::QWidget;

    QSize sizeHint() const override;
};

} // namespace tessel
