#pragma once

#include "editor/document.h"
#include "editor/history.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>

#include <memory>
#include <thread>

class QLockFile;

namespace tessel {

class FileMenu;

// Keeps unsaved work recoverable. While the document has unsaved changes, it is written every
// interval of editing (and when the window loses focus, at most once a minute) to the recovery
// folder, as a document with a record beside it (io/recovery_record.h). The interface thread only
// copies the scene's tree (layers are shared values); writing happens on another thread.
//
// Each session writes under its own name, held by a lock file for as long as it runs, so that a
// second Tessel never offers the work of one still running. Saving, returning to the saved state
// and a clean quit remove the files; any other end (a crash, a kill, a lost display) leaves them
// for the next start to offer.
class Autosave : public QObject {
    Q_OBJECT

public:
    Autosave(Document& document, History& history, const FileMenu& files, QObject* parent);
    // Waits for a write under way; leaves the files (removing them is discard()'s).
    ~Autosave() override;

    // The recovery folder: the application's local data folder's "recovery".
    static QString folder();

    // Seconds of editing before unsaved work is written; 0 turns autosave off.
    void setInterval(int seconds);
    int interval() const { return m_seconds; }

    // Starts a write now unless nothing changed since the last one (returns whether it did).
    bool start();
    // Writes on this thread, after waiting for any write under way, if there is unsaved work the
    // last write does not hold. For exits: a signal, a lost display. Returns whether the work
    // is on disk (also when there was nothing to write).
    bool saveNow();
    // Removes this session's files: the work is saved, or the user let it go.
    void discard();
    // Takes over the files of a recovered session, with its lock held by `lock`: until the next
    // write they still hold the recovered work, and then this session's writes replace them.
    void adopt(const QString& id, std::unique_ptr<QLockFile> lock, const QString& file);

    // This session's name in the folder; its record is "<id>.json".
    const QString& id() const { return m_id; }
    // Writes finished since the start (for tests and the status bar).
    int writesDone() const { return m_writesDone; }

Q_SIGNALS:
    // A write finished: empty when it succeeded, else why it failed.
    void written(const QString& failure);
    // A message for the status bar.
    void message(const QString& text);

private:
    struct Job;
    std::unique_ptr<Job> prepare();
    static QString run(const Job& job);
    void finish(const QString& failure, const QString& file);
    void historyChanged();
    // Joins a finished or finishing write and takes its result.
    void waitForWrite();
    bool ensureLock();

    Document& m_document;
    History& m_history;
    const FileMenu& m_files;
    QString m_id;
    std::unique_ptr<QLockFile> m_lock;
    int m_seconds = 120;
    QTimer m_timer;
    QElapsedTimer m_sinceWrite;
    std::thread m_writer;
    // What the writer thread left for this one: set before it ends, read after the join.
    struct Result {
        QString failure;
        QString file;
    } m_result;
    bool m_pending = false;
    // The document became clean while a write was under way: its files go once it is done.
    bool m_discardAfterWrite = false;
    // The document changed since the scene the last write took.
    bool m_changed = false;
    int m_generation = 0;
    // The autosaved document on disk, replaced by each write.
    QString m_file;
    int m_writesDone = 0;
    bool m_failureShown = false;
    std::uint64_t m_historyConnection = 0;
};

} // namespace tessel
