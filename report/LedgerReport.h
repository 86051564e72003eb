#pragma once

#include <QDate>
#include <QString>
#include <QStringList>
#include <vector>

class ContractQuery;

// The two ledgers of a contract: its payments (htfk) and its claims (htsp).
enum class LedgerKind { Payments, Claims };

struct LedgerRecord {
    QString name;
    double firstAmount = 0;   // 付款金额 or 索赔金额
    double secondAmount = 0;  // 发票金额
    QDate date;               // invalid when none is stored
    QString number;           // 申报单号
    QString invoice;          // 发票号
};

// A ledger as its page lists it: the records in the file's order and the sums row.
struct LedgerTable {
    LedgerKind kind = LedgerKind::Payments;
    std::vector<LedgerRecord> records;
    double firstSum = 0;
    double secondSum = 0;
};

// The column titles the ledger pages show, without the hidden key column.
QStringList ledgerTitles(LedgerKind kind);
// "付款记录" or "索赔记录", for headings and sheet names.
QString ledgerName(LedgerKind kind);

LedgerTable readLedger(ContractQuery& query, qint64 contractId, LedgerKind kind);

// Writes the ledger as a spreadsheet: the heading (the contract's name and number), the
// titles, one row per record (an empty one when there is none, as on the page) and the
// sums row as formulas; the first two rows stay in view.
// Throws AppError when the file cannot be written; nothing is left at `path` then.
void writeLedgerXlsx(const LedgerTable& ledger, const QString& heading, const QString& path);
