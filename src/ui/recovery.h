#pragma once

#include "io/recovery_record.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

class QLockFile;
class QWidget;

namespace tessel {

class Autosave;
class FileMenu;

// Work a session autosaved and did not get to save or discard: its record, read and held by
// its lock, so that no other Tessel offers it at the same time.
struct FoundRecovery {
    QString id;
    QString recordPath;
    RecoveryRecord record;
    std::unique_ptr<QLockFile> lock;
    // Why it cannot be recovered (a damaged record); empty when it may be.
    QString fault;
};

// The recoveries in `folder` that no running Tessel holds, oldest first. A recovery whose
// document was saved after it is removed, not offered.
std::vector<FoundRecovery> findRecoveries(const QString& folder);

// The choices offered for one recovery.
enum class RecoveryChoice { Recover, OpenSaved, Discard };

// Offers each recovery in the folder: "Recover", "Open the saved file" or "Discard", naming the
// file and the time of its last autosave. The first document chosen opens in this window unless
// `windowTaken` (a file was named on the command line); the others each open in a new Tessel.
// A damaged recovery is refused with a message and left in the folder under a new name.
// Returns whether a document was opened in this window.
bool offerRecoveries(QWidget* window, FileMenu& files, Autosave& autosave, bool windowTaken);

// Recovers the work of one record (the command line's --recover) into this window, without
// asking. Returns whether it did; a failure has been shown.
bool recoverFrom(const QString& recordPath, FileMenu& files, Autosave& autosave);

} // namespace tessel
