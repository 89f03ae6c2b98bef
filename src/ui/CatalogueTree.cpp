#include "ui/CatalogueTree.h"

#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

namespace tikkeli {

void CatalogueTree::addGroups(QTreeWidgetItem* root, const std::vector<CatalogueLetterGroup>& groups)
{
    for (const CatalogueLetterGroup& group : groups) {
        auto* letter = new QTreeWidgetItem(root, {group.letter});
        for (const CatalogueTreeEntry& entry : group.entries) {
            auto* node = new QTreeWidgetItem(letter, {entry.name});
            node->setData(0, KeyRole, RecordCatalogue::treeKey(entry.id));
        }
    }
}

std::optional<qint64> CatalogueTree::idOf(const QTreeWidgetItem* node)
{
    if (!node)
        return std::nullopt;
    return RecordCatalogue::idFromTreeKey(node->data(0, KeyRole).toString());
}

bool CatalogueTree::removeNode(QTreeWidget* tree, qint64 id)
{
    const QString key = RecordCatalogue::treeKey(id);
    for (QTreeWidgetItemIterator it(tree); *it; ++it) {
        if ((*it)->data(0, KeyRole).toString() == key) {
            delete *it;
            return true;
        }
    }
    return false;
}

} // namespace tikkeli
