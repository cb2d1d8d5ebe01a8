#include "ui/file_menu.h"

#include "editor/document_steps.h"
#include "io/scene_reader.h"
#include "io/scene_writer.h"
#include "ui/scene_file_access.h"

#include <QAction>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
#include <QMessageBox>
#include <QSettings>
#include <QWidget>

#include <optional>

namespace tessel {

namespace {

constexpr int kRecentFiles = 8;

const QString kDocumentFilters = QObject::tr("glTF binary (*.glb);;glTF (*.gltf)");
const QString kReadableFilters =
    QObject::tr("Meshes (*.glb *.gltf *.obj *.ply *.stl);;All files (*)");

struct ExportFilter {
    QString filter;
    Encoding encoding;
};
const ExportFilter kExportFilters[] = {
    {QObject::tr("glTF binary (*.glb)"), Encoding::Binary},
    {QObject::tr("glTF (*.gltf)"), Encoding::Binary},
    {QObject::tr("OBJ (*.obj)"), Encoding::Ascii},
    {QObject::tr("PLY binary (*.ply)"), Encoding::Binary},
    {QObject::tr("PLY text (*.ply)"), Encoding::Ascii},
    {QObject::tr("STL binary (*.stl)"), Encoding::Binary},
    {QObject::tr("STL text (*.stl)"), Encoding::Ascii},
};

// Whether the file is a document (glTF) rather than a file to import.
bool isDocument(const QString& path) {
    const std::optional<FileFormat> format = formatOfFileName(path.toStdString());
    return format == FileFormat::Glb || format == FileFormat::Gltf;
}

// The file's name without its extension, which names the meshes a file leaves nameless.
std::string baseName(const QString& path) {
    return QFileInfo(path).completeBaseName().toStdString();
}

QString quoted(const QString& path) { return quotedFileName(path); }

// The path with the format's extension when it has none the readers know.
QString withExtension(const QString& path, const QString& filter) {
    if (formatOfFileName(QFileInfo(path).fileName().toStdString())) {
        return path;
    }
    const qsizetype star = filter.indexOf(QStringLiteral("*."));
    return path + filter.mid(star + 1, filter.indexOf(QLatin1Char(')'), star) - star - 1);
}

} // namespace

FileMenu::FileMenu(QWidget* window, Document& document, History& history)
    : QObject(window), m_window(window), m_document(document), m_history(history) {
    m_history.changed.connect([this] {
        if (m_window->isWindowModified() == m_history.isClean()) {
            updateTitle();
        }
    });
    updateTitle();
}

void FileMenu::build(QMenu* menu) {
    const auto add = [this, menu](const QString& text, QKeySequence key, auto slot) {
        QAction* action = menu->addAction(text, this, slot);
        action->setShortcut(key);
        return action;
    };
    add(tr("&New"), QKeySequence::New, [this] { newDocument(); });
    add(tr("&Open…"), QKeySequence::Open, [this] { open(); });
    QMenu* recent = menu->addMenu(tr("Open &Recent"));
    connect(recent, &QMenu::aboutToShow, this, [this, recent] { fillRecent(recent); });
    menu->addSeparator();
    add(tr("&Save"), QKeySequence::Save, [this] { save(); });
    add(tr("Save &As…"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S), [this] { saveAs(); });
    menu->addSeparator();
    add(tr("&Import…"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_I), [this] { import(); });
    add(tr("&Export…"), QKeySequence(Qt::CTRL | Qt::Key_E), [this] { exportAs(); });
    menu->addSeparator();
    add(tr("&Quit"), QKeySequence::Quit, [this] { m_window->close(); });
}

bool FileMenu::newDocument() {
    if (!mayDiscardChanges()) {
        return false;
    }
    replaceScene(Document::startingRoot());
    setPath({});
    return true;
}

std::optional<ReadResult> FileMenu::read(const QString& path, const QString& verb) {
    ReadResult read = readSceneFileAt(path);
    if (!read.ok()) {
        fail(verb, path, QString::fromStdString(read.failure));
        return std::nullopt;
    }
    return read;
}

void FileMenu::tellRead(const QString& done, const ReadResult& read) {
    QString text = done;
    for (const std::string& change : read.changes) {
        text += QStringLiteral("; ") + QString::fromStdString(change);
    }
    tell(text);
}

bool FileMenu::openFile(const QString& path) {
    const std::optional<ReadResult> opened = read(path, tr("open"));
    if (!opened) {
        return false;
    }
    replaceScene(opened->root);
    // A file of another format becomes a new document: saving it asks for a glTF file, and the
    // list of recent documents does not offer it.
    if (isDocument(path)) {
        setPath(path);
        remember(path);
    } else {
        nameNamelessMeshes(opened->root, baseName(path));
        setPath({});
    }
    tellRead(tr("Opened %1").arg(quoted(path)), *opened);
    Q_EMIT sceneRead();
    return true;
}

bool FileMenu::saveTo(const QString& path) { return write(path, Encoding::Binary, tr("save")); }

bool FileMenu::write(const QString& path, Encoding encoding, const QString& verb) {
    const NodePtr root = m_document.scene()->root();
    const QString why = root ? writeSceneFileAt(*root, path, encoding) : tr("the scene is empty");
    if (!why.isEmpty()) {
        fail(verb, path, why);
        return false;
    }
    return true;
}

bool FileMenu::importFile(const QString& path) {
    const std::optional<ReadResult> read = this->read(path, tr("import"));
    if (!read) {
        return false;
    }
    nameNamelessMeshes(read->root, baseName(path));
    // Under our root: the file's meshes, or the nodes its own root holds.
    Scene& scene = *m_document.scene();
    const NodePtr before = m_document.selectedNode();
    const NodePtr root = scene.root();
    const std::vector<NodePtr> imported =
        root && !asMesh(read->root) && !read->root->children().empty() ? read->root->children()
                                                                       : std::vector{read->root};
    std::vector<NodesPlaced::Entry> entries;
    for (const NodePtr& node : imported) {
        const Placement placement = root ? Placement{root, root->children().size()}
                                         : Placement{nullptr, scene.nodes().size()};
        place(scene, node, placement);
        entries.push_back({node, placement});
    }
    MeshPtr first;
    for (const NodePtr& node : imported) {
        for (const NodePtr& inner : node->flat()) {
            first = first ? first : asMesh(inner);
        }
    }
    m_document.setSelectedNode(first ? NodePtr(first) : before);
    m_document.record(std::make_shared<NodesPlaced>(
        "Import " + QFileInfo(path).fileName().toStdString(), m_document, std::move(entries), true,
        before, m_document.selectedNode()));
    tellRead(tr("Imported %1").arg(quoted(path)), *read);
    Q_EMIT sceneRead();
    return true;
}

bool FileMenu::exportTo(const QString& path, Encoding encoding) {
    if (!write(path, encoding, tr("export"))) {
        return false;
    }
    tell(tr("Exported %1").arg(quoted(path)));
    return true;
}

bool FileMenu::mayDiscardChanges() {
    if (m_history.isClean()) {
        return true;
    }
    QMessageBox box(QMessageBox::Warning, tr("Unsaved changes"),
                    tr("Save the changes to %1?")
                        .arg(m_path.isEmpty() ? tr("the new document") : quoted(m_path)),
                    QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, m_window);
    box.setDefaultButton(QMessageBox::Save);
    switch (box.exec()) {
    case QMessageBox::Save: return save();
    case QMessageBox::Discard: return true;
    default: return false;
    }
}

bool FileMenu::save() {
    // Another format is exported, never saved over: the document is glTF.
    if (m_path.isEmpty() || !isDocument(m_path)) {
        return saveAs();
    }
    if (!saveTo(m_path)) {
        return false;
    }
    m_history.markClean();
    remember(m_path);
    tell(tr("Saved %1").arg(quoted(m_path)));
    return true;
}

bool FileMenu::saveAs() {
    QString filter;
    QString path =
        QFileDialog::getSaveFileName(m_window, tr("Save As"), m_path, kDocumentFilters, &filter);
    if (path.isEmpty()) {
        return false;
    }
    path = withExtension(path, filter.isEmpty() ? kDocumentFilters : filter);
    const std::optional<FileFormat> format = formatOfFileName(path.toStdString());
    if (format != FileFormat::Glb && format != FileFormat::Gltf) {
        fail(tr("save"), path,
             tr("a document is saved as glTF (.glb or .gltf); use Export for other formats"));
        return false;
    }
    if (!saveTo(path)) {
        return false;
    }
    setPath(path);
    m_history.markClean();
    remember(path);
    tell(tr("Saved %1").arg(quoted(path)));
    return true;
}

void FileMenu::open() {
    if (!mayDiscardChanges()) {
        return;
    }
    const QString path = QFileDialog::getOpenFileName(m_window, tr("Open"),
                                                      QFileInfo(m_path).path(), kReadableFilters);
    if (!path.isEmpty()) {
        openFile(path);
    }
}

void FileMenu::import() {
    const QString path = QFileDialog::getOpenFileName(m_window, tr("Import"),
                                                      QFileInfo(m_path).path(), kReadableFilters);
    if (!path.isEmpty()) {
        importFile(path);
    }
}

void FileMenu::exportAs() {
    QStringList filters;
    for (const ExportFilter& f : kExportFilters) {
        filters << f.filter;
    }
    QString filter;
    QString path = QFileDialog::getSaveFileName(m_window, tr("Export"), QFileInfo(m_path).path(),
                                                filters.join(QStringLiteral(";;")), &filter);
    if (path.isEmpty()) {
        return;
    }
    Encoding encoding = Encoding::Binary;
    for (const ExportFilter& f : kExportFilters) {
        if (f.filter == filter) {
            encoding = f.encoding;
        }
    }
    exportTo(withExtension(path, filter.isEmpty() ? kExportFilters[0].filter : filter), encoding);
}

void FileMenu::fillRecent(QMenu* menu) {
    menu->clear();
    // Documents only: an imported file is reached through Import.
    QStringList files = QSettings().value(QStringLiteral("recentFiles")).toStringList();
    files.removeIf([](const QString& file) { return !isDocument(file); });
    for (const QString& file : files) {
        menu->addAction(QFileInfo(file).fileName(), this,
                        [this, file] {
                            if (mayDiscardChanges()) {
                                openFile(file);
                            }
                        })
            ->setToolTip(file);
    }
    menu->setEnabled(!files.isEmpty());
}

void FileMenu::remember(const QString& path) {
    QSettings settings;
    QStringList files = settings.value(QStringLiteral("recentFiles")).toStringList();
    const QString absolute = QFileInfo(path).absoluteFilePath();
    files.removeAll(absolute);
    files.prepend(absolute);
    settings.setValue(QStringLiteral("recentFiles"), files.mid(0, kRecentFiles));
}

void FileMenu::setPath(const QString& path) {
    m_path = path;
    m_history.markClean();
    updateTitle();
}

QString FileMenu::documentName() const {
    return m_path.isEmpty() ? tr("Untitled") : QFileInfo(m_path).fileName();
}

void FileMenu::updateTitle() {
    const QString name = documentName();
    m_window->setWindowTitle(tr("%1[*] — Tessel").arg(name));
    m_window->setWindowModified(!m_history.isClean());
    Q_EMIT documentNameChanged(name);
}

void FileMenu::replaceScene(const NodePtr& root) {
    // Nothing selected first: the selected mesh's preview goes with the selection.
    m_document.setSelectedNode(nullptr);
    m_document.scene()->setNodes(root ? std::vector<NodePtr>{root} : std::vector<NodePtr>{});
    m_document.setSelectedNode(m_document.firstMesh());
    m_history.clear();
}

void FileMenu::openRecovered(const NodePtr& root, const QString& documentPath, const QString& name,
                             const QString& autosavedAt) {
    replaceScene(root);
    setPath(isDocument(documentPath) ? documentPath : QString());
    m_history.clearUnsaved();
    updateTitle();
    tell(tr("Recovered %1 as autosaved %2; not saved yet")
             .arg(QStringLiteral("“%1”").arg(name), autosavedAt));
    Q_EMIT sceneRead();
}

void FileMenu::fail(const QString& verb, const QString& path, const QString& why) {
    const QString text = fileFailure(verb, path, why);
    tell(text);
    // Not modal to the program: the user reads it while the window stays as it was.
    auto* box =
        new QMessageBox(QMessageBox::Warning, tr("Tessel"), text, QMessageBox::Ok, m_window);
    box->setObjectName(QStringLiteral("fileFailure"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

void FileMenu::tell(const QString& text) {
    m_lastMessage = text;
    Q_EMIT message(text);
}

} // namespace tessel
