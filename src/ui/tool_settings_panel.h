#pragma once

#include "tools/operation.h"

#include <QGroupBox>

#include <vector>

class QFormLayout;

namespace tessel {

class Editor;

// The current tool's settings (or the amounts of the last transform), one field each: a spin
// box for a number, a list for a choice, a check box for a toggle. A value the user sets goes to
// the editor; the fields show the editor's values again on every refresh. Hidden when the tool
// has none.
//
// The editor must outlive the panel's use: the window refreshes it from its own signals.
class ToolSettingsPanel : public QGroupBox {
    Q_OBJECT

public:
    explicit ToolSettingsPanel(Editor& editor, QWidget* parent = nullptr);

    // Shows the editor's settings: the fields are built again when `rebuild` or when the list's
    // names, kinds, bounds or choices differ from those shown, else only their values change.
    void refresh(bool rebuild = false);

    // The field of setting `index` (a QDoubleSpinBox, QComboBox or QCheckBox), or null.
    QWidget* field(int index) const;

private:
    void build(const std::vector<ToolSetting>& settings);

    Editor& m_editor;
    QFormLayout* m_layout;
    std::vector<ToolSetting> m_shown;
    std::vector<QWidget*> m_fields;
};

} // namespace tessel
