// The document's file through the real window: saving, the modified mark, opening, importing,
// and files that cannot be read or written.
#include "editor/editor.h"
#include "render/gl_view.h"
#include "ui/file_menu.h"
#include "ui/main_window.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QMessageBox>
#include <QMimeData>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUndoStack>

#include <memory>

namespace tessel {

class FileMenuTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void savedDocumentReopensAsItWasAndTheMarkFollowsUndo();
    void filesThatCannotBeReadOrWrittenChangeNothing();
    void importAddsTheFilesMeshesAsOneStep();
    void closingWithUnsavedChangesAsks();

private:
    Model& grid() { return *m_window->editor().selectedMesh()->model(); }
    FileMenu& files() { return m_window->files(); }
    QString file(const char* name) const { return m_dir.filePath(QLatin1String(name)); }
    void subdivide() {
        m_window->editor().modeSelected(2);
        m_window->editor().toolSelected(1);
        m_window->editor().apply();
    }

    QTemporaryDir m_dir;
    std::unique_ptr<MainWindow> m_window;
};

void FileMenuTest::init() {
    m_window = std::make_unique<MainWindow>();
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
}

void FileMenuTest::cleanup() {
    // Nothing left to ask about.
    m_window->history().setClean();
    m_window.reset();
}

void FileMenuTest::savedDocumentReopensAsItWasAndTheMarkFollowsUndo() {
    QCOMPARE(m_window->windowTitle(), QStringLiteral("Untitled[*] — Tessel"));
    subdivide();
    QVERIFY(m_window->isWindowModified());
    const Layer saved = *grid().committed();
    QVERIFY(files().saveTo(file("scene.glb")));
    m_window->history().setClean();
    QVERIFY(!m_window->isWindowModified());
    subdivide();
    QVERIFY(m_window->isWindowModified());
    m_window->history().undo();
    QVERIFY(!m_window->isWindowModified());
    subdivide();

    QVERIFY(files().openFile(file("scene.glb")));
    QCOMPARE(m_window->windowTitle(), QStringLiteral("scene.glb[*] — Tessel"));
    QVERIFY(!m_window->isWindowModified());
    QCOMPARE(m_window->history().count(), 0);
    QCOMPARE(m_window->editor().selectedMesh()->name(), std::string("Quad"));
    QCOMPARE(grid().committed()->positions, saved.positions);
    QCOMPARE(grid().committed()->triangles, saved.triangles);
}

void FileMenuTest::filesThatCannotBeReadOrWrittenChangeNothing() {
    QFile garbage(file("garbage.glb"));
    QVERIFY(garbage.open(QIODevice::WriteOnly));
    garbage.write("not a scene at all");
    garbage.close();
    QVERIFY(QDir(m_dir.path()).mkdir(QStringLiteral("folder.glb")));
    const NodePtr root = m_window->document().scene()->root();
    const struct {
        const char* name;
        const char* message;
    } cases[] = {
        {"garbage.glb", "Cannot open “garbage.glb”: "},
        {"folder.glb", "Cannot open “folder.glb”: it is a folder."},
        {"missing.obj", "Cannot open “missing.obj”: "},
    };
    for (const auto& c : cases) {
        QVERIFY(!files().openFile(file(c.name)));
        QVERIFY2(files().lastMessage().startsWith(QString::fromUtf8(c.message)),
                 qPrintable(files().lastMessage()));
        QCOMPARE(m_window->document().scene()->root(), root);
    }
    // A failed save is told, and the document stays unsaved.
    subdivide();
    QVERIFY(!files().saveTo(file("no-such-folder/scene.glb")));
    QVERIFY(files().lastMessage().startsWith(QString::fromUtf8("Cannot save “scene.glb”: ")));
    QVERIFY(m_window->isWindowModified());
    for (QMessageBox* box : m_window->findChildren<QMessageBox*>(QStringLiteral("fileFailure"))) {
        box->close();
    }
}

void FileMenuTest::importAddsTheFilesMeshesAsOneStep() {
    QVERIFY(files().exportTo(file("cube.stl")));
    const NodePtr root = m_window->document().scene()->root();
    const size_t children = root->children().size();
    QVERIFY(files().importFile(file("cube.stl")));
    QCOMPARE(root->children().size(), children + 1);
    QCOMPARE(m_window->history().undoText(), QStringLiteral("Import cube.stl"));
    // The quad grid and the cube share no points: 25 + 8 after joining the STL's corners.
    const MeshPtr imported = m_window->editor().selectedMesh();
    QCOMPARE(imported->model()->committed()->positions.size(), size_t{33});
    QCOMPARE(imported->model()->committed()->triangles.size(), size_t{44});
    m_window->history().undo();
    QCOMPARE(root->children().size(), children);

    // Dropped on the window, a file of another format is imported too.
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(file("cube.stl"))});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, {});
    QApplication::sendEvent(m_window.get(), &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, {});
    QApplication::sendEvent(m_window.get(), &drop);
    QCOMPARE(root->children().size(), children + 1);
}

void FileMenuTest::closingWithUnsavedChangesAsks() {
    subdivide();
    QTimer::singleShot(0, this, [] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        QVERIFY(box != nullptr);
        box->button(QMessageBox::Cancel)->click();
    });
    QVERIFY(!m_window->close());
    QVERIFY(m_window->isVisible());
}

} // namespace tessel

int main(int argc, char* argv[]) {
    QStandardPaths::setTestModeEnabled(true);
    tessel::GLView::setDefaultFormat();
    QApplication app(argc, argv);
    tessel::FileMenuTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "file_menu_test.moc"
