#pragma once

#include "mesh/primitives.h"

#include <QWidget>

#include <cstddef>
#include <memory>
#include <vector>

class QFormLayout;
class QLabel;

namespace tessel {

class PrimitivePanel;

// The settings of the selected primitive: its name in bold, then a field per setting (a number,
// or a list of options), as the panel lists them. A number is handed on when it is finished
// (Return or leaving the field), an option when it is picked; the settings clamp what they are
// given, and the field then shows what was stored. Once the primitive's points were edited the
// settings no longer apply: the fields are disabled, with a note saying so.
class PrimitiveCreationView : public QWidget {
    Q_OBJECT

public:
    explicit PrimitiveCreationView(QWidget* parent = nullptr);

    void setPanel(PrimitivePanel* panel);
    // Shows the selected primitive's settings as they are now (none: the view is empty).
    void refresh();

    // The field of setting `index` (a QLineEdit or a QComboBox), or null past the settings.
    QWidget* field(std::size_t index) const;
    QLabel* editedNote() const { return m_edited; }

private:
    // Makes the fields for the primitive's settings, dropping those of the one shown before.
    void rebuild(const PrimitiveParams& params);
    void commit(std::size_t index);

    PrimitivePanel* m_panel = nullptr;
    QLabel* m_title;
    QFormLayout* m_form;
    QLabel* m_edited;
    std::vector<QWidget*> m_fields;
    // The settings the fields were made for.
    std::weak_ptr<PrimitiveParams> m_shown;
};

} // namespace tessel
