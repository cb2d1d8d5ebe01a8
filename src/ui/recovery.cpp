#include "ui/recovery.h"

#include "ui/autosave.h"
#include "ui/file_menu.h"
#include "ui/scene_file_access.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QLockFile>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>

namespace tessel {

namespace {

// A record is a few hundred bytes; anything near this is not one.
constexpr qint64 kLargestRecord = 64 * 1024;

QString tr(const char* text) { return QCoreApplication::translate("Recovery", text); }

QString idOf(const QString& recordPath) { return QFileInfo(recordPath).completeBaseName(); }

QString lockPathOf(const QString& recordPath) {
    const QFileInfo info(recordPath);
    return info.dir().filePath(info.completeBaseName() + QStringLiteral(".lock"));
}

QString documentFileOf(const FoundRecovery& found) {
    return QFileInfo(found.recordPath).dir().filePath(QString::fromStdString(found.record.file));
}

// The record at `path` with its lock taken, or nothing when a running Tessel holds it.
std::optional<FoundRecovery> take(const QString& path) {
    FoundRecovery found;
    found.id = idOf(path);
    found.recordPath = path;
    found.lock = std::make_unique<QLockFile>(lockPathOf(path));
    // A lock left by a process that is gone is stale at once; a live one is never taken.
    if (!found.lock->tryLock(0)) {
        return std::nullopt;
    }
    if (QFileInfo(path).size() > kLargestRecord) {
        found.fault = tr("its record is damaged");
        return found;
    }
    QString why;
    const std::optional<Bytes> bytes = readAll(path, why);
    std::string parseWhy;
    if (!bytes) {
        found.fault = why;
    } else if (auto record = parseRecoveryRecord(
                   std::string_view(reinterpret_cast<const char*>(bytes->data()), bytes->size()),
                   parseWhy)) {
        found.record = std::move(*record);
    } else {
        found.fault = QString::fromStdString(parseWhy);
    }
    return found;
}

// The autosaved tree, checked against its record, or null with why not in `found.fault`.
NodePtr load(FoundRecovery& found) {
    if (!found.fault.isEmpty()) {
        return nullptr;
    }
    QString why;
    const std::optional<Bytes> bytes = readAll(documentFileOf(found), why);
    if (!bytes) {
        found.fault = tr("the autosaved file cannot be read (%1)").arg(why);
        return nullptr;
    }
    if (const std::string fault = recoveredBytesFault(found.record, *bytes); !fault.empty()) {
        found.fault = QString::fromStdString(fault);
        return nullptr;
    }
    // From the bytes checked, not the file again: it cannot change in between.
    ReadResult read = readSceneFile(found.record.file, *bytes, {});
    if (!read.ok()) {
        found.fault = QString::fromStdString(read.failure);
        return nullptr;
    }
    return read.root ? read.root : Node::make();
}

QString nameOf(const FoundRecovery& found) {
    return found.record.name.empty() ? QFileInfo(found.recordPath).fileName()
                                     : QString::fromStdString(found.record.name);
}

QString timeOf(const FoundRecovery& found) {
    const QDateTime when = QDateTime::fromMSecsSinceEpoch(found.record.savedAt);
    return QLocale().toString(when, QLocale::ShortFormat);
}

void removeFiles(const FoundRecovery& found) {
    if (found.fault.isEmpty() && !found.record.file.empty()) {
        QFile::remove(documentFileOf(found));
    }
    QFile::remove(found.recordPath);
}

// Refused: said once, and set aside under a name no start offers again; nothing is removed.
void refuse(QWidget* window, const FoundRecovery& found) {
    QFile::rename(found.recordPath, found.recordPath + QStringLiteral(".damaged"));
    QMessageBox box(
        QMessageBox::Warning, tr("Recovery"),
        tr("Cannot recover %1: %2.").arg(QStringLiteral("“%1”").arg(nameOf(found)), found.fault),
        QMessageBox::Ok, window);
    box.setObjectName(QStringLiteral("recoveryRefused"));
    box.setInformativeText(tr("Its files are kept in %1.").arg(QFileInfo(found.recordPath).path()));
    box.exec();
}

RecoveryChoice ask(QWidget* window, const FoundRecovery& found, bool savedExists, bool& decided) {
    QMessageBox box(
        QMessageBox::Question, tr("Recover unsaved work"),
        tr("%1 has changes that were never saved.").arg(QStringLiteral("“%1”").arg(nameOf(found))),
        QMessageBox::NoButton, window);
    box.setObjectName(QStringLiteral("recoveryOffer"));
    QString detail = tr("Last autosaved %1.").arg(timeOf(found));
    if (!found.record.document.empty()) {
        detail += QLatin1Char('\n') + QString::fromStdString(found.record.document);
    }
    box.setInformativeText(detail);
    QPushButton* recover = box.addButton(tr("Recover"), QMessageBox::AcceptRole);
    QPushButton* saved =
        savedExists ? box.addButton(tr("Open the saved file"), QMessageBox::ActionRole) : nullptr;
    QPushButton* discard = box.addButton(tr("Discard"), QMessageBox::DestructiveRole);
    box.setDefaultButton(recover);
    box.exec();
    decided = box.clickedButton() != nullptr;
    if (box.clickedButton() == discard) {
        return RecoveryChoice::Discard;
    }
    if (saved != nullptr && box.clickedButton() == saved) {
        return RecoveryChoice::OpenSaved;
    }
    // Closed without a choice: kept for the next start (decided is false).
    return RecoveryChoice::Recover;
}

void startAnother(const QStringList& arguments) {
    QProcess::startDetached(QCoreApplication::applicationFilePath(), arguments);
}

} // namespace

std::vector<FoundRecovery> findRecoveries(const QString& folder) {
    std::vector<FoundRecovery> found;
    const QDir dir(folder);
    // Names begin with the session's start time: oldest first.
    for (const QString& name : dir.entryList({QStringLiteral("*.json")}, QDir::Files, QDir::Name)) {
        std::optional<FoundRecovery> recovery = take(dir.filePath(name));
        if (!recovery) {
            continue;
        }
        const RecoveryRecord& record = recovery->record;
        if (recovery->fault.isEmpty() && !record.document.empty()) {
            const QFileInfo document(QString::fromStdString(record.document));
            if (document.exists() && document.lastModified().toMSecsSinceEpoch() > record.savedAt) {
                // Saved since: the file holds newer work than the autosave.
                removeFiles(*recovery);
                continue;
            }
        }
        found.push_back(std::move(*recovery));
    }
    return found;
}

bool offerRecoveries(QWidget* window, FileMenu& files, Autosave& autosave, bool windowTaken) {
    bool opened = false;
    for (FoundRecovery& found : findRecoveries(Autosave::folder())) {
        const NodePtr root = load(found);
        if (!root) {
            refuse(window, found);
            continue;
        }
        const QString document = QString::fromStdString(found.record.document);
        bool decided = false;
        const RecoveryChoice choice =
            ask(window, found, !document.isEmpty() && QFileInfo::exists(document), decided);
        if (!decided) {
            continue;
        }
        switch (choice) {
        case RecoveryChoice::Recover:
            if (windowTaken) {
                // Its lock goes with `found`, before the new Tessel looks for it.
                found.lock.reset();
                startAnother({QStringLiteral("--recover"), found.recordPath});
                break;
            }
            files.openRecovered(root, document, nameOf(found), timeOf(found));
            autosave.adopt(found.id, std::move(found.lock),
                           QString::fromStdString(found.record.file));
            windowTaken = opened = true;
            break;
        case RecoveryChoice::OpenSaved:
            removeFiles(found);
            if (windowTaken) {
                startAnother({document});
            } else if (files.openFile(document)) {
                windowTaken = opened = true;
            }
            break;
        case RecoveryChoice::Discard: removeFiles(found); break;
        }
    }
    return opened;
}

bool recoverFrom(const QString& recordPath, FileMenu& files, Autosave& autosave) {
    std::optional<FoundRecovery> found = take(recordPath);
    if (!found) {
        return false;
    }
    const NodePtr root = load(*found);
    if (!root) {
        refuse(nullptr, *found);
        return false;
    }
    files.openRecovered(root, QString::fromStdString(found->record.document), nameOf(*found),
                        timeOf(*found));
    autosave.adopt(found->id, std::move(found->lock), QString::fromStdString(found->record.file));
    return true;
}

} // namespace tessel
