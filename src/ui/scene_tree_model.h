#pragma once

#include "scene/scene.h"

#include <QAbstractItemModel>

#include <memory>
#include <vector>

namespace tessel {

// The scene's node tree as a one-column item model titled by node names. The model keeps its
// own mirror of the tree and brings it in step, row by row, whenever a node's children, a
// node's name or the scene's top-level nodes change, so views see proper insertions and
// removals announced before the rows change.
class SceneTreeModel : public QAbstractItemModel {
    Q_OBJECT

public:
    explicit SceneTreeModel(ScenePtr scene, QObject* parent = nullptr);
    ~SceneTreeModel() override;

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

    // The document's name, which the scene's root row shows instead of the root node's name (as
    // the window's title does). Empty: the node's name. A mesh at the top keeps its own name.
    void setDocumentName(const QString& name);

    // The node of a row; null for an invalid index.
    NodePtr node(const QModelIndex& index) const;
    // The first row of the node in pre-order, or an invalid index when it is not in the tree.
    QModelIndex indexOf(const NodePtr& node) const;

private:
    struct Item;

    std::unique_ptr<Item> makeItem(const NodePtr& node, Item* parent);
    // Turns the item's mirrored children into `children` with the fewest row removals and
    // insertions a greedy in-order match finds.
    void sync(Item& item, const std::vector<NodePtr>& children);
    QModelIndex indexOf(const Item& item) const;
    const Item* itemOf(const QModelIndex& index) const;

    ScenePtr m_scene;
    // Invisible: its children are the scene's top-level nodes.
    std::unique_ptr<Item> m_top;
    Signal<>::Connection m_nodesConnection = 0;
    QString m_documentName;
};

} // namespace tessel
