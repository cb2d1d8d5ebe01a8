#pragma once

#include "editor/document.h"
#include "editor/history.h"
#include "io/file_format.h"
#include "io/scene_reader.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <optional>

class QMenu;
class QWidget;

namespace tessel {

// The File menu and the document's file: New, Open, Open Recent, Save, Save As, Import, Export
// and Quit. A document is saved as glTF; the other formats are imported into it and exported
// from it. Saving writes beside the file and renames, so a failed save leaves the file as it
// was; a file that cannot be read changes nothing. Every failure is one message naming the file.
//
// The undo history's clean state is the saved state: the window title shows the file's name and
// a modified mark, and a document with unsaved changes is not replaced or closed without asking.
class FileMenu : public QObject {
    Q_OBJECT

public:
    FileMenu(QWidget* window, Document& document, History& history);

    // Fills the menu (the window adds it to its menu bar first, so that it comes first).
    void build(QMenu* menu);

    // The document's file, opened from or saved to; empty for a new document, and for one read
    // from a file of another format (which Save never writes over).
    const QString& path() const { return m_path; }
    // What the title calls the document: its file's name, or "Untitled".
    QString documentName() const;

    // The actions behind the menu, without their file dialogs. Each returns whether it happened;
    // a failure has been shown.
    bool openFile(const QString& path);
    bool saveTo(const QString& path);
    bool importFile(const QString& path);
    bool exportTo(const QString& path, Encoding encoding = Encoding::Binary);
    // Puts recovered work in place of the document, as unsaved changes to `documentPath` (a
    // document's file; empty or another format: a new document), and says when it was
    // autosaved. The caller asked about the document's own unsaved changes.
    void openRecovered(const NodePtr& root, const QString& documentPath, const QString& name,
                       const QString& autosavedAt);
    // Replaces the document with a new one, asking first about unsaved changes.
    bool newDocument();

    // Asks Save / Discard / Cancel when there are unsaved changes; true when the document may be
    // replaced or closed.
    bool mayDiscardChanges();

    // The last message shown about a file, for the window's status bar and for tests.
    const QString& lastMessage() const { return m_lastMessage; }

Q_SIGNALS:
    // A message about a file for the status bar ("Imported “a.obj”: 24 corners joined into 8
    // points").
    void message(const QString& text);
    // The document's name changed (the title shows it).
    void documentNameChanged(const QString& name);
    // A file was opened or imported: the scene holds what it read.
    void sceneRead();

private:
    bool save();
    bool saveAs();
    void open();
    void import();
    void exportAs();
    void fillRecent(QMenu* menu);
    void remember(const QString& path);
    void setPath(const QString& path);
    void updateTitle();
    // Replaces the scene with the tree under `root` (none: empty) and forgets the history.
    void replaceScene(const NodePtr& root);
    // The file read, or nothing once its failure has been shown.
    std::optional<ReadResult> read(const QString& path, const QString& verb);
    // Tells what was done with the file and what reading it changed.
    void tellRead(const QString& done, const ReadResult& read);
    // Writes the scene in the format of the path's extension, the siblings first.
    bool write(const QString& path, Encoding encoding, const QString& verb);
    // "Cannot open “a.glb”: not a glTF file (wrong magic)."
    void fail(const QString& verb, const QString& path, const QString& why);
    void tell(const QString& text);

    QWidget* m_window;
    Document& m_document;
    History& m_history;
    QString m_path;
    QString m_lastMessage;
};

} // namespace tessel
