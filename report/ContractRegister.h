#pragma once

#include <QDate>
#include <QString>
#include <functional>

class ContractQuery;

// One line of the contract register (合同台账): a contract with the figures of its page
// and the sums of its two ledgers.
struct RegisterRow {
    QString code;
    int depth = 0;  // 0 for a top-level contract
    QString name;
    QString number;       // 合同编号
    QString firstParty;   // 甲方
    QString secondParty;  // 乙方
    QString department;   // 所属部门
    QString category;     // 合同类别
    QDate date;           // 日期, invalid when none is stored
    double price = 0;     // 合同价款
    double paid = 0;      // 已付价款
    double settled = 0;   // 结算金额
    double payments = 0;  // 付款合计
    double claims = 0;    // 索赔合计
    bool archived = false;
    double unpaid() const { return price - payments; }
};

// Called now and then with the rows done so far; false cancels the export.
using ExportProgress = std::function<bool(qint64 done, qint64 total)>;

// The register's columns: titles and widths (in characters).
struct RegisterColumn {
    QString title;
    double width;
};
const std::vector<RegisterColumn>& registerColumns();

// The contracts of the file, for the progress of a register.
qint64 countRegisterRows(ContractQuery& query);

// Reads every contract in the order of the tree (by code), with the sums of its ledgers,
// in one statement and one row at a time: memory stays flat however large the file.
// Stops early, returning false, when `row` returns false.
bool readRegister(ContractQuery& query, const std::function<bool(const RegisterRow&)>& row);

// The register as a spreadsheet or as a PDF at `path`. False when the progress cancelled
// the export; then, as on any failure, no file is left at `path` (an earlier file of that
// name stays as it was). Throws AppError when the file cannot be written.
bool exportRegisterXlsx(ContractQuery& query, const QString& path, const ExportProgress& progress);
bool exportRegisterPdf(ContractQuery& query, const QString& path, const QDate& printedOn,
                       const ExportProgress& progress);
