#pragma once

#include <QTreeWidgetItem>

#include "NodePictures.h"
#include "crconname.h"

// One node of the contract tree: shows its record's name and the closed or open picture.
// The picture is whatever was last set, not the live expanded state: it follows the
// expansion only when the tree refreshes its pictures.
class ContractNode : public QTreeWidgetItem {
  public:
    static constexpr int Type = QTreeWidgetItem::UserType + 1;

    ContractNode(crconname* record, const NodePictures* pictures);

    crconname* record() const { return record_; }

    bool showsOpen() const { return showsOpen_; }
    void setShowsOpen(bool open);
    // Back to the closed picture without telling the view, for resetting a whole tree at
    // once: the caller repaints it.
    void forgetOpen() { showsOpen_ = false; }

    QVariant data(int column, int role) const override;

    // The record behind an item of the contract tree, or null.
    static crconname* recordOf(const QTreeWidgetItem* item);
    // The display order of two records (NodeSortsBefore on their codes and ids).
    static bool sortsBefore(const crconname& a, const crconname& b);

  private:
    crconname* record_;
    const NodePictures* pictures_;
    bool showsOpen_ = false;
};
