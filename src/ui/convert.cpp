#include "ui/convert.h"

#include "ui/scene_file_access.h"

#include <QCoreApplication>

namespace tessel {

int convertSceneFile(const QString& in, const QString& outPath, std::ostream& out,
                     std::ostream& errors) {
    const ReadResult read = readSceneFileAt(in);
    if (!read.ok()) {
        errors << fileFailure(readingVerbFor(in), in, QString::fromStdString(read.failure))
                      .toStdString()
               << '\n';
        return 1;
    }
    for (const std::string& change : read.changes) {
        out << change << '\n';
    }
    const QString why = writeSceneFileAt(*read.root, outPath, Encoding::Binary);
    if (!why.isEmpty()) {
        errors << fileFailure(QCoreApplication::translate("SceneFiles", "export"), outPath, why)
                      .toStdString()
               << '\n';
        return 1;
    }
    return 0;
}

} // namespace tessel
