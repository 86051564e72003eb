#include "LedgerReport.h"

#include "ContractQuery.h"
#include "ReplacingFile.h"
#include "XlsxSheet.h"

namespace {

struct LedgerColumns {
    const char* table;
    const char* name;
    const char* firstAmount;
};

LedgerColumns columnsOf(LedgerKind kind) {
    return kind == LedgerKind::Payments ? LedgerColumns{"htfk", "fkname", "fkje"}
                                        : LedgerColumns{"htsp", "spname", "spje"};
}

}  // namespace

QStringList ledgerTitles(LedgerKind kind) {
    return {QStringLiteral("名称"),
            kind == LedgerKind::Payments ? QStringLiteral("付款金额") : QStringLiteral("索赔金额"),
            QStringLiteral("发票金额"),
            QStringLiteral("付款日期"),
            QStringLiteral("申报单号"),
            QStringLiteral("发票号")};
}

QString ledgerName(LedgerKind kind) {
    return kind == LedgerKind::Payments ? QStringLiteral("付款记录") : QStringLiteral("索赔记录");
}

LedgerTable readLedger(ContractQuery& query, qint64 contractId, LedgerKind kind) {
    const LedgerColumns c = columnsOf(kind);
    LedgerTable ledger;
    ledger.kind = kind;
    query.RunQuery(
        QStringLiteral("select %1,%2,fpje,fkrq,sbdh,fph from %3 where conid=%4")
            .arg(QLatin1String(c.name), QLatin1String(c.firstAmount), QLatin1String(c.table))
            .arg(contractId));
    for (; !query.eof(); query.next()) {
        LedgerRecord r;
        r.name = query.textAt(0);
        r.firstAmount = query.amountAt(1);
        r.secondAmount = query.amountAt(2);
        if (!query.textAt(3).isEmpty()) r.date = query.dateAt(3);
        r.number = query.textAt(4);
        r.invoice = query.textAt(5);
        ledger.firstSum += r.firstAmount;
        ledger.secondSum += r.secondAmount;
        ledger.records.push_back(std::move(r));
    }
    query.close();
    return ledger;
}

void writeLedgerXlsx(const LedgerTable& ledger, const QString& heading, const QString& path) {
    ReplacingFile file(path);
    XlsxSheet sheet(file.temporaryPath(), ledgerName(ledger.kind));
    // Rows go out top to bottom.
    sheet.boldText(0, 0, heading);
    const QStringList titles = ledgerTitles(ledger.kind);
    const double widths[] = {30, 14, 14, 12, 18, 18};
    for (int c = 0; c < titles.size(); ++c) {
        sheet.setColumnWidth(c, widths[c]);
        sheet.header(1, c, titles[c]);
    }
    sheet.freezeRows(2);

    int row = 2;
    for (const LedgerRecord& r : ledger.records) {
        sheet.text(row, 0, r.name);
        sheet.amount(row, 1, r.firstAmount);
        sheet.amount(row, 2, r.secondAmount);
        sheet.date(row, 3, r.date);
        sheet.text(row, 4, r.number);
        sheet.text(row, 5, r.invoice);
        ++row;
    }
    // A ledger without records keeps its one empty row, so the sums still have a range.
    const int lastRecordRow = std::max(row, 3) - 1;
    row = lastRecordRow + 1;
    sheet.boldText(row, 0, QStringLiteral("合计"));
    const auto sumOf = [&](int column) {
        return QStringLiteral("=SUM(%1:%2)")
            .arg(XlsxSheet::cellName(2, column), XlsxSheet::cellName(lastRecordRow, column));
    };
    sheet.amountFormula(row, 1, sumOf(1), ledger.firstSum, true);
    sheet.amountFormula(row, 2, sumOf(2), ledger.secondSum, true);
    sheet.finish();
    file.commit();
}
