#include "ui/help_window.h"

#include "editor/bindings.h"

#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QTableWidget>
#include <QVBoxLayout>

namespace tessel {

namespace {

QString text(std::string_view s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

} // namespace

HelpWindow::HelpWindow(const QMenuBar* menus, QWidget* parent) : QDialog(parent) {
    setWindowTitle(tr("Keyboard and mouse"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(
        new QLabel(tr("In any viewport; the keys act on the viewport clicked last. Keys not listed "
                      "straighten the camera without moving it."),
                   this));

    QList<std::pair<QString, QString>> rows;
    // Keys compared as keys: the menus write "F" for the key the viewports list as typed, "f".
    QList<QKeySequence> listed;
    for (const Binding& binding : kBindings) {
        rows.append({QString::fromStdString(triggerText(binding)), text(binding.description)});
        if (binding.trigger == Trigger::Key) {
            listed.append(QKeySequence(rows.back().first));
        }
    }
    for (const QAction* menu : menus->actions()) {
        for (const QAction* action : menu->menu() ? menu->menu()->actions() : QList<QAction*>()) {
            for (const QKeySequence& keys : action->shortcuts()) {
                if (!listed.contains(keys)) {
                    listed.append(keys);
                    rows.append({keys.toString(QKeySequence::NativeText),
                                 menu->text().remove('&') + " ▸ " + action->iconText()});
                }
            }
        }
    }

    auto* table = new QTableWidget(static_cast<int>(rows.size()), 2, this);
    table->setObjectName("bindingsTable");
    table->setHorizontalHeaderLabels({tr("Key or button"), tr("Action")});
    table->verticalHeader()->hide();
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionMode(QAbstractItemView::NoSelection);
    table->setWordWrap(false);
    for (int row = 0; row < rows.size(); ++row) {
        table->setItem(row, 0, new QTableWidgetItem(rows[row].first));
        table->setItem(row, 1, new QTableWidgetItem(rows[row].second));
    }
    table->horizontalHeader()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    table->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Stretch);
    layout->addWidget(table);
    resize(960, 680);
}

} // namespace tessel
