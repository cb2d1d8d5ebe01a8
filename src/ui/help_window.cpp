#include "ui/help_window.h"

#include "editor/bindings.h"

#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>
#include <QVBoxLayout>

namespace tessel {

namespace {

QString text(std::string_view s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

} // namespace

HelpWindow::HelpWindow(QWidget* parent) : QDialog(parent) {
    setWindowTitle(tr("Keyboard and mouse"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(
        new QLabel(tr("In any viewport; the keys act on the viewport clicked last. Keys not listed "
                      "straighten the camera without moving it."),
                   this));

    auto* table = new QTableWidget(static_cast<int>(std::size(kBindings)), 2, this);
    table->setObjectName("bindingsTable");
    table->setHorizontalHeaderLabels({tr("Key or button"), tr("Action")});
    table->verticalHeader()->hide();
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionMode(QAbstractItemView::NoSelection);
    table->setWordWrap(false);
    int row = 0;
    for (const Binding& binding : kBindings) {
        table->setItem(row, 0, new QTableWidgetItem(QString::fromStdString(triggerText(binding))));
        table->setItem(row, 1, new QTableWidgetItem(text(binding.description)));
        ++row;
    }
    table->horizontalHeader()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    table->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Stretch);
    layout->addWidget(table);
    resize(960, 680);
}

} // namespace tessel
