#include "ui/scene_file_access.h"

#include "io/scene_writer.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <optional>

namespace tessel {

namespace {

// Past this a file cannot hold a mesh within the size limit in any format we read.
constexpr qint64 kLargestFile = qint64{2} << 30;

QString tr(const char* text) { return QCoreApplication::translate("SceneFiles", text); }

} // namespace

std::optional<Bytes> readAll(const QString& path, QString& why) {
    const QFileInfo info(path);
    if (info.isDir()) {
        why = tr("it is a folder");
        return std::nullopt;
    }
    if (info.exists() && info.size() > kLargestFile) {
        why = tr("it is larger than any mesh this modeller can hold");
        return std::nullopt;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        why = file.errorString();
        return std::nullopt;
    }
    // Read up to the limit and one byte past, whatever the size said: the file may change.
    const QByteArray data = file.read(kLargestFile + 1);
    if (file.error() != QFileDevice::NoError) {
        why = file.errorString();
        return std::nullopt;
    }
    if (data.size() > kLargestFile) {
        why = tr("it is larger than any mesh this modeller can hold");
        return std::nullopt;
    }
    return Bytes(data.begin(), data.end());
}

bool writeAll(const QString& path, const Bytes& bytes, QString& why) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        why = file.errorString();
        return false;
    }
    const auto size = static_cast<qint64>(bytes.size());
    if (file.write(reinterpret_cast<const char*>(bytes.data()), size) != size || !file.commit()) {
        why = file.errorString();
        file.cancelWriting();
        return false;
    }
    return true;
}

ReadResult readSceneFileAt(const QString& path) {
    QString why;
    const std::optional<Bytes> bytes = readAll(path, why);
    if (!bytes) {
        return ReadResult::failed(why.toStdString());
    }
    const QDir folder = QFileInfo(path).absoluteDir();
    const SiblingReader sibling = [folder](const std::string& name) -> std::optional<Bytes> {
        QString ignored;
        return readAll(folder.filePath(QString::fromStdString(name)), ignored);
    };
    return readSceneFile(QFileInfo(path).fileName().toStdString(), *bytes, sibling);
}

QString writeSceneFileAt(const Node& root, const QString& path, Encoding encoding) {
    const WriteResult written =
        writeSceneFile(root, QFileInfo(path).fileName().toStdString(), encoding);
    if (!written.ok()) {
        return QString::fromStdString(written.failure);
    }
    QString why;
    const QDir folder = QFileInfo(path).absoluteDir();
    // The buffer first: the file that names it is replaced only once it is there.
    for (const SiblingFile& sibling : written.siblings) {
        if (!writeAll(folder.filePath(QString::fromStdString(sibling.name)), sibling.bytes, why)) {
            return why;
        }
    }
    if (!writeAll(path, written.bytes, why)) {
        return why;
    }
    return {};
}

QString readingVerbFor(const QString& path) {
    const std::optional<FileFormat> format = formatOfFileName(path.toStdString());
    return format == FileFormat::Glb || format == FileFormat::Gltf ? tr("open") : tr("import");
}

QString quotedFileName(const QString& path) {
    return QStringLiteral("“%1”").arg(QFileInfo(path).fileName());
}

QString fileFailure(const QString& verb, const QString& path, const QString& why) {
    return tr("Cannot %1 %2: %3.").arg(verb, quotedFileName(path), why);
}

} // namespace tessel
