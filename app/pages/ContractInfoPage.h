#pragma once

#include <QDateTime>
#include <QString>
#include <QWidget>

class ContractQuery;
class Desktop;

// The page "合同信息" (`TabSheet1`): one row of htmain spread over its fields.
class ContractInfoPage : public QWidget {
    Q_OBJECT
public:
    ContractInfoPage(ContractQuery& query, Desktop& desktop, QWidget* parent = nullptr);

    // This page's part of ClearContractPage: every field to its default, the date
    // pickers (but "结算日期") to `now`.
    void ClearContractPage(const QDateTime& now);
    void LoadContractRecord(qint64 contractId);
    // The save command's checks and its one update statement. False when an amount
    // check stopped it (its message shown, the focus in that field); nothing written then.
    bool saveContractRecord(qint64 contractId);

    QString contractName() const;
    void setContractName(const QString& name);

    // Refills the drop-downs: scope "all", "setinfo" or "ghdw".
    void FillCategoryLists(const QString& scope);

private:
    ContractQuery& query_;
    Desktop& desktop_;
};
