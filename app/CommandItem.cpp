#include "CommandItem.h"

#include <QAction>
#include <QActionGroup>
#include <QHash>
#include <QWidget>

#include "CommandGuard.h"
#include "CommandIcons.h"

void addCommandItems(QWidget* bar, const CommandTable& table, QWidget* owner, const CommandGuard& guard) {
    QHash<QString, QActionGroup*> groups;
    for (const CommandItem& item : table) {
        auto* action = new QAction(item.caption, owner);
        if (item.name.isEmpty()) {
            action->setSeparator(true);
        } else {
            action->setObjectName(item.name);
            action->setIcon(commandIcon(item.name));
            action->setStatusTip(item.hint);
            if (!item.hint.isEmpty()) action->setToolTip(item.hint);
            action->setEnabled(item.enabled);
            if (!item.radioGroup.isEmpty()) {
                QActionGroup*& group = groups[item.radioGroup];
                if (!group) group = new QActionGroup(owner);
                action->setCheckable(true);
                action->setChecked(item.checked);
                group->addAction(action);
            }
            if (item.run)
                QObject::connect(action, &QAction::triggered, owner, guard.wrap(item.run));
        }
        action->setVisible(item.visible);
        bar->addAction(action);
    }
}
