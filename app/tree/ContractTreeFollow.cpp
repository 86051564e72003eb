// Following changes another clerk made to the contracts: the tree is brought to what the
// file holds now without being loaded again wherever that can be done in place, so that
// the selection, the open branches and a name being typed stay with their contracts.
#include <QSignalBlocker>
#include <QSet>
#include <algorithm>
#include <unordered_map>
#include <unordered_set>

#include "ContractCode.h"
#include "ContractNode.h"
#include "ContractQuery.h"
#include "ContractTree.h"
#include "ContractTreeView.h"
#include "NodeWalk.h"

namespace {

// Does a code in `sortedCodes` begin with `code` (or equal it)? Then `code` arriving
// would take over children or change which of two equal codes comes first, which only a
// load places right.
bool meetsCode(const QString& code, const QStringList& sortedCodes) {
    const auto at = std::lower_bound(sortedCodes.begin(), sortedCodes.end(), code);
    return at != sortedCodes.end() && at->startsWith(code);
}

}  // namespace

void ContractTree::followFile() {
    std::unordered_map<qint64, RowNow> rows;
    query_.RunQuery(QStringLiteral("select conid,concode,conname from htmain"));
    if (!query_.eof()) {
        const int idColumn = query_.columnIndex("conid");
        const int codeColumn = query_.columnIndex("concode");
        const int nameColumn = query_.columnIndex("conname");
        for (; !query_.eof(); query_.next())
            rows.emplace(query_.integerAt(idColumn),
                         RowNow{query_.textAt(codeColumn), query_.textAt(nameColumn)});
    }
    query_.close();

    std::unordered_map<qint64, ContractNode*> shown;
    visitNodesBelow(view_->invisibleRootItem(), [&shown](QTreeWidgetItem* item) {
        auto* node = static_cast<ContractNode*>(item);
        shown.emplace(node->record()->contractId, node);
    });

    std::vector<ContractNode*> gone;
    std::vector<ContractNode*> moved;
    std::vector<std::pair<ContractNode*, QString>> renamed;
    for (const auto& [id, node] : shown) {
        const auto row = rows.find(id);
        if (row == rows.end())
            gone.push_back(node);
        else {
            if (row->second.code != node->record()->contractCode) moved.push_back(node);
            if (row->second.name != node->record()->contractName)
                renamed.emplace_back(node, row->second.name);
        }
    }
    std::vector<std::pair<qint64, const RowNow*>> added;
    for (const auto& [id, row] : rows)
        if (!shown.count(id)) added.emplace_back(id, &row);

    if (!canFollowInPlace(rows, gone, moved, added)) {
        reloadKeepingView();
        return;
    }
    ContractNode* selected = selectedNode();

    for (auto& [node, name] : renamed) {
        node->record()->contractName = name;
        node->setText(0, name);
    }
    // The branches that go or move are taken out whole, from their tops: the nodes whose
    // parent does not go, or does not move, with them.
    const QSet<ContractNode*> goneSet(gone.begin(), gone.end());
    const QSet<ContractNode*> movedSet(moved.begin(), moved.end());
    std::vector<ContractNode*> goneTops;
    for (ContractNode* node : gone)
        if (!goneSet.contains(static_cast<ContractNode*>(node->parent()))) goneTops.push_back(node);
    std::vector<ContractNode*> movedTops;
    for (ContractNode* node : moved)
        if (!movedSet.contains(static_cast<ContractNode*>(node->parent())))
            movedTops.push_back(node);
    // Moving branches first: a node that went from inside one leaves a detached branch,
    // and one that moved out of a branch that went is taken from the tree while the
    // branch that went is still in it, which keeps the first node of each code among
    // the nodes that stay.
    for (ContractNode* top : movedTops) detachBranch(top);
    for (ContractNode* top : goneTops) detachBranch(top);
    forgetRecords(gone);
    for (ContractNode* top : goneTops) delete top;
    if (goneSet.contains(selected)) selected = nullptr;

    for (ContractNode* node : moved)
        node->record()->contractCode = rows.at(node->record()->contractId).code;
    // The branches that moved and the contracts that arrived hang in together, parents
    // before children in display order, so that each finds the parent a load gives it.
    std::vector<ContractNode*> arriving = movedTops;
    for (const auto& [id, row] : added) arriving.push_back(newNode(id, row->code, row->name));
    std::sort(arriving.begin(), arriving.end(), [](const ContractNode* a, const ContractNode* b) {
        return ContractNode::sortsBefore(*a->record(), *b->record());
    });
    for (ContractNode* top : arriving) attachBranch(top);
    // A selected contract that moved is the one the pages show: it stays selected without
    // the pages being told.
    if (selected && !selected->isSelected()) {
        const QSignalBlocker blocker(view_.data());
        view_->setCurrentItem(selected);
    }
}

bool ContractTree::canFollowInPlace(const std::unordered_map<qint64, RowNow>& rows,
                                    const std::vector<ContractNode*>& gone,
                                    const std::vector<ContractNode*>& moved,
                                    const std::vector<std::pair<qint64, const RowNow*>>& added) const {
    // Every contract that goes or moves takes its whole branch along, and a branch that
    // moves keeps its shape: each node below its top keeps its code after the top's.
    QSet<const ContractNode*> leaving(gone.begin(), gone.end());
    for (const ContractNode* node : moved) leaving.insert(node);
    for (const ContractNode* node : leaving)
        for (int i = 0; i < node->childCount(); ++i)
            if (!leaving.contains(static_cast<const ContractNode*>(node->child(i)))) return false;
    const QSet<const ContractNode*> movedSet(moved.begin(), moved.end());
    for (const ContractNode* node : moved) {
        const auto* parent = static_cast<const ContractNode*>(node->parent());
        if (!movedSet.contains(parent)) continue;
        const QString& oldParent = parent->record()->contractCode;
        const QString& newParent = rows.at(parent->record()->contractId).code;
        const QString& newCode = rows.at(node->record()->contractId).code;
        if (!newCode.startsWith(newParent) ||
            newCode.mid(newParent.size()) != node->record()->contractCode.mid(oldParent.size()))
            return false;
    }
    // No code that arrives begins a code that stays, nor equals one.
    if (moved.empty() && added.empty()) return true;
    QStringList staying;
    staying.reserve(qsizetype(nodes_.size()));
    std::unordered_set<const crconname*> leavingRecords;
    for (const ContractNode* node : leaving) leavingRecords.insert(node->record());
    for (const auto& record : nodes_)
        if (!leavingRecords.count(record.get())) staying.append(record->contractCode);
    std::sort(staying.begin(), staying.end());
    for (const ContractNode* node : moved)
        if (meetsCode(rows.at(node->record()->contractId).code, staying)) return false;
    for (const auto& [id, row] : added)
        if (meetsCode(row->code, staying)) return false;
    return true;
}

bool ContractTree::isDragging() const { return view_ && view_->isDragging(); }

void ContractTree::reloadKeepingView() {
    const crconname* selected = selectedRecord();
    const qint64 selectedId = selected ? selected->contractId : -1;
    QSet<qint64> open;
    visitNodesBelow(view_->invisibleRootItem(), [&open](QTreeWidgetItem* item) {
        if (item->isExpanded()) open.insert(ContractNode::recordOf(item)->contractId);
    });
    LoadContractTree();
    QTreeWidgetItem* reselect = nullptr;
    visitNodesBelow(view_->invisibleRootItem(), [&](QTreeWidgetItem* item) {
        const qint64 id = ContractNode::recordOf(item)->contractId;
        if (open.contains(id)) item->setExpanded(true);
        if (id == selectedId) reselect = item;
    });
    if (reselect) {
        const QSignalBlocker blocker(view_.data());
        view_->setCurrentItem(reselect);
    }
}
