#include "ui/tool_settings_panel.h"

#include "editor/editor.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QLabel>
#include <QSignalBlocker>

#include <algorithm>
#include <cmath>

namespace tessel {

namespace {

QString text(const std::string& s) { return QString::fromStdString(s); }

// Whether two lists need the same fields: everything but the values agrees.
bool sameShape(const std::vector<ToolSetting>& a, const std::vector<ToolSetting>& b) {
    return std::equal(
        a.begin(), a.end(), b.begin(), b.end(), [](const ToolSetting& x, const ToolSetting& y) {
            return x.name == y.name && x.kind == y.kind && x.minimum == y.minimum &&
                   x.maximum == y.maximum && x.decimals == y.decimals && x.choices == y.choices;
        });
}

} // namespace

ToolSettingsPanel::ToolSettingsPanel(Editor& editor, QWidget* parent)
    : QGroupBox(tr("Tool settings"), parent), m_editor(editor), m_layout(new QFormLayout(this)) {
    setObjectName("toolSettings");
    m_layout->setContentsMargins(6, 6, 6, 6);
    refresh(true);
}

QWidget* ToolSettingsPanel::field(int index) const {
    return index >= 0 && index < static_cast<int>(m_fields.size())
               ? m_fields[static_cast<size_t>(index)]
               : nullptr;
}

void ToolSettingsPanel::refresh(bool rebuild) {
    const std::vector<ToolSetting> settings = m_editor.toolSettings();
    if (rebuild || !sameShape(settings, m_shown)) {
        build(settings);
    }
    m_shown = settings;
    for (size_t i = 0; i < settings.size(); ++i) {
        QWidget* widget = m_fields[i];
        const QSignalBlocker blocker(widget);
        const double value = settings[i].value;
        if (auto* number = qobject_cast<QDoubleSpinBox*>(widget)) {
            // Setting even the same value would drop what the user is typing there.
            if (number->value() != number->valueFromText(number->textFromValue(value))) {
                number->setValue(value);
            }
        } else if (auto* choice = qobject_cast<QComboBox*>(widget)) {
            choice->setCurrentIndex(static_cast<int>(value));
        } else if (auto* toggle = qobject_cast<QCheckBox*>(widget)) {
            toggle->setChecked(value != 0);
        } else if (auto* label = qobject_cast<QLabel*>(widget)) {
            const auto shown = static_cast<size_t>(value);
            label->setText(shown < settings[i].choices.size() ? text(settings[i].choices[shown])
                                                              : QString());
        }
    }
    setVisible(!settings.empty());
}

void ToolSettingsPanel::build(const std::vector<ToolSetting>& settings) {
    // A field may be the sender of the change that rebuilds the panel: delete it later.
    while (m_layout->rowCount() > 0) {
        const QFormLayout::TakeRowResult row = m_layout->takeRow(0);
        for (QLayoutItem* item : {row.labelItem, row.fieldItem}) {
            if (item != nullptr && item->widget() != nullptr) {
                item->widget()->hide();
                item->widget()->deleteLater();
            }
            delete item;
        }
    }
    m_fields.clear();
    for (size_t i = 0; i < settings.size(); ++i) {
        const ToolSetting& setting = settings[i];
        QWidget* widget = nullptr;
        switch (setting.kind) {
        case ToolSetting::Kind::Number: {
            auto* number = new QDoubleSpinBox(this);
            number->setRange(setting.minimum, setting.maximum);
            number->setDecimals(setting.decimals);
            // The arrows step by the last place but one (by units when there is none).
            number->setSingleStep(std::pow(10.0, std::min(0, 1 - setting.decimals)));
            // The value goes to the editor when typing ends, not at every digit.
            number->setKeyboardTracking(false);
            connect(number, &QDoubleSpinBox::valueChanged, this,
                    [this, i](double value) { m_editor.setToolSetting(i, value); });
            widget = number;
            break;
        }
        case ToolSetting::Kind::Choice: {
            auto* choice = new QComboBox(this);
            for (const std::string& name : setting.choices) {
                choice->addItem(text(name));
            }
            connect(choice, &QComboBox::activated, this,
                    [this, i](int index) { m_editor.setToolSetting(i, index); });
            widget = choice;
            break;
        }
        case ToolSetting::Kind::Toggle: {
            auto* toggle = new QCheckBox(this);
            connect(toggle, &QCheckBox::toggled, this,
                    [this, i](bool on) { m_editor.setToolSetting(i, on ? 1 : 0); });
            widget = toggle;
            break;
        }
        case ToolSetting::Kind::Label: widget = new QLabel(this); break;
        }
        // Keys typed into a field stay there; the viewports keep theirs.
        if (setting.kind != ToolSetting::Kind::Label) {
            widget->setFocusPolicy(Qt::StrongFocus);
        }
        widget->setObjectName(QString("toolSetting%1").arg(i));
        m_layout->addRow(text(setting.name), widget);
        m_fields.push_back(widget);
    }
}

} // namespace tessel
