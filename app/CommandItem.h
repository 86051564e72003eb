#pragma once

#include <QString>
#include <functional>
#include <vector>

class CommandGuard;
class QAction;
class QActionGroup;
class QWidget;

// One line of a command table: an item of a menu, a toolbar or a popup menu. A line
// without a name is a separator. The action's objectName is the item's name, its text the
// caption, its status-bar hint the hint and its picture the one named for the item in
// CommandIcons.
struct CommandItem {
    QString name;
    QString caption;
    QString hint;
    bool enabled = true;
    bool visible = true;
    std::function<void()> run;  // empty: the item does nothing
    bool checked = false;       // for items of a radio group
    QString radioGroup;         // items sharing a group name are one radio group

    static CommandItem separator(bool visible = true) {
        CommandItem item;
        item.visible = visible;
        return item;
    }
};

using CommandTable = std::vector<CommandItem>;

// Adds the table's items to a menu, menu bar or toolbar, as actions owned by `owner`,
// each command running inside the guard.
void addCommandItems(QWidget* bar, const CommandTable& table, QWidget* owner, const CommandGuard& guard);
