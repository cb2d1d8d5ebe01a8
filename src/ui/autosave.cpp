#include "ui/autosave.h"

#include "io/recovery_record.h"
#include "io/scene_writer.h"
#include "scene/snapshot.h"
#include "ui/file_menu.h"
#include "ui/scene_file_access.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLockFile>
#include <QStandardPaths>

namespace tessel {

namespace {

// Losing focus writes at most this often.
constexpr qint64 kFocusWriteGapMs = 60 * 1000;

QString newSessionId() {
    return QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMdd-hhmmss-zzz")) +
           QLatin1Char('-') + QString::number(QCoreApplication::applicationPid());
}

} // namespace

struct Autosave::Job {
    NodePtr root;
    QString folder;
    QString id;
    QString file;
    QString previousFile;
    RecoveryRecord record;
};

Autosave::Autosave(Document& document, History& history, const FileMenu& files, QObject* parent)
    : QObject(parent), m_document(document), m_history(history), m_files(files),
      m_id(newSessionId()) {
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, [this] { start(); });
    m_historyConnection = m_history.changed.connect([this] { historyChanged(); });
    connect(qApp, &QGuiApplication::applicationStateChanged, this,
            [this](Qt::ApplicationState state) {
                const bool longAgo =
                    !m_sinceWrite.isValid() || m_sinceWrite.elapsed() >= kFocusWriteGapMs;
                if (state != Qt::ApplicationActive && m_seconds > 0 && longAgo) {
                    start();
                }
            });
}

Autosave::~Autosave() {
    m_history.changed.disconnect(m_historyConnection);
    if (m_writer.joinable()) {
        m_writer.join();
    }
}

QString Autosave::folder() {
    return QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation) +
           QStringLiteral("/recovery");
}

void Autosave::setInterval(int seconds) {
    m_seconds = std::max(0, seconds);
    m_timer.stop();
    historyChanged();
}

void Autosave::historyChanged() {
    if (m_history.isClean()) {
        // Saved, or back where the file is: nothing to recover. A write under way is not waited
        // for: its files go when it is done.
        m_changed = false;
        m_timer.stop();
        if (m_writer.joinable()) {
            m_discardAfterWrite = true;
        } else {
            discard();
        }
        return;
    }
    m_discardAfterWrite = false;
    m_changed = true;
    if (m_seconds > 0 && !m_timer.isActive()) {
        m_timer.start(m_seconds * 1000);
    }
}

bool Autosave::ensureLock() {
    if (m_lock) {
        return true;
    }
    if (!QDir().mkpath(folder())) {
        return false;
    }
    auto lock =
        std::make_unique<QLockFile>(folder() + QLatin1Char('/') + m_id + QStringLiteral(".lock"));
    // Never stale while this process lives: a long write must not lose it.
    lock->setStaleLockTime(0);
    if (!lock->tryLock(0)) {
        return false;
    }
    m_lock = std::move(lock);
    return true;
}

std::unique_ptr<Autosave::Job> Autosave::prepare() {
    if (m_history.isClean() || !m_changed || !m_document.scene()->root()) {
        return nullptr;
    }
    auto job = std::make_unique<Job>();
    job->root = snapshotOf(*m_document.scene()->root());
    job->folder = folder();
    job->id = m_id;
    // Never the file on disk: the record keeps naming a whole document until the new one is.
    do {
        job->file =
            m_id + QLatin1Char('-') + QString::number(++m_generation) + QStringLiteral(".glb");
    } while (job->file == m_file);
    job->previousFile = m_file;
    job->record.document = m_files.path().isEmpty()
                               ? std::string{}
                               : QFileInfo(m_files.path()).absoluteFilePath().toStdString();
    job->record.name = m_files.documentName().toStdString();
    job->record.savedAt = QDateTime::currentMSecsSinceEpoch();
    job->record.file = job->file.toStdString();
    m_changed = false;
    return job;
}

QString Autosave::run(const Job& job) {
    const WriteResult written = writeSceneFile(*job.root, job.record.file);
    if (!written.ok()) {
        return QString::fromStdString(written.failure);
    }
    RecoveryRecord record = job.record;
    record.size = written.bytes.size();
    record.checksum = checksumOf(written.bytes);
    const QDir folder(job.folder);
    QString why;
    // The document first, then the record naming it: a write cut short anywhere leaves the
    // record naming a whole document, the new one or the one before.
    if (!writeAll(folder.filePath(job.file), written.bytes, why)) {
        return why;
    }
    const std::string text = recoveryRecordText(record);
    if (!writeAll(folder.filePath(job.id + QStringLiteral(".json")),
                  Bytes(text.begin(), text.end()), why)) {
        QFile::remove(folder.filePath(job.file));
        return why;
    }
    if (!job.previousFile.isEmpty() && job.previousFile != job.file) {
        QFile::remove(folder.filePath(job.previousFile));
    }
    return {};
}

bool Autosave::start() {
    if (m_writer.joinable()) {
        m_pending = true;
        return false;
    }
    if (!ensureLock()) {
        finish(tr("the recovery folder %1 cannot be written").arg(folder()), {});
        return false;
    }
    std::shared_ptr<Job> job = prepare();
    if (!job) {
        return false;
    }
    m_writer = std::thread([this, job] {
        m_result = {run(*job), job->file};
        QMetaObject::invokeMethod(
            this,
            [this] {
                waitForWrite();
                if (std::exchange(m_discardAfterWrite, false)) {
                    m_pending = false;
                    discard();
                } else if (std::exchange(m_pending, false)) {
                    start();
                }
            },
            Qt::QueuedConnection);
    });
    return true;
}

bool Autosave::saveNow() {
    waitForWrite();
    const std::unique_ptr<Job> job = ensureLock() ? prepare() : nullptr;
    if (!job) {
        return m_history.isClean() || (!m_changed && !m_file.isEmpty());
    }
    const QString failure = run(*job);
    finish(failure, job->file);
    return failure.isEmpty();
}

void Autosave::waitForWrite() {
    if (m_writer.joinable()) {
        m_writer.join();
        finish(m_result.failure, m_result.file);
    }
}

void Autosave::finish(const QString& failure, const QString& file) {
    if (failure.isEmpty()) {
        m_file = file;
        ++m_writesDone;
        m_sinceWrite.start();
        m_failureShown = false;
    } else {
        // Still to be written: the next change, or the next timer, tries again.
        m_changed = true;
        if (!m_failureShown) {
            Q_EMIT message(tr("Autosave failed: %1").arg(failure));
            m_failureShown = true;
        }
    }
    if (!m_history.isClean() && m_changed && m_seconds > 0 && !m_timer.isActive()) {
        m_timer.start(m_seconds * 1000);
    }
    Q_EMIT written(failure);
}

void Autosave::discard() {
    waitForWrite();
    if (m_file.isEmpty() && !m_lock) {
        return;
    }
    const QDir dir(folder());
    if (!m_file.isEmpty()) {
        QFile::remove(dir.filePath(m_file));
        m_file.clear();
    }
    QFile::remove(dir.filePath(m_id + QStringLiteral(".json")));
}

void Autosave::adopt(const QString& id, std::unique_ptr<QLockFile> lock, const QString& file) {
    discard();
    m_id = id;
    m_lock = std::move(lock);
    // The adopted record names its document; the next write replaces both.
    m_file = file;
    m_changed = true;
}

} // namespace tessel
