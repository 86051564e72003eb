#pragma once

#include <QObject>
#include <QString>
#include <memory>
#include <vector>

#include "crconname.h"

class CommandGuard;
class ContractQuery;
class Desktop;
class QTreeWidget;
class QWidget;

// The contract tree `TreeView1` with its records `NodeList`: loading it from the contract
// file, the current contract, and every command that changes the hierarchy.
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

Q_SIGNALS:
    // The selection changed (TreeView1Change), also by keyboard.
    void selectionChanged();
    // A mouse click on the tree (TreeView1Click).
    void clicked();
    // A node was renamed in place; the new name goes to the contract page.
    void renamed(const QString& name);

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};
