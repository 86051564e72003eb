#include "ContractNode.h"

#include "ContractCode.h"

ContractNode::ContractNode(crconname* record, const NodePictures* pictures)
    : QTreeWidgetItem(Type), record_(record), pictures_(pictures) {
    setText(0, record->contractName);
    setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsEditable | Qt::ItemIsDragEnabled |
             Qt::ItemIsDropEnabled);
}

void ContractNode::setShowsOpen(bool open) {
    if (showsOpen_ == open) return;
    showsOpen_ = open;
    emitDataChanged();
}

QVariant ContractNode::data(int column, int role) const {
    // The picture is not stored per node: a hundred thousand copies of the same icon
    // would only cost time when the tree is built.
    if (role == Qt::DecorationRole && column == 0)
        return showsOpen_ ? pictures_->open : pictures_->closed;
    return QTreeWidgetItem::data(column, role);
}

crconname* ContractNode::recordOf(const QTreeWidgetItem* item) {
    if (!item || item->type() != Type) return nullptr;
    return static_cast<const ContractNode*>(item)->record();
}

bool ContractNode::sortsBefore(const crconname& a, const crconname& b) {
    return NodeSortsBefore(a.contractCode, a.contractId, b.contractCode, b.contractId);
}
