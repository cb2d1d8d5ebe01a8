#pragma once

#include <QDialog>

class QMenuBar;

namespace tessel {

// "Keyboard and mouse": every key, button and gesture of the editing area with what it does,
// one row per binding of the table the viewports dispatch through, then the shortcuts of the
// menus' entries that the table does not hold; below, each mode's tools with what the left
// button does.
class HelpWindow : public QDialog {
    Q_OBJECT

public:
    explicit HelpWindow(const QMenuBar* menus, QWidget* parent = nullptr);
};

} // namespace tessel
