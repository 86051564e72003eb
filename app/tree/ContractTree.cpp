#include "ContractTree.h"

#include <QSignalBlocker>
#include <algorithm>
#include <unordered_set>

#include "ContractCode.h"
#include "ContractNode.h"
#include "ContractQuery.h"
#include "ContractTreeView.h"
#include "Desktop.h"
#include "NodeWalk.h"

ContractTree::ContractTree(ContractQuery& query, Desktop& desktop, const CommandGuard& guard,
                           QWidget* parent)
    : QObject(parent),
      query_(query),
      desktop_(desktop),
      guard_(guard),
      view_(new ContractTreeView(parent)),
      pictures_(NodePictures::draw()) {
    connect(view_, &QTreeWidget::itemSelectionChanged, this, &ContractTree::selectionChanged);
    connect(view_, &ContractTreeView::mouseClicked, this, &ContractTree::clicked);
    connect(view_, &ContractTreeView::mouseReleased, this, &ContractTree::UpdateNodeImages);
    connect(view_, &ContractTreeView::mouseDoubleClicked, this, &ContractTree::UpdateNodeImages);
    connect(view_, &QTreeWidget::itemExpanded, this, &ContractTree::pictureMayChange);
    connect(view_, &QTreeWidget::itemCollapsed, this, &ContractTree::pictureMayChange);
    connect(view_, &ContractTreeView::editAccepted, this,
            [this](QTreeWidgetItem* node, const QString& text) {
                guard_.run([&] { TreeView1Edited(node, text); });
            });
    connect(view_, &ContractTreeView::dragEnded, this,
            [this](QTreeWidgetItem* target) { guard_.run([&] { TreeView1EndDrag(target); }); });
}

ContractTree::~ContractTree() {
    // The nodes point into NodeList, which goes now; the view may outlive this object.
    if (view_) {
        const QSignalBlocker blocker(view_.data());
        view_->clear();
    }
}

QTreeWidget* ContractTree::view() const { return view_; }

void ContractTree::setWritable(bool writable) { view_->setWritable(writable); }

const std::vector<std::unique_ptr<crconname>>& ContractTree::NodeList() const { return nodes_; }

ContractNode* ContractTree::selectedNode() const {
    return static_cast<ContractNode*>(view_->selectedNode());
}

const crconname* ContractTree::selectedRecord() const {
    const ContractNode* node = selectedNode();
    return node ? node->record() : nullptr;
}

void ContractTree::setSelectedName(const QString& name) {
    ContractNode* node = selectedNode();
    if (!node) return;
    node->record()->contractName = name;
    node->setText(0, name);
}

ContractNode* ContractTree::firstNodeWithCode(const QString& code) const {
    return firstByCode_.value(code, nullptr);
}

ContractNode* ContractTree::parentFor(const QString& code) const {
    // The nearest ancestor: the longest shorter prefix of whole segments that is the
    // code of a node. For a code whose parent row exists this is the first lookup; a
    // record whose parent is missing still gets a node, and one with no ancestor at all,
    // or a code too short to have one, goes to the top level.
    const qsizetype segment = contractcode::kSegmentLength;
    for (qsizetype length = (code.size() - 1) / segment * segment; length >= segment;
         length -= segment)
        if (ContractNode* node = firstNodeWithCode(code.left(length))) return node;
    return nullptr;
}

void ContractTree::LoadContractTree() {
    {
        const QSignalBlocker blocker(view_.data());
        view_->clear();
    }
    firstByCode_.clear();
    picturesDue_.clear();
    allPicturesDue_ = false;
    nodes_.clear();

    std::vector<std::unique_ptr<crconname>> records;
    query_.RunQuery(QStringLiteral("select * from htmain order by concode asc"));
    if (!query_.eof()) {
        const int idColumn = query_.columnIndex("conid");
        const int codeColumn = query_.columnIndex("concode");
        const int nameColumn = query_.columnIndex("conname");
        for (; !query_.eof(); query_.next()) {
            auto record = std::make_unique<crconname>();
            record->contractId = query_.integerAt(idColumn);
            record->contractCode = query_.textAt(codeColumn);
            record->contractName = query_.textAt(nameColumn);
            records.push_back(std::move(record));
        }
    }
    query_.close();

    // Parents before children, siblings by the number of their last segment; rows with
    // the same code by id, as the code index gives them.
    std::sort(records.begin(), records.end(),
              [](const auto& a, const auto& b) { return ContractNode::sortsBefore(*a, *b); });

    // The nodes are hung together before any of them is in the view, and the view
    // takes the top level in one insertion: one model change instead of one per node.
    QList<QTreeWidgetItem*> topLevel;
    firstByCode_.reserve(qsizetype(records.size()));
    try {
        for (const auto& record : records) {
            ContractNode* parent = parentFor(record->contractCode);
            auto* node = new ContractNode(record.get(), &pictures_);
            if (parent)
                parent->addChild(node);
            else
                topLevel.append(node);
            // Of several rows with one code the first takes the children, as it is the
            // first of them in display order.
            if (!firstByCode_.contains(record->contractCode))
                firstByCode_.insert(record->contractCode, node);
        }
    } catch (...) {
        firstByCode_.clear();
        qDeleteAll(topLevel);
        throw;
    }
    nodes_ = std::move(records);
    const QSignalBlocker blocker(view_.data());
    view_->addTopLevelItems(topLevel);
}

void ContractTree::ExpandToCode(const QString& code) {
    if (code.isEmpty()) return;
    // The nodes whose code is a prefix of `code`: the node itself, its ancestors and any
    // node whose stray code happens to be one. Each opens with its whole branch. Found
    // by looking up every prefix rather than by walking every node.
    std::vector<QTreeWidgetItem*> opened;
    const auto insideOpened = [&opened](QTreeWidgetItem* node) {
        for (QTreeWidgetItem* up = node->parent(); up; up = up->parent())
            if (std::find(opened.begin(), opened.end(), up) != opened.end()) return true;
        return false;
    };
    for (qsizetype length = 0; length <= code.size(); ++length) {
        const QString prefix = code.left(length);
        ContractNode* node = firstNodeWithCode(prefix);
        if (!node) continue;
        // Rows sharing a code are neighbouring siblings.
        QTreeWidgetItem* parent = node->parent();
        int row = parent ? parent->indexOfChild(node) : view_->indexOfTopLevelItem(node);
        for (QTreeWidgetItem* same = node;
             same && ContractNode::recordOf(same)->contractCode == prefix;
             same = parent ? parent->child(++row) : view_->topLevelItem(++row)) {
            if (insideOpened(same)) continue;  // already opened with its ancestor's branch
            view_->expandBranch(same);
            opened.push_back(same);
        }
    }
}

void ContractTree::pictureMayChange(QTreeWidgetItem* item) {
    if (allPicturesDue_) return;
    picturesDue_.push_back(item);
    // Past this size a walk over all nodes is cheaper than the list.
    if (picturesDue_.size() > nodes_.size()) {
        picturesDue_.clear();
        allPicturesDue_ = true;
    }
}

void ContractTree::UpdateNodeImages() {
    // A node shows the open picture when it is expanded, the closed one otherwise. Only
    // nodes whose state changed since the last time can show the wrong one, so only
    // they are visited; after expanding or collapsing everything, all of them are.
    // A node without children cannot be open, whatever the view remembers of it.
    const auto refresh = [](QTreeWidgetItem* item) {
        static_cast<ContractNode*>(item)->setShowsOpen(item->childCount() > 0 &&
                                                       item->isExpanded());
    };
    if (allPicturesDue_) {
        visitNodesBelow(view_->invisibleRootItem(), refresh);
    } else {
        for (QTreeWidgetItem* item : picturesDue_) refresh(item);
    }
    picturesDue_.clear();
    allPicturesDue_ = false;
}

void ContractTree::expandAll() {
    // The pictures follow at the next selection change, double click or mouse release.
    view_->expandAll();
    picturesDue_.clear();
    allPicturesDue_ = true;
}

void ContractTree::collapseAll() {
    view_->collapseAll();
    picturesDue_.clear();
    allPicturesDue_ = true;
}

std::vector<ContractNode*> ContractTree::branchOf(ContractNode* top) {
    std::vector<ContractNode*> branch{top};
    visitNodesBelow(top, [&branch](QTreeWidgetItem* item) {
        branch.push_back(static_cast<ContractNode*>(item));
    });
    return branch;
}

void ContractTree::attachBranch(ContractNode* top) {
    // The commands hang in only codes that no node begins with, so nothing already in
    // the tree moves under the branch, and the branch's codes are new or come after rows
    // that share them.
    const crconname& record = *top->record();
    QTreeWidgetItem* parent = parentFor(record.contractCode);
    if (!parent) parent = view_->invisibleRootItem();
    int low = 0;
    int high = parent->childCount();
    while (low < high) {
        const int middle = low + (high - low) / 2;
        if (ContractNode::sortsBefore(record, *ContractNode::recordOf(parent->child(middle))))
            high = middle;
        else
            low = middle + 1;
    }
    parent->insertChild(low, top);
    for (ContractNode* member : branchOf(top))
        if (!firstByCode_.contains(member->record()->contractCode))
            firstByCode_.insert(member->record()->contractCode, member);
}

void ContractTree::detachBranch(ContractNode* top) {
    QTreeWidgetItem* parent = top->parent() ? top->parent() : view_->invisibleRootItem();
    const int row = parent->indexOfChild(top);
    for (ContractNode* member : branchOf(top)) {
        const auto first = firstByCode_.constFind(member->record()->contractCode);
        if (first != firstByCode_.cend() && first.value() == member) firstByCode_.erase(first);
    }
    // Rows sharing a code are neighbouring siblings: the next one, if any, becomes the
    // first of its code. Everything that hung below the top goes with the branch.
    const QString& code = top->record()->contractCode;
    if (QTreeWidgetItem* next = parent->child(row + 1);
        next && ContractNode::recordOf(next)->contractCode == code && !firstByCode_.contains(code))
        firstByCode_.insert(code, static_cast<ContractNode*>(next));
    parent->takeChild(row);
}

ContractNode* ContractTree::newNode(qint64 id, const QString& code, const QString& name) {
    auto record = std::make_unique<crconname>();
    record->contractId = id;
    record->contractCode = code;
    record->contractName = name;
    auto node = std::make_unique<ContractNode>(record.get(), &pictures_);
    nodes_.push_back(std::move(record));
    return node.release();
}

void ContractTree::forgetRecords(const std::vector<ContractNode*>& branch) {
    std::unordered_set<const crconname*> gone;
    for (const ContractNode* member : branch) gone.insert(member->record());
    nodes_.erase(std::remove_if(nodes_.begin(), nodes_.end(),
                                [&gone](const auto& record) { return gone.count(record.get()); }),
                 nodes_.end());
}

void ContractTree::showAsLoaded(const QString& expandCode) {
    {
        // As after a load, the change of selection is not reported: the pages keep what
        // they show until a contract is chosen.
        const QSignalBlocker blocker(view_.data());
        view_->selectionModel()->clear();
        view_->collapseAll();
    }
    visitNodesBelow(view_->invisibleRootItem(),
                    [](QTreeWidgetItem* item) { static_cast<ContractNode*>(item)->forgetOpen(); });
    view_->viewport()->update();
    picturesDue_.clear();
    allPicturesDue_ = false;
    ExpandToCode(expandCode);
}
