#pragma once

#include <QTreeWidgetItem>
#include <vector>

// Visits every node below `parent` (the tree's invisible root for all of them), parents
// before children, in display order; without recursion, as branches can be deep.
template <typename Visit>
void visitNodesBelow(QTreeWidgetItem* parent, Visit visit) {
    std::vector<QTreeWidgetItem*> pending;
    for (int i = parent->childCount() - 1; i >= 0; --i) pending.push_back(parent->child(i));
    while (!pending.empty()) {
        QTreeWidgetItem* item = pending.back();
        pending.pop_back();
        visit(item);
        for (int i = item->childCount() - 1; i >= 0; --i) pending.push_back(item->child(i));
    }
}
