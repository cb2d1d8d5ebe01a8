#pragma once

#include <QDialog>

class QSpinBox;
class QCheckBox;

namespace tessel {

// What the user sets in Edit → Preferences, kept in the settings file (Tessel.conf).
struct Preferences {
    // How long unsaved work waits for its autosave, in seconds; 0: no autosave.
    int autosaveSeconds = 120;
    // The undo history's memory budget, in megabytes.
    int historyMegabytes = 256;

    static Preferences load();
    void save() const;
};

// Edit → Preferences: the autosave interval, the history's budget and the list of recent files.
class PreferencesDialog : public QDialog {
    Q_OBJECT

public:
    PreferencesDialog(const Preferences& preferences, QWidget* parent);
    // What the fields say, the interval unchanged unless its field was changed (a test may have
    // set seconds the minutes field cannot show).
    Preferences preferences() const;

private:
    Preferences m_start;
    QCheckBox* m_autosave;
    QSpinBox* m_minutes;
    QSpinBox* m_megabytes;
};

} // namespace tessel
