#pragma once

#include <QString>

struct LedgerSpec;

// One ledger record as the editor holds it, every value a text: the amounts as typed,
// the date in the file's date format, the remarks with their CR LF line breaks.
struct LedgerRecordText {
    QString name;
    QString firstAmount, secondAmount;
    QString date;
    QString number, invoice;
    QString remarks;
};

// The statements of a ledger page, built from the ledger's table and column names.
namespace ledger_sql {

QString listRecords(const LedgerSpec& ledger, qint64 contractId);
// The two amount sums of a contract, under <first amount column>sum and fpjesum.
QString sumAmounts(const LedgerSpec& ledger, qint64 contractId);
QString selectRecord(const LedgerSpec& ledger, qint64 id);
// The amounts go in unquoted, exactly as typed: check them with sql::isAmountText first.
QString insertRecord(const LedgerSpec& ledger, qint64 id, qint64 contractId,
                     const LedgerRecordText& record);
QString updateRecord(const LedgerSpec& ledger, qint64 id, const LedgerRecordText& record);
QString deleteRecord(const LedgerSpec& ledger, qint64 id);

}  // namespace ledger_sql
