#pragma once

#include <QDialog>

namespace tessel {

// "Keyboard and mouse": every key, button and gesture of the editing area with what it does,
// one row per binding of the table the viewports dispatch through.
class HelpWindow : public QDialog {
    Q_OBJECT

public:
    explicit HelpWindow(QWidget* parent = nullptr);
};

} // namespace tessel
