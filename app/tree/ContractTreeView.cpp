#include "ContractTreeView.h"

#include <QDrag>
#include <QDragMoveEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPersistentModelIndex>
#include <QStyledItemDelegate>
#include <utility>

namespace {

// Only drags that started in this tree are dropped on it; the format keeps other
// programs' drags (and another window of this one) from being mistaken for ours.
const QString kDragFormat = QStringLiteral("application/x-vemora-contract-node");

}  // namespace

// Hands an accepted edit to the view instead of writing it into the item: the name
// must reach the contract file first, and an edit the file refuses leaves the node as
// it was.
class ContractTreeView::RenameDelegate : public QStyledItemDelegate {
  public:
    explicit RenameDelegate(ContractTreeView* view) : QStyledItemDelegate(view), view_(view) {}

    void setModelData(QWidget* editor, QAbstractItemModel*,
                      const QModelIndex& index) const override {
        if (const auto* line = qobject_cast<QLineEdit*>(editor))
            view_->acceptEdit(index, line->text());
    }

  private:
    ContractTreeView* view_;
};

ContractTreeView::ContractTreeView(QWidget* parent) : QTreeWidget(parent) {
    setObjectName(QStringLiteral("TreeView1"));
    setHeaderHidden(true);
    setColumnCount(1);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setUniformRowHeights(true);
    setIndentation(19);
    setItemDelegate(new RenameDelegate(this));
    setWritable(true);
    setAcceptDrops(true);
    setDragDropMode(QAbstractItemView::DragDrop);
    setContextMenuPolicy(Qt::CustomContextMenu);
}

void ContractTreeView::setWritable(bool writable) {
    setEditTriggers(writable ? QAbstractItemView::SelectedClicked | QAbstractItemView::EditKeyPressed
                             : QAbstractItemView::NoEditTriggers);
    setDragEnabled(writable);
}

QTreeWidgetItem* ContractTreeView::selectedNode() const {
    const QList<QTreeWidgetItem*> selected = selectedItems();
    return selected.isEmpty() ? nullptr : selected.first();
}

void ContractTreeView::expandBranch(QTreeWidgetItem* node) {
    if (node) expandRecursively(indexFromItem(node));
}

void ContractTreeView::acceptEdit(const QModelIndex& index, const QString& text) {
    // The editor is still closing here, and a message about a refused name would take
    // its focus and make it commit a second time; so the rename waits for the editor
    // to be gone. A tree rebuilt in between takes the edit with it.
    const QPersistentModelIndex edited(index);
    QMetaObject::invokeMethod(
        this,
        [this, edited, text] {
            if (QTreeWidgetItem* node = edited.isValid() ? itemFromIndex(edited) : nullptr)
                Q_EMIT editAccepted(node, text);
        },
        Qt::QueuedConnection);
}

bool ContractTreeView::edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) {
    // Only the selected node is renamed in place: the new name also goes to the contract
    // page, which shows the selected contract. F2 would otherwise edit the view's current
    // node, which after a rebuild is not the selected one (there is none).
    if (trigger != NoEditTriggers && index.isValid() && !selectionModel()->isSelected(index))
        return false;
    return QTreeWidget::edit(index, trigger, event);
}

void ContractTreeView::mousePressEvent(QMouseEvent* event) {
    leftPressed_ = event->button() == Qt::LeftButton;
    QTreeWidgetItem* node = itemAt(event->position().toPoint());
    if (!node) {
        // A press beside the nodes keeps the current contract; the view would drop it.
        event->accept();
        return;
    }
    QTreeWidget::mousePressEvent(event);
    // Every button selects the node under the pointer, the expand mark included, so the
    // popup menu and a drag act on the node the person pointed at.
    if (!node->isSelected()) setCurrentItem(node);
}

void ContractTreeView::mouseReleaseEvent(QMouseEvent* event) {
    QTreeWidget::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && std::exchange(leftPressed_, false))
        Q_EMIT mouseClicked();
    Q_EMIT mouseReleased();
}

void ContractTreeView::mouseDoubleClickEvent(QMouseEvent* event) {
    QTreeWidget::mouseDoubleClickEvent(event);
    Q_EMIT mouseDoubleClicked();
}

void ContractTreeView::startDrag(Qt::DropActions) {
    QTreeWidgetItem* dragged = selectedNode();
    if (!dragged) return;
    auto* data = new QMimeData;
    data->setData(kDragFormat, QByteArray());
    auto* drag = new QDrag(this);
    drag->setMimeData(data);
    drag->setPixmap(dragged->icon(0).pixmap(16));

    dragging_ = true;
    droppedOn_ = nullptr;
    drag->exec(Qt::MoveAction, Qt::MoveAction);
    dragging_ = false;
    showDropTarget(nullptr);
    // The move is made only now that the drag is over: the tree is rebuilt by it, and
    // no item may vanish under a running drag.
    Q_EMIT dragEnded(std::exchange(droppedOn_, nullptr));
}

void ContractTreeView::dragEnterEvent(QDragEnterEvent* event) {
    if (!dragging_ || !event->mimeData()->hasFormat(kDragFormat)) {
        event->ignore();
        return;
    }
    setState(DraggingState);
    event->setDropAction(Qt::MoveAction);
    event->accept();
}

void ContractTreeView::dragMoveEvent(QDragMoveEvent* event) {
    QTreeWidget::dragMoveEvent(event);  // scrolls when the pointer nears an edge
    QTreeWidgetItem* target = nullptr;
    if (dragging_ && event->mimeData()->hasFormat(kDragFormat))
        target = itemAt(event->position().toPoint());
    showDropTarget(target);
    if (target) {
        event->setDropAction(Qt::MoveAction);
        event->accept();
    } else {
        event->ignore();
    }
}

void ContractTreeView::dragLeaveEvent(QDragLeaveEvent* event) {
    QTreeWidget::dragLeaveEvent(event);
    showDropTarget(nullptr);
}

void ContractTreeView::dropEvent(QDropEvent* event) {
    QTreeWidgetItem* target = nullptr;
    if (dragging_ && event->mimeData()->hasFormat(kDragFormat))
        target = itemAt(event->position().toPoint());
    stopAutoScroll();
    setState(NoState);
    showDropTarget(nullptr);
    if (!target) {
        event->ignore();
        return;
    }
    droppedOn_ = target;
    event->setDropAction(Qt::MoveAction);
    event->accept();
}

void ContractTreeView::showDropTarget(QTreeWidgetItem* target) {
    if (dropTarget_ == target) return;
    dropTarget_ = target;
    viewport()->update();
}

void ContractTreeView::paintEvent(QPaintEvent* event) {
    QTreeWidget::paintEvent(event);
    if (!dropTarget_) return;
    QPainter painter(viewport());
    painter.setPen(QPen(palette().color(QPalette::Highlight), 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(visualItemRect(dropTarget_).adjusted(0, 0, -1, -1));
}
