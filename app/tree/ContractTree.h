#pragma once

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
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
// The hierarchy lives only in the codes of the file. Every command that changes it
// writes the file and rebuilds the tree from it, after which no node is selected; a
// command made of several statements is one transaction, and when it fails the tree is
// rebuilt from the file as it is, so the tree never shows codes the file does not hold.
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
    QStringList codesInUse() const;
    QWidget* messageParent() const;
    void refuse(const QString& text);
    void insertContract(qint64 id, const QString& code);
    void DeleteContractRows(qint64 id);
    void moveBranch(ContractNode* source, const QString& target);
    void recodeBranch(ContractNode* source, const QString& newPrefix);
    void writeAndRebuild(const std::function<void()>& statements, const QString& expandCode);
    void pictureMayChange(QTreeWidgetItem* item);

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
