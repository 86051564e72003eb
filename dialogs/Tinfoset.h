#pragma once

#include <QDialog>
#include <functional>

class CommandGuard;
class ContractQuery;

// The option dialog "选项设置": the four category lists as four boxes, one entry a line.
class Tinfoset : public QDialog {
    Q_OBJECT
public:
    // fillCategoryLists refreshes the drop-downs of the contract page ("setinfo").
    Tinfoset(ContractQuery& query, const CommandGuard& guard,
             std::function<void(const QString&)> fillCategoryLists, QWidget* parent = nullptr);

private:
    ContractQuery& query_;
    const CommandGuard& guard_;
    std::function<void(const QString&)> fillCategoryLists_;
};
