// The window's side of keeping work: autosave, recovery at start, exits by signal or by losing
// the display, and Edit → Preferences.

#include "ui/main_window.h"

#include "ui/autosave.h"
#include "ui/exit_signals.h"
#include "ui/file_menu.h"
#include "ui/preferences.h"
#include "ui/recovery.h"

#include <QAction>
#include <QMenu>
#include <QStatusBar>

namespace tessel {

void MainWindow::setUpAutosave() {
    m_autosave = std::make_unique<Autosave>(m_document, m_history, *m_files, nullptr);
    connect(m_autosave.get(), &Autosave::message, this,
            [this](const QString& text) { statusBar()->showMessage(text, 8000); });
    applyPreferences(Preferences::load());

    QMenu* edit = menuNamed(tr("Edit"));
    edit->addSeparator();
    QAction* preferences = edit->addAction(tr("Pre&ferences…"), this, [this] {
        PreferencesDialog dialog(m_preferences, this);
        if (dialog.exec() == QDialog::Accepted) {
            dialog.preferences().save();
            applyPreferences(dialog.preferences());
        }
    });
    preferences->setObjectName(QStringLiteral("preferencesAction"));
    preferences->setMenuRole(QAction::PreferencesRole);
}

void MainWindow::applyPreferences(const Preferences& preferences) {
    m_preferences = preferences;
    m_autosave->setInterval(preferences.autosaveSeconds);
    m_history.setBudget(std::size_t(preferences.historyMegabytes) << 20);
}

void MainWindow::start(const QStringList& arguments) {
    m_exitSignals = std::make_unique<ExitSignals>([this] { m_autosave->saveNow(); }, nullptr);
    if (arguments.size() == 2 && arguments.at(0) == QStringLiteral("--recover")) {
        recoverFrom(arguments.at(1), *m_files, *m_autosave);
        return;
    }
    offerRecoveries(this, *m_files, *m_autosave, !arguments.isEmpty());
    if (!arguments.isEmpty()) {
        m_files->openFile(arguments.front());
    }
}

} // namespace tessel
