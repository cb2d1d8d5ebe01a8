// The scene panel as a user drives it, with real events, over a loaded editor: the scene holds
// the "Quad" grid (4 × 4) and the "Cube" below a plain root, and the grid is selected.
#include "support/fake_viewport.h"
#include "ui/outline_panel.h"
#include "ui/panel_views.h"
#include "ui/scene_tree_model.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QSignalSpy>
#include <QSlider>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>

#include <memory>

using namespace tessel;

class OutlinePanelTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<testing::FakeEditor> editor;
    std::unique_ptr<OutlinePanel> panel;
    int selectionWrites = 0;

    Document& window() { return editor->window; }
    NodePtr root() { return window().scene()->root(); }
    QTreeView* tree() { return panel->outlineView(); }
    QToolButton* button(const char* name) { return panel->findChild<QToolButton*>(name); }
    QWidget* widget(const char* name) { return panel->findChild<QWidget*>(name); }

    NodePtr selectedRowNode() {
        const QModelIndexList rows = tree()->selectionModel()->selectedRows();
        return rows.size() == 1 ? panel->model()->node(rows.first()) : nullptr;
    }

    void clickRow(const NodePtr& node) {
        const QModelIndex index = panel->model()->indexOf(node);
        QVERIFY(index.isValid());
        QTest::mouseClick(tree()->viewport(), Qt::LeftButton, {},
                          tree()->visualRect(index).center());
    }

    // Opens the add menu with the mouse and clicks the entry titled `title`.
    void chooseFromAddMenu(const QString& title) {
        bool chosen = false;
        // The menu runs its own event loop inside the press, so it is answered from a timer.
        QTimer::singleShot(0, this, [&] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            QVERIFY(menu != nullptr);
            for (QAction* action : menu->actions()) {
                if (action->text() == title) {
                    QTest::mouseClick(menu, Qt::LeftButton, {},
                                      menu->actionGeometry(action).center());
                    chosen = true;
                }
            }
        });
        QTest::mouseClick(button("addNodeButton"), Qt::LeftButton);
        QTRY_VERIFY(chosen);
    }

    void typeInto(QLineEdit* field, const QString& text) {
        field->setFocus();
        field->selectAll();
        QTest::keyClicks(field, text);
        QTest::keyClick(field, Qt::Key_Return);
    }

private Q_SLOTS:
    void init() {
        editor = std::make_unique<testing::FakeEditor>();
        panel = std::make_unique<OutlinePanel>(window());
        panel->resize(240, 520);
        panel->show();
        QVERIFY(QTest::qWaitForWindowExposed(panel.get()));
        selectionWrites = 0;
        window().selectedNodeChanged.connect(
            [this](const NodePtr&, const NodePtr&) { ++selectionWrites; });
    }

    void cleanup() {
        // The panel holds on to the window's state, so it goes first.
        panel.reset();
        editor.reset();
    }

    void startsShowingTheSceneWithTheRootExpandedAndTheGridSelected() {
        QCOMPARE(panel->model()->rowCount(), 1);
        const QModelIndex rootRow = panel->model()->index(0, 0);
        QVERIFY(tree()->isExpanded(rootRow));
        QCOMPARE(panel->model()->rowCount(rootRow), 2);
        QCOMPARE(panel->model()->index(0, 0, rootRow).data().toString(), QString("Quad"));
        QCOMPARE(panel->model()->index(1, 0, rootRow).data().toString(), QString("Cube"));
        QCOMPARE(selectedRowNode(), NodePtr(editor->quad()));
        QCOMPARE(panel->planeCreationView()->rowsField()->text(), QString("4"));
        QVERIFY(button("removeNodeButton")->isEnabled());
    }

    void addingAQuadInsertsASelectedThreeByThreeGridAndOpensThePopover() {
        chooseFromAddMenu("Quad");

        QCOMPARE(root()->children().size(), size_t(3));
        const MeshPtr quad = asMesh(root()->children().back());
        QVERIFY(quad != nullptr);
        QCOMPARE(quad->name(), std::string("Quad"));
        const LayerPtr layer = quad->model()->layer();
        QCOMPARE(layer->positions.size(), size_t(16));
        QCOMPARE(layer->triangles.size(), size_t(18));
        QCOMPARE(window().selectedNode(), NodePtr(quad));
        QCOMPARE(selectedRowNode(), NodePtr(quad));

        QFrame* popover = panel->planeCreationPopover();
        QTRY_VERIFY(popover->isVisible());
        QVERIFY(popover->geometry().left() >=
                tree()->mapToGlobal(QPoint(tree()->width(), 0)).x() - 1);
        QLineEdit* rows = panel->popoverPlaneCreationView()->rowsField();
        QCOMPARE(rows->text(), QString("3"));
        QTRY_VERIFY(rows->hasFocus());

        // Typing goes straight to the new grid; a click outside the pop-up closes it.
        QTest::keyClicks(rows, "5");
        QTest::keyClick(rows, Qt::Key_Return);
        QCOMPARE(quad->model()->params()->v(), std::int64_t(5));
        QCOMPARE(panel->planeCreationView()->rowsField()->text(), QString("5"));
        QTest::mouseClick(popover, Qt::LeftButton, {}, QPoint(-5, -5));
        QTRY_VERIFY(!popover->isVisible());
    }

    void addingACubeInsertsAndSelectsItWithoutThePopover() {
        chooseFromAddMenu("Cube");

        QCOMPARE(root()->children().size(), size_t(3));
        const MeshPtr cube = asMesh(root()->children().back());
        QVERIFY(cube != nullptr);
        QCOMPARE(cube->name(), std::string("Cube"));
        QCOMPARE(window().selectedNode(), NodePtr(cube));
        QCOMPARE(selectedRowNode(), NodePtr(cube));
        QVERIFY(!panel->planeCreationPopover()->isVisible());
        QCOMPARE(selectionWrites, 1);
    }

    void clickingRowsSelectsTheirNodesAndRebuildsTheEditorsTool() {
        const OperationPtr gridTool = editor->controller.tool();
        editor->controller.selectedPointsIds() = {0, 1};

        clickRow(editor->cube());

        QCOMPARE(window().selectedNode(), NodePtr(editor->cube()));
        QVERIFY(editor->controller.tool() != gridTool);
        QVERIFY(editor->controller.selectedPointsIds().empty());
        // The tree following the write it caused must not write again.
        QCOMPARE(selectionWrites, 1);

        clickRow(root());
        QCOMPARE(window().selectedNode(), root());
        QVERIFY(!button("removeNodeButton")->isEnabled());
        QVERIFY(widget("materialEditContainerView")->isHidden());
        QVERIFY(!panel->planeCreationView()->rowsField()->isEnabled());
    }

    void writingTheSelectedNodeElsewhereSelectsItsRow() {
        window().setSelectedNode(editor->cube());
        QCOMPARE(selectedRowNode(), NodePtr(editor->cube()));
        QCOMPARE(selectionWrites, 1);

        window().setSelectedNode(nullptr);
        QCOMPARE(selectedRowNode(), NodePtr());
        QVERIFY(!button("removeNodeButton")->isEnabled());
        QVERIFY(widget("materialEditContainerView")->isHidden());
    }

    void typingTwelveRowsStoresTenAndShowsIt() {
        const MeshPtr grid = editor->quad();
        QLineEdit* rows = panel->planeCreationView()->rowsField();

        typeInto(rows, "12");

        QCOMPARE(grid->model()->params()->v(), std::int64_t(10));
        QCOMPARE(rows->text(), QString("10"));
        QCOMPARE(grid->model()->layer()->positions.size(), size_t(5 * 11));
        // The grid changed under the selection: it is written again for its observers.
        QCOMPARE(selectionWrites, 1);
        QCOMPARE(window().selectedNode(), NodePtr(grid));

        typeInto(panel->planeCreationView()->columnsField(), "2");
        QCOMPARE(grid->model()->params()->u(), std::int64_t(2));
    }

    void eachMeshShowsItsOwnCreationPanelAndNoSelectionShowsNone() {
        QWidget* grid = widget("planeCreationContainerView");
        QWidget* cube = widget("cubeCreationContainerView");
        QVERIFY(grid->isVisible() && !cube->isVisible());

        clickRow(editor->cube());
        QVERIFY(!grid->isVisible() && cube->isVisible());
        QCOMPARE(panel->findChild<QLabel*>("cubeTitle")->text(), QString("Cube"));
        QCOMPARE(panel->findChild<QLabel*>("cubeSize")->text(), QString("2 × 2 × 2"));
        QVERIFY(!widget("materialEditContainerView")->isHidden());

        clickRow(editor->quad());
        QVERIFY(grid->isVisible() && !cube->isVisible());
        QCOMPARE(panel->planeCreationView()->rowsField()->text(), QString("4"));

        window().setSelectedNode(nullptr);
        QVERIFY(!grid->isVisible() && !cube->isVisible());
        QVERIFY(panel->planeCreationView()->rowsField()->text().isEmpty());
    }

    void theSliderSetsOpacityAndFollowsTheSelectedMesh() {
        QSlider* slider = panel->slider();
        QSignalSpy repaints(panel.get(), &OutlinePanel::needsDisplay);
        QCOMPARE(slider->value(), 100);

        slider->setFocus();
        for (int i = 0; i < 5; ++i) {
            QTest::keyClick(slider, Qt::Key_PageDown);
        }
        QCOMPARE(slider->value(), 50);
        QCOMPARE(editor->quad()->material->opacity, 0.5f);
        QVERIFY(repaints.count() >= 1);

        editor->cube()->material->opacity = 0.25f;
        clickRow(editor->cube());
        QCOMPARE(slider->value(), 25);
        // Showing the cube's opacity is not a user's move: the grid keeps its own.
        QCOMPARE(editor->quad()->material->opacity, 0.5f);
        QCOMPARE(editor->cube()->material->opacity, 0.25f);
    }

    void removingTheSelectedMeshLeavesNoSelectionAndDisablesRemove() {
        const MeshPtr cube = editor->cube();
        clickRow(cube);

        QTest::mouseClick(button("removeNodeButton"), Qt::LeftButton);

        QCOMPARE(root()->children(), Node::Children{editor->quad()});
        QCOMPARE(panel->model()->rowCount(panel->model()->index(0, 0)), 1);
        QCOMPARE(window().selectedNode(), NodePtr());
        QVERIFY(tree()->selectionModel()->selectedRows().isEmpty());
        QVERIFY(!button("removeNodeButton")->isEnabled());
        QVERIFY(widget("materialEditContainerView")->isHidden());
    }

    void theVisibilityButtonHidesAndShowsTheSelectedObjectsSettings() {
        QWidget* container = widget("selectedObjectContainerView");
        QTest::mouseClick(button("visibilityButton"), Qt::LeftButton);
        QVERIFY(container->isHidden());
        QTest::mouseClick(button("visibilityButton"), Qt::LeftButton);
        QVERIFY(!container->isHidden());
    }

    void theTreeFollowsInsertionsRemovalsReordersAndRenamesAnywhere() {
        QAbstractItemModelTester tester(panel->model(),
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        const NodePtr group = Node::make("Group");
        window().scene()->insert(group);
        const MeshPtr inner = Mesh::make(Model::makeCube(), "Inner");
        group->setChildren({inner});
        inner->setName("Renamed");

        const QModelIndex groupRow = panel->model()->indexOf(group);
        QCOMPARE(groupRow.row(), 2);
        QCOMPARE(panel->model()->index(0, 0, groupRow).data().toString(), QString("Renamed"));

        window().setSelectedNode(inner);
        QCOMPARE(selectedRowNode(), NodePtr(inner));

        const MeshPtr quad = editor->quad();
        const MeshPtr cube = editor->cube();
        root()->setChildren({group, cube, quad});
        QCOMPARE(panel->model()->index(0, 0, panel->model()->index(0, 0)).data().toString(),
                 QString("Group"));
        QCOMPARE(panel->model()->indexOf(quad).row(), 2);
        // The selected row moved with its node.
        QCOMPARE(selectedRowNode(), NodePtr(inner));

        window().scene()->remove(group);
        QVERIFY(!panel->model()->indexOf(inner).isValid());
        QCOMPARE(panel->model()->rowCount(panel->model()->index(0, 0)), 2);

        window().scene()->setNodes({});
        QCOMPARE(panel->model()->rowCount(), 0);
    }
};

QTEST_MAIN(OutlinePanelTest)
#include "outline_panel_test.moc"
