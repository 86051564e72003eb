#include "Tinfoset.h"

// Placeholder until the dialog is built.
Tinfoset::Tinfoset(ContractQuery& query, const CommandGuard& guard,
                   std::function<void(const QString&)> fillCategoryLists, QWidget* parent)
    : QDialog(parent), query_(query), guard_(guard), fillCategoryLists_(std::move(fillCategoryLists)) {
    setObjectName(QStringLiteral("infoset"));
    setWindowTitle(QStringLiteral("选项设置"));
}
