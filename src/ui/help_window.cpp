#include "ui/help_window.h"

#include "editor/bindings.h"
#include "tools/tool_table.h"

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

// Every entry of `menu` and its submenus, with its path ("Edit ▸ Delete ▸ Delete Points").
void collectEntries(const QMenu* menu, const QString& path,
                    QList<std::pair<QString, const QAction*>>& entries) {
    for (const QAction* action : menu->actions()) {
        const QString name = path + " ▸ " + action->iconText();
        if (action->menu()) {
            collectEntries(action->menu(), name, entries);
        } else if (!action->isSeparator()) {
            entries.append({name, action});
        }
    }
}

QTableWidget* tableOf(const QList<QStringList>& rows, const QStringList& headers, QWidget* parent) {
    auto* table =
        new QTableWidget(static_cast<int>(rows.size()), static_cast<int>(headers.size()), parent);
    table->setHorizontalHeaderLabels(headers);
    table->verticalHeader()->hide();
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionMode(QAbstractItemView::NoSelection);
    table->setWordWrap(false);
    for (int row = 0; row < rows.size(); ++row) {
        for (int column = 0; column < headers.size(); ++column) {
            table->setItem(row, column, new QTableWidgetItem(rows[row][column]));
        }
    }
    for (int column = 0; column + 1 < headers.size(); ++column) {
        table->horizontalHeader()->setSectionResizeMode(column, QHeaderView::ResizeToContents);
    }
    table->horizontalHeader()->setSectionResizeMode(static_cast<int>(headers.size()) - 1,
                                                    QHeaderView::Stretch);
    return table;
}

} // namespace

HelpWindow::HelpWindow(const QMenuBar* menus, QWidget* parent) : QDialog(parent) {
    setWindowTitle(tr("Keyboard and mouse"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(
        new QLabel(tr("In any viewport; the keys act on the viewport clicked last. Keys not listed "
                      "straighten the camera without moving it."),
                   this));

    QList<std::pair<QString, const QAction*>> entries;
    for (const QAction* menu : menus->actions()) {
        if (menu->menu()) {
            collectEntries(menu->menu(), menu->text().remove('&'), entries);
        }
    }

    QList<QStringList> rows;
    // Keys compared as keys: the menus write "F" for the key the viewports list as typed, "f".
    QList<QKeySequence> listed;
    for (const Binding& binding : kBindings) {
        QString trigger = QString::fromStdString(triggerText(binding));
        if (binding.command == Command::SelectLoop) {
            // The loop is a click of the orbit's binding, told apart by not moving.
            trigger = tr("Alt + left click");
        } else if (binding.trigger == Trigger::Menu) {
            // A command of the menus only: where to find it.
            const QString name = text(commandName(binding.command));
            for (const auto& [path, action] : entries) {
                if (action->iconText() == name) {
                    trigger = path;
                    break;
                }
            }
        }
        rows.append({trigger, text(binding.description)});
        if (binding.trigger == Trigger::Key) {
            listed.append(QKeySequence(trigger));
        }
    }
    for (const auto& [path, action] : entries) {
        for (const QKeySequence& keys : action->shortcuts()) {
            if (!listed.contains(keys)) {
                listed.append(keys);
                rows.append({keys.toString(QKeySequence::NativeText), path});
            }
        }
    }
    QTableWidget* bindings = tableOf(rows, {tr("Key or button"), tr("Action")}, this);
    bindings->setObjectName("bindingsTable");
    layout->addWidget(bindings, 3);

    // The tools of each mode, with what the left button does (the status bar's hint).
    QList<QStringList> tools;
    for (const ModeEntry& mode : kModes) {
        for (const ToolEntry& tool : mode.tools) {
            tools.append({text(mode.name), text(tool.name), text(tool.hint)});
        }
    }
    QTableWidget* toolTable = tableOf(tools, {tr("Mode"), tr("Tool"), tr("Left button")}, this);
    toolTable->setObjectName("toolsTable");
    layout->addWidget(toolTable, 2);
    resize(960, 760);
}

} // namespace tessel
