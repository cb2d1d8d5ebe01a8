// Unsaved work outlives the process: a Tessel killed after an autosave, one sent SIGTERM and one
// whose display goes away are each started again and the work recovered exactly; a damaged
// recovery is refused and replaces nothing. The modellers that die are children of this program
// (this program again, with --child), sharing its data and settings folders.
#include "ui/autosave.h"
#include "ui/file_menu.h"
#include "ui/main_window.h"

#include "window_input.h"

#include <QTest>
#include <QtWidgets>

#include <csignal>

using namespace tessel;
using namespace tessel::testing;

namespace {

QString g_program;

std::vector<Vector3> pointsOf(MainWindow& window) {
    return window.document().firstMesh()->model()->committed()->positions;
}

// The child's edit: two of the first mesh's points moved by typed amounts, through the keys.
void edit(MainWindow& window) {
    GLView& target = *window.viewports()[1];
    window.editor().selectedPointsIds() = {0, 5};
    const QPointF at = pixelAt(target, 0.5f, 0.5f);
    moveTo(&target, at, Qt::NoButton);
    QTest::keyClick(&target, Qt::Key_G, Qt::ShiftModifier);
    moveTo(&target, at + QPointF(30, 10), Qt::NoButton);
    QTest::keyClicks(&target, "x0.375");
    QTest::keyClick(&target, Qt::Key_Return);
}

// A modeller that edits, writes its points to `dump`, says "ready" once its work is on disk
// (autosaved, when `waitForAutosave`) and runs until it is ended from outside.
int runChild(const QString& dump, bool waitForAutosave) {
    MainWindow window;
    window.resize(1000, 700);
    window.show();
    window.start({});
    window.activateWindow();
    if (!QTest::qWaitForWindowActive(&window)) {
        return 4;
    }
    edit(window);
    if (window.history().count() != 1) {
        return 5;
    }
    QFile out(dump);
    const std::vector<Vector3> points = pointsOf(window);
    if (!out.open(QIODevice::WriteOnly) || out.write(reinterpret_cast<const char*>(points.data()),
                                                     qint64(points.size() * sizeof(Vector3))) < 0) {
        return 2;
    }
    out.close();
    if (waitForAutosave &&
        !QTest::qWaitFor([&] { return window.autosave().writesDone() > 0; }, 10000)) {
        return 3;
    }
    std::printf("ready\n");
    std::fflush(stdout);
    return QApplication::exec();
}

} // namespace

class RecoveryTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

    QString dump() const { return m_dir.filePath(QStringLiteral("points")); }
    QDir recoveryFolder() const { return QDir(Autosave::folder()); }

    // Starts a child modeller and waits for its "ready".
    void
    startChild(QProcess& child, bool waitForAutosave,
               const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment()) {
        child.setProcessEnvironment(environment);
        child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        child.start(g_program, {QStringLiteral("--child"), dump(),
                                waitForAutosave ? QStringLiteral("autosave") : QString()});
        QVERIFY(child.waitForStarted());
        QVERIFY(QTest::qWaitFor(
            [&] { return child.canReadLine() || child.state() == QProcess::NotRunning; }, 60000));
        QCOMPARE(child.readLine().trimmed(), QByteArray("ready"));
    }

    // A new modeller, answered "Recover", must come up with the child's edit exactly, as an
    // unsaved "Untitled" document.
    void verifyRecovered() {
        QFile in(dump());
        QVERIFY(in.open(QIODevice::ReadOnly));
        const QByteArray bytes = in.readAll();
        std::vector<Vector3> edited(bytes.size() / sizeof(Vector3));
        std::memcpy(edited.data(), bytes.data(), bytes.size());

        MainWindow window;
        window.show();
        bool offered = false;
        QTimer::singleShot(0, [&] { answer(QStringLiteral("Recover"), offered); });
        window.start({});
        QVERIFY(offered);
        QVERIFY(pointsOf(window) == edited);
        QVERIFY(window.isWindowModified());
        QCOMPARE(window.files().documentName(), QStringLiteral("Untitled"));
        // The recovered work stays recoverable until it is saved or let go: a clean quit (here,
        // discarding it) removes it.
        QCOMPARE(recoveryFolder().entryList({QStringLiteral("*.json")}).size(), 1);
        QTimer::singleShot(0, [] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                box->button(QMessageBox::Discard)->click();
            }
        });
        QVERIFY(window.close());
        QVERIFY(recoveryFolder()
                    .entryList({QStringLiteral("*.json"), QStringLiteral("*.glb")})
                    .isEmpty());
    }

    // Clicks the button of the modal question once it shows.
    static void answer(const QString& button, bool& offered) {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr) {
            QTimer::singleShot(20, [button, &offered] { answer(button, offered); });
            return;
        }
        for (QAbstractButton* b : box->buttons()) {
            if (b->text() == button) {
                offered = true;
                b->click();
                return;
            }
        }
        box->reject();
    }

private Q_SLOTS:
    void init() {
        QDir folder = recoveryFolder();
        folder.removeRecursively();
        QSettings().clear();
        QSettings().setValue(QStringLiteral("autosave/intervalSeconds"), 1);
    }

    void killedAfterAnAutosaveIsRecoveredExactly() {
        QProcess child;
        startChild(child, true);
        child.kill();
        QVERIFY(child.waitForFinished());
        verifyRecovered();
    }

    void sigtermAutosavesBeforeItEnds() {
        // No autosave of its own before the signal.
        QSettings().setValue(QStringLiteral("autosave/intervalSeconds"), 3600);
        QProcess child;
        startChild(child, false);
        QVERIFY(recoveryFolder().entryList({QStringLiteral("*.json")}).isEmpty());
        child.terminate();
        QVERIFY(child.waitForFinished());
        QCOMPARE(child.exitCode(), 128 + SIGTERM);
        verifyRecovered();
    }

    void losingTheDisplayAutosavesBeforeItEnds() {
        QProcess server;
        server.start(QStringLiteral("Xvfb"),
                     {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                      QStringLiteral("0"), QStringLiteral("1200x900x24")});
        if (!server.waitForStarted()) {
            QSKIP("no Xvfb to start a display of its own");
        }
        QVERIFY(QTest::qWaitFor([&] { return server.canReadLine(); }, 20000));
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("DISPLAY"),
                           QLatin1Char(':') + QString::fromLatin1(server.readLine().trimmed()));
        QSettings().setValue(QStringLiteral("autosave/intervalSeconds"), 3600);
        QProcess child;
        startChild(child, false, environment);
        server.kill();
        QVERIFY(server.waitForFinished());
        QVERIFY(child.waitForFinished(20000));
        verifyRecovered();
    }

    void preferencesAreAppliedAndKept() {
        {
            MainWindow window;
            window.show();
            QTimer::singleShot(0, [] {
                auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
                QVERIFY(dialog != nullptr);
                dialog->findChild<QSpinBox*>(QStringLiteral("autosaveMinutes"))->setValue(5);
                dialog->findChild<QSpinBox*>(QStringLiteral("historyMegabytes"))->setValue(64);
                dialog->accept();
            });
            window.findChild<QAction*>(QStringLiteral("preferencesAction"))->trigger();
            QCOMPARE(window.autosave().interval(), 300);
            QCOMPARE(window.history().budget(), std::size_t{64} << 20);
        }
        MainWindow next;
        QCOMPARE(next.autosave().interval(), 300);
        QCOMPARE(next.history().budget(), std::size_t{64} << 20);
    }

    void aDamagedRecoveryIsRefusedAndReplacesNothing() {
        QProcess child;
        startChild(child, true);
        child.kill();
        QVERIFY(child.waitForFinished());
        // Cut short, as a disk that filled up would leave it.
        const QStringList documents = recoveryFolder().entryList({QStringLiteral("*.glb")});
        QCOMPARE(documents.size(), 1);
        QFile file(recoveryFolder().filePath(documents.front()));
        QVERIFY(file.resize(file.size() / 2));

        MainWindow window;
        window.show();
        const std::vector<Vector3> before = pointsOf(window);
        QString said;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box != nullptr) {
                said = box->text();
                box->accept();
            }
        });
        window.start({});
        QVERIFY2(said.startsWith(QStringLiteral("Cannot recover “Untitled”")), qPrintable(said));
        QVERIFY(pointsOf(window) == before);
        QVERIFY(!window.isWindowModified());
        // Kept aside, not offered again, nothing removed.
        QCOMPARE(recoveryFolder().entryList({QStringLiteral("*.damaged")}).size(), 1);
        QVERIFY(recoveryFolder().exists(documents.front()));
    }
};

int main(int argc, char* argv[]) {
    g_program = QString::fromLocal8Bit(argv[0]);
    const bool child = argc > 1 && std::strcmp(argv[1], "--child") == 0;
    QTemporaryDir home;
    if (!child) {
        // The children inherit the folders: one place for this run's settings and recoveries.
        qputenv("XDG_DATA_HOME", home.filePath(QStringLiteral("data")).toLocal8Bit());
        qputenv("XDG_CONFIG_HOME", home.filePath(QStringLiteral("config")).toLocal8Bit());
    }
    GLView::setDefaultFormat();
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Tessel"));
    QApplication::setApplicationName(QStringLiteral("Tessel"));
    if (child) {
        return runChild(QString::fromLocal8Bit(argv[2]), argc > 3 && std::strlen(argv[3]) > 0);
    }
    RecoveryTest test;
    return QTest::qExec(&test, 1, argv);
}

#include "recovery_test.moc"
