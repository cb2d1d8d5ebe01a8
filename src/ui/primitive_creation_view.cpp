#include "ui/primitive_creation_view.h"

#include "editor/primitive_panel.h"

#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QRegularExpressionValidator>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <optional>

namespace tessel {

namespace {

QString shown(const PrimitiveParameter& parameter) {
    return parameter.whole ? QString::number(static_cast<qlonglong>(parameter.value))
                           : QLocale().toString(parameter.value, 'g', 6);
}

// The number typed, in the user's notation or with a point; nullopt for an empty or unreadable
// entry.
std::optional<double> entry(const QLineEdit* field) {
    bool ok = false;
    double value = QLocale().toDouble(field->text(), &ok);
    if (!ok) {
        value = QLocale::c().toDouble(field->text(), &ok);
    }
    return ok ? std::optional<double>(value) : std::nullopt;
}

} // namespace

PrimitiveCreationView::PrimitiveCreationView(QWidget* parent)
    : QWidget(parent), m_title(new QLabel(this)), m_form(new QFormLayout),
      m_edited(new QLabel(tr("edited: the settings no longer apply"), this)) {
    m_title->setObjectName(QStringLiteral("primitiveTitle"));
    QFont bold = m_title->font();
    bold.setBold(true);
    m_title->setFont(bold);
    m_edited->setObjectName(QStringLiteral("primitiveEditedNote"));
    m_edited->setWordWrap(true);
    m_edited->setEnabled(false);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_title);
    layout->addLayout(m_form);
    layout->addWidget(m_edited);
    refresh();
}

void PrimitiveCreationView::setPanel(PrimitivePanel* panel) {
    m_panel = panel;
    refresh();
}

QWidget* PrimitiveCreationView::field(std::size_t index) const {
    return index < m_fields.size() ? m_fields[index] : nullptr;
}

void PrimitiveCreationView::rebuild(const PrimitiveParams& params) {
    while (m_form->rowCount() > 0) {
        m_form->removeRow(0);
    }
    m_fields.clear();
    const std::vector<PrimitiveParameter>& parameters = params.parameters();
    for (std::size_t i = 0; i < parameters.size(); ++i) {
        const PrimitiveParameter& parameter = parameters[i];
        QWidget* made = nullptr;
        if (!parameter.choices.empty()) {
            auto* choice = new QComboBox(this);
            for (const std::string& option : parameter.choices) {
                choice->addItem(QString::fromStdString(option));
            }
            connect(choice, &QComboBox::activated, this, [this, i] { commit(i); });
            made = choice;
        } else {
            auto* number = new QLineEdit(this);
            // Long enough to reach past every range, so that an over-large entry is shown
            // clamped rather than silently refused while typing.
            number->setValidator(new QRegularExpressionValidator(
                QRegularExpression(parameter.whole ? QStringLiteral("[0-9]{0,6}")
                                                   : QStringLiteral("[0-9]{0,6}([.,][0-9]{0,6})?")),
                number));
            number->setPlaceholderText(QStringLiteral("—"));
            connect(number, &QLineEdit::editingFinished, this, [this, i] { commit(i); });
            made = number;
        }
        made->setObjectName(QStringLiteral("primitiveField%1").arg(i));
        m_form->addRow(tr(parameter.name.c_str()), made);
        m_fields.push_back(made);
    }
}

void PrimitiveCreationView::refresh() {
    const PrimitiveParamsPtr params = m_panel ? m_panel->params() : nullptr;
    setVisible(params != nullptr);
    if (!params) {
        return;
    }
    if (m_shown.lock() != params) {
        m_shown = params;
        rebuild(*params);
    }
    m_title->setText(QString::fromStdString(PrimitiveParams::nameOf(params->kind())));
    const bool applies = m_panel->applies();
    for (std::size_t i = 0; i < m_fields.size(); ++i) {
        const PrimitiveParameter& parameter = params->parameters()[i];
        if (auto* choice = qobject_cast<QComboBox*>(m_fields[i])) {
            const QSignalBlocker blocker(choice);
            choice->setCurrentIndex(static_cast<int>(parameter.value));
        } else if (auto* number = qobject_cast<QLineEdit*>(m_fields[i]);
                   number && !(number->hasFocus() && number->isModified())) {
            // An entry being typed stays until it is finished.
            number->setText(shown(parameter));
        }
        m_fields[i]->setEnabled(applies);
    }
    m_edited->setVisible(!applies);
}

void PrimitiveCreationView::commit(std::size_t index) {
    if (!m_panel) {
        return;
    }
    if (auto* choice = qobject_cast<QComboBox*>(field(index))) {
        m_panel->setValue(index, choice->currentIndex());
    } else if (auto* number = qobject_cast<QLineEdit*>(field(index))) {
        m_panel->setValue(index, entry(number));
        number->setModified(false);
    }
    // A clamped or unchanged entry announces nothing, yet the field must show what is stored.
    refresh();
}

} // namespace tessel
