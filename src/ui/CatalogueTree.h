#pragma once

#include "db/RecordCatalogue.h"

#include <Qt>
#include <optional>
#include <vector>

class QTreeWidget;
class QTreeWidgetItem;

namespace tikkeli {

// The trees of the catalogue windows: letter nodes under a root, a node per row whose key
// (RecordCatalogue::treeKey) is kept in the node's data.
class CatalogueTree {
public:
    static constexpr int KeyRole = Qt::UserRole;

    // One letter node per group under root, each with a node per entry.
    static void addGroups(QTreeWidgetItem* root, const std::vector<CatalogueLetterGroup>& groups);
    // The id of a row's node; nullopt for a root or letter node.
    static std::optional<qint64> idOf(const QTreeWidgetItem* node);
    // Removes the node of the row without rebuilding the tree; false when the tree has none.
    static bool removeNode(QTreeWidget* tree, qint64 id);
};

} // namespace tikkeli
