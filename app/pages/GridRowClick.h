#pragma once

#include <functional>

class CommandGuard;
class QTableWidget;

// Hangs a list grid's row click on the grid: the action runs, inside the guard, when a
// person clicks a row (the current one too), when the keyboard moves the selection to
// another row, and when a command makes another row current. It does not run when the
// current row is made current again, nor when a reload cuts the grid back (resetListGrid
// works without the grid's signals). A click on another row runs the action once.
void connectRowClick(QTableWidget& grid, const CommandGuard& guard, std::function<void()> action);
