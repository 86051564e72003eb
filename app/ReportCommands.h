#pragma once

#include <optional>

#include "ContractSheet.h"
#include "LedgerReport.h"

class ContractQuery;
class Desktop;
class QWidget;

// The commands that put contracts on paper, in PDF and in spreadsheets: the dialogs
// around the layouts of report/. Each runs inside the caller's command guard; what it
// cannot do it says in a message box and leaves no file behind.

// The printed sheet of a contract: its name and number, every field of the page
// "合同信息", its two ledgers, and the names of its documents and scans.
ContractSheet readContractSheet(ContractQuery& query, qint64 contractId);

// "打印": a print preview of the contract's sheet, from which the person prints or saves
// a PDF. Without a contract it says so and prints nothing.
void printContractSheet(QWidget* parent, ContractQuery& query, Desktop& desktop,
                        std::optional<qint64> contractId);

// "打印列表" of a ledger page: a print preview of that ledger of the contract.
void previewLedger(QWidget* parent, ContractQuery& query, Desktop& desktop,
                   std::optional<qint64> contractId, LedgerKind which);

// "导出Excel" of a ledger page: the ledger to an .xlsx file chosen in a save dialog.
void exportLedgerToXlsx(QWidget* parent, ContractQuery& query, Desktop& desktop,
                        std::optional<qint64> contractId, LedgerKind which);

// "导出合同台账": every contract of the file to .xlsx or, when the person chooses a .pdf
// name, to PDF, under a progress dialog that can cancel it.
void exportContractRegister(QWidget* parent, ContractQuery& query, Desktop& desktop);
