#pragma once

#include <QTreeWidget>

// The tree control: one column, no header, single selection, names edited in place
// (click on the selected node, or F2), nodes dragged onto other nodes. It only reports
// what the person did; ContractTree decides what that means for the contract file.
class ContractTreeView : public QTreeWidget {
    Q_OBJECT
  public:
    explicit ContractTreeView(QWidget* parent = nullptr);
    using QTreeWidget::edit;

    QTreeWidgetItem* selectedNode() const;
    // Opens the node and every node below it, laying the view out once afterwards.
    void expandBranch(QTreeWidgetItem* node);

    // The drop target shown while a drag is over the tree, for painting and tests.
    QTreeWidgetItem* dropTarget() const { return dropTarget_; }
    bool isDragging() const { return dragging_; }
    // Renaming in place and dragging nodes, or neither.
    void setWritable(bool writable);

  Q_SIGNALS:
    // A left click anywhere in the tree; selecting by keyboard does not click.
    void mouseClicked();
    // Any mouse button released over the tree, and any double click.
    void mouseReleased();
    void mouseDoubleClicked();
    // An in-place edit was accepted (Return or leaving the editor) with this text. The
    // node's text is left as it was; it changes only once the new name is stored.
    void editAccepted(QTreeWidgetItem* node, const QString& text);
    // A drag that started in the tree has ended, on the node `target` or, with a null
    // target, anywhere else.
    void dragEnded(QTreeWidgetItem* target);

  protected:
    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void startDrag(Qt::DropActions supportedActions) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

  private:
    class RenameDelegate;
    void acceptEdit(const QModelIndex& index, const QString& text);
    void showDropTarget(QTreeWidgetItem* target);

    bool dragging_ = false;  // a drag started here is running
    QTreeWidgetItem* dropTarget_ = nullptr;
    QTreeWidgetItem* droppedOn_ = nullptr;
    bool leftPressed_ = false;
};
