#pragma once

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <unordered_map>
#include <vector>

#include "CommandGuard.h"
#include "NodePictures.h"
#include "crconname.h"

class ContractNode;
class ContractQuery;
class ContractTreeView;
class Desktop;
class QTreeWidget;
class QTreeWidgetItem;
class QWidget;

// The contract tree `TreeView1` with its records `NodeList`: loading it from the contract
// file, the current contract, and every command that changes the hierarchy.
//
// The hierarchy lives only in the codes of the file. Every command that changes it writes
// the file in one transaction, then changes the tree in place to what a fresh load of the
// file would show: the nodes it touched moved, added or taken out, no node selected and
// only the branches the command opens expanded. Rebuilding instead would cost every
// command the whole load, and a screen reader a notice about every contract. When a
// command fails, the tree is loaded again from the file as it is, so that it never shows
// codes the file does not hold.
class ContractTree : public QObject {
    Q_OBJECT
  public:
    ContractTree(ContractQuery& query, Desktop& desktop, const CommandGuard& guard,
                 QWidget* parent);
    ~ContractTree() override;

    QTreeWidget* view() const;

    void LoadContractTree();
    void ExpandToCode(const QString& code);
    void UpdateNodeImages();

    // The record of the selected node, or null when none is selected.
    const crconname* selectedRecord() const;
    // After the contract page saved a name: the record's name and the node's text.
    void setSelectedName(const QString& name);
    const std::vector<std::unique_ptr<crconname>>& NodeList() const;

    void addContract();
    void addSubContract();
    void deleteContract();
    void makeIndependent();
    void expandAll();
    void collapseAll();
    void MoveContractBranch(const QString& source, const QString& target);

    // Brings the tree to what the file holds now, after someone else changed it: changed
    // in place where that gives what a load would show, keeping the selection, the open
    // branches and an edit in progress where their contracts remain; loaded anew,
    // keeping the selection and the open branches, where not.
    void followFile();
    // A role of the server that may only read: no renaming in place, no dragging.
    void setWritable(bool writable);
    // A drag of a node is running: the tree must stay as it is until it ends.
    bool isDragging() const;

    // The end of an accepted in-place edit of `node` with the text typed.
    void TreeView1Edited(QTreeWidgetItem* node, const QString& text);
    // The end of a drag of the selected node: on `target`, or outside the tree (null).
    void TreeView1EndDrag(QTreeWidgetItem* target);

  Q_SIGNALS:
    // The selection changed (TreeView1Change), also by keyboard.
    void selectionChanged();
    // A mouse click on the tree (TreeView1Click).
    void clicked();
    // The selected node was renamed in place; the new name goes to the contract page.
    void renamed(const QString& name);

  private:
    ContractNode* selectedNode() const;
    ContractNode* firstNodeWithCode(const QString& code) const;
    ContractNode* parentFor(const QString& code) const;
    QWidget* messageParent() const;
    void refuse(const QString& text);
    // The rows of the contracts and of everything that belongs to them.
    void DeleteContractRows(const std::vector<ContractNode*>& contracts);
    void moveBranch(ContractNode* source, const QString& target);
    // Moves the branch below `targetCode` (empty: to the top level) under the first free
    // number there; `whenFull` is the refusal when there is none.
    void recodeBranch(ContractNode* source, const QString& targetCode, const QString& whenFull);
    // Runs the statements as one transaction, then `change` on the tree, and shows the tree
    // as loaded with the code `change` returns opened; on any failure loads the tree from
    // the file. The statements return a refusal to show instead, with nothing written, or
    // nothing.
    void writeThenChange(const std::function<QString()>& statements,
                         const std::function<QString()>& change);
    void pictureMayChange(QTreeWidgetItem* item);

    // In-place changes that keep the tree equal to a fresh load. A branch is taken out of
    // the tree with its node and everything below it, and hung back in by its top's code.
    void attachBranch(ContractNode* top);
    void detachBranch(ContractNode* top);
    // Nothing selected, every node closed with its closed picture, then `expandCode`
    // opened: the state of a tree just loaded.
    void showAsLoaded(const QString& expandCode);
    // A node for a contract that comes into the tree, its record added to NodeList; the
    // caller hangs it in.
    ContractNode* newNode(qint64 id, const QString& code, const QString& name);
    void forgetRecords(const std::vector<ContractNode*>& branch);
    void reloadKeepingView();
    // A contract row as the file holds it now, for following another clerk's changes.
    struct RowNow {
        QString code;
        QString name;
    };
    bool canFollowInPlace(const std::unordered_map<qint64, RowNow>& rows,
                          const std::vector<ContractNode*>& gone,
                          const std::vector<ContractNode*>& moved,
                          const std::vector<std::pair<qint64, const RowNow*>>& added) const;
    // A node and everything below it, parents before children.
    static std::vector<ContractNode*> branchOf(ContractNode* top);

    ContractQuery& query_;
    Desktop& desktop_;
    CommandGuard guard_;
    QPointer<ContractTreeView> view_;
    NodePictures pictures_;
    std::vector<std::unique_ptr<crconname>> nodes_;
    // The first node of each code, in display order: where a longer code hangs.
    QHash<QString, ContractNode*> firstByCode_;
    // Nodes whose expanded state changed since their picture was last set; all of
    // them when the whole tree was expanded or collapsed at once.
    std::vector<QTreeWidgetItem*> picturesDue_;
    bool allPicturesDue_ = false;
};
