#include "GridRowClick.h"

#include <QEvent>
#include <QTableWidget>

#include "CommandGuard.h"

namespace {

// Remembers which row was current when a mouse button went down: a click that ends on that
// row moved nothing, so only the click itself can show it.
class PressWatcher : public QObject {
  public:
    PressWatcher(QTableWidget& grid) : QObject(&grid), grid_(grid) {
        grid.viewport()->installEventFilter(this);
    }
    int rowAtPress = -1;

  protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::MouseButtonPress ||
            event->type() == QEvent::MouseButtonDblClick)
            rowAtPress = grid_.currentRow();
        return false;
    }

  private:
    QTableWidget& grid_;
};

}  // namespace

void connectRowClick(QTableWidget& grid, const CommandGuard& guard, std::function<void()> action) {
    auto* watcher = new PressWatcher(grid);
    const std::function<void()> guarded = guard.wrap(std::move(action));
    QObject::connect(&grid, &QTableWidget::currentCellChanged, watcher,
                     [guarded](int row, int, int previousRow, int) {
                         if (row >= 0 && row != previousRow) guarded();
                     });
    QObject::connect(&grid, &QTableWidget::cellClicked, watcher, [watcher, guarded](int row, int) {
        if (row == watcher->rowAtPress) guarded();
    });
}
