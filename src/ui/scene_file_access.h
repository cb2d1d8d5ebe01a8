#pragma once

// Scene files on disk, for the File menu and for `tessel --convert`: the one place where bytes
// are read from and written to files. Qt Core only, so that it runs without a display.

#include "io/file_format.h"
#include "io/scene_reader.h"

#include <QString>

#include <optional>

namespace tessel {

class Node;

// The whole file, or nothing with why it cannot be read.
std::optional<Bytes> readAll(const QString& path, QString& why);
// Writes all of it or nothing: the old file stays until the new one is complete.
bool writeAll(const QString& path, const Bytes& bytes, QString& why);

// Reads the scene file at `path`, the files it names (a .gltf's buffer) from its folder.
ReadResult readSceneFileAt(const QString& path);

// Writes the tree under `root` in the format of the path's extension, the files it names first;
// each file is replaced whole or left as it was. Why it could not, or empty.
QString writeSceneFileAt(const Node& root, const QString& path, Encoding encoding);

// How the window reads the file: it opens a document (glTF) and imports the others.
QString readingVerbFor(const QString& path);

// The one sentence that says a file could not be read or written:
// "Cannot open “a.glb”: not a binary glTF file…".
QString fileFailure(const QString& verb, const QString& path, const QString& why);

// The file's name in quotes: “a.glb”.
QString quotedFileName(const QString& path);

} // namespace tessel
