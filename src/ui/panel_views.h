#pragma once

#include <QWidget>

class QLineEdit;

namespace tessel {

class GridSizePanel;

// The rows and columns fields of a quad grid. They show the panel's counts (empty and
// disabled when the selected mesh is not a grid) and hand a finished entry to it: Return or
// leaving the field. Digits only; the grid's parameters clamp the value, and the field then
// shows what was stored.
class PlaneCreationView : public QWidget {
    Q_OBJECT

public:
    explicit PlaneCreationView(QWidget* parent = nullptr);

    void setPanel(GridSizePanel* panel);
    // Shows the panel's current counts.
    void refresh();

    QLineEdit* rowsField() const { return m_rows; }
    QLineEdit* columnsField() const { return m_columns; }

    QSize sizeHint() const override { return {200, 70}; }

private:
    void commitRows();
    void commitColumns();

    GridSizePanel* m_panel = nullptr;
    QLineEdit* m_rows;
    QLineEdit* m_columns;
};

// The read-only description of a cube mesh: its title, and the size and centre it is created
// with (the 2-unit cube on the origin). Like a grid's rows and columns, these describe the
// creation and stay as they are when the cube's points are edited.
class CubeCreationView : public QWidget {
    Q_OBJECT

public:
    explicit CubeCreationView(QWidget* parent = nullptr);

    QSize sizeHint() const override { return {200, 70}; }
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
