#include "ContractInfoPage.h"

#include "ContractQuery.h"
#include "Desktop.h"

// Placeholder until the page is built.
ContractInfoPage::ContractInfoPage(ContractQuery& query, Desktop& desktop, QWidget* parent)
    : QWidget(parent), query_(query), desktop_(desktop) {
    setObjectName(QStringLiteral("TabSheet1"));
}

void ContractInfoPage::ClearContractPage(const QDateTime&) {}
void ContractInfoPage::LoadContractRecord(qint64) {}
bool ContractInfoPage::saveContractRecord(qint64) { return true; }
QString ContractInfoPage::contractName() const { return {}; }
void ContractInfoPage::setContractName(const QString&) {}
void ContractInfoPage::FillCategoryLists(const QString& scope) {
    if (scope == QLatin1String("all") || scope == QLatin1String("setinfo")) {
        query_.RunQuery(QStringLiteral("select * from infoset"));
        query_.close();
    }
}
