#include "ContractTree.h"

#include <QTreeWidget>

#include "CommandGuard.h"
#include "ContractQuery.h"
#include "Desktop.h"

// Placeholder until the tree is built: an empty tree that loads nothing.
struct ContractTree::Impl {
    QTreeWidget* view = nullptr;
    std::vector<std::unique_ptr<crconname>> nodes;
};

ContractTree::ContractTree(ContractQuery&, Desktop&, const CommandGuard&, QWidget* parent)
    : QObject(parent), d(std::make_unique<Impl>()) {
    d->view = new QTreeWidget(parent);
    d->view->setObjectName(QStringLiteral("TreeView1"));
    d->view->setHeaderHidden(true);
}

ContractTree::~ContractTree() = default;
QTreeWidget* ContractTree::view() const { return d->view; }
void ContractTree::LoadContractTree() {}
void ContractTree::ExpandToCode(const QString&) {}
void ContractTree::UpdateNodeImages() {}
const crconname* ContractTree::selectedRecord() const { return nullptr; }
void ContractTree::setSelectedName(const QString&) {}
const std::vector<std::unique_ptr<crconname>>& ContractTree::NodeList() const { return d->nodes; }
void ContractTree::addContract() {}
void ContractTree::addSubContract() {}
void ContractTree::deleteContract() {}
void ContractTree::makeIndependent() {}
void ContractTree::expandAll() {}
void ContractTree::collapseAll() {}
void ContractTree::MoveContractBranch(const QString&, const QString&) {}
