#include "ui/scene_tree_model.h"

#include "base/check.h"
#include "scene/mesh.h"

#include <algorithm>

namespace tessel {

struct SceneTreeModel::Item {
    NodePtr node;
    Item* parent = nullptr;
    std::vector<std::unique_ptr<Item>> children;
    Signal<const Node::Children&, const Node::Children&>::Connection childrenConnection = 0;
    Signal<const std::string&>::Connection nameConnection = 0;

    ~Item() {
        if (node) {
            node->childrenChanged.disconnect(childrenConnection);
            node->nameChanged.disconnect(nameConnection);
        }
    }

    int row() const {
        const auto& siblings = parent->children;
        const auto it = std::find_if(siblings.begin(), siblings.end(),
                                     [this](const auto& sibling) { return sibling.get() == this; });
        return static_cast<int>(it - siblings.begin());
    }
};

SceneTreeModel::SceneTreeModel(ScenePtr scene, QObject* parent)
    : QAbstractItemModel(parent), m_scene(std::move(scene)), m_top(std::make_unique<Item>()) {
    TESSEL_CHECK(m_scene != nullptr, "SceneTreeModel", "needs a scene");
    m_nodesConnection = m_scene->nodesChanged.connect([this] { sync(*m_top, m_scene->nodes()); });
    for (const NodePtr& node : m_scene->nodes()) {
        m_top->children.push_back(makeItem(node, m_top.get()));
    }
}

SceneTreeModel::~SceneTreeModel() { m_scene->nodesChanged.disconnect(m_nodesConnection); }

std::unique_ptr<SceneTreeModel::Item> SceneTreeModel::makeItem(const NodePtr& node, Item* parent) {
    auto item = std::make_unique<Item>();
    item->node = node;
    item->parent = parent;
    if (!node) {
        return item;
    }
    for (const NodePtr& child : node->children()) {
        item->children.push_back(makeItem(child, item.get()));
    }
    // The item's address is stable (it lives behind its unique_ptr) and it disconnects before
    // it goes, so the callbacks can hold it.
    Item* self = item.get();
    item->childrenConnection = node->childrenChanged.connect(
        [this, self](const Node::Children&, const Node::Children& now) { sync(*self, now); });
    item->nameConnection = node->nameChanged.connect([this, self](const std::string&) {
        const QModelIndex index = indexOf(*self);
        Q_EMIT dataChanged(index, index, {Qt::DisplayRole});
    });
    return item;
}

void SceneTreeModel::sync(Item& item, const std::vector<NodePtr>& children) {
    auto& mirror = item.children;
    // Keep the mirrored rows that appear, in order, in the new list.
    std::vector<bool> kept(mirror.size(), false);
    std::vector<bool> matched(children.size(), false);
    size_t next = 0;
    for (size_t i = 0; i < mirror.size(); ++i) {
        for (size_t k = next; k < children.size(); ++k) {
            if (children[k] == mirror[i]->node) {
                kept[i] = true;
                matched[k] = true;
                next = k + 1;
                break;
            }
        }
    }
    const QModelIndex parentIndex = indexOf(item);
    // Remove runs of dropped rows from the back, so earlier row numbers stay valid.
    for (size_t end = mirror.size(); end > 0;) {
        if (kept[end - 1]) {
            --end;
            continue;
        }
        size_t begin = end - 1;
        while (begin > 0 && !kept[begin - 1]) {
            --begin;
        }
        beginRemoveRows(parentIndex, static_cast<int>(begin), static_cast<int>(end - 1));
        mirror.erase(mirror.begin() + static_cast<std::ptrdiff_t>(begin),
                     mirror.begin() + static_cast<std::ptrdiff_t>(end));
        endRemoveRows();
        end = begin;
    }
    // The kept rows now read as the new list without its unmatched entries; inserting those at
    // their own positions, front to back, completes it.
    for (size_t begin = 0; begin < children.size();) {
        if (matched[begin]) {
            ++begin;
            continue;
        }
        size_t end = begin + 1;
        while (end < children.size() && !matched[end]) {
            ++end;
        }
        beginInsertRows(parentIndex, static_cast<int>(begin), static_cast<int>(end - 1));
        for (size_t k = begin; k < end; ++k) {
            mirror.insert(mirror.begin() + static_cast<std::ptrdiff_t>(k),
                          makeItem(children[k], &item));
        }
        endInsertRows();
        begin = end;
    }
}

QModelIndex SceneTreeModel::indexOf(const Item& item) const {
    if (&item == m_top.get()) {
        return {};
    }
    return createIndex(item.row(), 0, const_cast<Item*>(&item));
}

const SceneTreeModel::Item* SceneTreeModel::itemOf(const QModelIndex& index) const {
    return index.isValid() ? static_cast<const Item*>(index.internalPointer()) : m_top.get();
}

QModelIndex SceneTreeModel::index(int row, int column, const QModelIndex& parent) const {
    const Item* item = itemOf(parent);
    if (column != 0 || row < 0 || row >= static_cast<int>(item->children.size())) {
        return {};
    }
    return createIndex(row, 0, item->children[static_cast<size_t>(row)].get());
}

QModelIndex SceneTreeModel::parent(const QModelIndex& child) const {
    if (!child.isValid()) {
        return {};
    }
    return indexOf(*itemOf(child)->parent);
}

int SceneTreeModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid() && parent.column() != 0) {
        return 0;
    }
    return static_cast<int>(itemOf(parent)->children.size());
}

int SceneTreeModel::columnCount(const QModelIndex&) const { return 1; }

QVariant SceneTreeModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || role != Qt::DisplayRole) {
        return {};
    }
    const Item* item = itemOf(index);
    const NodePtr& node = item->node;
    if (node && item->parent == m_top.get() && m_top->children.size() == 1 &&
        !m_documentName.isEmpty() && !asMesh(node)) {
        return m_documentName;
    }
    return node ? QString::fromStdString(node->name()) : QString();
}

void SceneTreeModel::setDocumentName(const QString& name) {
    m_documentName = name;
    if (!m_top->children.empty()) {
        const QModelIndex root = index(0, 0);
        Q_EMIT dataChanged(root, root, {Qt::DisplayRole});
    }
}

NodePtr SceneTreeModel::node(const QModelIndex& index) const {
    return index.isValid() ? itemOf(index)->node : nullptr;
}

QModelIndex SceneTreeModel::indexOf(const NodePtr& node) const {
    if (!node) {
        return {};
    }
    // Pre-order, so a node listed twice answers with its first row.
    std::vector<const Item*> stack{m_top.get()};
    while (!stack.empty()) {
        const Item* item = stack.back();
        stack.pop_back();
        if (item != m_top.get() && item->node == node) {
            return indexOf(*item);
        }
        for (auto it = item->children.rbegin(); it != item->children.rend(); ++it) {
            stack.push_back(it->get());
        }
    }
    return {};
}

} // namespace tessel
