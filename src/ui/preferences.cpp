#include "ui/preferences.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QPushButton>
#include <QSettings>
#include <QSpinBox>

#include <algorithm>

namespace tessel {

namespace {

const QString kAutosaveKey = QStringLiteral("autosave/intervalSeconds");
const QString kHistoryKey = QStringLiteral("history/budgetMegabytes");
const QString kRecentKey = QStringLiteral("recentFiles");
constexpr int kLongestInterval = 60 * 60;
constexpr int kSmallestBudget = 16;
constexpr int kLargestBudget = 64 * 1024;

} // namespace

Preferences Preferences::load() {
    const QSettings settings;
    Preferences preferences;
    bool ok = false;
    const int seconds = settings.value(kAutosaveKey, preferences.autosaveSeconds).toInt(&ok);
    if (ok) {
        preferences.autosaveSeconds = std::clamp(seconds, 0, kLongestInterval);
    }
    const int megabytes = settings.value(kHistoryKey, preferences.historyMegabytes).toInt(&ok);
    if (ok) {
        preferences.historyMegabytes = std::clamp(megabytes, kSmallestBudget, kLargestBudget);
    }
    return preferences;
}

void Preferences::save() const {
    QSettings settings;
    settings.setValue(kAutosaveKey, autosaveSeconds);
    settings.setValue(kHistoryKey, historyMegabytes);
}

PreferencesDialog::PreferencesDialog(const Preferences& preferences, QWidget* parent)
    : QDialog(parent), m_start(preferences) {
    setWindowTitle(tr("Preferences"));
    auto* form = new QFormLayout(this);

    m_autosave = new QCheckBox(tr("Every"), this);
    m_autosave->setChecked(preferences.autosaveSeconds > 0);
    m_minutes = new QSpinBox(this);
    m_minutes->setObjectName(QStringLiteral("autosaveMinutes"));
    m_minutes->setRange(1, kLongestInterval / 60);
    m_minutes->setSuffix(tr(" min"));
    m_minutes->setValue(std::max(1, (preferences.autosaveSeconds + 30) / 60));
    m_minutes->setEnabled(m_autosave->isChecked());
    connect(m_autosave, &QCheckBox::toggled, m_minutes, &QWidget::setEnabled);
    auto* autosaveRow = new QHBoxLayout;
    autosaveRow->addWidget(m_autosave);
    autosaveRow->addWidget(m_minutes);
    autosaveRow->addStretch();
    form->addRow(tr("Autosave unsaved work:"), autosaveRow);

    m_megabytes = new QSpinBox(this);
    m_megabytes->setObjectName(QStringLiteral("historyMegabytes"));
    m_megabytes->setRange(kSmallestBudget, kLargestBudget);
    m_megabytes->setSuffix(tr(" MB"));
    m_megabytes->setValue(preferences.historyMegabytes);
    m_megabytes->setToolTip(tr("Past this the oldest steps of the undo history are dropped"));
    form->addRow(tr("Undo history memory:"), m_megabytes);

    auto* clearRecent = new QPushButton(tr("Clear"), this);
    clearRecent->setEnabled(!QSettings().value(kRecentKey).toStringList().isEmpty());
    connect(clearRecent, &QPushButton::clicked, this, [clearRecent] {
        QSettings().remove(kRecentKey);
        clearRecent->setEnabled(false);
    });
    form->addRow(tr("Recent files:"), clearRecent);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    form->addRow(buttons);
}

Preferences PreferencesDialog::preferences() const {
    Preferences chosen = m_start;
    if (!m_autosave->isChecked()) {
        chosen.autosaveSeconds = 0;
    } else if (m_start.autosaveSeconds == 0 ||
               m_minutes->value() != std::max(1, (m_start.autosaveSeconds + 30) / 60)) {
        chosen.autosaveSeconds = m_minutes->value() * 60;
    }
    chosen.historyMegabytes = m_megabytes->value();
    return chosen;
}

} // namespace tessel
